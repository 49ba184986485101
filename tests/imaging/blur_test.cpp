// The Gaussian blur: kernel half-widths, edge repetition, truncation, and the picture blur held
// equal to rows-then-columns of BlurLine on random pictures and on shadow canvases.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

#include "Reference.h"
#include "TestPictures.h"
#include "core/Error.h"
#include "imaging/Blur.h"
#include "imaging/Kernels.h"

namespace qg {
namespace {

class BlurEachSimdLevel : public ::testing::TestWithParam<detail::SimdLevel> {
 protected:
  void SetUp() override {
    if (GetParam() == detail::SimdLevel::Avx2 && !detail::CpuHasAvx2())
      GTEST_SKIP() << "processor without AVX2";
    detail::ForceSimdLevel(GetParam());
  }
  void TearDown() override { detail::ResetSimdLevel(); }
};

std::string BlurLevelName(const ::testing::TestParamInfo<detail::SimdLevel>& level) {
  return level.param == detail::SimdLevel::Avx2 ? "Avx2" : "Scalar";
}

TEST(MakeGaussianKernel, HalfWidthFollowsTheRadius) {
  EXPECT_EQ(MakeGaussianKernel(1, 255, 1).KernelSize, 2);
  EXPECT_EQ(MakeGaussianKernel(4, 255, 1).KernelSize, 11);
  EXPECT_EQ(MakeGaussianKernel(10, 255, 1).KernelSize, 30);
  EXPECT_EQ(MakeGaussianKernel(20, 255, 1).KernelSize, 61);
}

TEST(MakeGaussianKernel, UsedWeightsAreSymmetricAndSumToOne) {
  for (double r : {0.5, 1.0, 3.0, 7.5, 20.0, 60.0}) {
    const GaussKernel k = MakeGaussianKernel(r, 255, 1);
    double sum = 0;
    for (int j = -k.KernelSize; j <= k.KernelSize; ++j) {
      sum += k.weight(j);
      EXPECT_EQ(k.weight(j), k.weight(-j));
    }
    EXPECT_NEAR(sum, 1.0, 1e-6) << r;
    EXPECT_GT(k.weight(0), k.weight(1));
  }
}

TEST(MakeGaussianKernel, NeverTrimsBelowOneNorBeyondTheTable) {
  EXPECT_EQ(MakeGaussianKernel(0.1, 255, 1).KernelSize, 1);
  // The first tail pair is always dropped, so even a flat kernel stops at 99.
  EXPECT_EQ(MakeGaussianKernel(1000, 255, 1).KernelSize, 99);
}

TEST(BlurLine, RepeatsTheEndPixelsAndTruncates) {
  // One bright pixel on a two-pixel line with a wide kernel: every sum reads the ends many times.
  const GaussKernel k = MakeGaussianKernel(4, 255, 1);
  uint8_t line[6] = {200, 0, 10, 0, 100, 255};
  uint8_t scratch[6];
  BlurLine(line, 2, k, scratch);
  double a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
  const uint8_t original[6] = {200, 0, 10, 0, 100, 255};
  for (int m = -k.KernelSize; m <= k.KernelSize; ++m)
    for (int c = 0; c < 3; ++c) {
      a[c] += static_cast<double>(k.weight(m)) * original[(0 - m <= 0 ? 0 : 1) * 3 + c];
      b[c] += static_cast<double>(k.weight(m)) * original[(1 - m <= 0 ? 0 : 1) * 3 + c];
    }
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(line[c], static_cast<uint8_t>(a[c]));
    EXPECT_EQ(line[3 + c], static_cast<uint8_t>(b[c]));
  }
}

TEST(GaussianBlur, FlatAreasLoseAGreyLevelPerPassWhereTrimmedWeightsSumBelowOne) {
  // Which radii lose the grey level depends on the single-precision weights; work it out from
  // the kernel itself: white becomes 254 after the rows and one less again after the columns.
  int seen254 = 0;
  for (int r = 1; r <= 20; ++r) {
    const GaussKernel k = MakeGaussianKernel(r, 255, 1);
    auto pass = [&](uint8_t value) {
      double acc = 0;
      for (int m = -k.KernelSize; m <= k.KernelSize; ++m)
        acc += static_cast<double>(k.weight(m)) * value;
      return acc >= 255 ? uint8_t{255} : static_cast<uint8_t>(acc);
    };
    const uint8_t afterRows = pass(255), afterColumns = pass(afterRows);
    uint8_t line[9 * 3], scratch[9 * 3];
    std::fill(std::begin(line), std::end(line), 255);
    BlurLine(line, 9, k, scratch);
    EXPECT_EQ(line[12], afterRows) << r;
    Picture p = test::FlatPicture(9, 7, 255, 255, 255);
    GaussianBlur(p, r);
    EXPECT_EQ(p, test::FlatPicture(9, 7, afterColumns, afterColumns, afterColumns)) << r;
    seen254 += afterRows == 254;
  }
  EXPECT_GT(seen254, 0) << "no radius from 1 to 20 loses a grey level";
}

TEST(GaussianBlur, RadiusNotAboveZeroLeavesThePicture) {
  std::mt19937 random(3);
  const Picture original = test::RandomPicture(12, 7, random);
  for (double r : {0.0, -4.0}) {
    Picture p = original;
    GaussianBlur(p, r);
    EXPECT_EQ(p, original);
  }
}

TEST(GaussianBlur, RefusesAPictureThatIsNotThreeBytesAPixel) {
  Picture p(4, 4);
  p.pixels.resize(4 * 4 * 4);
  try {
    GaussianBlur(p, 2);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "GBlur only works for 24-bit bitmaps");
  }
}

