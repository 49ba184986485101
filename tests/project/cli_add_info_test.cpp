// quillon-cli add and info, run as other tools run them: a fresh process with its own
// preferences and documents folders.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "TestJpeg.h"
#include "platform/Folders.h"
#include "project/ProjectFile.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::WriteFile;

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(cli_)) GTEST_SKIP() << "quillon-cli is not built";
  }

  // Runs quillon-cli with the arguments (each single-quoted for the shell).
  CliRun Cli(const std::vector<std::string>& args) {
    // Bounded, so a run that would hang fails the test instead of stalling the suite.
    std::string command = "timeout 60 '" + cli_ + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " >'" + dir_.file("out") + "' 2>'" + dir_.file("err") + "'";
    CliRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(dir_.file("out"));
    run.err = ReadFile(dir_.file("err"));
    return run;
  }

  std::string Picture(const std::string& name, int width, int height) {
    const std::string path = dir_.file(name);
    test::WriteTestJpeg(path, width, height);
    return path;
  }

  const std::string cli_ = std::string(QG_BIN_DIR) + "/quillon-cli";
  test::TempDir dir_;
  ScopedEnv home_{"HOME", dir_.path().string()};
  ScopedEnv config_{"XDG_CONFIG_HOME", dir_.file("config")};
  ScopedEnv documents_{"XDG_DOCUMENTS_DIR", dir_.file("Docs")};
};

TEST_F(CliTest, AddCreatesANewProjectAndInfoShowsIt) {
  const std::string project = dir_.file("trip.tnp");
  const std::string a = Picture("a.jpg", 40, 30);
  const CliRun add = Cli({"add", project, a, Picture("b.jpg", 30, 40)});
  ASSERT_EQ(add.exitCode, 0) << add.err;
  EXPECT_EQ(add.out, "2 images in the list\n");
  // A first run writes the preferences.
  EXPECT_TRUE(std::filesystem::exists(dir_.file("config/Corvane-Soft/Quillon Gallery.reg")));

  const std::string saved = ReadFile(project);
  EXPECT_EQ(saved.rfind("[Project]\r\nName=My Gallery 1\r\nDestFolder=" + dir_.file("Docs") +
                            "/My Web Galleries/My Gallery 1\r\nPictureCount=2\r\n",
                        0),
            0u);
  EXPECT_NE(saved.find("[PicSection0]\r\nName=a.jpg\r\nImageSize=40 x 30\r\nFileSize=" +
                       FormatFileSize(static_cast<int64_t>(std::filesystem::file_size(a))) +
                       "\r\nFileLocation=" + a + "\r\nShortTitle=a.jpg\r\nLongTitle=\r\n"),
            std::string::npos);

  // The dump of a freshly written file is that file.
  const CliRun dump = Cli({"info", project, "--dump"});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_EQ(dump.out, saved);

  const CliRun info = Cli({"info", project});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  const std::string lastSaved = info.out.substr(info.out.find("Last Saved: ") + 12);
  EXPECT_NE(lastSaved.rfind("<", 0), 0u);  // a date, not "<unknown>"
  EXPECT_EQ(info.out.substr(0, info.out.find("Last Saved:")), "Project Name: trip.tnp\n");
  EXPECT_EQ(info.out.substr(info.out.find("Gallery Title:")),
            "Gallery Title: My Gallery 1\n"
            "Target Folder: " +
                dir_.file("Docs") +
                "/My Web Galleries/My Gallery 1\n"
                "Image Count: 2 image(s)\n"
                "Thumb Size: 120 x 100\n"
                "Rows & Cols: 3 rows x 4 columns\n");
}

