// The project file: new-project values, reading hand-written files the way the Windows program
// did, and writing that updates a file in place without losing the old one on failure.
#include "project/ProjectFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/Error.h"
#include "platform/Folders.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

class ProjectFileTest : public ::testing::Test {
 protected:
  ScopedEnv documents_{"XDG_DOCUMENTS_DIR", "/home/u/Documents"};
  TempDir dir_;

  // A project opened the way the program opens one: a new project, then the file read over it.
  Project Open(const std::string& text, const std::string& name = "p.tnp") {
    const std::string path = dir_.file(name);
    WriteFile(path, text);
    Project project;
    NewProjectDefaults(project, Preferences{});
    LoadProjectFile(project, path);
    return project;
  }

  // The message of the load error, or "" when the file loads.
  std::string LoadError(const std::string& text, Project& project) {
    const std::string path = dir_.file("bad.tnp");
    WriteFile(path, text);
    try {
      LoadProjectFile(project, path);
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  }
};

PictureRecord Picture(const std::string& name) {
  return {name, "800 x 600", "97 KB", "/photos/" + name, name, "long " + name, ""};
}

std::string PictureSection(int index, const PictureRecord& p) {
  return "[PicSection" + std::to_string(index) + "]\r\nName=" + p.FileName +
         "\r\nImageSize=" + p.ImageSize + "\r\nFileSize=" + p.FileSize +
         "\r\nFileLocation=" + p.FilenameAndPath + "\r\nShortTitle=" + p.ShortTitle +
         "\r\nLongTitle=" + p.LongTitle + "\r\n";
}

TEST_F(ProjectFileTest, NewProjectWritesEveryKeyInOrder) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  project.pictures.push_back(
      {"beach.jpg", "1600 x 1200", "512 KB", "/photos/beach.jpg", "beach.jpg", "", ""});
  const std::string app = AppFolder();
  EXPECT_EQ(ProjectFileText(project),
            "[Project]\r\n"
            "Name=My Gallery 1\r\n"
            "DestFolder=/home/u/Documents/My Web Galleries/My Gallery 1\r\n"
            "PictureCount=1\r\n"
            "blThumbWidth=1\r\n"
            "blThumbHeight=0\r\n"
            "iThumbWidth=120\r\n"
            "iThumbHeigth=100\r\n"
            "Crop=0\r\n"
            "Prefix=tn_\r\n"
            "Suffix=\r\n"
            "BorderWidth=1\r\n"
            "ColorBorder=12632256\r\n"
            "AddShadow=1\r\n"
            "spinColumns=4\r\n"
            "spinRows=3\r\n"
            "spinCellPad=2\r\n"
            "spinCellSpace=2\r\n"
            "colorboxBackgroundA=16777215\r\n"
            "editBackgroundAPic=\r\n"
            "rbUseImageFilename=1\r\n"
            "editImageFilenameExt=.html\r\n"
            "rbUseGivenFilename=0\r\n"
            "editGivenFilename=image.html\r\n"
            "colorboxBackgroundB=16777215\r\n"
            "editBackgroundBPic=\r\n"
            "TargetThumb=1\r\n"
            "ThumbFolder=thumbs\r\n"
            "TargetImage=1\r\n"
            "ImageFolder=images\r\n"
            "OverwritePrompt=0\r\n"
            "FIndexFontFamily=Verdana, Arial, Helvetica, sans-serif\r\n"
            "FIndexFontStyle=Bold\r\n"
            "FIndexFontColor=0\r\n"
            "FIndexFontSize=5 (18 pt)\r\n"
            "FThumbFontFamily=Verdana, Arial, Helvetica, sans-serif\r\n"
            "FThumbFontStyle=Bold\r\n"
            "FThumbFontColor=0\r\n"
            "FThumbFontSize=1 (8 pt)\r\n"
            "blImageResize=0\r\n"
            "blImageWidth=1\r\n"
            "blImageHeight=0\r\n"
            "iImageWidth=640\r\n"
            "iImageHeigth=480\r\n"
            "BorderWidthImage=1\r\n"
            "ColorBorderImage=12632256\r\n"
            "AddShadowImage=0\r\n"
            "iShadowColorThumb=0\r\n"
            "iShadowOffHThumb=4\r\n"
            "iShadowOffVThumb=4\r\n"
            "iShadowBlurThumb=4\r\n"
            "iShadowColorImage=0\r\n"
            "iShadowOffHImage=4\r\n"
            "iShadowOffVImage=4\r\n"
            "iShadowBlurImage=4\r\n"
            "iQualityImage=80\r\n"
            "iQualityThumb=95\r\n"
            "blProgressiveImage=0\r\n"
            "blProgressiveThumb=0\r\n"
            "blNavShowCaptions=0\r\n"
            "blNavShowImages=1\r\n"
            "blNavShowHome=1\r\n"
            "blNavShowIndex=0\r\n"
            "blNavShowFirst=1\r\n"
            "blNavShowPrevious=1\r\n"
            "blNavShowNext=1\r\n"
            "blNavShowLast=1\r\n"
            "sNavHome=Home\r\n"
            "sNavIndex=Index\r\n"
            "sNavFirst=First\r\n"
            "sNavPrevious=Prev\r\n"
            "sNavNext=Next\r\n"
            "sNavLast=Last\r\n"
            "sNavALTHome=[Home]\r\n"
            "sNavALTIndex=[Index]\r\n"
            "sNavALTFirst=[First]\r\n"
            "sNavALTPrevious=[Previous]\r\n"
            "sNavALTNext=[Next]\r\n"
            "sNavALTLast=[Last]\r\n"
            "sNavImageHome=" +
                app +
                "/Buttons/bhome.gif\r\n"
                "sNavImageIndex=" +
                app +
                "/Buttons/bhome.gif\r\n"
                "sNavImageFirst=" +
                app +
                "/Buttons/bfirst.gif\r\n"
                "sNavImagePrevious=" +
                app +
                "/Buttons/bprev.gif\r\n"
                "sNavImageNext=" +
                app +
                "/Buttons/bnext.gif\r\n"
                "sNavImageLast=" +
                app +
                "/Buttons/blast.gif\r\n"
                "[PicSection0]\r\n"
                "Name=beach.jpg\r\n"
                "ImageSize=1600 x 1200\r\n"
                "FileSize=512 KB\r\n"
                "FileLocation=/photos/beach.jpg\r\n"
                "ShortTitle=beach.jpg\r\n"
                "LongTitle=\r\n");
}

