// Fuzz target for the project file reader and the profile layer under it. Beyond not crashing,
// it checks the properties the rest of the program relies on:
// - a file that is parsed and written back unchanged keeps every byte;
// - a project that loads can be written (into a new file and over the input) and read back with
//   the same picture count;
// - a value written into any file reads back as written.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/Error.h"
#include "platform/Profile.h"
#include "project/ProjectFile.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  qg::ProfileDocument doc = qg::ProfileDocument::Parse(bytes);
  Check(doc.Serialize() == bytes);

  // A plain value survives a write into whatever the file holds, in an existing or new section.
  for (const char* section : {"Project", "PicSection0", "Fuzz Section"}) {
    doc.WriteString(section, "Name", "written value");
    Check(doc.ReadString(section, "name") == std::optional<std::string>("written value"));
  }
  const std::string written = doc.Serialize();
  const qg::ProfileDocument reread = qg::ProfileDocument::Parse(written);
  Check(reread.Serialize() == written);
  Check(reread.ReadString("fuzz section", "NAME") == std::optional<std::string>("written value"));

  qg::Project project;
  try {
    qg::LoadProjectText(project, bytes, "fuzz.tnp");
  } catch (const qg::Error&) {
    return 0;  // the load messages; nothing else may be thrown
  }

  // Written into a new file, the project reads back with the same pictures.
  qg::Project fresh;
  qg::LoadProjectText(fresh, qg::ProjectFileText(project), "fuzz.tnp");
  Check(fresh.PictureCount() == project.PictureCount());
  Check(fresh.options.blThumbWidth || fresh.options.blThumbHeight);
  Check(fresh.options.blImageWidth || fresh.options.blImageHeight);

  // Saved over the input itself (keys updated in place, stale sections kept), likewise.
  qg::Project updated;
  qg::LoadProjectText(updated, qg::UpdatedProjectFileText(bytes, project), "fuzz.tnp");
  Check(updated.PictureCount() == project.PictureCount());

  return 0;
}
