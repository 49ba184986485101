#include "Commands.h"

#include "core/Error.h"

namespace qg::cli {

int RunInfo(const Args&) { throw Error("the 'info' command is not available yet"); }

}  // namespace qg::cli
