// The index pages: heading, navigation between index pages, and the grid of thumbnails with a
// caption row under every row of thumbnails. Also the file writing shared by both page kinds.

#include "core/Error.h"
#include "core/PathName.h"
#include "gallery/GalleryFiles.h"
#include "gallery/Pages.h"
#include "gallery/Titles.h"

namespace qg {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Navigation targets between index pages, in the order the rows list them.
struct IndexNavTargets {
  std::string first, previous, home, next, last;
};

IndexNavTargets NavTargets(size_t page, size_t pageCount) {
  return {IndexPageName(1), IndexPageName(page > 1 ? page - 1 : 1), IndexPageName(1),
          IndexPageName(page + 1 < pageCount ? page + 1 : pageCount), IndexPageName(pageCount)};
}

void AppendHead(std::string& out, const Project& project) {
  const GalleryOptions& o = project.options;
  out += "<style type=\"text/css\">";
  out += "<!-- body  { font-size: 80%; font-family: Verdana, Arial, Helvetica; } ";
  out += "td    { font-size: 80%; font-family: Verdana, Arial, Helvetica; }";
  out += " --> </style> ";
  out += "<html> <head>";
  out += "<title>" + o.editIndexCaption + "</title> </head>";
  out += "<body bgcolor=\"" + HtmlColour(o.colorboxBackgroundA) + "\" ";
  if (!o.editBackgroundAPic.empty()) {
    out += "background=\"" + FileNameOf(o.editBackgroundAPic) + "\"";
  }
  out += "> <center><h1>";
  out += FormatTitle(project.pictures, -1, o.editIndexCaption, HeadingFont(o));
  out += "</h1><br> ";
}

void AppendNavigation(std::string& out, const GalleryOptions& o, size_t page, size_t pageCount) {
  const IndexNavTargets t = NavTargets(page, pageCount);
  auto line = [&out](std::string_view text) {
    out += text;
    out += kCrLf;
  };
  line("<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">");
  line("<tr>");
  if (o.blNavShowImages) {
    line("<td align=\"center\" nowrap>");
    line("<p align=\"center\"><a href=\"index.html\">");
    line(detail::NavImageLine(o, NavFirst));
    line("<td align=\"center\"><a href=\"" + t.previous + "\">");
    line(detail::NavImageLine(o, NavPrevious));
    line("<td align=\"center\"><a href=\"index.html\">");
    line(detail::NavImageLine(o, NavHome));
    line("<td align=\"center\"><a href=\"" + t.next + "\">");
    line(detail::NavImageLine(o, NavNext));
    line("<td align=\"center\"><a href=\"" + t.last + "\">");
    line(detail::NavImageLine(o, NavLast));
  }
  line("</tr>");
  if (o.blNavShowCaptions) {
    line("<tr>");
    const std::pair<const std::string*, NavItem> items[] = {{&t.first, NavFirst},
                                                            {&t.previous, NavPrevious},
                                                            {&t.home, NavHome},
                                                            {&t.next, NavNext},
                                                            {&t.last, NavLast}};
    for (const auto& [target, item] : items) {
      line("<td width=\"80\">");
      line("<p align=\"center\"><a href=\"" + *target + "\">" + o.sNav[item] + "</a></td>");
    }
    line("</tr>");
  }
  line("</table>");
}

void AppendThumbnailCell(std::string& out, const Project& project, size_t n,
                         const ThumbSizeFn& thumbSize, UploadList& uploads) {
  const GalleryOptions& o = project.options;
  const PictureRecord& picture = project.pictures[n];
  const TargetSize size = thumbSize(picture);
  const int grow = o.AddShadow ? 48 : 0;
  const std::string link = ThumbnailLink(picture, o);
  out += "<td align=\"center\"><a href=\"" + PicturePageName(picture, o) + "\"><img src=\"";
  out += link;
  out += "\" alt=\"[" + o.editALTText + "]\" border=\"0\" width=\"";
  out += std::to_string(size.width + grow);
  out += "\" height=\"";
  out += std::to_string(size.height + grow);
  out += "\"></a></td>";
  uploads.Add(link);
}

void AppendGrid(std::string& out, const Project& project, size_t page, const ThumbSizeFn& thumbSize,
                UploadList& uploads) {
  const GalleryOptions& o = project.options;
  out += "<!-- v: 2.7 --><br><br> ";
  out += "<table border=\"0\" cellpadding=\"" + std::to_string(o.spinCellPad) +
         "\" cellspacing=\"" + std::to_string(o.spinCellSpace) + "\">";
  const size_t columns = o.spinColumns > 0 ? static_cast<size_t>(o.spinColumns) : 0;
  const size_t rows = o.spinRows > 0 ? static_cast<size_t>(o.spinRows) : 0;
  const size_t count = project.pictures.size();
  const size_t first = (page - 1) * columns * rows;
  for (size_t r = 0; r < rows; ++r) {
    const size_t rowStart = first + r * columns;
    const size_t rowEnd = rowStart + columns < count ? rowStart + columns : count;
    out += "<tr>";
    for (size_t n = rowStart; n < rowEnd; ++n) {
      out += kCrLf;
      AppendThumbnailCell(out, project, n, thumbSize, uploads);
    }
    out += "</tr><tr>";
    for (size_t n = rowStart; n < rowEnd; ++n) {
      out += kCrLf;
      out += "<td align=\"center\">";
      out += FormatTitle(project.pictures, static_cast<long long>(n), o.editThumbTitle,
                         CaptionFont(o));
      out += "</td>";
    }
    out += "</tr>";
  }
}

}  // namespace

namespace detail {

std::string NavImageLine(const GalleryOptions& options, NavItem item) {
  return "<img border=\"0\" src=\"" + FileNameOf(options.sNavImage[item]) + "\" alt=\"" +
         options.sNavALT[item] + "\"></a></td>";
}

}  // namespace detail

std::string IndexPageText(const Project& project, size_t page, size_t pageCount,
                          const ThumbSizeFn& thumbSize, UploadList& uploads) {
  std::string out;
  AppendHead(out, project);
  AppendNavigation(out, project.options, page, pageCount);
  AppendGrid(out, project, page, thumbSize, uploads);
  out +=
      "</table> <br><br><br> </center><br><br><center><br><b><a href=\"\"></a></b><br>"
      "<small></small></center> </body></html>";
  return out;
}

void WriteIndexPage(const Project& project, const std::string& destFolder, size_t page,
                    size_t pageCount, const ThumbSizeFn& thumbSize, UploadList& uploads) {
  if (project.pictures.empty()) return;
  const std::string name = IndexPageName(page);
  WriteWholeFile(destFolder + name, IndexPageText(project, page, pageCount, thumbSize, uploads));
  uploads.Add(name);
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  WriteFileAtomically(path, bytes);
}

}  // namespace qg
