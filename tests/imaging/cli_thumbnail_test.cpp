// quillon-cli thumbnail: the picture it writes is the side's pipeline output with the project's
// options, pixel for pixel (PNG), and bad command lines fail with a message.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "codecs/JpegOutput.h"
#include "gallery/SideStyle.h"
#include "imaging/Pipeline.h"
#include "imaging/Resample.h"
#include "project/ProjectFile.h"
#include "support/TempDir.h"

namespace qg {
namespace {

const std::string kCli = std::string(QG_BIN_DIR) + "/quillon-cli";

int RunCli(const std::string& arguments) {
  return WEXITSTATUS(std::system((kCli + " " + arguments + " 2>/dev/null").c_str()));
}

class CliThumbnail : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kCli)) GTEST_SKIP() << "quillon-cli not built";
    project_.FProjectFileName = dir_.file("p.tnp");
    NewProjectDefaults(project_, Preferences{});
    project_.FProjectFileName = dir_.file("p.tnp");
    GalleryOptions& o = project_.options;
    o.iThumbWidth = 90;
    o.BorderWidth = 3;
    o.ColorBorder = 0x2040F0;
    o.iShadowOffHThumb = -6;
    o.iShadowBlurThumb = 7;
    o.colorboxBackgroundA = 0xE0E0FF;
    o.blImageWidth = false;
    o.blImageHeight = true;
    o.iImageHeigth = 100;
    o.AddShadowImage = true;
    o.colorboxBackgroundB = 0x203040;
    SaveProjectFile(project_);
    SaveAsJpeg(test::PhotoLikePicture(300, 220, 21), dir_.file("source.jpg"), 92, false);
  }

  Picture Expected(Side side) {
    Project loaded;
    NewProjectDefaults(loaded, Preferences{});
    LoadProjectFile(loaded, project_.FProjectFileName);
    const Picture source = LoadSourcePicture(dir_.file("source.jpg"));
    const TargetSize size = SideTargetSize("300 x 220", loaded.options, side);
    return FinishSide(StretchPicture(source, size.width, size.height),
                      SideStyle(loaded.options, side));
  }

  test::TempDir dir_;
  Project project_;
};

TEST_F(CliThumbnail, PngOutputIsTheSidesPipelinePixelForPixel) {
  ASSERT_EQ(RunCli("thumbnail '" + project_.FProjectFileName + "' '" + dir_.file("source.jpg") +
                   "' '" + dir_.file("t.png") + "'"),
            0);
  EXPECT_EQ(LoadSourcePicture(dir_.file("t.png")), Expected(Side::Thumb));
  ASSERT_EQ(RunCli("thumbnail '" + project_.FProjectFileName + "' '" + dir_.file("source.jpg") +
                   "' '" + dir_.file("i.PNG") + "' --side image"),
            0);
  const Picture image = LoadSourcePicture(dir_.file("i.PNG"));
  EXPECT_EQ(image, Expected(Side::Image));
  EXPECT_EQ(image.height, 148);  // 100 high plus the shadow frame
}

TEST_F(CliThumbnail, JpegOutputIsTheSidesPipelineWithItsJpegSettings) {
  ASSERT_EQ(RunCli("thumbnail '" + project_.FProjectFileName + "' '" + dir_.file("source.jpg") +
                   "' '" + dir_.file("t.jpeg") + "' --side=thumb"),
            0);
  const auto bytes = EncodeJpeg(Expected(Side::Thumb), project_.options.iQualityThumb,
                                project_.options.blProgressiveThumb);
  EXPECT_EQ(test::ReadFile(dir_.file("t.jpeg")), std::string(bytes.begin(), bytes.end()));
}

TEST_F(CliThumbnail, BadCommandLinesAndSourcesFail) {
  const std::string p = "'" + project_.FProjectFileName + "' ";
  const std::string s = "'" + dir_.file("source.jpg") + "' ";
  EXPECT_EQ(RunCli("thumbnail " + p + s), 2);
  EXPECT_EQ(RunCli("thumbnail " + p + s + "'" + dir_.file("x.gif") + "'"), 2);
  EXPECT_EQ(RunCli("thumbnail " + p + s + "'" + dir_.file("x.jpg") + "' --side both"), 2);
  EXPECT_EQ(
      RunCli("thumbnail " + p + "'" + dir_.file("none.jpg") + "' '" + dir_.file("x.jpg") + "'"), 1);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("x.jpg")));
}

}  // namespace
}  // namespace qg
