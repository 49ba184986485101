// The gallery's HTML pages: the paged index pages with the thumbnail grid, and one page per
// picture. The texts are assembled byte for byte (CR LF only where the layout puts them, no final
// line break, nothing escaped: titles and navigation texts may carry the user's own HTML) and
// written without a byte-order mark.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "gallery/Layout.h"
#include "imaging/Pipeline.h"
#include "project/Project.h"

namespace qg {

// The thumbnail's target size for a picture (before any shadow); the build passes the imaging
// thumbnail side's SideTargetSize (gallery/SideStyle.h).
using ThumbSizeFn = std::function<TargetSize(const PictureRecord&)>;

// Index page `page` (from 1) of `pageCount`. Adds each thumbnail link of the grid to `uploads`.
std::string IndexPageText(const Project& project, size_t page, size_t pageCount,
                          const ThumbSizeFn& thumbSize, UploadList& uploads);

// The page of the picture at `index`. Adds the display image link to `uploads`.
std::string PicturePageText(const Project& project, size_t index, UploadList& uploads);

// Writes the page into `destFolder` (ending in "/") and adds the page name to `uploads`.
// Nothing happens for an empty picture list. Throws qg::Error naming the file when it cannot be
// written.
void WriteIndexPage(const Project& project, const std::string& destFolder, size_t page,
                    size_t pageCount, const ThumbSizeFn& thumbSize, UploadList& uploads);
void WriteImagePage(const Project& project, const std::string& destFolder, size_t index,
                    UploadList& uploads);

// Replaces the file at `path` with exactly `bytes`, through a temporary file renamed into place
// (GalleryFiles.h). Throws qg::Error naming the file.
void WriteWholeFile(const std::string& path, std::string_view bytes);

namespace detail {

// "<img border=\"0\" src=\"NAME\" alt=\"ALT\"></a></td>" for a navigation item.
std::string NavImageLine(const GalleryOptions& options, NavItem item);

}  // namespace detail

}  // namespace qg