TEST_F(CliTest, AddToAHandWrittenProjectUpdatesItInPlace) {
  const std::string project = dir_.file("hand.tnp");
  WriteFile(project,
            "; my gallery\n"
            "[project]\n"
            "name = Hand made\n"
            "PictureCount=1\n"
            "BorderWidth=45\n"
            "blThumbWidth=0\n"
            "blThumbHeight=0\n"
            "[PicSection0]\n"
            "LongTitle=title first\n"
            "Name=old.jpg\n"
            "ImageSize=1 x 1\n"
            "FileSize=1 bytes\n"
            "FileLocation=/old.jpg\n"
            "ShortTitle=old\n");
  const CliRun add = Cli({"add", project, Picture("new.jpg", 5, 6)});
  ASSERT_EQ(add.exitCode, 0) << add.err;
  EXPECT_EQ(add.out, "2 images in the list\n");

  const std::string saved = ReadFile(project);
  EXPECT_EQ(saved.rfind("; my gallery\n[project]\nname=Hand made\nPictureCount=2\nBorderWidth=30\n"
                        "blThumbWidth=1\nblThumbHeight=0\nDestFolder=\r\n",
                        0),
            0u)
      << saved;
  // The first picture was read by position, so its title became its file name, and so on.
  EXPECT_NE(saved.find("[PicSection0]\nLongTitle=old\nName=title first\nImageSize=old.jpg\n"),
            std::string::npos);

  Project expected;
  NewProjectDefaults(expected, Preferences{});
  LoadProjectFile(expected, project);
  const CliRun dump = Cli({"info", project, "--dump"});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_EQ(dump.out, ProjectFileText(expected));
  EXPECT_EQ(dump.out.rfind("[Project]\r\nName=Hand made\r\nDestFolder=\r\nPictureCount=2\r\n", 0),
            0u);
}

// Lines joined with CR LF, each ended by one.
std::string CrLfLines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

TEST_F(CliTest, DumpOfAHandEditedProjectIsWhatTheWriterPutsIntoANewFile) {
  const std::string project = dir_.file("odd.tnp");
  const std::string longTitle(600, 'x');
  WriteFile(project,
            "; edited by hand, LF and CR LF mixed\n"
            "[pROJECT]\n"
            "  NAME = \"  Spaced 'Title'  \" \n"
            "picturecount = 0x2\r\n"
            "DestFolder='/srv/a=b'\n"
            "blthumbwidth=0\n"
            "BLTHUMBHEIGHT=0\n"
            "iThumbWidth=$1F\n"
            "iThumbWidth=999\n"
            "iThumbHeigth=0X1f\n"
            "BorderWidth=45\n"
            "BorderWidthImage=-7\n"
            "spinColumns=-3\n"
            "spinRows=0x\n"
            "spinCellPad=4294967296\n"
            "spinCellSpace=2147483647\n"
            "ColorBorder=$FFFFFFFF\n"
            "colorboxBackgroundB=16777215\n"
            "rbUseImageFilename=1\n"
            "rbUseGivenFilename=1\n"
            "blImageWidth=0\n"
            "iImageWidth=20001\n"
            "iQualityThumb\n"
            "iQualityThumb=50\n"
            "AddShadow=abc\n"
            "Crop=-1\n"
            "Prefix=a=b\n"
            "sNavHome=Home\n"
            "\n"
            "[PicSection0]\r\n"
            "LongTitle=L0\r\n"
            "Name = n0.jpg \r\n"
            "ImageSize=\"2 x 3\"\r\n"
            "FileSize=9 bytes\r\n"
            "FileLocation=/p/n0.jpg\r\n"
            "ShortTitle=S0\r\n"
            "[picsection1]\n"
            "Name=n1.jpg\n"
            "ImageSize=4 x 5\n"
            "FileSize=1 KB\n"
            "FileLocation=/p/n1.jpg\n"
            "ShortTitle=S1\n"
            "LongTitle=" +
                longTitle +
                "\n"
                "[PicSection2]\n"
                "Name=stale.jpg\n");

  const CliRun dump = Cli({"info", project, "--dump"});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  const std::string expected = CrLfLines({
      "[Project]",
      "Name=  Spaced 'Title'  ",
      "DestFolder=/srv/a=b",
      "PictureCount=2",
      "blThumbWidth=1",
      "blThumbHeight=0",
      "iThumbWidth=31",
      "iThumbHeigth=31",
      "Crop=1",
      "Prefix=a=b",
      "Suffix=",
      "BorderWidth=30",
      "ColorBorder=-1",
      "AddShadow=1",
      "spinColumns=0",
      "spinRows=3",
      "spinCellPad=1",
      "spinCellSpace=100",
      "colorboxBackgroundA=0",
      "editBackgroundAPic=",
      "rbUseImageFilename=0",
      "editImageFilenameExt=",
      "rbUseGivenFilename=1",
      "editGivenFilename=",
      "colorboxBackgroundB=16777215",
      "editBackgroundBPic=",
      "TargetThumb=0",
      "ThumbFolder=thumbs",
      "TargetImage=0",
      "ImageFolder=images",
      "OverwritePrompt=0",
      "FIndexFontFamily=Verdana, Arial, Helvetica, sans-serif",
      "FIndexFontStyle=Bold",
      "FIndexFontColor=0",
      "FIndexFontSize=5 (18 pt)",
      "FThumbFontFamily=Verdana, Arial, Helvetica, sans-serif",
      "FThumbFontStyle=Bold",
      "FThumbFontColor=0",
      "FThumbFontSize=1 (8 pt)",
      "blImageResize=0",
      "blImageWidth=1",
      "blImageHeight=0",
      "iImageWidth=20000",
      "iImageHeigth=480",
      "BorderWidthImage=0",
      "ColorBorderImage=0",
      "AddShadowImage=0",
      "iShadowColorThumb=0",
      "iShadowOffHThumb=4",
      "iShadowOffVThumb=4",
      "iShadowBlurThumb=4",
      "iShadowColorImage=0",
      "iShadowOffHImage=6",
      "iShadowOffVImage=6",
      "iShadowBlurImage=4",
      "iQualityImage=80",
      "iQualityThumb=95",
      "blProgressiveImage=0",
      "blProgressiveThumb=0",
      "blNavShowCaptions=0",
      "blNavShowImages=1",
      "blNavShowHome=1",
      "blNavShowIndex=0",
      "blNavShowFirst=1",
      "blNavShowPrevious=1",
      "blNavShowNext=1",
      "blNavShowLast=1",
      "sNavHome=Home",
      "sNavIndex=",
      "sNavFirst=",
      "sNavPrevious=",
      "sNavNext=",
      "sNavLast=",
      "sNavALTHome=",
      "sNavALTIndex=",
      "sNavALTFirst=",
      "sNavALTPrevious=",
      "sNavALTNext=",
      "sNavALTLast=",
      "sNavImageHome=",
      "sNavImageIndex=",
      "sNavImageFirst=",
      "sNavImagePrevious=",
      "sNavImageNext=",
      "sNavImageLast=",
      "[PicSection0]",
      "Name=L0",
      "ImageSize=n0.jpg",
      "FileSize=2 x 3",
      "FileLocation=9 bytes",
      "ShortTitle=/p/n0.jpg",
      "LongTitle=S0",
      "[PicSection1]",
      "Name=n1.jpg",
      "ImageSize=4 x 5",
      "FileSize=1 KB",
      "FileLocation=/p/n1.jpg",
      "ShortTitle=S1",
      "LongTitle=" + std::string(500, 'x'),
  });
  EXPECT_EQ(dump.out, expected);
}

