// Sample files for the previews, in a private folder per run.
#include "gallery/Preview.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/Error.h"
#include "gallery/SideStyle.h"
#include "platform/Folders.h"

namespace qg {

namespace fs = std::filesystem;

const char* NoPicturesToPreviewMessage(Side side) {
  return side == Side::Thumb ? kNoPicturesToPreviewThumbs : kNoPicturesToPreviewImages;
}

const char* PreviewFileName(Side side) { return side == Side::Thumb ? "temp.jpg" : "temp1.jpg"; }

PreviewFolder::PreviewFolder(std::string parent) : parent_(std::move(parent)) {}

namespace {

// Still the folder we made: a real folder (not a link), ours, closed to others. A cleaner of
// the temporary folder may have removed it during a long run, and another user may since have
// taken the name.
bool StillPrivate(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
         (info.st_mode & 077) == 0;
}

}  // namespace

PreviewFolder::~PreviewFolder() {
  // Only our own folder: a name someone else took over is left alone.
  if (path_.empty() || !StillPrivate(path_)) return;
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

const std::string& PreviewFolder::path() {
  if (!path_.empty() && StillPrivate(path_)) return path_;
  path_.clear();
  const std::string parent = parent_.empty() ? TempFolder() : parent_;
  std::string pattern = parent + (parent.ends_with('/') ? "" : "/") + "quillon-preview-XXXXXX";
  // mkdtemp makes a new folder with mode 0700 and fails rather than reuse an existing name.
  if (mkdtemp(pattern.data()) == nullptr) {
    throw Error(Format("Cannot create a temporary folder in \"%s\": %s", parent.c_str(),
                       std::strerror(errno)));
  }
  path_ = pattern;
  return path_;
}

std::string PreviewFolder::file(const std::string& name) { return path() + "/" + name; }

std::string MakePreviewFile(const Project& project, Side side, PreviewFolder& folder) {
  if (project.pictures.empty()) throw Error(NoPicturesToPreviewMessage(side));
  const PictureRecord& first = project.pictures.front();
  const GalleryOptions& options = project.options;
  const TargetSize size = SideTargetSize(first, options, side);
  const std::string output = folder.file(PreviewFileName(side));
  // An earlier sample must not be shown in place of one that failed.
  std::error_code ignored;
  fs::remove(output, ignored);
  try {
    MakeSideFile(first.FilenameAndPath, output, size, SideStyle(options, side), side);
  } catch (...) {
    fs::remove(output, ignored);
    throw;
  }
  return output;
}

}  // namespace qg
