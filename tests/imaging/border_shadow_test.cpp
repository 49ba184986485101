// Border and drop shadow: which pixels each paints, the frame geometry and clipping of offsets.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "Reference.h"
#include "TestPictures.h"
#include "imaging/Blur.h"
#include "imaging/Border.h"
#include "imaging/Shadow.h"

namespace qg {
namespace {

bool HasColour(const Picture& p, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t* px = p.at(x, y);
  return px[0] == r && px[1] == g && px[2] == b;
}

// Red 0x12, green 0x34, blue 0x56.
constexpr Colour kBorder = 0x563412;

TEST(DrawBorder, WidthZeroOrLessPaintsNothing) {
  std::mt19937 random(1);
  const Picture original = test::RandomPicture(10, 8, random);
  for (int width : {0, -3}) {
    Picture p = original;
    DrawBorder(p, width, kBorder);
    EXPECT_EQ(p, original);
  }
}

TEST(DrawBorder, PaintsExactlyTheOuterRings) {
  for (int width : {1, 3}) {
    const Picture original = test::FlatPicture(120, 90, 200, 200, 200);
    Picture p = original;
    DrawBorder(p, width, kBorder);
    for (int y = 0; y < 90; ++y)
      for (int x = 0; x < 120; ++x) {
        const bool ring = x < width || y < width || x >= 120 - width || y >= 90 - width;
        ASSERT_EQ(HasColour(p, x, y, 0x12, 0x34, 0x56), ring) << width << ": " << x << "," << y;
      }
  }
}

TEST(DrawBorder, AsWideAsHalfTheShorterSidePaintsEverything) {
  for (auto [w, h, width] : {std::tuple{10, 6, 3}, {7, 7, 4}, {1, 1, 1}, {5, 3, 30}}) {
    Picture p = test::FlatPicture(w, h, 1, 2, 3);
    DrawBorder(p, width, kBorder);
    EXPECT_EQ(p, test::FlatPicture(w, h, 0x12, 0x34, 0x56)) << w << " x " << h << " / " << width;
  }
}

constexpr Colour kPage = 0xF0E0D0;    // r D0, g E0, b F0
constexpr Colour kShadow = 0x102030;  // r 30, g 20, b 10

TEST(ComposeDropShadow, GalleryFrameGrowsBy48WithThePictureAt24) {
  std::mt19937 random(2);
  const Picture picture = test::RandomPicture(120, 90, random);
  const Picture out = ComposeDropShadow(picture, kGalleryShadowMargin, kPage, kShadow, 4, 4, 4);
  ASSERT_EQ(out.width, 168);
  ASSERT_EQ(out.height, 138);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x)
      ASSERT_TRUE(std::equal(picture.at(x, y), picture.at(x, y) + 3, out.at(24 + x, 24 + y)));
  // Far corners keep the page colour, less at most one grey level per blur pass.
  EXPECT_NEAR(out.at(0, 0)[0], 0xD0, 2);
  EXPECT_NEAR(out.at(0, 0)[2], 0xF0, 2);
  // Below the picture, inside the offset shadow, it is darker than the page.
  EXPECT_LT(out.at(100, 116)[0], 0xD0 - 40);
}

TEST(ComposeDropShadow, EqualsTheCanvasBlurredThenOverdrawn) {
  std::mt19937 random(8);
  const Picture picture = test::RandomPicture(31, 17, random);
  Picture expected = test::FlatPicture(71, 57, 0xD0, 0xE0, 0xF0);
  for (int y = 20 + 6; y < 20 + 6 + 17; ++y)
    for (int x = 20 - 3; x < 20 - 3 + 31; ++x) {
      expected.at(x, y)[0] = 0x30;
      expected.at(x, y)[1] = 0x20;
      expected.at(x, y)[2] = 0x10;
    }
  test::ReferenceGaussianBlur(expected, 5);
  for (int y = 0; y < 17; ++y)
    std::copy(picture.row(y), picture.row(y) + picture.stride(), expected.at(20, 20 + y));
  EXPECT_EQ(ComposeDropShadow(picture, kSampleShadowMargin, kPage, kShadow, -3, 6, 5), expected);
}

TEST(ComposeDropShadow, NoOffsetNoBlurHidesTheShadowBehindThePicture) {
  const Picture picture = test::FlatPicture(5, 4, 1, 2, 3);
  const Picture out = ComposeDropShadow(picture, 48, kPage, kShadow, 0, 0, 0);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const bool inside = x >= 24 && x < 29 && y >= 24 && y < 28;
      ASSERT_TRUE(inside ? HasColour(out, x, y, 1, 2, 3) : HasColour(out, x, y, 0xD0, 0xE0, 0xF0))
          << x << "," << y;
    }
}