TEST_P(BlurEachSimdLevel, EqualsRowsThenColumnsOfBlurLine) {
  std::mt19937 random(99);
  std::uniform_int_distribution<int> side(1, 60);
  for (int round = 0; round < 40; ++round) {
    const double radius = 1 + random() % 12 + (round % 3 == 0 ? 0.37 : 0.0);
    const Picture source = round % 2 ? test::RandomPicture(side(random), side(random), random)
                                     : test::PhotoLikePicture(side(random), side(random), round);
    Picture fast = source, reference = source;
    GaussianBlur(fast, radius);
    test::ReferenceGaussianBlur(reference, radius);
    ASSERT_EQ(fast, reference) << source.width << " x " << source.height << " r " << radius;
  }
}

TEST_P(BlurEachSimdLevel, EqualsTheReferenceOnShadowCanvases) {
  // Large runs of equal rows and columns, which the picture blur computes once.
  for (int radius : {1, 4, 9, 20}) {
    Picture canvas = test::FlatPicture(88, 70, 240, 230, 255);
    for (int y = 30; y < 60; ++y)
      for (int x = 28; x < 70; ++x) {
        canvas.at(x, y)[0] = 10;
        canvas.at(x, y)[1] = 20;
        canvas.at(x, y)[2] = 0;
      }
    Picture reference = canvas;
    GaussianBlur(canvas, radius);
    test::ReferenceGaussianBlur(reference, radius);
    ASSERT_EQ(canvas, reference) << radius;
  }
}

TEST_P(BlurEachSimdLevel, LinesShorterThanTheKernelRepeatTheirEnds) {
  std::mt19937 random(5);
  for (auto [w, h] : {std::pair{1, 1}, {1, 9}, {9, 1}, {2, 3}, {3, 2}}) {
    const Picture source = test::RandomPicture(w, h, random);
    Picture fast = source, reference = source;
    GaussianBlur(fast, 15);
    test::ReferenceGaussianBlur(reference, 15);
    EXPECT_EQ(fast, reference) << w << " x " << h;
  }
}

INSTANTIATE_TEST_SUITE_P(Blur, BlurEachSimdLevel,
                         ::testing::Values(detail::SimdLevel::Scalar, detail::SimdLevel::Avx2),
                         BlurLevelName);

}  // namespace
}  // namespace qg
