// The pipeline of both sides: resize, border, shadow, progress texts, the written file, and the
// refusal of targets without pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "JpegRead.h"
#include "TestPictures.h"
#include "core/Error.h"
#include "imaging/Border.h"
#include "imaging/JpegOutput.h"
#include "imaging/Pipeline.h"
#include "imaging/Resample.h"
#include "imaging/Shadow.h"
#include "support/TempDir.h"

namespace qg {
namespace {

GalleryOptions Options() {
  GalleryOptions o;
  o.BorderWidth = 3;
  o.ColorBorder = 0x0000FF;  // red
  o.AddShadow = false;
  o.BorderWidthImage = 1;
  o.ColorBorderImage = 0x00FF00;  // green
  return o;
}

TEST(RenderSide, BorderWithoutShadowKeepsTheTargetSize) {
  const Picture source = test::PhotoLikePicture(400, 300, 1);
  const Picture out = RenderSide(source, 120, 90, false, Options(), Side::Thumb);
  ASSERT_EQ(out.width, 120);
  ASSERT_EQ(out.height, 90);
  Picture expected = StretchPicture(source, 120, 90);
  DrawBorder(expected, 3, 0x0000FF);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(out.at(2, 45)[0], 255);
  EXPECT_EQ(out.at(2, 45)[1], 0);
}

TEST(RenderSide, ShadowAddsTheGalleryFrameAroundTheBorderedPicture) {
  const Picture source = test::PhotoLikePicture(400, 300, 2);
  GalleryOptions o = Options();
  const Picture out = RenderSide(source, 120, 90, true, o, Side::Image);
  Picture expected = StretchPicture(source, 120, 90);
  DrawBorder(expected, 1, 0x00FF00);
  AddDropShadow(expected, o, Side::Image);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(out.width, 168);
  EXPECT_EQ(out.height, 138);
}

TEST(RenderSide, ReportsTheSidesProgressText) {
  const Picture source = test::PhotoLikePicture(50, 40, 3);
  std::vector<std::string> texts;
  const ProgressText progress = [&](const std::string& t) { texts.push_back(t); };
  RenderSide(source, 10, 8, false, Options(), Side::Thumb, progress);
  RenderSide(source, 10, 8, false, Options(), Side::Image, progress);
  EXPECT_EQ(texts, (std::vector<std::string>{"Resizing thumb... ", "Resizing image... "}));
  EXPECT_NO_THROW(RenderSide(source, 10, 8, false, Options(), Side::Image));
}

TEST(MakeThumbnail, ThumbnailShadowFollowsTheOptionAndDisplayShadowTheArgument) {
  test::TempDir dir;
  const Picture source = test::PhotoLikePicture(240, 180, 4);
  GalleryOptions o = Options();
  o.AddShadow = true;
  o.AddShadowImage = false;  // the argument decides for display images
  MakeThumbnail(source, dir.file("tn.jpg"), 120, 90, o);
  MakeDisplayImage(source, dir.file("a.jpg"), 120, 90, false, o);
  MakeDisplayImage(source, dir.file("b.jpg"), 120, 90, true, o);
  EXPECT_EQ(test::ReadJpegFile(dir.file("tn.jpg")).picture.width, 168);
  EXPECT_EQ(test::ReadJpegFile(dir.file("a.jpg")).picture.width, 120);
  EXPECT_EQ(test::ReadJpegFile(dir.file("b.jpg")).picture.height, 138);
  const auto expected = EncodeJpeg(RenderSide(source, 120, 90, true, o, Side::Thumb),
                                   o.iQualityThumb, o.blProgressiveThumb);
  EXPECT_EQ(test::ReadFile(dir.file("tn.jpg")), std::string(expected.begin(), expected.end()));
}

TEST(MakeThumbnail, TargetsWithoutPixelsFailAndWriteNothing) {
  test::TempDir dir;
  const Picture source = test::PhotoLikePicture(40, 30, 5);
  try {
    MakeThumbnail(source, dir.file("tn.jpg"), 100, 0, Options());
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot make the thumbnail " + dir.file("tn.jpg") +
                                         ": its size 100 x 0 has no pixels");
  }
  EXPECT_THROW(MakeDisplayImage(source, dir.file("i.jpg"), 0, 5, true, Options()), Error);
  EXPECT_THROW(MakeThumbnail(dir.file("missing.jpg"), dir.file("t.jpg"), 0, 5, Options()), Error);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(MakeThumbnail, FromAFileEqualsFromTheDecodedPicture) {
  test::TempDir dir;
  const Picture picture = test::PhotoLikePicture(160, 120, 6);
  SaveAsJpeg(picture, dir.file("source.JPG"), 95, false);
  const Picture decoded = test::ReadJpegFile(dir.file("source.JPG")).picture;
  GalleryOptions o = Options();
  o.AddShadow = true;
  MakeThumbnail(dir.file("source.JPG"), dir.file("from-file.jpg"), 100, 75, o);
  MakeThumbnail(decoded, dir.file("from-picture.jpg"), 100, 75, o);
  EXPECT_EQ(test::ReadFile(dir.file("from-file.jpg")),
            test::ReadFile(dir.file("from-picture.jpg")));
  MakeDisplayImage(dir.file("source.JPG"), dir.file("d1.jpg"), 64, 48, true, o);
  MakeDisplayImage(decoded, dir.file("d2.jpg"), 64, 48, true, o);
  EXPECT_EQ(test::ReadFile(dir.file("d1.jpg")), test::ReadFile(dir.file("d2.jpg")));
}

TEST(RenderSides, EqualsEachSideRenderedAlone) {
  const Picture source = test::PhotoLikePicture(333, 250, 7);
  GalleryOptions o = Options();
  o.AddShadow = true;
  std::vector<std::string> texts;
  const SidePictures sides = RenderSides(source, {120, 90}, {64, 48}, false, o,
                                         [&](const std::string& t) { texts.push_back(t); });
  EXPECT_EQ(sides.thumbnail, RenderSide(source, 120, 90, true, o, Side::Thumb));
  EXPECT_EQ(sides.displayImage, RenderSide(source, 64, 48, false, o, Side::Image));
  EXPECT_EQ(texts, (std::vector<std::string>{"Resizing thumb... ", "Resizing image... "}));
}

TEST(MakeThumbnailAndDisplayImage, WritesTheFilesOfTheSeparateRoutines) {
  test::TempDir dir;
  const Picture picture = test::PhotoLikePicture(300, 200, 8);
  SaveAsJpeg(picture, dir.file("src.jpg"), 92, true);
  const Picture decoded = test::ReadJpegFile(dir.file("src.jpg")).picture;
  GalleryOptions o = Options();
  o.AddShadow = true;
  o.iQualityImage = 70;
  MakeThumbnailAndDisplayImage(dir.file("src.jpg"), dir.file("tn.jpg"), {90, 60}, dir.file("d.jpg"),
                               {150, 100}, true, o);
  MakeThumbnail(decoded, dir.file("tn2.jpg"), 90, 60, o);
  MakeDisplayImage(decoded, dir.file("d2.jpg"), 150, 100, true, o);
  EXPECT_EQ(test::ReadFile(dir.file("tn.jpg")), test::ReadFile(dir.file("tn2.jpg")));
  EXPECT_EQ(test::ReadFile(dir.file("d.jpg")), test::ReadFile(dir.file("d2.jpg")));

  // An empty path leaves that side out.
  MakeThumbnailAndDisplayImage(dir.file("src.jpg"), "", {90, 60}, dir.file("d3.jpg"), {150, 100},
                               true, o);
  EXPECT_EQ(test::ReadFile(dir.file("d3.jpg")), test::ReadFile(dir.file("d2.jpg")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("tn3.jpg")));
}

TEST(SaveResampledSide, AfterTheSharedPassWritesTheFilesOfTheSeparateRoutines) {
  test::TempDir dir;
  SaveAsJpeg(test::PhotoLikePicture(301, 199, 9), dir.file("src.jpg"), 88, false);
  const Picture decoded = test::ReadJpegFile(dir.file("src.jpg")).picture;
  GalleryOptions o = Options();
  o.AddShadow = true;
  o.blProgressiveImage = true;
  // Both sizes from one pass, and each size alone.
  std::vector<Picture> both = ResampleSourceFile(dir.file("src.jpg"), [](int, int) {
    return std::vector<TargetSize>{{120, 79}, {150, 99}};
  });
  ASSERT_EQ(both.size(), 2u);
  SaveResampledSide(std::move(both[0]), dir.file("tn.jpg"), true, o, Side::Thumb);
  SaveResampledSide(std::move(both[1]), dir.file("d.jpg"), false, o, Side::Image);
  std::vector<Picture> one = ResampleSourceFile(dir.file("src.jpg"), [](int, int) {
    return std::vector<TargetSize>{{150, 99}};
  });
  SaveResampledSide(std::move(one[0]), dir.file("d1.jpg"), false, o, Side::Image);

  MakeThumbnail(decoded, dir.file("tn2.jpg"), 120, 79, o);
  MakeDisplayImage(decoded, dir.file("d2.jpg"), 150, 99, false, o);
  EXPECT_EQ(test::ReadFile(dir.file("tn.jpg")), test::ReadFile(dir.file("tn2.jpg")));
  EXPECT_EQ(test::ReadFile(dir.file("d.jpg")), test::ReadFile(dir.file("d2.jpg")));
  EXPECT_EQ(test::ReadFile(dir.file("d1.jpg")), test::ReadFile(dir.file("d2.jpg")));

  try {
    SaveResampledSide(Picture(0, 7), dir.file("none.jpg"), true, o, Side::Thumb);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot make the thumbnail picture: its size 0 x 7 has no pixels");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.jpg")));
}

}  // namespace
}  // namespace qg
