// The resampler: filter values, the exact taps of known cases, the edge cases of sizes, and the
// fast passes held equal to the plain reference loops on many random pictures and sizes, in
// every instruction-set form this processor runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "Reference.h"
#include "TestPictures.h"
#include "core/Error.h"
#include "imaging/Kernels.h"
#include "imaging/Resample.h"

namespace qg {
namespace {

using detail::FilterTap;

// Runs the body once per instruction-set form available here.
class EachSimdLevel : public ::testing::TestWithParam<detail::SimdLevel> {
 protected:
  void SetUp() override {
    if (GetParam() == detail::SimdLevel::Avx2 && !detail::CpuHasAvx2())
      GTEST_SKIP() << "processor without AVX2";
    detail::ForceSimdLevel(GetParam());
  }
  void TearDown() override { detail::ResetSimdLevel(); }
};

std::string LevelName(const ::testing::TestParamInfo<detail::SimdLevel>& info) {
  return info.param == detail::SimdLevel::Avx2 ? "Avx2" : "Scalar";
}

TEST(Lanczos3Filter, GivesTheTabulatedValues) {
  const std::pair<float, float> table[] = {{0.0f, 1.0f},       {0.5f, 0.607927f}, {1.0f, 0.0f},
                                           {1.5f, -0.135095f}, {2.0f, 0.0f},      {2.5f, 0.024317f},
                                           {3.0f, 0.0f}};
  for (const auto& [x, value] : table) {
    EXPECT_NEAR(Lanczos3Filter(x), value, 5e-7) << "x = " << x;
    EXPECT_EQ(Lanczos3Filter(-x), Lanczos3Filter(x)) << "symmetric at " << x;
  }
  EXPECT_EQ(Lanczos3Filter(3.5f), 0.0f);
  EXPECT_EQ(Lanczos3Filter(-100.0f), 0.0f);
}

std::vector<FilterTap> TapsOf(uint32_t source, uint32_t target, uint32_t index) {
  return detail::BuildContributorList(source, target).at(index).Taps;
}

TEST(Contributors, SameSizeIsOneFullTapPerPosition) {
  const auto list = detail::BuildContributorList(10, 10);
  for (int32_t i = 0; i < 10; ++i) {
    EXPECT_EQ(list[i].TapCount, 1);
    EXPECT_EQ(list[i].Taps, (std::vector<FilterTap>{{i, 256}}));
  }
}

TEST(Contributors, HalvingInTheMiddleDropsTheZerosOfTheFilter) {
  EXPECT_EQ(TapsOf(201, 101, 50),
            (std::vector<FilterTap>{
                {95, 3}, {97, -17}, {99, 78}, {100, 128}, {101, 78}, {103, -17}, {105, 3}}));
}

TEST(Contributors, HalvingAtTheLeftEdgeFoldsNegativeIndexes) {
  EXPECT_EQ(
      TapsOf(201, 101, 0),
      (std::vector<FilterTap>{{5, 3}, {3, -17}, {1, 78}, {0, 128}, {1, 78}, {3, -17}, {5, 3}}));
}

TEST(Contributors, DoublingKeepsTheRoundedWeightsEvenWhenTheyMissTheirSum) {
  const auto taps = TapsOf(10, 20, 1);
  EXPECT_EQ(taps, (std::vector<FilterTap>{{2, 7}, {1, -36}, {0, 164}, {1, 147}, {2, -33}, {3, 6}}));
  int total = 0;
  for (const FilterTap& t : taps) total += t.Weight;
  EXPECT_EQ(total, 255);
}

TEST(Contributors, RightEdgeReflectsWithRepetition) {
  // Target 0 of the reversed halving sits at source 200: index 201 folds onto 200, 203 onto 198.
  const auto taps = TapsOf(201, 101, 100);
  EXPECT_EQ(taps,
            (std::vector<FilterTap>{
                {195, 3}, {197, -17}, {199, 78}, {200, 128}, {200, 78}, {198, -17}, {196, 3}}));
}

TEST(Contributors, IndexesOfTinyTargetsStayInsideTheLine) {
  for (uint32_t source : {2u, 3u, 7u, 1000u, 5000u})
    for (uint32_t target : {1u, 2u, 3u, 4u})
      for (const auto& entry : detail::BuildContributorList(source, target)) {
        ASSERT_GE(entry.TapCount, 1);
        for (const FilterTap& t : entry.Taps) {
          EXPECT_GE(t.SourceIndex, 0);
          EXPECT_LT(t.SourceIndex, static_cast<int32_t>(source));
        }
      }
}

TEST(Contributors, PositionsWhoseWeightsAllRoundToZeroTakeTheNearestPixel) {
  // 1600 -> 2: scale 1/1599, every weight is below half a unit.
  const auto list = detail::BuildContributorList(1600, 2);
  EXPECT_EQ(list[0].Taps, (std::vector<FilterTap>{{0, 256}}));
  EXPECT_EQ(list[1].Taps, (std::vector<FilterTap>{{1599, 256}}));
}

// Both vector forms of an entry must be exercised by the comparisons with the reference below.
size_t EntriesWithByteForm(uint32_t source, uint32_t target) {
  const auto axis = detail::BuildAxisWeights(source, target);
  size_t n = 0;
  for (const auto& b : axis.byteEntries) n += b.runCount > 0;
  return n;
}

TEST(AxisWeights, ShrinkingTakesTheByteFormExceptWhereFoldingPilesUpWeight) {
  EXPECT_EQ(EntriesWithByteForm(4000, 120), 120u);
  const size_t display = EntriesWithByteForm(4000, 640);
  EXPECT_GT(display, 600u);
  EXPECT_LT(display, 640u);
  EXPECT_EQ(EntriesWithByteForm(10, 20), 0u);
  EXPECT_EQ(EntriesWithByteForm(90, 60), 0u);
}

TEST(StretchPicture, ZeroSidesGiveWhitePicturesWithoutWork) {
  const Picture source = test::FlatPicture(5, 4, 10, 20, 30);
  EXPECT_TRUE(StretchPicture(source, 0, 7).pixels.empty());
  EXPECT_EQ(StretchPicture(source, 7, 0).width, 7);
  EXPECT_EQ(StretchPicture(source, 7, 0).height, 0);
  const Picture fromEmpty = StretchPicture(Picture(0, 9), 3, 2);
  EXPECT_EQ(fromEmpty, test::FlatPicture(3, 2, 255, 255, 255));
}

TEST(StretchPicture, TwoPixelsFromAWidePhotographAreNotBlack) {
  Picture source(1600, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 1600; ++x) {
      uint8_t* p = source.at(x, y);
      p[0] = static_cast<uint8_t>(100 + x % 50);
      p[1] = 150;
      p[2] = static_cast<uint8_t>(200 - y);
    }
  const Picture out = StretchPicture(source, 2, 3);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(out.at(0, y)[0], 100);
    EXPECT_EQ(out.at(1, y)[0], 100 + 1599 % 50);
    EXPECT_EQ(out.at(1, y)[1], 150);
  }
}

TEST_P(EachSimdLevel, SameSizeReturnsThePictureUnchanged) {
  std::mt19937 random(1);
  for (auto [w, h] : {std::pair{1, 1}, {37, 23}, {64, 5}, {3, 50}}) {
    const Picture p = test::RandomPicture(w, h, random);
    EXPECT_EQ(StretchPicture(p, static_cast<uint32_t>(w), static_cast<uint32_t>(h)), p);
  }
}

TEST_P(EachSimdLevel, FlatPicturesStayFlatWhenEnlargedAndShrunk) {
  const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1},   {2, 3},   {7, 5},  {40, 30},
                                                 {150, 9}, {640, 7}, {3, 333}};
  const uint8_t colours[][3] = {{0, 0, 0}, {255, 255, 255}, {12, 200, 77}, {128, 1, 254}};
  for (const auto& rgb : colours) {
    const Picture source = test::FlatPicture(97, 61, rgb[0], rgb[1], rgb[2]);
    for (const auto& [w, h] : sizes)
      EXPECT_EQ(StretchPicture(source, w, h),
                test::FlatPicture(static_cast<int>(w), static_cast<int>(h), rgb[0], rgb[1], rgb[2]))
          << w << " x " << h;
  }
}

