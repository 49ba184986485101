#include "project/Project.h"

namespace qg {

const std::array<const char*, NavItemCount> kNavItemNames = {"Home",     "Index", "First",
                                                             "Previous", "Next",  "Last"};

}  // namespace qg