TEST_F(ProjectFileTest, NewKeepsWhatNewKeepsAndResetsTheRest) {
  Project project;
  GalleryOptions& o = project.options;
  project.FProjectFileName = "/x/old.tnp";
  project.FProjectSaved = false;
  project.LastProjectFolder = "/x/";
  project.pictures.push_back(Picture("a.jpg"));
  // Kept by New:
  o.TargetThumb = false;
  o.ThumbFolder = "small";
  o.OverwritePrompt = true;
  o.editThumbTitle = "[LongTitle]";
  o.blImageWidth = false;
  o.blImageHeight = true;
  o.iImageWidth = 800;
  o.BorderWidthImage = 7;
  o.AddShadowImage = true;
  o.chkNavBottomImage = true;
  o.chkCreateThumbs = false;
  // Reset by New:
  o.spinCellPad = 9;
  o.blImageResize = true;
  o.iShadowOffHImage = 9;
  o.chkNavBottom = true;
  o.blThumbWidth = false;
  o.blThumbHeight = true;
  o.rbUseGivenFilename = true;
  o.rbUseImageFilename = false;

  Preferences prefs;
  prefs.iGalleryNumber = 7;
  prefs.sDefNav[NavPrevious] = "Back";
  prefs.sDefNavALT[NavLast] = "";
  NewProjectDefaults(project, prefs);

  EXPECT_EQ(project.FProjectFileName, "untitled.tnp");
  EXPECT_TRUE(project.FProjectSaved);
  EXPECT_EQ(project.LastProjectFolder, "");
  EXPECT_TRUE(project.pictures.empty());
  EXPECT_EQ(o.editIndexCaption, "My Gallery 7");
  EXPECT_EQ(o.editDestFolder, "/home/u/Documents/My Web Galleries/My Gallery 7");

  EXPECT_FALSE(o.TargetThumb);
  EXPECT_EQ(o.ThumbFolder, "small");
  EXPECT_TRUE(o.OverwritePrompt);
  EXPECT_EQ(o.editThumbTitle, "[LongTitle]");
  EXPECT_FALSE(o.blImageWidth);
  EXPECT_TRUE(o.blImageHeight);
  EXPECT_EQ(o.iImageWidth, 800);
  EXPECT_EQ(o.BorderWidthImage, 7);
  EXPECT_TRUE(o.AddShadowImage);
  EXPECT_TRUE(o.chkNavBottomImage);
  EXPECT_FALSE(o.chkCreateThumbs);

  EXPECT_EQ(o.spinCellPad, 2);
  EXPECT_FALSE(o.blImageResize);
  EXPECT_EQ(o.iShadowOffHImage, 4);
  EXPECT_FALSE(o.chkNavBottom);
  EXPECT_TRUE(o.blThumbWidth);
  EXPECT_FALSE(o.blThumbHeight);
  EXPECT_TRUE(o.rbUseImageFilename);
  EXPECT_FALSE(o.rbUseGivenFilename);
  EXPECT_EQ(o.sNav[NavPrevious], "Back");
  EXPECT_EQ(o.sNavALT[NavLast], "");
  EXPECT_EQ(o.sNavALT[NavPrevious], "[Previous]");
}