TEST_F(CliTest, AddRefusesAPictureItCannotDecodeAndKeepsTheProject) {
  const std::string project = dir_.file("keep.tnp");
  ASSERT_EQ(Cli({"add", project, Picture("a.jpg", 4, 4)}).exitCode, 0);
  const std::string before = ReadFile(project);
  const std::string broken = dir_.file("broken.jpg");
  WriteFile(broken, "no picture here");

  const CliRun add = Cli({"add", project, Picture("b.jpg", 4, 4), broken});
  EXPECT_NE(add.exitCode, 0);
  EXPECT_NE(add.err.find("broken.jpg"), std::string::npos) << add.err;
  EXPECT_EQ(ReadFile(project), before);

  const CliRun odd = Cli({"add", project, dir_.file("notes.txt")});
  EXPECT_NE(odd.exitCode, 0);
  EXPECT_NE(odd.err.find("notes.txt"), std::string::npos) << odd.err;
  EXPECT_EQ(ReadFile(project), before);

  EXPECT_NE(Cli({"add", project}).exitCode, 0);
}

TEST_F(CliTest, InfoReportsLoadErrors) {
  const std::string project = dir_.file("bad.tnp");
  WriteFile(project, "[Project]\r\nPictureCount=two\r\n");
  const CliRun info = Cli({"info", project});
  EXPECT_EQ(info.exitCode, 1);
  EXPECT_NE(info.err.find("'two' is not a valid integer value"), std::string::npos) << info.err;

  WriteFile(project, "[Project]\r\nPictureCount=1\r\n[PicSection0]\r\nName=a\r\n");
  const CliRun shortSection = Cli({"info", project, "--dump"});
  EXPECT_EQ(shortSection.exitCode, 1);
  EXPECT_NE(shortSection.err.find("List index out of bounds (1)"), std::string::npos)
      << shortSection.err;
  EXPECT_EQ(shortSection.out, "");

  // A missing file opens as the program opens it from its command line: empty and untitled.
  const CliRun missing = Cli({"info", dir_.file("missing.tnp"), "--dump"});
  EXPECT_EQ(missing.exitCode, 0);
  EXPECT_EQ(missing.out.rfind("[Project]\r\nName=untitled\r\nDestFolder=\r\nPictureCount=0\r\n"
                              "blThumbWidth=1\r\n",
                              0),
            0u);
  EXPECT_NE(missing.err.find("does not exist"), std::string::npos);

  EXPECT_EQ(Cli({"info"}).exitCode, 2);
  EXPECT_EQ(Cli({"info", project, "--bogus"}).exitCode, 2);
}

