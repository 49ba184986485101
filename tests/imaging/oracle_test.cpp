// The production imaging routines against the plain model in Oracle.cpp: the worked numbers
// first (so the model itself is pinned), then random pictures, sizes, kernels and settings.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "Oracle.h"
#include "TestPictures.h"
#include "core/Error.h"
#include "imaging/Blur.h"
#include "imaging/Border.h"
#include "imaging/Kernels.h"
#include "imaging/Pipeline.h"
#include "imaging/Resample.h"
#include "imaging/Rotate.h"
#include "imaging/Shadow.h"

namespace qg {
namespace {

std::string Taps(const std::vector<oracle::Tap>& taps) {
  std::string s;
  for (const auto& t : taps) s += std::to_string(t.index) + ":" + std::to_string(t.weight) + " ";
  return s;
}

TEST(Oracle, FilterValuesAtHalfSteps) {
  const float xs[] = {0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f};
  const double expected[] = {1, 0.607927, 0, -0.135095, 0, 0.024317, 0};
  for (int i = 0; i < 7; ++i) {
    EXPECT_NEAR(oracle::Lanczos3(xs[i]), expected[i], 5e-7) << xs[i];
    EXPECT_EQ(oracle::Lanczos3(-xs[i]), oracle::Lanczos3(xs[i]));
  }
}

TEST(Oracle, WorkedTaps) {
  auto same = oracle::Contributors(10, 10);
  for (uint32_t i = 0; i < 10; ++i) EXPECT_EQ(Taps(same[i]), std::to_string(i) + ":256 ");
  auto half = oracle::Contributors(201, 101);
  EXPECT_EQ(Taps(half[50]), "95:3 97:-17 99:78 100:128 101:78 103:-17 105:3 ");
  EXPECT_EQ(Taps(half[0]), "5:3 3:-17 1:78 0:128 1:78 3:-17 5:3 ");
  auto twice = oracle::Contributors(10, 20);
  EXPECT_EQ(Taps(twice[1]), "2:7 1:-36 0:164 1:147 2:-33 3:6 ");
}

TEST(Oracle, KernelHalfWidths) {
  EXPECT_EQ(oracle::GaussKernel(1).size, 2);
  EXPECT_EQ(oracle::GaussKernel(4).size, 11);
  EXPECT_EQ(oracle::GaussKernel(10).size, 30);
  EXPECT_EQ(oracle::GaussKernel(20).size, 61);
}

TEST(Oracle, TargetSizeExamples) {
  long long w, h;
  ASSERT_TRUE(oracle::TargetSize(800, 600, true, 120, false, 100, w, h));
  EXPECT_EQ(w * 100000 + h, 120 * 100000 + 90);
  ASSERT_TRUE(oracle::TargetSize(800, 600, true, 150, false, 100, w, h));
  EXPECT_EQ(w * 100000 + h, 150 * 100000 + 112);
  ASSERT_TRUE(oracle::TargetSize(600, 800, true, 120, false, 100, w, h));
  EXPECT_EQ(w * 100000 + h, 120 * 100000 + 160);
  ASSERT_TRUE(oracle::TargetSize(120, 90, true, 100, false, 100, w, h));
  EXPECT_EQ(w * 100000 + h, 100 * 100000 + 74);
  ASSERT_TRUE(oracle::TargetSize(800, 600, true, 120, true, 100, w, h));
  EXPECT_EQ(w * 100000 + h, 120 * 100000 + 100);
}

std::string Taps(const std::vector<detail::FilterTap>& taps) {
  std::string s;
  for (const auto& t : taps)
    s += std::to_string(t.SourceIndex) + ":" + std::to_string(t.Weight) + " ";
  return s;
}

// Axis pairs worth checking: identity, enlarging and shrinking by small and huge factors,
// one-pixel lines, primes, targets of one to three pixels on long lines.
std::vector<std::pair<uint32_t, uint32_t>> AxisPairs() {
  std::vector<std::pair<uint32_t, uint32_t>> pairs = {
      {1, 1},     {1, 2},     {2, 1},     {1, 7},     {7, 1},     {2, 2},      {3, 2},
      {2, 3},     {10, 20},   {201, 101}, {120, 100}, {90, 74},   {4000, 120}, {3000, 90},
      {1600, 2},  {1600, 3},  {1600, 1},  {2048, 3},  {600, 601}, {601, 600},  {97, 89},
      {89, 97},   {13, 1031}, {1031, 13}, {5, 4000},  {640, 640}, {4608, 640}, {3456, 480},
      {20000, 2}, {2, 65535}, {9000, 3},  {7919, 17}, {17, 7919}, {511, 2},    {513, 2},
      {1025, 3},  {300, 299}, {299, 300}, {6000, 5},  {12000, 7}, {257, 256},  {256, 257}};
  std::mt19937 random(77);
  for (int i = 0; i < 16; ++i) {
    const uint32_t s = 1 + random() % 2000, t = 1 + random() % 2000;
    pairs.emplace_back(s, t);
  }
  return pairs;
}

TEST(Oracle, FilterMatchesOnRandomAndSpecialArguments) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> any(-3.5f, 3.5f);
  for (int i = 0; i < 200000; ++i) {
    const float x = any(random);
    ASSERT_EQ(Lanczos3Filter(x), oracle::Lanczos3(x)) << x;
  }
  for (float x : {0.0f, 1e-30f, 1e-7f, 0.5f, 1.0f, 2.0f, 2.9999998f, 3.0f, -3.0f, 1.5f}) {
    EXPECT_EQ(Lanczos3Filter(x), oracle::Lanczos3(x)) << x;
  }
}

TEST(Oracle, ContributorTablesMatch) {
  for (const auto& [s, t] : AxisPairs()) {
    const auto ours = detail::BuildContributorList(s, t);
    const auto model = oracle::Contributors(s, t);
    ASSERT_EQ(ours.size(), model.size());
    for (uint32_t i = 0; i < t; ++i) {
      std::vector<oracle::Tap> m = model[i];
      ASSERT_EQ(ours[i].TapCount, static_cast<int32_t>(ours[i].Taps.size()));
      ASSERT_EQ(Taps(ours[i].Taps), Taps(m)) << s << " to " << t << " at " << i;
    }
  }
}

TEST(Oracle, StretchMatchesOnRandomPictures) {
  std::mt19937 random(11);
  struct Case {
    int sw, sh;
    uint32_t tw, th;
  };
  std::vector<Case> cases = {{1, 1, 1, 1},     {1, 1, 5, 3},        {5, 3, 1, 1},
                             {1, 40, 7, 9},    {40, 1, 9, 7},       {33, 17, 33, 17},
                             {33, 17, 66, 34}, {120, 90, 100, 74},  {97, 89, 13, 11},
                             {800, 3, 2, 3},   {3, 800, 3, 2},      {1600, 5, 2, 1},
                             {5, 1600, 1, 2},  {640, 480, 120, 90}, {17, 13, 240, 3}};
  for (int i = 0; i < 30; ++i)
    cases.push_back({1 + static_cast<int>(random() % 300), 1 + static_cast<int>(random() % 300),
                     static_cast<uint32_t>(1 + random() % 300),
                     static_cast<uint32_t>(1 + random() % 300)});
  for (detail::SimdLevel level : {detail::SimdLevel::Scalar, detail::SimdLevel::Avx2}) {
    detail::ForceSimdLevel(level);
    for (const Case& c : cases) {
      const Picture source = (c.sw * c.sh) % 2 ? test::RandomPicture(c.sw, c.sh, random)
                                               : test::PhotoLikePicture(c.sw, c.sh, c.sw);
      ASSERT_EQ(StretchPicture(source, c.tw, c.th), oracle::Stretch(source, c.tw, c.th))
          << c.sw << "x" << c.sh << " to " << c.tw << "x" << c.th;
    }
  }
  detail::ResetSimdLevel();
}

TEST(Oracle, KernelsMatchForEveryUsefulRadius) {
  std::vector<double> radii;
  for (int r = 1; r <= 300; ++r) radii.push_back(r);
  for (double r : {0.1, 0.25, 0.5, 0.7, 1.5, 2.5, 3.3, 7.25, 19.9, 1e6}) radii.push_back(r);
  for (double r : radii) {
    const GaussKernel ours = MakeGaussianKernel(r, 255, 1);
    const oracle::Kernel model = oracle::GaussKernel(r);
    ASSERT_EQ(ours.KernelSize, model.size) << r;
    for (int j = -model.size; j <= model.size; ++j)
      ASSERT_EQ(ours.weight(j), model.w(j)) << "radius " << r << " j " << j;
  }
}

TEST(Oracle, BlurLinesAndPicturesMatch) {
  std::mt19937 random(3);
  for (int r = 1; r <= 20; ++r) {
    const GaussKernel ours = MakeGaussianKernel(r, 255, 1);
    const oracle::Kernel model = oracle::GaussKernel(r);
    for (size_t n : {size_t{1}, size_t{2}, size_t{5}, size_t{61}, size_t{130}}) {
      std::vector<uint8_t> line(n * 3), scratch(n * 3);
      for (auto& b : line) b = static_cast<uint8_t>(random() % 4 == 0 ? 255 : random());
      std::vector<uint8_t> copy = line;
      BlurLine(line.data(), n, ours, scratch.data());
      oracle::BlurLine(copy, model);
      ASSERT_EQ(line, copy) << "radius " << r << " length " << n;
    }
  }
  for (detail::SimdLevel level : {detail::SimdLevel::Scalar, detail::SimdLevel::Avx2}) {
    detail::ForceSimdLevel(level);
    for (double r : {1.0, 2.0, 4.0, 7.0, 13.0, 20.0, 0.5, 2.5}) {
      Picture a = test::RandomPicture(37, 23, random);
      Picture b = a;
      GaussianBlur(a, r);
      oracle::Blur(b, r);
      ASSERT_EQ(a, b) << r;
    }
  }
  detail::ResetSimdLevel();
}

TEST(Oracle, BorderShadowAndTurnsMatch) {
  std::mt19937 random(8);
  for (int i = 0; i < 60; ++i) {
    const int w = 1 + static_cast<int>(random() % 40), h = 1 + static_cast<int>(random() % 40);
    Picture p = test::RandomPicture(w, h, random);
    const int border = static_cast<int>(random() % 32);
    const auto colour = static_cast<Colour>(random() & 0xFFFFFF);
    Picture q = p;
    DrawBorder(p, border, colour);
    oracle::Border(q, border, static_cast<uint32_t>(colour));
    ASSERT_EQ(p, q) << w << "x" << h << " border " << border;

    const int margins[] = {48, 40, 47, 1, 0};
    const int margin = margins[random() % 5];
    const int dx = static_cast<int>(random() % 121) - 60,
              dy = static_cast<int>(random() % 121) - 60;
    const int blur = static_cast<int>(random() % 22) - 1;
    const auto bg = static_cast<Colour>(random() & 0xFFFFFF);
    const auto sc = static_cast<Colour>(random() & 0xFFFFFF);
    ASSERT_EQ(ComposeDropShadow(p, margin, bg, sc, dx, dy, blur),
              oracle::Shadow(p, margin, static_cast<uint32_t>(bg), static_cast<uint32_t>(sc), dx,
                             dy, blur))
        << w << "x" << h << " margin " << margin << " offsets " << dx << "," << dy << " blur "
        << blur;

    ASSERT_EQ(RotateQuarterRight(p), oracle::QuarterRight(p));
    ASSERT_EQ(RotateHalfTurn(p), oracle::HalfTurn(p));
    ASSERT_EQ(RotateQuarterLeft(p), oracle::QuarterLeft(p));
  }
}

TEST(Oracle, TargetSizesMatch) {
  std::mt19937 random(21);
  auto check = [](int sw, int sh, bool wb, int ws, bool hb, int hs) {
    const SizeBox box{wb, ws, hb, hs};
    long long w = 0, h = 0;
    const std::string text = std::to_string(sw) + " x " + std::to_string(sh);
    if (oracle::TargetSize(sw, sh, wb, ws, hb, hs, w, h)) {
      const TargetSize t = GetTargetSize(text, box, Side::Thumb);
      EXPECT_EQ(t.width, w) << text << " " << wb << ws << hb << hs;
      EXPECT_EQ(t.height, h) << text << " " << wb << ws << hb << hs;
    } else {
      EXPECT_THROW(GetTargetSize(text, box, Side::Thumb), Error)
          << text << " " << wb << ws << hb << hs;
    }
  };
  for (int i = 0; i < 20000; ++i) {
    const int sw = 1 + static_cast<int>(random() % 9000),
              sh = 1 + static_cast<int>(random() % 9000);
    check(sw, sh, random() % 2, static_cast<int>(random() % 2000), random() % 2,
          static_cast<int>(random() % 2000));
  }
  // Exact ratios, where the extended-precision rounding decides.
  for (int sw = 1; sw <= 400; ++sw)
    for (int ws = 1; ws <= 400; ws += 7) {
      check(sw, (sw * 3) / 4 + 1, true, ws, false, 0);
      check((sw * 4) / 3 + 1, sw, false, 0, true, ws);
    }
  check(120, 90, true, 100, false, 100);
  check(1, 1, true, 65535, false, 0);
  check(1, 2, true, 65535, false, 0);
  check(100, 1, false, 0, true, 70000);
  check(100, 100, true, -5, false, 0);
}

// A hand-edited project can ask for 65535 x 65535 pixels (12 GB); such sizes fail with a message
// before any pixel memory is taken, instead of ending the program when the memory runs out.
TEST(Oracle, HugeTargetsFailWithAMessage) {
  const Picture dot = test::FlatPicture(1, 1, 10, 20, 30);
  try {
    StretchPicture(dot, 65535, 65535);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "A picture of 65535 x 65535 pixels is too large");
  }
  const Picture tall = test::FlatPicture(1, 20000, 10, 20, 30);
  try {
    StretchPicture(tall, 65535, 2);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Not enough memory to resize a picture to 65535 x 2 pixels");
  }
  EXPECT_EQ(StretchPicture(dot, 20000, 3), test::FlatPicture(20000, 3, 10, 20, 30));
}

}  // namespace
}  // namespace qg
