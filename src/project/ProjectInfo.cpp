// The project information values; see ProjectInfo.h.
#include "project/ProjectInfo.h"
#include "core/PathName.h"

#include <sys/stat.h>

namespace qg {

std::string FormatLocalDateTime(std::time_t time) {
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr) return "<unknown>";
  const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
  char text[128];
  const size_t n = std::strftime(text, sizeof text, midnight ? "%x" : "%x %X", &local);
  return n > 0 ? std::string(text, n) : "<unknown>";
}

ProjectInfoValues FillProjectInfo(const Project& project, const TimeFormatter& formatTime) {
  ProjectInfoValues v;
  const std::string& file = project.FProjectFileName;
  v.prjName = FileNameOf(file);
  if (file == "untitled.tnp") {
    v.lastSaved = "<not saved>";
  } else {
    v.lastSaved = "<unknown>";
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode))
      v.lastSaved = formatTime(st.st_mtime);
  }
  const GalleryOptions& o = project.options;
  v.galleryTitle = o.editIndexCaption;
  v.targetFolder = o.editDestFolder;
  v.imageCount = std::to_string(project.PictureCount()) + " image(s)";
  v.thumbSize = std::to_string(o.iThumbWidth) + " x " + std::to_string(o.iThumbHeigth);
  v.rowsCols = std::to_string(o.spinRows) + " rows x " + std::to_string(o.spinColumns) + " columns";
  return v;
}

}  // namespace qg
