// quillon-cli thumbnail as an outside checker sees it: hand-written project files (some keys left
// out, which must then take their reading defaults), random pictures and settings, the PNG it
// writes compared pixel for pixel with the plain model in Oracle.cpp.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>

#include "JpegRead.h"
#include "Oracle.h"
#include "TestPictures.h"
#include "codecs/Decode.h"
#include "codecs/Encode.h"
#include "codecs/JpegOutput.h"
#include "imaging/Pipeline.h"
#include "support/TempDir.h"

namespace qg {
namespace {

const std::string kCli = std::string(QG_BIN_DIR) + "/quillon-cli";

std::string Quote(const std::string& s) { return "'" + s + "'"; }

int RunCli(const std::string& arguments) {
  return WEXITSTATUS(std::system((kCli + " " + arguments + " 2>/dev/null").c_str()));
}

// The side's settings as a project file gives them; a missing key takes its reading default.
struct SideSettings {
  bool widthBox, heightBox;
  int widthSpin, heightSpin, border;
  uint32_t borderColour;
  bool shadow;
  uint32_t shadowColour;
  int dx, dy, blur;
  uint32_t background;
};

using Keys = std::map<std::string, long long>;

long long Get(const Keys& keys, const std::string& name, long long fallback) {
  const auto it = keys.find(name);
  return it == keys.end() ? fallback : it->second;
}

SideSettings Read(const Keys& k, bool thumb) {
  SideSettings s{};
  if (thumb) {
    s.widthBox = Get(k, "blThumbWidth", 1) != 0;
    s.heightBox = Get(k, "blThumbHeight", 0) != 0;
    s.widthSpin = static_cast<int>(Get(k, "iThumbWidth", 120));
    s.heightSpin = static_cast<int>(Get(k, "iThumbHeigth", 100));
    s.border = static_cast<int>(Get(k, "BorderWidth", 1));
    s.borderColour = static_cast<uint32_t>(Get(k, "ColorBorder", 0));
    s.shadow = Get(k, "AddShadow", 1) != 0;
    s.shadowColour = static_cast<uint32_t>(Get(k, "iShadowColorThumb", 0));
    s.dx = static_cast<int>(Get(k, "iShadowOffHThumb", 4));
    s.dy = static_cast<int>(Get(k, "iShadowOffVThumb", 4));
    s.blur = static_cast<int>(Get(k, "iShadowBlurThumb", 4));
    s.background = static_cast<uint32_t>(Get(k, "colorboxBackgroundA", 0));
  } else {
    s.widthBox = Get(k, "blImageWidth", 1) != 0;
    s.heightBox = Get(k, "blImageHeight", 0) != 0;
    s.widthSpin = static_cast<int>(Get(k, "iImageWidth", 640));
    s.heightSpin = static_cast<int>(Get(k, "iImageHeigth", 480));
    s.border = static_cast<int>(Get(k, "BorderWidthImage", 1));
    s.borderColour = static_cast<uint32_t>(Get(k, "ColorBorderImage", 0));
    s.shadow = Get(k, "AddShadowImage", 0) != 0;
    s.shadowColour = static_cast<uint32_t>(Get(k, "iShadowColorImage", 0));
    s.dx = static_cast<int>(Get(k, "iShadowOffHImage", 6));
    s.dy = static_cast<int>(Get(k, "iShadowOffVImage", 6));
    s.blur = static_cast<int>(Get(k, "iShadowBlurImage", 4));
    s.background = static_cast<uint32_t>(Get(k, "colorboxBackgroundB", 0));
  }
  // Both boxes off load as the width box on.
  if (!s.widthBox && !s.heightBox) s.widthBox = true;
  return s;
}

void WriteProject(const std::string& path, const Keys& keys) {
  std::string text = "[Project]\r\nName=Check\r\nPictureCount=0\r\n";
  for (const auto& [name, value] : keys) text += name + "=" + std::to_string(value) + "\r\n";
  test::WriteFile(path, text);
}

Picture Expected(const Picture& source, const SideSettings& s, bool& sized) {
  long long w = 0, h = 0;
  sized = oracle::TargetSize(source.width, source.height, s.widthBox, s.widthSpin, s.heightBox,
                             s.heightSpin, w, h) &&
          w > 0 && h > 0;
  if (!sized) return {};
  Picture p = oracle::Stretch(source, static_cast<uint32_t>(w), static_cast<uint32_t>(h));
  if (s.border > 0) oracle::Border(p, s.border, s.borderColour);
  if (s.shadow) p = oracle::Shadow(p, 48, s.background, s.shadowColour, s.dx, s.dy, s.blur);
  return p;
}

class CliAgainstModel : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kCli)) GTEST_SKIP() << "quillon-cli not built";
  }
  test::TempDir dir_;
};

