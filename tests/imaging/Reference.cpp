#include "Reference.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/Blur.h"
#include "imaging/Resample.h"

namespace qg::test {

namespace {

struct Tap {
  int32_t SourceIndex;
  int32_t Weight;
};

struct Entry {
  int32_t TapCount = 0;
  std::vector<Tap> Taps;
};

int32_t Fold(int64_t j, int64_t s) {
  int64_t n;
  if (j < 0)
    n = -j;
  else if (j >= s)
    n = s - 1 - j + s;
  else
    n = j;
  if (n < 0) n = 0;
  if (n >= s) n = s - 1;
  return static_cast<int32_t>(n);
}

std::vector<Entry> Contributors(uint32_t s, uint32_t t) {
  const float radius = 3.0f;
  float scale;
  if (s == 1 || t == 1)
    scale = static_cast<float>(static_cast<long double>(t) / static_cast<long double>(s));
  else
    scale = static_cast<float>(static_cast<long double>(t - 1) / static_cast<long double>(s - 1));
  std::vector<Entry> list(t);
  for (uint32_t i = 0; i < t; ++i) {
    Entry& e = list[i];
    const float centre = static_cast<float>(static_cast<long double>(i) / scale);
    if (scale >= 1.0f) {
      const int64_t left =
          static_cast<int64_t>(std::floor(static_cast<long double>(centre) - radius));
      const int64_t right =
          static_cast<int64_t>(std::ceil(static_cast<long double>(centre) + radius));
      for (int64_t j = left; j <= right; ++j) {
        const float x = static_cast<float>(static_cast<long double>(centre) - j);
        const long double v = static_cast<long double>(Lanczos3Filter(x)) * 256.0L;
        const auto weight = static_cast<int32_t>(std::nearbyint(v));
        if (weight == 0) continue;
        e.Taps.push_back({Fold(j, s), weight});
        ++e.TapCount;
      }
    } else {
      const float width = static_cast<float>(static_cast<long double>(radius) / scale);
      const int64_t left =
          static_cast<int64_t>(std::floor(static_cast<long double>(centre) - width));
      const int64_t right =
          static_cast<int64_t>(std::ceil(static_cast<long double>(centre) + width));
      for (int64_t j = left; j <= right; ++j) {
        const float x = static_cast<float>((static_cast<long double>(centre) - j) *
                                           static_cast<long double>(scale));
        const long double v = static_cast<long double>(Lanczos3Filter(x)) * scale * 256.0L;
        const auto weight = static_cast<int32_t>(std::nearbyint(v));
        if (weight == 0) continue;
        e.Taps.push_back({Fold(j, s), weight});
        ++e.TapCount;
      }
    }
    if (e.TapCount == 0) {
      const auto j = static_cast<int64_t>(std::floor(static_cast<long double>(centre) + 0.5L));
      e.Taps.push_back({Fold(j, s), 256});
      e.TapCount = 1;
    }
  }
  return list;
}

uint8_t Apply(const Entry& e, const std::vector<int32_t>& cache) {
  int32_t total = 0, acc = 0;
  for (int32_t n = 0; n < e.TapCount; ++n) total += e.Taps[n].Weight;
  for (int32_t n = 0; n < e.TapCount; ++n) acc += cache[e.Taps[n].SourceIndex] * e.Taps[n].Weight;
  int32_t value;
  if (total != 0)
    value = acc / total;
  else
    value = static_cast<int32_t>(static_cast<uint32_t>(acc) >> 8);
  if (value < 0) return 0;
  if (value > 255) return 255;
  return static_cast<uint8_t>(value);
}

}  // namespace

Picture ReferenceStretch(const Picture& source, uint32_t newWidth, uint32_t newHeight) {
  Picture target(static_cast<int>(newWidth), static_cast<int>(newHeight));
  const int sw = source.width, sh = source.height;
  if (sw == 0 || sh == 0 || newWidth == 0 || newHeight == 0) return target;
  Picture between(static_cast<int>(newWidth), sh);
  std::vector<int32_t> cache[3];

  std::vector<Entry> across = Contributors(static_cast<uint32_t>(sw), newWidth);
  for (auto& c : cache) c.assign(static_cast<size_t>(sw), 0);
  for (int y = 0; y < sh; ++y) {
    for (int x = 0; x < sw; ++x)
      for (int c = 0; c < 3; ++c) cache[c][x] = source.at(x, y)[c];
    for (uint32_t i = 0; i < newWidth; ++i)
      for (int c = 0; c < 3; ++c)
        between.at(static_cast<int>(i), y)[c] = Apply(across[i], cache[c]);
  }

  std::vector<Entry> down = Contributors(static_cast<uint32_t>(sh), newHeight);
  for (auto& c : cache) c.assign(static_cast<size_t>(sh), 0);
  for (uint32_t x = 0; x < newWidth; ++x) {
    for (int y = 0; y < sh; ++y)
      for (int c = 0; c < 3; ++c) cache[c][y] = between.at(static_cast<int>(x), y)[c];
    for (uint32_t j = 0; j < newHeight; ++j)
      for (int c = 0; c < 3; ++c)
        target.at(static_cast<int>(x), static_cast<int>(j))[c] = Apply(down[j], cache[c]);
  }
  return target;
}

void ReferenceGaussianBlur(Picture& picture, double radius) {
  const GaussKernel kernel = MakeGaussianKernel(radius, 255, 1);
  const int w = picture.width, h = picture.height;
  std::vector<uint8_t> scratch(static_cast<size_t>(std::max(w, h)) * 3);
  for (int y = 0; y < h; ++y)
    BlurLine(picture.row(y), static_cast<size_t>(w), kernel, scratch.data());
  std::vector<uint8_t> line(static_cast<size_t>(h) * 3);
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y)
      for (int c = 0; c < 3; ++c) line[3 * y + c] = picture.at(x, y)[c];
    BlurLine(line.data(), static_cast<size_t>(h), kernel, scratch.data());
    for (int y = 0; y < h; ++y)
      for (int c = 0; c < 3; ++c) picture.at(x, y)[c] = line[3 * y + c];
  }
}

}  // namespace qg::test
