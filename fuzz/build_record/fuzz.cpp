// Fuzz target for the build record reader (a text in the user's cache folder that anything may
// have damaged). Beyond not crashing, it checks that a record it accepts
// - names only paths that stay inside the gallery folder (a removal can never leave it);
// - writes back to a text that reads as the same record, and writing that again changes nothing.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "gallery/BuildRecord.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<qg::BuildRecord> record = qg::ParseBuildRecord(text);
  if (!record) return 0;
  Check(!record->gallery.empty() && record->gallery.front() == '/' &&
        record->gallery.back() == '/');
  for (const auto& [path, file] : record->files)
    Check(qg::IsGalleryRelativePath(path, /*folder=*/false));
  for (const std::string& folder : record->folders)
    Check(qg::IsGalleryRelativePath(folder, /*folder=*/true));

  const std::string written = qg::FormatBuildRecord(*record);
  const std::optional<qg::BuildRecord> again = qg::ParseBuildRecord(written);
  Check(again.has_value() && *again == *record);
  Check(qg::FormatBuildRecord(*again) == written);
  return 0;
}
