// The build's output plan and the checks made on it before anything is written.
#include "gallery/OutputPlan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <unordered_set>
#include <utility>

#include "core/Error.h"
#include "core/PathName.h"
#include "core/Text.h"
#include "gallery/BuildRecord.h"
#include "gallery/Layout.h"

namespace fs = std::filesystem;

namespace qg {

namespace {

bool IsFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

bool HasControlCharacter(const std::string& text) {
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) return true;
  }
  return false;
}

// The text with control characters shown as "?", for quoting it in a message.
std::string Printable(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) c = '?';
  }
  return out;
}

bool HasDotDotSegment(const std::string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (path.compare(start, end - start, "..") == 0 && end - start == 2) return true;
    start = end + 1;
  }
  return false;
}

std::string BadName(const char* option, const std::string& value, const char* reason) {
  return Format(
      "The option %s (\"%s\") cannot be used for the gallery's file names: %s. "
      "Please correct it; nothing was written.",
      option, Printable(value).c_str(), reason);
}

// Why a sub-folder option is unusable, or nullptr.
const char* FolderFault(const std::string& folder) {
  if (!folder.empty() && folder.front() == '/') return "it is an absolute path";
  if (HasDotDotSegment(folder)) return "it has a \"..\" part, which leads out of the gallery";
  if (HasControlCharacter(folder)) return "it contains a control character";
  return nullptr;
}

// Why a name part (prefix, suffix, page extension) is unusable, or nullptr.
const char* NamePartFault(const std::string& part) {
  if (part.find('/') != std::string::npos) return "it contains \"/\"";
  if (HasControlCharacter(part)) return "it contains a control character";
  return nullptr;
}

// The pictures the build copies besides the list's: which option names them, and the path.
std::vector<std::pair<std::string, std::string>> ExtraPictures(const GalleryOptions& o) {
  std::vector<std::pair<std::string, std::string>> extras;
  if (!o.editBackgroundAPic.empty())
    extras.emplace_back("editBackgroundAPic", o.editBackgroundAPic);
  if (!o.editBackgroundBPic.empty())
    extras.emplace_back("editBackgroundBPic", o.editBackgroundBPic);
  if (o.blNavShowImages) {
    for (int item = 0; item < NavItemCount; ++item) {
      if (o.sNavImage[item].empty()) continue;
      extras.emplace_back(std::string("sNavImage") + kNavItemNames[item], o.sNavImage[item]);
    }
  }
  return extras;
}

// A picture a web page can show, by its extension and by its first bytes.
bool IsWebPicture(const std::string& path) {
  const std::string ext = AsciiLower(ExtensionOf(path));
  static const std::set<std::string> kExtensions = {"jpg", "jpeg", "jpe", "gif",
                                                    "png", "bmp",  "webp"};
  if (kExtensions.count(ext) == 0) return false;

  // Without blocking: a pipe or device named like a picture must not hang the build.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  unsigned char head[12] = {};
  ssize_t got = -1;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) got = ::read(fd, head, sizeof head);
  ::close(fd);
  if (got < 2) return false;
  const auto starts = [&](const char* signature, size_t length, size_t at = 0) {
    return static_cast<size_t>(got) >= at + length &&
           std::memcmp(head + at, signature, length) == 0;
  };
  return starts("\xFF\xD8\xFF", 3) || starts("GIF87a", 6) || starts("GIF89a", 6) ||
         starts("\x89PNG\r\n\x1A\n", 8) || starts("BM", 2) ||
         (starts("RIFF", 4) && starts("WEBP", 4, 8));
}

