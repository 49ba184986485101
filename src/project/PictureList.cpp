// Adding pictures to the list; see PictureList.h.
#include "project/PictureList.h"

#include <algorithm>
#include <numeric>

#include "codecs/Decode.h"
#include "core/PathName.h"
#include "project/ProjectFile.h"
#include "project/TextOrder.h"

namespace qg {

PictureRecord MakePictureRecord(const std::string& path) {
  int32_t width = 0;
  int32_t height = 0;
  int32_t byteSize = 0;
  ReadPictureInfo(path, width, height, byteSize);
  PictureRecord record;
  record.FileName = FileNameOf(path);
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

namespace {

bool Valid(const Project& project, int selected) {
  return selected >= 0 && static_cast<size_t>(selected) < project.pictures.size();
}

int MovePicture(Project& project, int from, int to) {
  PictureRecord record = std::move(project.pictures[from]);
  record.RotateValue.clear();
  project.pictures.erase(project.pictures.begin() + from);
  project.pictures.insert(project.pictures.begin() + to, std::move(record));
  return to;
}

}  // namespace

int DeletePicture(Project& project, int selected) {
  if (!Valid(project, selected)) return selected;
  project.pictures.erase(project.pictures.begin() + selected);
  if (project.pictures.empty()) return kNoSelection;
  return std::min(selected, static_cast<int>(project.pictures.size()) - 1);
}

int MovePictureUp(Project& project, int selected) {
  if (!Valid(project, selected) || selected == 0) return selected;
  return MovePicture(project, selected, selected - 1);
}

int MovePictureDown(Project& project, int selected) {
  if (!Valid(project, selected) || static_cast<size_t>(selected) + 1 == project.pictures.size())
    return selected;
  return MovePicture(project, selected, selected + 1);
}

int SortPictures(Project& project, SortColumn column, bool descending, int selected) {
  std::vector<size_t> order(project.pictures.size());
  std::iota(order.begin(), order.end(), size_t{0});
  const auto key = [&](size_t i) -> const std::string& {
    const PictureRecord& r = project.pictures[i];
    switch (column) {
      case SortColumn::ImageSize:
        return r.ImageSize;
      case SortColumn::FileSize:
        return r.FileSize;
      case SortColumn::FileName:
        break;
    }
    return r.FileName;
  };
  const bool down = descending && column == SortColumn::FileName;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const int c = CompareText(key(a), key(b));
    return down ? c > 0 : c < 0;
  });
  std::vector<PictureRecord> sorted;
  sorted.reserve(order.size());
  int newSelection = kNoSelection;
  for (size_t i = 0; i < order.size(); ++i) {
    if (static_cast<int>(order[i]) == selected) newSelection = static_cast<int>(i);
    sorted.push_back(std::move(project.pictures[order[i]]));
  }
  project.pictures = std::move(sorted);
  return Valid(project, newSelection) ? newSelection : selected;
}

void ClearPictures(Project& project) { project.pictures.clear(); }

}  // namespace qg