TEST_P(EachSimdLevel, EqualsTheReferenceOnRandomPicturesAndSizes) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> side(1, 90);
  for (int round = 0; round < 120; ++round) {
    const int sw = side(random), sh = side(random);
    const auto tw = static_cast<uint32_t>(side(random)), th = static_cast<uint32_t>(side(random));
    const Picture source = round % 2 ? test::RandomPicture(sw, sh, random)
                                     : test::PhotoLikePicture(sw, sh, static_cast<uint32_t>(round));
    ASSERT_EQ(StretchPicture(source, tw, th), test::ReferenceStretch(source, tw, th))
        << sw << " x " << sh << " -> " << tw << " x " << th;
  }
}

TEST_P(EachSimdLevel, EqualsTheReferenceAtLineEndsAndExtremeRatios) {
  std::mt19937 random(7);
  const struct {
    int sw, sh;
    uint32_t tw, th;
  } cases[] = {
      {1, 40, 1, 13},    {40, 1, 13, 1},     {1, 1, 30, 20},      {1, 1, 1, 1},
      {1, 17, 9, 1},     {2, 2, 65, 3},      {3, 2, 1, 2},        {1200, 3, 2, 3},
      {3, 1200, 3, 1},   {2000, 2, 3, 2},    {5, 700, 2, 700},    {33, 17, 600, 2},
      {16, 16, 15, 17},  {17, 8, 31, 9},     {48, 9, 16, 9},      {47, 9, 16, 9},
      {255, 2, 600, 2},  {1000, 4, 1, 4},    {4, 4, 1000, 4},     {640, 480, 120, 90},
      {4000, 9, 640, 3}, {4000, 17, 120, 5}, {1001, 33, 333, 11}, {301, 40, 100, 40},
  };
  for (const auto& c : cases) {
    const Picture source = test::RandomPicture(c.sw, c.sh, random);
    ASSERT_EQ(StretchPicture(source, c.tw, c.th), test::ReferenceStretch(source, c.tw, c.th))
        << c.sw << " x " << c.sh << " -> " << c.tw << " x " << c.th;
  }
}