TEST_F(ProjectFileTest, MissingKeysTakeTheReadingDefaults) {
  const Project project = Open("[Project]\r\n");
  const GalleryOptions& o = project.options;
  EXPECT_EQ(o.editIndexCaption, "untitled");
  EXPECT_EQ(o.editDestFolder, "");
  EXPECT_EQ(o.spinCellPad, 1);
  EXPECT_EQ(o.spinCellSpace, 1);
  EXPECT_EQ(o.colorboxBackgroundA, 0);
  EXPECT_EQ(o.ColorBorder, 0);
  EXPECT_EQ(o.iShadowOffHImage, 6);
  EXPECT_EQ(o.iShadowOffVImage, 6);
  EXPECT_EQ(o.iShadowOffHThumb, 4);
  EXPECT_FALSE(o.TargetThumb);
  EXPECT_FALSE(o.TargetImage);
  EXPECT_EQ(o.editImageFilenameExt, "");
  EXPECT_EQ(o.editGivenFilename, "");
  EXPECT_EQ(o.Prefix, "");
  EXPECT_EQ(o.sNav[NavHome], "");
  EXPECT_EQ(o.sNavImage[NavLast], "");
  EXPECT_EQ(o.blNavShow, (std::array<bool, NavItemCount>{true, false, true, true, true, true}));
  EXPECT_TRUE(project.pictures.empty());
}

TEST_F(ProjectFileTest, AFileThatDoesNotExistOpensAsAnEmptyUntitledProject) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  const std::string path = dir_.file("nowhere.tnp");
  LoadProjectFile(project, path);
  EXPECT_EQ(project.FProjectFileName, path);
  EXPECT_EQ(project.options.editIndexCaption, "untitled");
  EXPECT_EQ(project.options.spinCellPad, 1);
  EXPECT_TRUE(project.pictures.empty());
}

