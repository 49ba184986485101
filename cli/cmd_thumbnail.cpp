#include "Commands.h"

#include "core/Error.h"

namespace qg::cli {

int RunThumbnail(const Args&) { throw Error("the 'thumbnail' command is not available yet"); }

}  // namespace qg::cli