TEST_P(EachSimdLevel, SharpEdgesOvershootAndClamp) {
  Picture source = test::FlatPicture(20, 4, 0, 0, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 10; x < 20; ++x)
      source.at(x, y)[0] = source.at(x, y)[1] = source.at(x, y)[2] = 255;
  const Picture out = StretchPicture(source, 60, 4);
  EXPECT_EQ(out, test::ReferenceStretch(source, 60, 4));
  int zeros = 0, full = 0;
  for (int x = 0; x < 60; ++x) {
    zeros += out.at(x, 0)[0] == 0;
    full += out.at(x, 0)[0] == 255;
  }
  EXPECT_GT(zeros, 20);
  EXPECT_GT(full, 20);
}

TEST_P(EachSimdLevel, RowResamplerGivesStretchPictureForEveryWayOfFeedingRows) {
  std::mt19937 random(12);
  const Picture source = test::RandomPicture(53, 37, random);
  const std::vector<std::pair<uint32_t, uint32_t>> sizes = {
      {20, 11}, {0, 9}, {120, 70}, {53, 37}, {1, 1}};
  for (int chunk : {1, 3, 8, 13, 37}) {
    RowResampler resampler(source.width, source.height, sizes);
    std::vector<const uint8_t*> rows;
    for (int y = 0; y < source.height; ++y) rows.push_back(source.row(y));
    for (int y = 0; y < source.height; y += chunk)
      resampler.AddRows(rows.data() + y, std::min(chunk, source.height - y));
    const std::vector<Picture> out = resampler.Finish();
    ASSERT_EQ(out.size(), sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i)
      EXPECT_EQ(out[i], StretchPicture(source, sizes[i].first, sizes[i].second))
          << "chunk " << chunk << ", size " << i;
  }
}

