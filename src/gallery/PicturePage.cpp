// The page of one picture: the gallery heading, a counter ("Page 3 of 12"), navigation to the
// first, previous, next and last picture and to the index, the display image and the long title.
#include "core/PathName.h"
#include "gallery/Pages.h"
#include "gallery/Titles.h"

namespace qg {

namespace {

constexpr std::string_view kCrLf = "\r\n";

void AppendHead(std::string& out, const Project& project, size_t index) {
  const GalleryOptions& o = project.options;
  out += "<html><head>";
  out += "<style type=\"text/css\">";
  out += "<!-- body  { font-size: 80%; font-family: Verdana, Arial, Helvetica; }";
  out += "td    { font-size: 80%; font-family: Verdana, Arial, Helvetica; }-->";
  out += "</style>";
  out += "<title>" + o.editIndexCaption + "</title></head>";
  out += "<body bgcolor=\"" + HtmlColour(o.colorboxBackgroundB) + "\" ";
  if (!o.editBackgroundBPic.empty()) {
    out += "background=\"" + FileNameOf(o.editBackgroundBPic) + "\"";
  }
  out += "> <center><h1>";
  out += FormatTitle(project.pictures, -1, o.editIndexCaption, HeadingFont(o));
  out += "</h1>";
  const std::string counter = "<p>Page " + std::to_string(index + 1) + " of " +
                              std::to_string(project.pictures.size()) + "</p>";
  out += FormatTitle(project.pictures, static_cast<long long>(index), counter, CaptionFont(o));
}

void AppendNavigation(std::string& out, const Project& project, size_t index) {
  const GalleryOptions& o = project.options;
  const auto& pictures = project.pictures;
  const size_t last = pictures.size() - 1;
  const std::string first = PicturePageName(pictures[0], o);
  const std::string previous = PicturePageName(pictures[index > 0 ? index - 1 : 0], o);
  const std::string home = "index.html";
  const std::string next = PicturePageName(pictures[index < last ? index + 1 : last], o);
  const std::string lastPage = PicturePageName(pictures[last], o);

  auto line = [&out](std::string_view text) {
    out += text;
    out += kCrLf;
  };
  const std::pair<const std::string*, NavItem> items[] = {{&first, NavFirst},
                                                          {&previous, NavPrevious},
                                                          {&home, NavHome},
                                                          {&next, NavNext},
                                                          {&lastPage, NavLast}};

  line("<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">");
  line("<tr>");
  if (o.blNavShowImages) {
    for (const auto& [target, item] : items) {
      line("<td align=\"center\"><a href=\"" + *target + "\">");
      line(detail::NavImageLine(o, item));
    }
  }
  line("</tr><br>");
  if (o.blNavShowCaptions) {
    line("<tr>");
    for (const auto& [target, item] : items) {
      line("<td width=\"80\">");
      line("<p align=\"center\"><a href=\"" + *target + "\">" + o.sNav[item] + "</a></td>");
    }
    line("<br>");
  }
  line("</tr></table>");
}

void AppendImage(std::string& out, const Project& project, size_t index, UploadList& uploads) {
  const GalleryOptions& o = project.options;
  const PictureRecord& picture = project.pictures[index];
  const std::string link = DisplayImageLink(picture, o);
  out += "<br><table border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td align=\"center\">";
  out += "<img src=\"" + link + "\">";
  uploads.Add(link);
  out += "</td></tr><tr><td align=\"center\"></td></tr></table><br>";
  out +=
      "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\" width=\"60%\">"
      "<tr><td align=\"center\"><br>";
  out += FormatTitle(project.pictures, static_cast<long long>(index), picture.LongTitle,
                     CaptionFont(o));
  out += "<br><br></center></td></tr></table></body></html>";
}

}  // namespace

std::string PicturePageText(const Project& project, size_t index, UploadList& uploads) {
  std::string out;
  AppendHead(out, project, index);
  AppendNavigation(out, project, index);
  AppendImage(out, project, index, uploads);
  return out;
}

void WriteImagePage(const Project& project, const std::string& destFolder, size_t index,
                    UploadList& uploads) {
  if (project.pictures.empty()) return;
  const std::string name = PicturePageName(project.pictures[index], project.options);
  WriteWholeFile(destFolder + name, PicturePageText(project, index, uploads));
  uploads.Add(name);
}

}  // namespace qg