TEST_F(ProjectFileTest, IntegersReadAsDecimalOrHexElseTheDefault) {
  auto width = [&](const std::string& value) {
    return Open("[Project]\r\niThumbWidth=" + value + "\r\n").options.iThumbWidth;
  };
  EXPECT_EQ(width("0x78"), 120);
  EXPECT_EQ(width("0X7f"), 127);
  EXPECT_EQ(width("$64"), 100);
  EXPECT_EQ(width("-40"), -40);  // the thumbnail width has no range
  EXPECT_EQ(width("+5"), 5);
  EXPECT_EQ(width("  250  "), 250);
  EXPECT_EQ(width("\"300\""), 300);
  EXPECT_EQ(width("\"  310\""), 310);
  EXPECT_EQ(width("\"320 \""), 120);
  EXPECT_EQ(width("abc"), 120);
  EXPECT_EQ(width(""), 120);
  EXPECT_EQ(width("0x"), 120);
  EXPECT_EQ(width("$"), 120);
  EXPECT_EQ(width("12px"), 120);
  EXPECT_EQ(width("1 2"), 120);
  EXPECT_EQ(width("2147483647"), 2147483647);
  EXPECT_EQ(width("2147483648"), 120);
  EXPECT_EQ(width("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(width("0x1FFFFFFFF"), 120);
  EXPECT_EQ(Open("[Project]\r\nColorBorder=$FFFFFFFF\r\n").options.ColorBorder, -1);
  EXPECT_EQ(Open("[Project]\r\nColorBorder=$C0C0C0\r\n").options.ColorBorder, kSilver);
}

TEST_F(ProjectFileTest, BooleansAreIntegersOtherThanZero) {
  EXPECT_TRUE(Open("[Project]\r\nCrop=2\r\n").options.Crop);
  EXPECT_TRUE(Open("[Project]\r\nCrop=-1\r\n").options.Crop);
  EXPECT_TRUE(Open("[Project]\r\nCrop=0x1\r\n").options.Crop);
  EXPECT_FALSE(Open("[Project]\r\nCrop=true\r\n").options.Crop);  // not a number: default false
  EXPECT_TRUE(Open("[Project]\r\nAddShadow=yes\r\n").options.AddShadow);  // default true
  EXPECT_FALSE(Open("[Project]\r\nAddShadow=0\r\n").options.AddShadow);
}

TEST_F(ProjectFileTest, RangedSpinValuesAreClamped) {
  const GalleryOptions o = Open(
                               "[Project]\r\n"
                               "BorderWidth=45\r\n"
                               "BorderWidthImage=-2\r\n"
                               "spinColumns=101\r\n"
                               "spinRows=-1\r\n"
                               "spinCellPad=0x7FFFFFFF\r\n"
                               "spinCellSpace=100\r\n"
                               "iImageWidth=20001\r\n"
                               "iImageHeigth=-480\r\n"
                               "iThumbWidth=99999\r\n"
                               "iQualityThumb=500\r\n")
                               .options;
  EXPECT_EQ(o.BorderWidth, 30);
  EXPECT_EQ(o.BorderWidthImage, 0);
  EXPECT_EQ(o.spinColumns, 100);
  EXPECT_EQ(o.spinRows, 0);
  EXPECT_EQ(o.spinCellPad, 100);
  EXPECT_EQ(o.spinCellSpace, 100);
  EXPECT_EQ(o.iImageWidth, 20000);
  EXPECT_EQ(o.iImageHeigth, 0);
  EXPECT_EQ(o.iThumbWidth, 99999);  // no range
  EXPECT_EQ(o.iQualityThumb, 500);  // no control on the window, no range
}

TEST_F(ProjectFileTest, SizeBoxesOfASideNeverLoadBothOff) {
  GalleryOptions o =
      Open(
          "[Project]\r\nblThumbWidth=0\r\nblThumbHeight=0\r\nblImageWidth=0\r\nblImageHeight=0\r\n")
          .options;
  EXPECT_TRUE(o.blThumbWidth);
  EXPECT_FALSE(o.blThumbHeight);
  EXPECT_TRUE(o.blImageWidth);
  EXPECT_FALSE(o.blImageHeight);

  o = Open(
          "[Project]\r\nblThumbWidth=0\r\nblThumbHeight=1\r\nblImageWidth=0\r\nblImageHeight=1\r\n")
          .options;
  EXPECT_FALSE(o.blThumbWidth);
  EXPECT_TRUE(o.blThumbHeight);
  EXPECT_FALSE(o.blImageWidth);
  EXPECT_TRUE(o.blImageHeight);

  o = Open("[Project]\r\nblThumbHeight=1\r\nblImageHeight=1\r\n").options;
  EXPECT_TRUE(o.blThumbWidth && o.blThumbHeight && o.blImageWidth && o.blImageHeight);
}

TEST_F(ProjectFileTest, PageNameRadioPairLoadsAsARadioPair) {
  GalleryOptions o = Open("[Project]\r\nrbUseImageFilename=1\r\nrbUseGivenFilename=1\r\n").options;
  EXPECT_FALSE(o.rbUseImageFilename);
  EXPECT_TRUE(o.rbUseGivenFilename);
  o = Open("[Project]\r\nrbUseImageFilename=0\r\nrbUseGivenFilename=0\r\n").options;
  EXPECT_FALSE(o.rbUseImageFilename);
  EXPECT_FALSE(o.rbUseGivenFilename);
}

TEST_F(ProjectFileTest, LoadLeavesValuesThatAreNotStoredAlone) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  project.options.editThumbTitle = "[ImageIndex]";
  project.options.chkNavBottom = true;
  project.options.chkClearTarget = true;
  project.options.chkCreateHTML = false;
  WriteFile(dir_.file("p.tnp"), "[Project]\r\nName=x\r\n");
  LoadProjectFile(project, dir_.file("p.tnp"));
  EXPECT_EQ(project.options.editThumbTitle, "[ImageIndex]");
  EXPECT_TRUE(project.options.chkNavBottom);
  EXPECT_TRUE(project.options.chkClearTarget);
  EXPECT_FALSE(project.options.chkCreateHTML);
}

TEST_F(ProjectFileTest, PictureEntriesAreTakenByPositionNotByKey) {
  const Project project = Open(
      "[Project]\r\n"
      "PictureCount=1\r\n"
      "[PicSection0]\r\n"
      "LongTitle=moved to the top\r\n"
      "Name=a=b.jpg\r\n"
      "; comments do not count\r\n"
      "\r\n"
      "ImageSize = 640 x 480 \r\n"
      "no equals sign\r\n"
      "ShortTitle= \"enclosing quotes go\" \r\n"
      "Extra='beyond the sixth\"\r\n");
  ASSERT_EQ(project.pictures.size(), 1u);
  const PictureRecord& p = project.pictures[0];
  EXPECT_EQ(p.FileName, "moved to the top");
  EXPECT_EQ(p.ImageSize, "a=b.jpg");
  EXPECT_EQ(p.FileSize, "640 x 480");
  EXPECT_EQ(p.FilenameAndPath, "");  // an entry without "=" has no value
  EXPECT_EQ(p.ShortTitle, "enclosing quotes go");
  EXPECT_EQ(p.LongTitle, "'beyond the sixth\"");  // quotes that do not pair up stay
  EXPECT_EQ(p.RotateValue, "");
}

TEST_F(ProjectFileTest, PictureValuesAreCutTo500Characters) {
  const std::string title(600, 't');
  const Project project =
      Open("[Project]\r\nPictureCount=1\r\n" +
           PictureSection(0, {"a.jpg", "1 x 1", "1 bytes", "/a.jpg", "a", title, ""}));
  EXPECT_EQ(project.pictures.at(0).LongTitle, std::string(500, 't'));
  // The quotes go before the cut.
  const Project quoted = Open(
      "[Project]\r\nPictureCount=1\r\n" +
      PictureSection(0, {"a.jpg", "1 x 1", "1 bytes", "/a.jpg", "a", "\"" + title + "\"", ""}));
  EXPECT_EQ(quoted.pictures.at(0).LongTitle, std::string(500, 't'));
}

TEST_F(ProjectFileTest, PictureCountBoundsTheSectionsRead) {
  std::string text = "[Project]\r\nPictureCount=2\r\n";
  for (int i = 0; i < 4; ++i) text += PictureSection(i, Picture("p" + std::to_string(i) + ".jpg"));
  EXPECT_EQ(Open(text).pictures.size(), 2u);
  EXPECT_TRUE(Open("[Project]\r\nPictureCount=-3\r\n" + PictureSection(0, Picture("a.jpg")))
                  .pictures.empty());
  EXPECT_EQ(Open("[Project]\r\nPictureCount=$1\r\n" + PictureSection(0, Picture("a.jpg")))
                .pictures.size(),
            1u);
}

TEST_F(ProjectFileTest, PictureCountThatIsNotANumberStopsBeforeAnythingIsRead) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  const Project before = project;
  EXPECT_EQ(
      LoadError("[Project]\r\nName=Changed\r\nspinRows=9\r\nPictureCount=\" 3 pics\"\r\n", project),
      "' 3 pics' is not a valid integer value");
  EXPECT_EQ(project.FProjectFileName, before.FProjectFileName);
  EXPECT_EQ(project.options, before.options);
  EXPECT_EQ(LoadError("[Project]\r\nPictureCount=\r\n", project),
            "'' is not a valid integer value");
}