TEST_F(CliTest, ConcurrentAddsKeepEveryPicture) {
  const std::string project = dir_.file("shared.tnp");
  std::vector<std::string> pictures;
  for (int i = 0; i < 3; ++i) pictures.push_back(Picture("p" + std::to_string(i) + ".jpg", 8, 6));
  constexpr int kRuns = 8;
  std::string script;
  for (int run = 0; run < kRuns; ++run) {
    script += "timeout 60 '" + cli_ + "' add '" + project + "'";
    for (const std::string& picture : pictures) script += " '" + picture + "'";
    script += " >/dev/null 2>>'" + dir_.file("errors") + "' &\n";
  }
  script += "wait\n";
  ASSERT_EQ(std::system(script.c_str()), 0);
  EXPECT_EQ(ReadFile(dir_.file("errors")), "");

  Project loaded;
  NewProjectDefaults(loaded, Preferences{});
  LoadProjectFile(loaded, project);
  EXPECT_EQ(loaded.PictureCount(), static_cast<size_t>(kRuns) * pictures.size());
  EXPECT_FALSE(std::filesystem::exists(dir_.file(".shared.tnp.lock")));
}

TEST_F(CliTest, SpecialFilesEndPromptlyWithAMessage) {
  const std::string fifo = dir_.file("fifo.tnp");
  const std::string fifoPicture = dir_.file("fifo.jpg");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(fifoPicture.c_str(), 0600), 0);
  const std::string good = dir_.file("good.tnp");
  ASSERT_EQ(Cli({"add", good, Picture("a.jpg", 4, 4)}).exitCode, 0);
  const std::string goodBefore = ReadFile(good);
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"info", fifo},
       "quillon-cli info: Cannot read the project file '" + fifo + "': not a regular file\n"},
      {{"info", "/dev/zero"},
       "quillon-cli info: Cannot read the project file '/dev/zero': not a regular file\n"},
      {{"add", fifo, dir_.file("a.jpg")},
       "quillon-cli add: Cannot read the project file '" + fifo + "': not a regular file\n"},
      {{"add", good, fifoPicture},
       "quillon-cli add: Cannot read picture \"" + fifoPicture + "\": not a regular file\n"},
      {{"thumbnail", good, fifoPicture, dir_.file("t.jpg")},
       "quillon-cli thumbnail: Cannot read picture \"" + fifoPicture + "\": not a regular file\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const CliRun run = Cli(c.args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, c.err);
  }
  EXPECT_EQ(ReadFile(good), goodBefore);

  // A FIFO as the preferences file: the new project takes the default values, with a warning.
  const std::string prefs = PreferencesFilePath();
  std::filesystem::remove(prefs);  // written by the first add
  ASSERT_EQ(::mkfifo(prefs.c_str(), 0600), 0);
  const CliRun add = Cli({"add", dir_.file("new.tnp"), dir_.file("a.jpg")});
  EXPECT_EQ(add.exitCode, 0);
  EXPECT_EQ(add.err, "quillon-cli add: warning: The preferences file " + prefs +
                         " could not be read (not a regular file); the settings take their "
                         "default values.\n");
  EXPECT_NE(ReadFile(dir_.file("new.tnp")).find("Name=My Gallery 1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qg
