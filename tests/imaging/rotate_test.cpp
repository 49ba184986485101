// Quarter turns as exact remappings and fitting to a box.
#include <gtest/gtest.h>

#include <random>

#include "TestPictures.h"
#include "imaging/Resample.h"
#include "imaging/Rotate.h"

namespace qg {
namespace {

bool Same(const Picture& a, int ax, int ay, const Picture& b, int bx, int by) {
  return std::equal(a.at(ax, ay), a.at(ax, ay) + 3, b.at(bx, by));
}

TEST(Rotate, EachTurnMovesEveryPixelWhereTheTableSays) {
  std::mt19937 random(4);
  const int w = 5, h = 3;
  const Picture p = test::RandomPicture(w, h, random);
  const Picture right = RotateQuarterRight(p), half = RotateHalfTurn(p),
                left = RotateQuarterLeft(p);
  ASSERT_EQ(right.width, h);
  ASSERT_EQ(right.height, w);
  ASSERT_EQ(half.width, w);
  ASSERT_EQ(left.width, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      EXPECT_TRUE(Same(p, x, y, right, h - 1 - y, x));
      EXPECT_TRUE(Same(p, x, y, half, w - 1 - x, h - 1 - y));
      EXPECT_TRUE(Same(p, x, y, left, y, w - 1 - x));
    }
}

TEST(Rotate, TurnsCompose) {
  std::mt19937 random(5);
  const Picture p = test::RandomPicture(7, 4, random);
  EXPECT_EQ(RotatePicture(p, 4), p);
  EXPECT_EQ(RotateQuarterRight(RotateQuarterRight(RotateQuarterRight(RotateQuarterRight(p)))), p);
  EXPECT_EQ(RotateQuarterRight(RotateQuarterRight(p)), RotateHalfTurn(p));
  EXPECT_EQ(RotatePicture(p, 3), RotateQuarterLeft(p));
  EXPECT_EQ(RotatePicture(p, -1), RotateQuarterLeft(p));
  EXPECT_EQ(RotateQuarterLeft(RotateQuarterRight(p)), p);
}

TEST(Rotate, EmptyPicturesTurnToo) {
  EXPECT_EQ(RotateQuarterRight(Picture(0, 3)).width, 3);
  EXPECT_EQ(RotateQuarterRight(Picture(0, 3)).height, 0);
}

TEST(FitPictureToBox, ResamplesToTheBoxIgnoringTheAspect) {
  const Picture p = test::PhotoLikePicture(300, 200, 6);
  const Picture fitted = FitPictureToBox(p, 153, 113);
  EXPECT_EQ(fitted, StretchPicture(p, 153, 113));
  const Picture turned = RotateQuarterRight(fitted);
  EXPECT_EQ(turned.width, 113);
  EXPECT_EQ(turned.height, 153);
}

}  // namespace
}  // namespace qg