// Paths resolved through the folders they name, with each folder resolved once.
class Resolver {
 public:
  std::string Folder(const std::string& folder) {
    auto found = folders_.find(folder);
    if (found != folders_.end()) return found->second;
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(folder.empty() ? "." : folder, ec), ec);
    std::string resolved =
        ec ? fs::path(folder).lexically_normal().string() : p.lexically_normal().string();
    if (resolved.empty() || resolved.back() != '/') resolved += '/';
    return folders_.emplace(folder, resolved).first->second;
  }
  std::string File(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return Folder("") + path;
    return Folder(path.substr(0, slash + 1)) + path.substr(slash + 1);
  }

 private:
  std::map<std::string, std::string> folders_;
};

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
  return name.find('/') == std::string::npos && name != "." && name != "..";
}

std::string NormalGalleryPath(std::string_view path) {
  std::string out;
  size_t start = 0;
  while (start < path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view part = path.substr(start, slash - start);
    if (!part.empty() && part != ".") {
      if (!out.empty()) out += '/';
      out += part;
    }
    start = slash + 1;
  }
  if (!out.empty() && !path.empty() && path.back() == '/') out += '/';
  return out;
}

std::vector<std::string> PlanGalleryOutputNames(const Project& project) {
  const GalleryOptions& o = project.options;
  std::vector<std::string> names;
  for (const PictureRecord& picture : project.pictures) {
    if (!IsPlainFileName(picture.FileName) || !IsFile(picture.FilenameAndPath)) continue;
    if (o.chkCreateThumbs)
      names.push_back(NormalGalleryPath(ThumbnailSubfolder(o) + ThumbnailFileName(picture, o)));
    if (o.chkCreateImages)
      names.push_back(NormalGalleryPath(ImageSubfolder(o) + DisplayImageFileName(picture, o)));
    names.push_back(PicturePageName(picture, o));
  }
  for (const auto& [option, path] : ExtraPictures(o)) {
    if (IsFile(path)) names.push_back(FileNameOf(path));
  }
  const size_t count = project.pictures.size();
  if (count > 0 && o.spinColumns > 0 && o.spinRows > 0) {
    const size_t pageSize = static_cast<size_t>(o.spinColumns) * static_cast<size_t>(o.spinRows);
    const size_t pageCount = (count + pageSize - 1) / pageSize;
    for (size_t page = 1; page <= pageCount; ++page) names.push_back(IndexPageName(page));
  }
  return names;
}

std::vector<std::string> PlanGalleryOutputs(const Project& project, const std::string& destFolder) {
  const std::string dest = WithSlash(destFolder);
  std::vector<std::string> outputs;
  std::unordered_set<std::string> seen;
  for (std::string& name : PlanGalleryOutputNames(project)) {
    if (seen.insert(name).second) outputs.push_back(dest + name);
  }
  return outputs;
}

std::vector<std::string> PlanGalleryFolders(const Project& project) {
  const GalleryOptions& o = project.options;
  const bool anySource = std::any_of(
      project.pictures.begin(), project.pictures.end(), [](const PictureRecord& picture) {
        return IsPlainFileName(picture.FileName) && IsFile(picture.FilenameAndPath);
      });
  std::vector<std::string> folders;
  if (!anySource) return folders;
  for (const std::string& sub : {ThumbnailSubfolder(o), ImageSubfolder(o)}) {
    const std::string normal = NormalGalleryPath(sub);
    for (size_t slash = normal.find('/'); slash != std::string::npos;
         slash = normal.find('/', slash + 1)) {
      std::string folder = normal.substr(0, slash + 1);
      if (std::find(folders.begin(), folders.end(), folder) == folders.end())
        folders.push_back(std::move(folder));
    }
  }
  return folders;
}

std::vector<std::string> LeftOverGalleryFiles(const Project& project) {
  const std::string& dest = project.options.editDestFolder;
  if (dest.empty()) return {};
  const std::optional<BuildRecord> record = ReadBuildRecord(dest);
  if (!record) return {};
  const std::vector<std::string> names = PlanGalleryOutputNames(project);
  const std::set<std::string> planned(names.begin(), names.end());
  const std::string folder = WithSlash(dest);
  std::vector<std::string> paths;
  for (const std::string& name : LeftOverFiles(*record, planned, folder))
    paths.push_back(folder + name);
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::vector<std::string> ExistingGalleryOutputs(const std::vector<std::string>& outputs) {
  std::vector<std::string> existing;
  for (const std::string& path : outputs) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) existing.push_back(path);
  }
  return existing;
}

