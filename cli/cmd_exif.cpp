#include "Commands.h"

#include "core/Error.h"

namespace qg::cli {

int RunExif(const Args&) { throw Error("the 'exif' command is not available yet"); }

}  // namespace qg::cli