TEST_F(ProjectFileTest, ShortOrMissingPictureSectionStopsTheLoadThere) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  EXPECT_EQ(LoadError("[Project]\r\nPictureCount=3\r\nspinRows=7\r\n" +
                          PictureSection(0, Picture("a.jpg")) +
                          "[PicSection1]\r\nName=b.jpg\r\nImageSize=1 x 1\r\nFileSize=3 bytes\r\n",
                      project),
            "List index out of bounds (3)");
  EXPECT_EQ(project.FProjectFileName, dir_.file("bad.tnp"));
  EXPECT_EQ(project.options.spinRows, 7);
  ASSERT_EQ(project.pictures.size(), 1u);
  EXPECT_EQ(project.pictures[0].FileName, "a.jpg");

  NewProjectDefaults(project, Preferences{});
  EXPECT_EQ(LoadError("[Project]\r\nPictureCount=1\r\n", project), "List index out of bounds (0)");
  EXPECT_EQ(LoadError("[Project]\r\nPictureCount=1\r\n[PicSection0]\r\n", project),
            "List index out of bounds (0)");
}

TEST_F(ProjectFileTest, SaveAndOpenRoundTrip) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  GalleryOptions& o = project.options;
  o.editIndexCaption = "Summer = sun";
  o.TargetThumb = false;
  o.ThumbFolder = "t";
  o.blThumbWidth = false;
  o.blThumbHeight = true;
  o.iThumbWidth = -5;
  o.iImageWidth = 1024;
  o.blImageResize = true;
  o.colorboxBackgroundB = 0x123456;
  o.iShadowColorImage = -1;
  o.rbUseImageFilename = false;
  o.rbUseGivenFilename = true;
  o.sNav[NavNext] = "Weiter \xE2\x86\x92";
  o.sNavImage[NavFirst] = "/buttons/first one.gif";
  o.blNavShow[NavIndex] = true;
  for (const char* name : {"a.jpg", "b.jpg", "a.jpg"}) project.pictures.push_back(Picture(name));
  project.pictures[1].LongTitle = "";
  project.FProjectFileName = dir_.file("round.tnp");
  project.FProjectSaved = false;

  SaveProjectFile(project);
  EXPECT_TRUE(project.FProjectSaved);

  Project reopened;
  NewProjectDefaults(reopened, Preferences{});
  LoadProjectFile(reopened, project.FProjectFileName);
  EXPECT_EQ(reopened.options, project.options);
  EXPECT_EQ(reopened.pictures, project.pictures);
}

