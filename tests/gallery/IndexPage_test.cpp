// Index pages, byte for byte: heading, navigation between pages, the thumbnail grid with its
// caption rows, the footer, and the upload entries they add.
#include <gtest/gtest.h>

#include "GalleryFixture.h"
#include "gallery/Pages.h"

namespace qg {
namespace {

using test::NewGalleryProject;
using test::PictureNamed;
using test::Width120;

std::string Page(const Project& project, size_t page, size_t pageCount,
                 UploadList* uploads = nullptr) {
  UploadList scratch;
  return IndexPageText(project, page, pageCount, Width120, uploads ? *uploads : scratch);
}

TEST(IndexPage, OnePictureWithTheDefaults) {
  Project project = NewGalleryProject();
  project.pictures = {PictureNamed("Sunset.JPG")};
  UploadList uploads;
  EXPECT_EQ(
      Page(project, 1, 1, &uploads),
      "<style type=\"text/css\"><!-- body  { font-size: 80%; font-family: Verdana, Arial, "
      "Helvetica; } td    { font-size: 80%; font-family: Verdana, Arial, Helvetica; } --> "
      "</style> <html> <head><title>My Gallery 1</title> </head><body bgcolor=\"#FFFFFF\" > "
      "<center><h1><b><font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"5\" "
      "color=\"#000000\">My Gallery 1</font></b></h1><br> "
      "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">\r\n"
      "<tr>\r\n"
      "<td align=\"center\" nowrap>\r\n"
      "<p align=\"center\"><a href=\"index.html\">\r\n"
      "<img border=\"0\" src=\"bfirst.gif\" alt=\"[First]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"index.html\">\r\n"
      "<img border=\"0\" src=\"bprev.gif\" alt=\"[Previous]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"index.html\">\r\n"
      "<img border=\"0\" src=\"bhome.gif\" alt=\"[Home]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"index.html\">\r\n"
      "<img border=\"0\" src=\"bnext.gif\" alt=\"[Next]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"index.html\">\r\n"
      "<img border=\"0\" src=\"blast.gif\" alt=\"[Last]\"></a></td>\r\n"
      "</tr>\r\n"
      "</table>\r\n"
      "<!-- v: 2.7 --><br><br> <table border=\"0\" cellpadding=\"2\" cellspacing=\"2\"><tr>\r\n"
      "<td align=\"center\"><a href=\"sunset.html\"><img src=\"tn_sunset.jpg\" alt=\"[Click to "
      "enlarge]\" border=\"0\" width=\"168\" height=\"138\"></a></td></tr><tr>\r\n"
      "<td align=\"center\"><b><font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"1\" "
      "color=\"#000000\">Sunset.JPG</font></b></td></tr><tr></tr><tr></tr><tr></tr><tr></tr>"
      "</table> <br><br><br> </center><br><br><center><br><b><a href=\"\"></a></b><br>"
      "<small></small></center> </body></html>");
  EXPECT_EQ(uploads.entries(), std::vector<std::string>{"tn_sunset.jpg"});
}

// A compact project for the grid tests: short names, plain captions, no button row.
Project GridProject(size_t count) {
  Project project = NewGalleryProject();
  project.options.blNavShowImages = false;
  project.options.FIndexFontStyle = "Regular";
  project.options.FThumbFontStyle = "Regular";
  project.options.FIndexFontFamily = "F";
  project.options.FThumbFontFamily = "F";
  project.options.AddShadow = false;
  project.options.editIndexCaption = "G";
  for (size_t i = 0; i < count; ++i) {
    project.pictures.push_back(PictureNamed(std::string(1, static_cast<char>('a' + i)) + ".jpg"));
  }
  return project;
}

const char kGridHead[] =
    "<style type=\"text/css\"><!-- body  { font-size: 80%; font-family: Verdana, Arial, "
    "Helvetica; } td    { font-size: 80%; font-family: Verdana, Arial, Helvetica; } --> "
    "</style> <html> <head><title>G</title> </head><body bgcolor=\"#FFFFFF\" > "
    "<center><h1><font face=\"F\" size=\"5\" color=\"#000000\">G</font></h1><br> ";
const char kFooter[] =
    "</table> <br><br><br> </center><br><br><center><br><b><a href=\"\"></a></b><br>"
    "<small></small></center> </body></html>";

TEST(IndexPage, TwelvePicturesFillOneFourByThreePage) {
  const Project project = GridProject(12);
  UploadList uploads;
  EXPECT_EQ(
      Page(project, 1, 1, &uploads),
      std::string(kGridHead) +
          "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">\r\n"
          "<tr>\r\n"
          "</tr>\r\n"
          "</table>\r\n"
          "<!-- v: 2.7 --><br><br> <table border=\"0\" cellpadding=\"2\" cellspacing=\"2\"><tr>\r\n"
          "<td align=\"center\"><a href=\"a.html\"><img src=\"tn_a.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"b.html\"><img src=\"tn_b.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"c.html\"><img src=\"tn_c.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"d.html\"><img src=\"tn_d.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td></tr><tr>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" color=\"#000000\">a.jpg</font></td>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" color=\"#000000\">b.jpg</font></td>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" color=\"#000000\">c.jpg</font></td>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" "
          "color=\"#000000\">d.jpg</font></td></tr><tr>\r\n"
          "<td align=\"center\"><a href=\"e.html\"><img src=\"tn_e.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"f.html\"><img src=\"tn_f.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"g.html\"><img src=\"tn_g.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"h.html\"><img src=\"tn_h.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td></tr><tr>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" color=\"#000000\">e.jpg</font></td>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" color=\"#000000\">f.jpg</font></td>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" color=\"#000000\">g.jpg</font></td>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" "
          "color=\"#000000\">h.jpg</font></td></tr><tr>\r\n"
          "<td align=\"center\"><a href=\"i.html\"><img src=\"tn_i.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"j.html\"><img src=\"tn_j.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"k.html\"><img src=\"tn_k.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"l.html\"><img src=\"tn_l.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td></tr><tr>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" color=\"#000000\">i.jpg</font></td>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" color=\"#000000\">j.jpg</font></td>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" color=\"#000000\">k.jpg</font></td>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" "
          "color=\"#000000\">l.jpg</font></td></tr>" +
          kFooter);
  EXPECT_EQ(uploads.size(), 12u);
}

TEST(IndexPage, TheThirteenthPictureStandsAloneOnTheSecondPage) {
  Project project = GridProject(13);
  project.options.blNavShowImages = true;
  UploadList uploads;
  EXPECT_EQ(
      Page(project, 2, 2, &uploads),
      std::string(kGridHead) +
          "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">\r\n"
          "<tr>\r\n"
          "<td align=\"center\" nowrap>\r\n"
          "<p align=\"center\"><a href=\"index.html\">\r\n"
          "<img border=\"0\" src=\"bfirst.gif\" alt=\"[First]\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"index.html\">\r\n"
          "<img border=\"0\" src=\"bprev.gif\" alt=\"[Previous]\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"index.html\">\r\n"
          "<img border=\"0\" src=\"bhome.gif\" alt=\"[Home]\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"index1.html\">\r\n"
          "<img border=\"0\" src=\"bnext.gif\" alt=\"[Next]\"></a></td>\r\n"
          "<td align=\"center\"><a href=\"index1.html\">\r\n"
          "<img border=\"0\" src=\"blast.gif\" alt=\"[Last]\"></a></td>\r\n"
          "</tr>\r\n"
          "</table>\r\n"
          "<!-- v: 2.7 --><br><br> <table border=\"0\" cellpadding=\"2\" cellspacing=\"2\"><tr>\r\n"
          "<td align=\"center\"><a href=\"m.html\"><img src=\"tn_m.jpg\" alt=\"[Click to "
          "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td></tr><tr>\r\n"
          "<td align=\"center\"><font face=\"F\" size=\"1\" "
          "color=\"#000000\">m.jpg</font></td></tr>"
          "<tr></tr><tr></tr><tr></tr><tr></tr>" +
          kFooter);
  EXPECT_EQ(uploads.entries(), std::vector<std::string>{"tn_m.jpg"});

  // The first page of the two points forward.
  const std::string first = Page(project, 1, 2);
  EXPECT_NE(
      first.find(
          "<td align=\"center\"><a href=\"index1.html\">\r\n<img border=\"0\" src=\"bnext.gif\""),
      std::string::npos);
  EXPECT_NE(
      first.find(
          "<td align=\"center\"><a href=\"index.html\">\r\n<img border=\"0\" src=\"bprev.gif\""),
      std::string::npos);
}

TEST(IndexPage, ThirdOfThreePagesWithBothNavigationRows) {
  Project project = GridProject(3);
  project.options.spinColumns = 1;
  project.options.spinRows = 1;
  project.options.spinCellPad = 0;
  project.options.spinCellSpace = 10;
  project.options.blNavShowImages = true;
  project.options.blNavShowCaptions = true;
  EXPECT_EQ(Page(project, 3, 3),
            std::string(kGridHead) +
                "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">\r\n"
                "<tr>\r\n"
                "<td align=\"center\" nowrap>\r\n"
                "<p align=\"center\"><a href=\"index.html\">\r\n"
                "<img border=\"0\" src=\"bfirst.gif\" alt=\"[First]\"></a></td>\r\n"
                "<td align=\"center\"><a href=\"index1.html\">\r\n"
                "<img border=\"0\" src=\"bprev.gif\" alt=\"[Previous]\"></a></td>\r\n"
                "<td align=\"center\"><a href=\"index.html\">\r\n"
                "<img border=\"0\" src=\"bhome.gif\" alt=\"[Home]\"></a></td>\r\n"
                "<td align=\"center\"><a href=\"index2.html\">\r\n"
                "<img border=\"0\" src=\"bnext.gif\" alt=\"[Next]\"></a></td>\r\n"
                "<td align=\"center\"><a href=\"index2.html\">\r\n"
                "<img border=\"0\" src=\"blast.gif\" alt=\"[Last]\"></a></td>\r\n"
                "</tr>\r\n"
                "<tr>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index.html\">First</a></td>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index1.html\">Prev</a></td>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index.html\">Home</a></td>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index2.html\">Next</a></td>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index2.html\">Last</a></td>\r\n"
                "</tr>\r\n"
                "</table>\r\n"
                "<!-- v: 2.7 --><br><br> <table border=\"0\" cellpadding=\"0\" "
                "cellspacing=\"10\"><tr>\r\n"
                "<td align=\"center\"><a href=\"c.html\"><img src=\"tn_c.jpg\" alt=\"[Click to "
                "enlarge]\" border=\"0\" width=\"120\" height=\"90\"></a></td></tr><tr>\r\n"
                "<td align=\"center\"><font face=\"F\" size=\"1\" "
                "color=\"#000000\">c.jpg</font></td></tr>" +
                kFooter);
}

TEST(IndexPage, BothNavigationRowsOffLeaveFourLines) {
  const Project project = GridProject(1);
  const std::string page = Page(project, 1, 1);
  EXPECT_NE(
      page.find("<br> <table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">\r\n"
                "<tr>\r\n</tr>\r\n</table>\r\n<!-- v: 2.7 -->"),
      std::string::npos);
}

TEST(IndexPage, CaptionRowWithoutButtonRow) {
  Project project = GridProject(1);
  project.options.blNavShowCaptions = true;
  project.options.sNav[NavFirst] = "<i>First</i>";  // link texts are not escaped
  const std::string page = Page(project, 1, 1);
  EXPECT_NE(
      page.find("<br> <table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">\r\n"
                "<tr>\r\n"
                "</tr>\r\n"
                "<tr>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index.html\"><i>First</i></a></td>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index.html\">Prev</a></td>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index.html\">Home</a></td>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index.html\">Next</a></td>\r\n"
                "<td width=\"80\">\r\n"
                "<p align=\"center\"><a href=\"index.html\">Last</a></td>\r\n"
                "</tr>\r\n"
                "</table>\r\n"
                "<!-- v: 2.7 -->"),
      std::string::npos);
}

TEST(IndexPage, HeadingStylesColoursBackgroundAndUntouchedTitle) {
  Project project = GridProject(1);
  GalleryOptions& o = project.options;
  o.editIndexCaption = "Trip<br>[ShortTitle] [Day]";
  o.FIndexFontStyle = "Bold Italic";
  o.FIndexFontSize = "7 (36 pt)";
  o.FIndexFontColor = 0x800000;  // navy
  o.colorboxBackgroundA = 0x00C0FF;
  o.editBackgroundAPic = "/app/Backgrounds/Paper Grey.JPG";
  const std::string page = Page(project, 1, 1);
  EXPECT_EQ(page.substr(0, page.find("<table")),
            "<style type=\"text/css\"><!-- body  { font-size: 80%; font-family: Verdana, Arial, "
            "Helvetica; } td    { font-size: 80%; font-family: Verdana, Arial, Helvetica; } --> "
            "</style> <html> <head><title>Trip<br>[ShortTitle] [Day]</title> </head>"
            "<body bgcolor=\"#FFC000\" background=\"Paper Grey.JPG\"> <center><h1><b><i>"
            "<font face=\"F\" size=\"7\" color=\"#000080\">Trip<br>Short Title Sample 1</font>"
            "</i></b></h1><br> ");
}

TEST(IndexPage, CellsOfThumbnailsInASubfolderWithShadow) {
  Project project = GridProject(0);
  project.options.AddShadow = true;
  project.options.TargetThumb = false;
  project.options.ThumbFolder = "thumbs";
  project.options.editALTText = "[ShortTitle] <here>";  // used unchanged, tokens included
  project.options.editThumbTitle = "[ShortTitle]: [LongTitle] ([Tag])";
  project.pictures = {PictureNamed("IMG_0001.JPG", "600 x 800")};
  project.pictures[0].LongTitle = "first";
  UploadList uploads;
  const std::string page = Page(project, 1, 1, &uploads);
  EXPECT_NE(page.find("<tr>\r\n<td align=\"center\"><a href=\"img_0001.html\"><img "
                      "src=\"thumbs/tn_img_0001.jpg\" alt=\"[[ShortTitle] <here>]\" border=\"0\" "
                      "width=\"168\" height=\"208\"></a></td></tr><tr>\r\n<td align=\"center\">"
                      "<font face=\"F\" size=\"1\" color=\"#000000\">IMG_0001.JPG: first (--)"
                      "</font></td></tr>"),
            std::string::npos);
  EXPECT_EQ(uploads.entries(), std::vector<std::string>{"thumbs/tn_img_0001.jpg"});
}

TEST(IndexPage, ZeroColumnsWriteRowsWithoutCells) {
  Project project = GridProject(2);
  project.options.spinColumns = 0;
  project.options.spinRows = 2;
  const std::string page = Page(project, 1, 1);
  EXPECT_NE(page.find("cellspacing=\"2\"><tr></tr><tr></tr><tr></tr><tr></tr></table>"),
            std::string::npos);
}

}  // namespace
}  // namespace qg