TEST_F(CliAgainstModel, RandomPicturesAndSettings) {
  std::mt19937 random(2024);
  const char* thumbKeys[] = {"blThumbWidth",     "blThumbHeight",     "iThumbWidth",
                             "iThumbHeigth",     "BorderWidth",       "ColorBorder",
                             "AddShadow",        "iShadowColorThumb", "iShadowOffHThumb",
                             "iShadowOffVThumb", "iShadowBlurThumb",  "colorboxBackgroundA"};
  const char* imageKeys[] = {"blImageWidth",     "blImageHeight",     "iImageWidth",
                             "iImageHeigth",     "BorderWidthImage",  "ColorBorderImage",
                             "AddShadowImage",   "iShadowColorImage", "iShadowOffHImage",
                             "iShadowOffVImage", "iShadowBlurImage",  "colorboxBackgroundB"};
  for (int round = 0; round < 36; ++round) {
    const bool thumb = round % 2 == 0;
    int sw = 1 + static_cast<int>(random() % 260), sh = 1 + static_cast<int>(random() % 260);
    if (round % 9 == 3) sw = 1;
    if (round % 9 == 5) sh = 1;
    if (round == 7) sw = 1601, sh = 3;  // shrunk to one or two pixels across
    const Picture source = round % 3 == 0
                               ? test::RandomPicture(sw, sh, random)
                               : test::PhotoLikePicture(sw, sh, static_cast<uint32_t>(round));
    const std::string sourcePath = dir_.file("s" + std::to_string(round) + ".png");
    SavePng(source, sourcePath);

    const char* const* names = thumb ? thumbKeys : imageKeys;
    const long long values[] = {
        static_cast<long long>(random() % 2),       static_cast<long long>(random() % 2),
        static_cast<long long>(1 + random() % 200), static_cast<long long>(1 + random() % 200),
        static_cast<long long>(random() % 31),      static_cast<long long>(random() & 0xFFFFFF),
        static_cast<long long>(random() % 2),       static_cast<long long>(random() & 0xFFFFFF),
        static_cast<long long>(random() % 81) - 40, static_cast<long long>(random() % 81) - 40,
        static_cast<long long>(random() % 22),      static_cast<long long>(random() & 0xFFFFFF)};
    Keys keys;
    for (int i = 0; i < 12; ++i)
      if (random() % 5 != 0) keys[names[i]] = values[i];  // about one key in five left out
    const std::string project = dir_.file("p" + std::to_string(round) + ".tnp");
    WriteProject(project, keys);

    bool sized = false;
    const Picture expected = Expected(source, Read(keys, thumb), sized);
    const std::string out = dir_.file("o" + std::to_string(round) + ".png");
    const int rc = RunCli("thumbnail " + Quote(project) + " " + Quote(sourcePath) + " " +
                          Quote(out) + (thumb ? "" : " --side image"));
    if (!sized) {
      EXPECT_NE(rc, 0) << "round " << round;
      continue;
    }
    ASSERT_EQ(rc, 0) << "round " << round;
    const Picture got = LoadSourcePicture(out);
    if (got != expected && got.width == expected.width && got.height == expected.height) {
      for (int y = 0; y < got.height; ++y)
        for (int x = 0; x < got.width; ++x)
          if (std::memcmp(got.at(x, y), expected.at(x, y), 3) != 0) {
            ADD_FAILURE() << "first difference at " << x << "," << y << " got "
                          << int(got.at(x, y)[0]) << " " << int(got.at(x, y)[1]) << " "
                          << int(got.at(x, y)[2]) << " expected " << int(expected.at(x, y)[0])
                          << " " << int(expected.at(x, y)[1]) << " " << int(expected.at(x, y)[2]);
            y = got.height;
            break;
          }
      for (const auto& [k, v] : keys) ADD_FAILURE() << k << "=" << v;
    }
    ASSERT_EQ(got, expected) << "round " << round << " " << sw << "x" << sh;
  }
}

