// Output names, sub-folders and the ordered upload list.
#include "gallery/Layout.h"
#include "core/Text.h"

#include <algorithm>

namespace qg {

namespace {

std::string Subfolder(bool straightIntoDestination, const std::string& typed) {
  if (straightIntoDestination || typed.empty()) return {};
  std::string sub = AsciiLower(typed);
  if (sub.back() != '/') sub += '/';
  return sub;
}

}  // namespace

std::string BaseName(const PictureRecord& picture) {
  const std::string& name = picture.FileName;
  return name.size() <= 4 ? std::string() : name.substr(0, name.size() - 4);
}

std::string PicturePageName(const PictureRecord& picture, const GalleryOptions& options) {
  return AsciiLower(BaseName(picture) + options.editImageFilenameExt);
}

std::string ThumbnailFileName(const PictureRecord& picture, const GalleryOptions& options) {
  return AsciiLower(options.Prefix + BaseName(picture) + options.Suffix + ".jpg");
}

std::string DisplayImageFileName(const PictureRecord& picture, const GalleryOptions& options) {
  return AsciiLower(options.blImageResize ? BaseName(picture) + ".jpg" : picture.FileName);
}

std::string IndexPageName(size_t page) {
  if (page <= 1) return "index.html";
  return "index" + std::to_string(page - 1) + ".html";
}

std::string ThumbnailSubfolder(const GalleryOptions& options) {
  return Subfolder(options.TargetThumb, options.ThumbFolder);
}

std::string ImageSubfolder(const GalleryOptions& options) {
  return Subfolder(options.TargetImage, options.ImageFolder);
}

std::string ThumbnailLink(const PictureRecord& picture, const GalleryOptions& options) {
  return ThumbnailSubfolder(options) + ThumbnailFileName(picture, options);
}

std::string DisplayImageLink(const PictureRecord& picture, const GalleryOptions& options) {
  return ImageSubfolder(options) + DisplayImageFileName(picture, options);
}

void UploadList::Add(std::string entry) { entries_.push_back(std::move(entry)); }

void UploadList::Clear() {
  entries_.clear();
  sorted_ = 0;
}

const std::vector<std::string>& UploadList::entries() const {
  if (sorted_ != entries_.size()) {
    std::stable_sort(
        entries_.begin(), entries_.end(),
        [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    sorted_ = entries_.size();
  }
  return entries_;
}

}  // namespace qg
