// Adding pictures to the list; see PictureList.h.
#include "project/PictureList.h"

#include "codecs/Decode.h"
#include "project/ProjectFile.h"

namespace qg {

PictureRecord MakePictureRecord(const std::string& path) {
  int32_t width = 0;
  int32_t height = 0;
  int32_t byteSize = 0;
  ReadPictureInfo(path, width, height, byteSize);
  PictureRecord record;
  const size_t slash = path.rfind('/');
  record.FileName = slash == std::string::npos ? path : path.substr(slash + 1);
  record.ImageSize = std::to_string(width) + " x " + std::to_string(height);
  record.FileSize = FormatFileSize(byteSize);
  record.FilenameAndPath = path;
  record.ShortTitle = record.FileName;
  return record;
}

void AddPictures(Project& project, const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  try {
    for (const std::string& path : paths) project.pictures.push_back(MakePictureRecord(path));
  } catch (...) {
    project.FProjectSaved = false;
    throw;
  }
  project.FProjectSaved = false;
}

}  // namespace qg
