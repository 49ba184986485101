// Picture pages, byte for byte: head with heading and counter, navigation between pictures, the
// display image and the long title, and the upload entries they add.
#include <gtest/gtest.h>

#include "GalleryFixture.h"
#include "gallery/Pages.h"

namespace qg {
namespace {

using test::NewGalleryProject;
using test::PictureNamed;

std::string Page(const Project& project, size_t index, UploadList* uploads = nullptr) {
  UploadList scratch;
  return PicturePageText(project, index, uploads ? *uploads : scratch);
}

TEST(PicturePage, OnlyPictureWithTheDefaults) {
  Project project = NewGalleryProject();
  project.pictures = {PictureNamed("Sunset.JPG")};
  UploadList uploads;
  EXPECT_EQ(
      Page(project, 0, &uploads),
      "<html><head><style type=\"text/css\"><!-- body  { font-size: 80%; font-family: Verdana, "
      "Arial, Helvetica; }td    { font-size: 80%; font-family: Verdana, Arial, Helvetica; }-->"
      "</style><title>My Gallery 1</title></head><body bgcolor=\"#FFFFFF\" > <center><h1><b>"
      "<font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"5\" color=\"#000000\">My "
      "Gallery 1</font></b></h1><b><font face=\"Verdana, Arial, Helvetica, sans-serif\" "
      "size=\"1\" color=\"#000000\"><p>Page 1 of 1</p></font></b>"
      "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">\r\n"
      "<tr>\r\n"
      "<td align=\"center\"><a href=\"sunset.html\">\r\n"
      "<img border=\"0\" src=\"bfirst.gif\" alt=\"[First]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"sunset.html\">\r\n"
      "<img border=\"0\" src=\"bprev.gif\" alt=\"[Previous]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"index.html\">\r\n"
      "<img border=\"0\" src=\"bhome.gif\" alt=\"[Home]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"sunset.html\">\r\n"
      "<img border=\"0\" src=\"bnext.gif\" alt=\"[Next]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"sunset.html\">\r\n"
      "<img border=\"0\" src=\"blast.gif\" alt=\"[Last]\"></a></td>\r\n"
      "</tr><br>\r\n"
      "</tr></table>\r\n"
      "<br><table border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td align=\"center\">"
      "<img src=\"sunset.jpg\"></td></tr><tr><td align=\"center\"></td></tr></table><br>"
      "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\" width=\"60%\"><tr><td "
      "align=\"center\"><br><b><font face=\"Verdana, Arial, Helvetica, sans-serif\" "
      "size=\"1\" color=\"#000000\"></font></b><br><br></center></td></tr></table></body></html>");
  EXPECT_EQ(uploads.entries(), std::vector<std::string>{"sunset.jpg"});
}

TEST(PicturePage, FifthOfTwelveWithCaptionsAndImagesInASubfolder) {
  Project project = NewGalleryProject();
  GalleryOptions& o = project.options;
  o.editIndexCaption = "Trip [Filename]";
  o.FIndexFontStyle = "Regular";
  o.FIndexFontFamily = "H";
  o.FThumbFontStyle = "Italic";
  o.FThumbFontFamily = "C";
  o.FThumbFontSize = "2 (10 pt)";
  o.FThumbFontColor = 0x0000FF;
  o.colorboxBackgroundB = 0xC0C0C0;
  o.editBackgroundBPic = "/app/Backgrounds/Stone.gif";
  o.blNavShowCaptions = true;
  o.blImageResize = true;
  o.TargetImage = false;
  o.ImageFolder = "Images\\";  // a backslash is a character of the name here
  for (int i = 1; i <= 12; ++i)
    project.pictures.push_back(PictureNamed("P" + std::to_string(i) + ".JPG"));
  project.pictures[4].ShortTitle = "Fifth";
  project.pictures[4].LongTitle = "[ShortTitle] taken on [Date], [ImageSize]";
  UploadList uploads;
  EXPECT_EQ(
      Page(project, 4, &uploads),
      "<html><head><style type=\"text/css\"><!-- body  { font-size: 80%; font-family: Verdana, "
      "Arial, Helvetica; }td    { font-size: 80%; font-family: Verdana, Arial, Helvetica; }-->"
      "</style><title>Trip [Filename]</title></head><body bgcolor=\"#C0C0C0\" "
      "background=\"Stone.gif\"> <center><h1><font face=\"H\" size=\"5\" color=\"#000000\">"
      "Trip Filename.sample</font></h1><i><font face=\"C\" size=\"2\" color=\"#FF0000\">"
      "<p>Page 5 of 12</p></font></i>"
      "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">\r\n"
      "<tr>\r\n"
      "<td align=\"center\"><a href=\"p1.html\">\r\n"
      "<img border=\"0\" src=\"bfirst.gif\" alt=\"[First]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"p4.html\">\r\n"
      "<img border=\"0\" src=\"bprev.gif\" alt=\"[Previous]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"index.html\">\r\n"
      "<img border=\"0\" src=\"bhome.gif\" alt=\"[Home]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"p6.html\">\r\n"
      "<img border=\"0\" src=\"bnext.gif\" alt=\"[Next]\"></a></td>\r\n"
      "<td align=\"center\"><a href=\"p12.html\">\r\n"
      "<img border=\"0\" src=\"blast.gif\" alt=\"[Last]\"></a></td>\r\n"
      "</tr><br>\r\n"
      "<tr>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"p1.html\">First</a></td>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"p4.html\">Prev</a></td>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"index.html\">Home</a></td>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"p6.html\">Next</a></td>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"p12.html\">Last</a></td>\r\n"
      "<br>\r\n"
      "</tr></table>\r\n"
      "<br><table border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td align=\"center\">"
      "<img src=\"images\\/p5.jpg\"></td></tr><tr><td align=\"center\"></td></tr></table><br>"
      "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\" width=\"60%\"><tr><td "
      "align=\"center\"><br><i><font face=\"C\" size=\"2\" color=\"#FF0000\">Fifth taken on "
      "--, 800 x 600</font></i><br><br></center></td></tr></table></body></html>");
  EXPECT_EQ(uploads.entries(), std::vector<std::string>{"images\\/p5.jpg"});
}

TEST(PicturePage, FirstAndLastPointAtThemselves) {
  Project project = NewGalleryProject();
  project.options.blNavShowImages = false;
  project.options.blNavShowCaptions = true;
  project.pictures = {PictureNamed("A.jpg"), PictureNamed("B.jpg"), PictureNamed("C.jpg")};
  const std::string nav =
      "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" width=\"200\">\r\n"
      "<tr>\r\n"
      "</tr><br>\r\n"
      "<tr>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"a.html\">First</a></td>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"%P\">Prev</a></td>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"index.html\">Home</a></td>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"%N\">Next</a></td>\r\n"
      "<td width=\"80\">\r\n"
      "<p align=\"center\"><a href=\"c.html\">Last</a></td>\r\n"
      "<br>\r\n"
      "</tr></table>\r\n";
  auto expectNav = [&](size_t index, const std::string& previous, const std::string& next) {
    std::string expected = nav;
    expected.replace(expected.find("%P"), 2, previous);
    expected.replace(expected.find("%N"), 2, next);
    EXPECT_NE(Page(project, index).find("</p></font></b>" + expected + "<br><table"),
              std::string::npos)
        << "picture " << index;
  };
  expectNav(0, "a.html", "b.html");
  expectNav(1, "a.html", "c.html");
  expectNav(2, "b.html", "c.html");
}

TEST(PicturePage, BothNavigationRowsOff) {
  Project project = NewGalleryProject();
  project.options.blNavShowImages = false;
  project.pictures = {PictureNamed("A.jpg")};
  EXPECT_NE(Page(project, 0)
                .find("</p></font></b><table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" "
                      "width=\"200\">\r\n<tr>\r\n</tr><br>\r\n</tr></table>\r\n<br><table"),
            std::string::npos);
}

TEST(PicturePage, CopiedImageIsLinkedInLowerCase) {
  Project project = NewGalleryProject();
  project.pictures = {PictureNamed("DSC01234.JPG")};
  UploadList uploads;
  EXPECT_NE(Page(project, 0, &uploads).find("<img src=\"dsc01234.jpg\">"), std::string::npos);
  project.options.blImageResize = true;
  project.pictures = {PictureNamed("Beach.jpeg")};
  EXPECT_NE(Page(project, 0, &uploads).find("<img src=\"beach..jpg\">"), std::string::npos);
  EXPECT_EQ(uploads.entries(), (std::vector<std::string>{"beach..jpg", "dsc01234.jpg"}));
}

}  // namespace
}  // namespace qg
