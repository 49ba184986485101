// Where the gallery's files go and what they are called, and the upload list that names them.
//
// Every writer derives names through these functions, so the pages, the files on disk and the
// upload list agree. Names that the pages link to are lower case (only A to Z are lowered: file
// names are bytes). Sub-folders are joined with "/", on disk and in links alike; on disk they are
// created under the same lower-case name the links use, because this file system tells case apart.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/Project.h"
#include "project/TextOrder.h"  // CompareText, the order of the upload list

namespace qg {

// The picture's file name without its last four characters ("Beach.JPG" -> "Beach",
// "Beach.jpeg" -> "Beach."), as every writer names the picture's outputs.
std::string BaseName(const PictureRecord& picture);

// Base name + page extension, lower case ("beach.html").
std::string PicturePageName(const PictureRecord& picture, const GalleryOptions& options);
// Prefix + base name + suffix + ".jpg", lower case ("tn_beach.jpg").
std::string ThumbnailFileName(const PictureRecord& picture, const GalleryOptions& options);
// The display image's file name: base name + ".jpg" when resizing, else the picture's own file
// name; lower case either way (an unresized copy is stored under the name its page links to).
std::string DisplayImageFileName(const PictureRecord& picture, const GalleryOptions& options);
// "index.html" for page 1, "index<k-1>.html" after it.
std::string IndexPageName(size_t page);

// The thumbnail and image sub-folders relative to the destination, with a trailing "/", lower
// case; empty when the files go straight into the destination.
std::string ThumbnailSubfolder(const GalleryOptions& options);
std::string ImageSubfolder(const GalleryOptions& options);

// Links and upload entries: sub-folder + file name.
std::string ThumbnailLink(const PictureRecord& picture, const GalleryOptions& options);
std::string DisplayImageLink(const PictureRecord& picture, const GalleryOptions& options);

// The files a built gallery needs on the server, relative to the destination folder, kept in
// CompareText order. Equal entries (duplicates, or names differing only in case) stay in the
// order they were added, so the list is the same on every machine and for every job count.
class UploadList {
 public:
  void Add(std::string entry);
  void Clear();
  size_t size() const { return entries_.size(); }
  // The entries in order. Not thread-safe: the list belongs to one build.
  const std::vector<std::string>& entries() const;

 private:
  // Added entries are sorted when read (stable, so the order of equal entries is the order in
  // which they came): a gallery of many thousand pictures adds in linear time.
  mutable std::vector<std::string> entries_;
  mutable size_t sorted_ = 0;  // entries_[0, sorted_) are in order
};

}  // namespace qg