TEST_F(ProjectFileTest, SavingFewerPicturesLeavesStaleSectionsThatReadingIgnores) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  project.FProjectFileName = dir_.file("p.tnp");
  for (int i = 0; i < 5; ++i) project.pictures.push_back(Picture("p" + std::to_string(i) + ".jpg"));
  SaveProjectFile(project);
  project.pictures.resize(3);
  SaveProjectFile(project);

  const std::string text = ReadFile(project.FProjectFileName);
  EXPECT_NE(text.find("PictureCount=3\r\n"), std::string::npos);
  EXPECT_NE(text.find(PictureSection(3, Picture("p3.jpg"))), std::string::npos);
  EXPECT_NE(text.find(PictureSection(4, Picture("p4.jpg"))), std::string::npos);
  Project reopened;
  LoadProjectFile(reopened, project.FProjectFileName);
  EXPECT_EQ(reopened.pictures.size(), 3u);
}

TEST_F(ProjectFileTest, SaveUpdatesAForeignFileInPlace) {
  const std::string path = dir_.file("foreign.tnp");
  WriteFile(path,
            "; kept comment\n"
            "[Other]\n"
            "Name=not ours\n"
            "[project]\n"
            "spinrows = 9\n"
            "NAME=old title\n"
            "\n"
            "[PicSection0]\n"
            "LongTitle=first line\n");
  Project project;
  NewProjectDefaults(project, Preferences{});
  project.FProjectFileName = path;
  project.options.editIndexCaption = "New title";
  project.pictures.push_back(Picture("a.jpg"));
  SaveProjectFile(project);

  const std::string text = ReadFile(path);
  // Lines of the file stay where they were; the keys it already had are updated in place.
  const std::string head =
      "; kept comment\n"
      "[Other]\n"
      "Name=not ours\n"
      "[project]\n"
      "spinrows=3\n"
      "NAME=New title\n"
      "DestFolder=/home/u/Documents/My Web Galleries/My Gallery 1\r\n"
      "PictureCount=1\r\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  const size_t picture =
      text.find("\n\n[PicSection0]\nLongTitle=long a.jpg\nName=a.jpg\r\nImageSize=800 x 600\r\n");
  EXPECT_NE(picture, std::string::npos);
  EXPECT_EQ(text.find("spinRows="), std::string::npos);
}

