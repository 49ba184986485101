// The pipeline of a side: border and shadow from the style, the written file with the style's
// JPEG settings, one decode for several sizes, and the refusal of targets without pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "JpegRead.h"
#include "TestPictures.h"
#include "codecs/JpegOutput.h"
#include "core/Error.h"
#include "imaging/Border.h"
#include "imaging/Pipeline.h"
#include "imaging/Resample.h"
#include "imaging/Shadow.h"
#include "support/TempDir.h"

namespace qg {
namespace {

ImageStyle Style(bool shadow) {
  ImageStyle s;
  s.borderWidth = 3;
  s.borderColour = 0x0000FF;  // red
  s.shadow = shadow;
  s.background = 0x00FF00;  // green
  s.shadowColour = 0x102030;
  s.shadowOffsetH = -5;
  s.shadowOffsetV = 7;
  s.shadowBlur = 2;
  s.quality = 83;
  s.progressive = false;
  return s;
}

// The whole side from a decoded picture, the way the pipeline's parts are meant to compose.
Picture Render(const Picture& source, TargetSize size, const ImageStyle& style) {
  return FinishSide(StretchPicture(source, size.width, size.height), style);
}

std::string JpegBytes(const Picture& picture, const ImageStyle& style) {
  const std::vector<uint8_t> bytes = EncodeJpeg(picture, style.quality, style.progressive);
  return std::string(bytes.begin(), bytes.end());
}

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(FinishSide, BorderWithoutShadowKeepsTheSize) {
  const Picture resized = StretchPicture(test::PhotoLikePicture(400, 300, 1), 120, 90);
  const Picture out = FinishSide(resized, Style(false));
  Picture expected = resized;
  DrawBorder(expected, 3, 0x0000FF);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(out.width, 120);
  EXPECT_EQ(out.height, 90);
  EXPECT_EQ(out.at(2, 45)[0], 255);
  EXPECT_EQ(out.at(2, 45)[1], 0);
}

TEST(FinishSide, ShadowFrameUsesEveryShadowSettingOfTheStyle) {
  const Picture resized = StretchPicture(test::PhotoLikePicture(400, 300, 2), 120, 90);
  const Picture out = FinishSide(resized, Style(true));
  Picture bordered = resized;
  DrawBorder(bordered, 3, 0x0000FF);
  EXPECT_EQ(out, ComposeDropShadow(bordered, kGalleryShadowMargin, 0x00FF00, 0x102030, -5, 7, 2));
  EXPECT_EQ(out.width, 168);
  EXPECT_EQ(out.height, 138);
}

TEST(SaveResampledSide, WritesTheFinishedPictureWithTheStylesJpegSettings) {
  test::TempDir dir;
  const Picture resized = StretchPicture(test::PhotoLikePicture(240, 180, 4), 120, 90);
  for (bool progressive : {false, true}) {
    ImageStyle style = Style(true);
    style.progressive = progressive;
    SaveResampledSide(resized, dir.file("out.jpg"), style, Side::Image);
    EXPECT_EQ(test::ReadFile(dir.file("out.jpg")), JpegBytes(FinishSide(resized, style), style));
    EXPECT_EQ(test::ReadJpegFile(dir.file("out.jpg")).progressive, progressive);
  }
}

TEST(SaveResampledSide, OneDecodeForBothSizesWritesTheFilesOfEachSizeAlone) {
  test::TempDir dir;
  SaveAsJpeg(test::PhotoLikePicture(301, 199, 9), dir.file("src.jpg"), 88, false);
  const Picture decoded = test::ReadJpegFile(dir.file("src.jpg")).picture;
  const ImageStyle thumb = Style(true);
  ImageStyle image = Style(false);
  image.progressive = true;
  std::vector<Picture> both = ResampleSourceFile(dir.file("src.jpg"), [](int, int) {
    return std::vector<TargetSize>{{120, 79}, {150, 99}};
  });
  ASSERT_EQ(both.size(), 2u);
  SaveResampledSide(std::move(both[0]), dir.file("tn.jpg"), thumb, Side::Thumb);
  SaveResampledSide(std::move(both[1]), dir.file("d.jpg"), image, Side::Image);
  std::vector<Picture> one = ResampleSourceFile(dir.file("src.jpg"), [](int, int) {
    return std::vector<TargetSize>{{150, 99}};
  });
  SaveResampledSide(std::move(one[0]), dir.file("d1.jpg"), image, Side::Image);

  EXPECT_EQ(test::ReadFile(dir.file("tn.jpg")),
            JpegBytes(Render(decoded, {120, 79}, thumb), thumb));
  EXPECT_EQ(test::ReadFile(dir.file("d.jpg")), JpegBytes(Render(decoded, {150, 99}, image), image));
  EXPECT_EQ(test::ReadFile(dir.file("d1.jpg")), test::ReadFile(dir.file("d.jpg")));
}

TEST(SaveResampledSide, PictureWithoutPixelsIsRefusedAndNothingWritten) {
  test::TempDir dir;
  EXPECT_EQ(MessageOf([&] {
              SaveResampledSide(Picture(0, 7), dir.file("none.jpg"), Style(true), Side::Thumb);
            }),
            "Cannot make the thumbnail picture: its size 0 x 7 has no pixels");
  EXPECT_EQ(MessageOf([&] {
              SaveResampledSide(Picture(5, 0), dir.file("none.jpg"), Style(false), Side::Image);
            }),
            "Cannot make the display image picture: its size 5 x 0 has no pixels");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(MakeSideFile, FromAFileEqualsTheSidesPipelineOnTheDecodedPicture) {
  test::TempDir dir;
  SaveAsJpeg(test::PhotoLikePicture(160, 120, 6), dir.file("source.JPG"), 95, false);
  const Picture decoded = test::ReadJpegFile(dir.file("source.JPG")).picture;
  for (bool shadow : {false, true}) {
    const ImageStyle style = Style(shadow);
    MakeSideFile(dir.file("source.JPG"), dir.file("side.jpg"), {100, 75}, style, Side::Thumb);
    EXPECT_EQ(test::ReadFile(dir.file("side.jpg")),
              JpegBytes(Render(decoded, {100, 75}, style), style))
        << shadow;
  }
}

TEST(MakeSideFile, TargetsWithoutPixelsFailBeforeDecodingAndWriteNothing) {
  test::TempDir dir;
  SaveAsJpeg(test::PhotoLikePicture(40, 30, 5), dir.file("s.jpg"), 90, false);
  EXPECT_EQ(
      MessageOf([&] {
        MakeSideFile(dir.file("s.jpg"), dir.file("tn.jpg"), {100, 0}, Style(true), Side::Thumb);
      }),
      "Cannot make the thumbnail of " + dir.file("s.jpg") + ": its size 100 x 0 has no pixels");
  // The size is refused before the source is looked at.
  EXPECT_EQ(
      MessageOf([&] {
        MakeSideFile(dir.file("missing.jpg"), dir.file("i.jpg"), {0, 5}, Style(false), Side::Image);
      }),
      "Cannot make the display image of " + dir.file("missing.jpg") +
          ": its size 0 x 5 has no pixels");
  EXPECT_FALSE(std::filesystem::exists(dir.file("tn.jpg")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("i.jpg")));
}

}  // namespace
}  // namespace qg
