// Fuzz target for the upload record reader (a file in the user's cache folder that anyone may
// have edited). Beyond not crashing, it checks:
// - every name read is one an upload may touch (relative, inside the gallery's folder);
// - what was read writes out and reads back the same (a save after a load loses nothing).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "publish/UploadManifest.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const qg::UploadManifest read = qg::ParseUploadManifest(text);
  for (const auto& [name, entry] : read.entries) {
    Check(qg::IsManifestName(name));
    Check(entry.hash.size() == 64);
  }
  const qg::UploadManifest again = qg::ParseUploadManifest(qg::FormatUploadManifest(read));
  Check(again.entries == read.entries);
  return 0;
}