TEST_F(ProjectFileTest, FailedSaveKeepsTheOldFileAndTheUnsavedState) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  project.pictures.push_back(Picture("a.jpg"));
  project.FProjectSaved = false;

  project.FProjectFileName = dir_.file("missing folder/p.tnp");
  try {
    SaveProjectFile(project);
    FAIL() << "saved into a missing folder";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + project.FProjectFileName);
  }
  EXPECT_FALSE(project.FProjectSaved);

  project.FProjectFileName = dir_.file("locked.tnp");
  WriteFile(project.FProjectFileName, "[Project]\r\nName=old\r\n");
  ASSERT_EQ(::chmod(project.FProjectFileName.c_str(), 0444), 0);
  EXPECT_THROW(SaveProjectFile(project), Error);
  EXPECT_EQ(ReadFile(project.FProjectFileName), "[Project]\r\nName=old\r\n");
  EXPECT_FALSE(project.FProjectSaved);
}

TEST_F(ProjectFileTest, SavesThroughLinksAndSaysWhenALinkLeadsNowhere) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  project.pictures.push_back(Picture("a.jpg"));
  std::filesystem::create_directories(dir_.file("store"));
  WriteFile(dir_.file("store/real.tnp"), "; kept comment\r\n[Project]\r\nName=old\r\n");
  std::filesystem::create_symlink("store/real.tnp", dir_.file("link.tnp"));
  project.FProjectFileName = dir_.file("link.tnp");
  SaveProjectFile(project);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("link.tnp")));
  EXPECT_EQ(ReadFile(dir_.file("store/real.tnp")).rfind("; kept comment\r\n[Project]\r\n", 0), 0u);

  std::filesystem::create_symlink("store/new.tnp", dir_.file("fresh.tnp"));
  project.FProjectFileName = dir_.file("fresh.tnp");
  SaveProjectFile(project);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("fresh.tnp")));
  EXPECT_EQ(ReadFile(dir_.file("store/new.tnp")), ProjectFileText(project));

  std::filesystem::create_symlink(dir_.file("gone/p.tnp"), dir_.file("nowhere.tnp"));
  project.FProjectFileName = dir_.file("nowhere.tnp");
  project.FProjectSaved = false;
  try {
    SaveProjectFile(project);
    FAIL() << "saved through a link into a missing folder";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Unable to write to " + dir_.file("nowhere.tnp") + ": the symbolic link points to " +
                  dir_.file("gone/p.tnp") + ", in a folder that does not exist");
  }
  EXPECT_FALSE(project.FProjectSaved);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("nowhere.tnp")));
}

