#include "Commands.h"

#include "core/Error.h"

namespace qg::cli {

int UploadBuiltGallery(const Project&, const std::vector<std::string>&, const std::string&) {
  throw Error("uploading is not available yet");
}

}  // namespace qg::cli