TEST_F(CliAgainstModel, JpegSourcesAndOutputs) {
  const Picture photo = test::PhotoLikePicture(333, 251, 9);
  const std::string sourcePath = dir_.file("photo.JPG");
  SaveAsJpeg(photo, sourcePath, 90, false);
  const Picture decoded = test::ReadJpegFile(sourcePath).picture;
  Keys keys = {{"iThumbWidth", 150},
               {"iShadowBlurThumb", 9},
               {"iShadowOffHThumb", -7},
               {"iQualityThumb", 0},
               {"blProgressiveThumb", 1}};
  const std::string project = dir_.file("p.tnp");
  WriteProject(project, keys);
  bool sized = false;
  const Picture expected = Expected(decoded, Read(keys, true), sized);
  ASSERT_TRUE(sized);
  ASSERT_EQ(RunCli("thumbnail " + Quote(project) + " " + Quote(sourcePath) + " " +
                   Quote(dir_.file("t.png"))),
            0);
  EXPECT_EQ(LoadSourcePicture(dir_.file("t.png")), expected);
  // Quality 0 is written as quality 1, progressive as asked.
  ASSERT_EQ(RunCli("thumbnail " + Quote(project) + " " + Quote(sourcePath) + " " +
                   Quote(dir_.file("t.jpg"))),
            0);
  const test::DecodedJpeg jpeg = test::ReadJpegFile(dir_.file("t.jpg"));
  EXPECT_TRUE(jpeg.progressive);
  const auto one = EncodeJpeg(expected, 1, true);
  EXPECT_EQ(test::ReadFile(dir_.file("t.jpg")), std::string(one.begin(), one.end()));
}

TEST_F(CliAgainstModel, MissingProjectUsesNewProjectOptions) {
  const Picture source = test::PhotoLikePicture(150, 97, 4);
  const std::string sourcePath = dir_.file("s.png");
  SavePng(source, sourcePath);
  const std::string missing = dir_.file("missing.tnp");
  // Thumbnail: width 120, silver border of 1, shadow 4/4/4 in black on white.
  SideSettings thumb{true, false, 120, 100, 1, 0xC0C0C0, true, 0, 4, 4, 4, 0xFFFFFF};
  bool sized = false;
  const Picture expectedThumb = Expected(source, thumb, sized);
  ASSERT_EQ(RunCli("thumbnail " + Quote(missing) + " " + Quote(sourcePath) + " " +
                   Quote(dir_.file("t.png"))),
            0);
  EXPECT_EQ(LoadSourcePicture(dir_.file("t.png")), expectedThumb);
  // Display image: width 640, silver border of 1, no shadow.
  SideSettings image{true, false, 640, 480, 1, 0xC0C0C0, false, 0, 4, 4, 4, 0xFFFFFF};
  const Picture expectedImage = Expected(source, image, sized);
  ASSERT_EQ(RunCli("thumbnail " + Quote(missing) + " " + Quote(sourcePath) + " " +
                   Quote(dir_.file("i.png")) + " --side image"),
            0);
  EXPECT_EQ(LoadSourcePicture(dir_.file("i.png")), expectedImage);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace qg
