// quillon-cli upload PROJECT.tnp [--dest DIR] [publishing options]: uploads a gallery that was
// built before, without building it again. The upload list is the one a build of the project
// would fill (the pages and pictures of every picture whose source exists, the thumbnails and
// the index pages); a listed file missing from the gallery folder ends the run before anything
// is sent.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Commands.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/PathName.h"
#include "gallery/Layout.h"
#include "gallery/OutputPlan.h"
#include "gallery/Pages.h"
#include "project/ProjectOpen.h"
#include "project/Settings.h"
#include "publish/Upload.h"

namespace qg::cli {

namespace {

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// The upload list a complete build of `project` fills, in its order. The page texts are made
// (and dropped) so that the names come from the same code that writes them.
std::vector<std::string> PlannedUploadList(const Project& project) {
  UploadList uploads;
  const GalleryOptions& o = project.options;
  const size_t count = project.pictures.size();
  for (size_t i = 0; i < count; ++i) {
    const PictureRecord& picture = project.pictures[i];
    if (!IsPlainFileName(picture.FileName) || !IsRegularFile(picture.FilenameAndPath)) continue;
    PicturePageText(project, i, uploads);
    uploads.Add(PicturePageName(picture, o));
  }
  // The copied background and button pictures, as the build lists them after the pictures.
  for (const std::string* background : {&o.editBackgroundAPic, &o.editBackgroundBPic})
    if (!background->empty()) uploads.Add(FileNameOf(*background));
  if (o.blNavShowImages) {
    for (int item = 0; item < NavItemCount; ++item)
      if (IsRegularFile(o.sNavImage[item])) uploads.Add(FileNameOf(o.sNavImage[item]));
  }
  const size_t pageSize = o.spinColumns > 0 && o.spinRows > 0
                              ? static_cast<size_t>(o.spinColumns) * static_cast<size_t>(o.spinRows)
                              : 0;
  if (pageSize == 0 || count == 0) return uploads.entries();
  const size_t pageCount = (count + pageSize - 1) / pageSize;
  // Only the names matter here, not the sizes written into the pages.
  const ThumbSizeFn anySize = [](const PictureRecord&) { return TargetSize{}; };
  for (size_t page = 1; page <= pageCount; ++page) {
    IndexPageText(project, page, pageCount, anySize, uploads);
    uploads.Add(IndexPageName(page));
  }
  return uploads.entries();
}

}  // namespace

int RunUpload(const Args& args) {
  const CommandLine line =
      ParseCommandLine(args, WithUploadFlags({}), WithUploadValued({"--dest"}));
  const UploadChoices choices = ReadUploadChoices(line);
  const std::string& path = SingleOperand(line, "project file");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw Error(Format("Cannot open the project file '%s'", path.c_str()));
  }
  Preferences prefs;
  LoadPreferences("upload", prefs);
  Project project;
  OpenProject(project, path, prefs);
  if (const std::string* dest = line.value("--dest")) project.options.editDestFolder = *dest;
  std::string folder = project.options.editDestFolder;
  if (folder.empty()) throw Error("The project names no gallery folder; give one with --dest");
  if (folder.back() != '/') folder += '/';

  const std::vector<std::string> list = PlannedUploadList(project);
  if (list.empty()) throw Error(kNoGalleryMessage);
  for (const std::string& entry : list) {
    if (!IsRegularFile(folder + entry)) {
      throw Error("The gallery in " + folder + " has no file " + entry +
                  "; build it first (quillon-cli build). Nothing was uploaded");
    }
  }
  return UploadBuiltGallery(project, list, folder, choices);
}

}  // namespace qg::cli