TEST_F(ProjectFileTest, OnlyRegularFilesOfSensibleSizeAreRead) {
  const std::string fifo = dir_.file("fifo.tnp");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string huge = dir_.file("huge.tnp");
  WriteFile(huge, "[Project]\r\n");
  std::filesystem::resize_file(huge, (8u << 20) + 1);
  const std::pair<std::string, std::string> cases[] = {
      {fifo, "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {dir_.path().string(), "Is a directory"},
      {huge, "the file is larger than 8 MB"},
  };
  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(path);
    Project project;
    NewProjectDefaults(project, Preferences{});
    try {
      LoadProjectFile(project, path);
      ADD_FAILURE() << "loaded";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot read the project file '" + path + "': " + reason);
    }
  }

  // Saving over a FIFO would replace it without keeping anything it might hold.
  Project project;
  NewProjectDefaults(project, Preferences{});
  project.FProjectFileName = fifo;
  EXPECT_THROW(SaveProjectFile(project), Error);
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(SaveAsFileName, AppendsTheExtensionUnlessItIsThereInLowerCase) {
  EXPECT_EQ(SaveAsFileName("/home/u/gallery"), "/home/u/gallery.tnp");
  EXPECT_EQ(SaveAsFileName("/home/u/gallery.tnp"), "/home/u/gallery.tnp");
  EXPECT_EQ(SaveAsFileName("/home/u/gallery.TNP"), "/home/u/gallery.TNP.tnp");
  EXPECT_EQ(SaveAsFileName("tnp"), "tnp.tnp");
  EXPECT_EQ(SaveAsFileName(".tnp"), ".tnp");
}

TEST(ProjectTexts, FileSizesRoundHalvesUp) {
  EXPECT_EQ(FormatFileSize(0), "0 bytes");
  EXPECT_EQ(FormatFileSize(1024), "1024 bytes");
  EXPECT_EQ(FormatFileSize(1025), "1 KB");
  EXPECT_EQ(FormatFileSize(1535), "1 KB");
  EXPECT_EQ(FormatFileSize(1536), "2 KB");
  EXPECT_EQ(FormatFileSize(2560), "3 KB");
  EXPECT_EQ(FormatFileSize(1048576), "1024 KB");
  EXPECT_EQ(FormatFileSize(1048577), "1 MB");
  EXPECT_EQ(FormatFileSize(1073741824), "1024 MB");
  EXPECT_EQ(FormatFileSize(1073741825), "1 GB");
  EXPECT_EQ(FormatFileSize(5368709120 + 536870912), "6 GB");
  EXPECT_EQ(FormatFileSize(INT64_MAX), "8589934592 GB");
}

TEST(ProjectTexts, CountsAndCaption) {
  EXPECT_EQ(ImageCountText(0), "0 images in the list");
  EXPECT_EQ(ImageCountText(1), "1 image in the list");
  EXPECT_EQ(ImageCountText(2), "2 images in the list");
  EXPECT_EQ(IndexPageCount(0, 4, 3), 0);
  EXPECT_EQ(IndexPageCount(12, 4, 3), 1);
  EXPECT_EQ(IndexPageCount(13, 4, 3), 2);
  EXPECT_EQ(IndexPageCount(13, 0, 3), 0);
  EXPECT_EQ(IndexPageCount(7, 1, 1), 7);
  Project project;
  EXPECT_EQ(WindowTitleText(project), " Quillon Gallery  [untitled.tnp]");
  project.FProjectFileName = "/home/u/My Projects/trip.tnp";
  EXPECT_EQ(WindowTitleText(project), " Quillon Gallery  [trip.tnp]");
}

}  // namespace
}  // namespace qg