TEST(ComposeDropShadow, BlurZeroGivesAHardEdgedShadow) {
  const Picture picture = test::FlatPicture(10, 10, 1, 2, 3);
  const Picture out = ComposeDropShadow(picture, 48, kPage, kShadow, 4, 4, 0);
  // The shadow covers (28,28)..(38,38); outside the picture it shows in full colour.
  EXPECT_TRUE(HasColour(out, 37, 37, 0x30, 0x20, 0x10));
  EXPECT_TRUE(HasColour(out, 34, 28 + 9, 0x30, 0x20, 0x10));
  EXPECT_TRUE(HasColour(out, 38, 37, 0xD0, 0xE0, 0xF0));
  EXPECT_TRUE(HasColour(out, 37, 38, 0xD0, 0xE0, 0xF0));
  EXPECT_TRUE(HasColour(out, 27, 35, 0xD0, 0xE0, 0xF0));
}

TEST(ComposeDropShadow, OffsetsBeyondTheFrameAreClippedNotWrapped) {
  const Picture picture = test::FlatPicture(10, 10, 1, 2, 3);
  const Picture out = ComposeDropShadow(picture, 48, kPage, kShadow, 30, 0, 0);
  // Shadow from x = 54 to 64, canvas 58 wide: columns 54..57 only, nothing on the left edge.
  for (int y = 24; y < 34; ++y) {
    EXPECT_TRUE(HasColour(out, 57, y, 0x30, 0x20, 0x10));
    EXPECT_TRUE(HasColour(out, 53, y, 0xD0, 0xE0, 0xF0));
    EXPECT_TRUE(HasColour(out, 0, y, 0xD0, 0xE0, 0xF0));
  }
}

TEST(ComposeDropShadow, NegativeOffsetsPutTheShadowAboveAndLeft) {
  const Picture picture = test::FlatPicture(10, 10, 1, 2, 3);
  const Picture out = ComposeDropShadow(picture, 48, kPage, kShadow, -5, -7, 0);
  EXPECT_TRUE(HasColour(out, 19, 17, 0x30, 0x20, 0x10));
  EXPECT_TRUE(HasColour(out, 18, 17, 0xD0, 0xE0, 0xF0));
  EXPECT_TRUE(HasColour(out, 19, 16, 0xD0, 0xE0, 0xF0));
  EXPECT_TRUE(HasColour(out, 35, 30, 0xD0, 0xE0, 0xF0));
}

TEST(ComposeDropShadow, ExtremeStoredValuesStayInsideTheCanvas) {
  const Picture picture = test::FlatPicture(6, 6, 1, 2, 3);
  for (int offset : {INT_MAX, INT_MIN, 100000})
    EXPECT_EQ(ComposeDropShadow(picture, 48, kPage, kShadow, offset, offset, 0),
              ComposeDropShadow(picture, 48, kPage, kShadow, 1000, 1000, 0));
  const Picture blurred = ComposeDropShadow(picture, 48, kPage, kShadow, 4, 4, 500);
  EXPECT_EQ(blurred.width, 54);
}

}  // namespace
}  // namespace qg
