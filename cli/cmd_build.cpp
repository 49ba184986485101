#include "Commands.h"

#include "core/Error.h"

namespace qg::cli {

int RunBuild(const Args&) { throw Error("the 'build' command is not available yet"); }

}  // namespace qg::cli