TEST_P(EachSimdLevel, RowResamplerKeepsOnlyTheRowsStillNeededAndGivesTheSamePictures) {
  // Tall sources shrunk (the intermediate rows are reused many times over), enlarged and kept,
  // fed in blocks and in uneven handfuls.
  std::mt19937 random(31);
  const struct {
    int sw, sh;
    uint32_t tw, th;
  } cases[] = {{7, 1500, 3, 50},  {5, 1601, 4, 37}, {6, 900, 2, 899}, {3, 1000, 2, 3},
               {4, 400, 4, 1500}, {9, 333, 5, 333}, {2, 2000, 1, 1}};
  for (const auto& c : cases) {
    const Picture source = test::RandomPicture(c.sw, c.sh, random);
    const Picture expected = test::ReferenceStretch(source, c.tw, c.th);
    for (int chunk : {8, 5, 64}) {
      RowResampler resampler(source.width, source.height, {{c.tw, c.th}, {c.tw + 1, c.th / 2 + 1}});
      std::vector<const uint8_t*> rows;
      for (int y = 0; y < source.height; ++y) rows.push_back(source.row(y));
      for (int y = 0; y < source.height; y += chunk)
        resampler.AddRows(rows.data() + y, std::min(chunk, source.height - y));
      const std::vector<Picture> out = resampler.Finish();
      ASSERT_EQ(out[0], expected) << c.sw << " x " << c.sh << " -> " << c.tw << " x " << c.th
                                  << ", chunk " << chunk;
      ASSERT_EQ(out[1], test::ReferenceStretch(source, c.tw + 1, c.th / 2 + 1));
    }
  }
}

TEST(RowResampler, HoldsAFewDozenIntermediateRowsWhenShrinkingAPhotograph) {
  std::vector<int32_t> ready;
  // A 3000-row photograph to a thumbnail and to a display image: each target row reads about six
  // source rows per target row's worth of shrinking, plus a block.
  const int thumbnail = detail::RingRows(*detail::CachedAxisWeights(3000, 112), 3000, ready);
  EXPECT_LE(thumbnail, 6 * 3000 / 112 + 2 * detail::kBlockRows);
  EXPECT_EQ(ready.size(), 112u);
  EXPECT_EQ(ready.back(), 3000);
  EXPECT_TRUE(std::is_sorted(ready.begin(), ready.end()));
  EXPECT_LE(detail::RingRows(*detail::CachedAxisWeights(3000, 600), 3000, ready),
            6 * 3000 / 600 + 2 * detail::kBlockRows);
  // Enlarging needs a handful; a short source is held whole, never more.
  EXPECT_LE(detail::RingRows(*detail::CachedAxisWeights(500, 1500), 500, ready),
            6 + 2 * detail::kBlockRows);
  EXPECT_EQ(detail::RingRows(*detail::CachedAxisWeights(5, 40), 5, ready), 5);

  // What the memory budget is told: the two results and little more, not two pictures of the
  // source's height.
  const uint64_t results = 120 * 90 * 3 + 640 * 480 * 3;
  const uint64_t bytes = RowResampler::MemoryBytes(4000, 3000, {{120, 90}, {640, 480}});
  EXPECT_GT(bytes, results);
  EXPECT_LT(bytes, results + 1'000'000);
  EXPECT_GT(RowResampler::MemoryBytes(4000, 3000, {{120, 90}, {100000, 100000}}),
            uint64_t{100000} * 100000 * 3);
  EXPECT_EQ(RowResampler::MemoryBytes(4000, 3000, {{0, 90}}),
            RowResampler::MemoryBytes(4000, 3000, {}));
}

TEST(RowResampler, RefusesRowsBeyondThePictureAndAnEarlyFinish) {
  const Picture source = test::FlatPicture(4, 3, 1, 2, 3);
  const uint8_t* rows[4] = {source.row(0), source.row(1), source.row(2), source.row(2)};
  RowResampler tooMany(4, 3, {{2, 2}});
  EXPECT_THROW(tooMany.AddRows(rows, 4), Error);
  RowResampler tooFew(4, 3, {{2, 2}});
  tooFew.AddRows(rows, 2);
  EXPECT_THROW(tooFew.Finish(), Error);
}

INSTANTIATE_TEST_SUITE_P(Resample, EachSimdLevel,
                         ::testing::Values(detail::SimdLevel::Scalar, detail::SimdLevel::Avx2),
                         LevelName);

}  // namespace
}  // namespace qg
