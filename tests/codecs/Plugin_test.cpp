// GraphicsMagick is reached only through our plug-in, opened when a picture needs it: the
// command-line program does not link it, works without it for JPEG and PNG, and names the
// picture and the reason when a picture needs the plug-in and it cannot be loaded.
#include <gtest/gtest.h>

#include "TestPictures.h"
#include "support/TempDir.h"

namespace qg {
namespace {

const std::string kCli = QG_BIN_DIR "/quillon-cli";

TEST(MagickPlugin, TheCommandLineProgramDoesNotLinkGraphicsMagick) {
  std::string libraries;
  ASSERT_EQ(test::RunCommand("ldd '" + kCli + "'", &libraries), 0);
  EXPECT_EQ(libraries.find("GraphicsMagick"), std::string::npos) << libraries;
  EXPECT_NE(libraries.find("libjpeg"), std::string::npos) << libraries;
}

TEST(MagickPlugin, WithoutItOnlyThePicturesThatNeedItFail) {
  test::TempDir dir;
  const Picture picture = test::PhotoLike(40, 30);
  test::WriteFile(dir.file("p.jpg"), test::EncodeJpeg(picture));
  test::WriteWithMagick(picture, dir.file("p.png"), "PNG");
  test::WriteWithMagick(picture, dir.file("p.gif"), "GIF");
  const std::string missing = dir.file("no-plugins");
  auto run = [&](const std::string& arguments, std::string& output) {
    return test::RunCommand(
        "QUILLON_PLUGIN_DIR='" + missing + "' '" + kCli + "' " + arguments + " 2>&1", &output);
  };
  std::string output;
  for (const char* name : {"p.jpg", "p.png"}) {
    EXPECT_EQ(run("thumbnail '" + dir.file("none.tnp") + "' '" + dir.file(name) + "' '" +
                      dir.file("t.jpg") + "'",
                  output),
              0)
        << output;
    EXPECT_EQ(run("add '" + dir.file("p.tnp") + "' '" + dir.file(name) + "'", output), 0) << output;
  }
  EXPECT_EQ(run("exif '" + dir.file("p.jpg") + "'", output), 0) << output;

  EXPECT_EQ(run("add '" + dir.file("p.tnp") + "' '" + dir.file("p.gif") + "'", output), 1);
  EXPECT_EQ(output, "quillon-cli add: Cannot read picture \"" + dir.file("p.gif") +
                        "\": GIF pictures are decoded by GraphicsMagick, which could not be "
                        "loaded (libqg_magick.so was not found in " +
                        missing + ")\n");

  // With the plug-in where the program looks for it, the same picture is read.
  EXPECT_EQ(test::RunCommand(
                "'" + kCli + "' add '" + dir.file("p.tnp") + "' '" + dir.file("p.gif") + "' 2>&1",
                &output),
            0)
      << output;
}

}  // namespace
}  // namespace qg
