#include "Commands.h"

#include "core/Error.h"

namespace qg::cli {

int RunAdd(const Args&) { throw Error("the 'add' command is not available yet"); }

}  // namespace qg::cli