std::string CheckOutputNames(const Project& project) {
  const GalleryOptions& o = project.options;
  if (!o.TargetThumb) {
    if (const char* fault = FolderFault(o.ThumbFolder))
      return BadName("ThumbFolder", o.ThumbFolder, fault);
  }
  if (!o.TargetImage) {
    if (const char* fault = FolderFault(o.ImageFolder))
      return BadName("ImageFolder", o.ImageFolder, fault);
  }
  const std::pair<const char*, const std::string*> parts[] = {
      {"Prefix", &o.Prefix},
      {"Suffix", &o.Suffix},
      {"editImageFilenameExt", &o.editImageFilenameExt}};
  for (const auto& [option, value] : parts) {
    if (const char* fault = NamePartFault(*value)) return BadName(option, *value, fault);
  }
  for (size_t i = 0; i < project.pictures.size(); ++i) {
    const PictureRecord& picture = project.pictures[i];
    const char* fault = nullptr;
    if (!IsPlainFileName(picture.FileName)) {
      fault = "is not a plain file name";
    } else if (HasControlCharacter(picture.FileName)) {
      fault = "contains a control character";
    } else if (!IsPlainFileName(PicturePageName(picture, o))) {
      fault = "gives no usable page name";
    }
    if (fault != nullptr) {
      return Format("Picture %zu (%s): the file name \"%s\" %s", i + 1,
                    Printable(picture.FilenameAndPath).c_str(), Printable(picture.FileName).c_str(),
                    fault);
    }
  }
  return {};
}

std::string CheckExtraPictures(const GalleryOptions& options) {
  for (const auto& [option, path] : ExtraPictures(options)) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) continue;  // a missing file is skipped, as always
    if (IsWebPicture(path)) continue;
    return Format(
        "The option %s names \"%s\", which is not a picture (JPEG, GIF, PNG, BMP or "
        "WebP); only pictures are copied into the gallery. Please choose a picture; "
        "nothing was written.",
        option.c_str(), Printable(path).c_str());
  }
  return {};
}

std::string CheckSourcesAreKept(const Project& project, const std::string& destFolder) {
  Resolver resolver;
  std::map<std::string, std::string> byPath;                  // resolved path -> what it is
  std::map<std::pair<dev_t, ino_t>, std::string> byIdentity;  // existing file -> what it is
  auto addSource = [&](const std::string& path, std::string what) {
    if (path.empty()) return;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
      byIdentity.emplace(std::make_pair(st.st_dev, st.st_ino), what);
    byPath.emplace(resolver.File(path), std::move(what));
  };
  for (size_t i = 0; i < project.pictures.size(); ++i) {
    const std::string& path = project.pictures[i].FilenameAndPath;
    addSource(path, Format("picture %zu of the list, \"%s\"", i + 1, Printable(path).c_str()));
  }
  for (const auto& [option, path] : ExtraPictures(project.options)) {
    addSource(path, Format("the picture \"%s\" that the option %s names", Printable(path).c_str(),
                           option.c_str()));
  }

  for (const std::string& output : PlanGalleryOutputs(project, destFolder)) {
    const std::string* source = nullptr;
    struct stat st;
    if (::stat(output.c_str(), &st) == 0) {
      const auto found = byIdentity.find({st.st_dev, st.st_ino});
      if (found != byIdentity.end()) source = &found->second;
    }
    if (source == nullptr) {
      const auto found = byPath.find(resolver.File(output));
      if (found != byPath.end()) source = &found->second;
    }
    if (source != nullptr) {
      return Format(
          "The gallery file \"%s\" would replace %s. Please choose another destination "
          "folder; nothing was written.",
          Printable(output).c_str(), source->c_str());
    }
  }
  return {};
}

}  // namespace qg
