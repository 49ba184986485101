// The Lanczos resampler: filter, contributor tables, the portable passes and the driver that
// picks the fastest form of the passes.
//
// The arithmetic of the weights is written in long double on purpose: it is the extended
// precision in which the reference results were made, and the places where a value is rounded to
// single precision (centre, argument, filter value, scale, support width) are part of the result.
#include "imaging/Resample.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

#include "core/Error.h"
#include "imaging/Kernels.h"

namespace qg {

namespace {

// pi with a 64-bit mantissa, the constant the extended-precision arithmetic uses.
constexpr long double kPi = 3.14159265358979323846264338327950288L;

float Sinc(float t) {
  if (t == 0.0f) return 1.0f;
  const float pt = static_cast<float>(static_cast<long double>(t) * kPi);
  return static_cast<float>(sinl(pt) / static_cast<long double>(pt));
}

}  // namespace

float Lanczos3Filter(float x) {
  const float a = x < 0.0f ? -x : x;
  if (!(a < 3.0f)) return 0.0f;
  const float third = static_cast<float>(static_cast<long double>(a) / 3.0L);
  return static_cast<float>(static_cast<long double>(Sinc(a)) * Sinc(third));
}

namespace detail {

float ResampleScale(uint32_t sourceLength, uint32_t targetLength) {
  if (sourceLength == 1 || targetLength == 1)
    return static_cast<float>(static_cast<long double>(targetLength) / sourceLength);
  return static_cast<float>(static_cast<long double>(targetLength - 1) / (sourceLength - 1));
}

namespace {

// Left edge reflects about pixel 0 without repeating it, right edge with repetition; what is
// still outside (tiny targets on long lines) is clamped to the nearest end.
int32_t FoldIndex(int64_t j, uint32_t length) {
  const int64_t s = length;
  int64_t n = j < 0 ? -j : (j >= s ? 2 * s - 1 - j : j);
  if (n < 0) n = 0;
  if (n > s - 1) n = s - 1;
  return static_cast<int32_t>(n);
}

}  // namespace

void BuildContributorEntry(uint32_t sourceLength, float scale, float radius,
                           float (*filter)(float), uint32_t index, std::vector<FilterTap>& taps) {
  taps.clear();
  const long double centre =
      static_cast<float>(static_cast<long double>(index) / static_cast<long double>(scale));
  if (scale >= 1.0f) {
    const auto left = static_cast<int64_t>(floorl(centre - radius));
    const auto right = static_cast<int64_t>(ceill(centre + radius));
    for (int64_t j = left; j <= right; ++j) {
      const float arg = static_cast<float>(centre - static_cast<long double>(j));
      const long double w = nearbyintl(static_cast<long double>(filter(arg)) * 256.0L);
      if (w == 0.0L) continue;
      taps.push_back({FoldIndex(j, sourceLength), static_cast<int32_t>(w)});
    }
  } else {
    const float width = static_cast<float>(static_cast<long double>(radius) / scale);
    const auto left = static_cast<int64_t>(floorl(centre - width));
    const auto right = static_cast<int64_t>(ceill(centre + width));
    for (int64_t j = left; j <= right; ++j) {
      const float arg =
          static_cast<float>((centre - static_cast<long double>(j)) * static_cast<long double>(scale));
      const long double w =
          nearbyintl(static_cast<long double>(filter(arg)) * scale * 256.0L);
      if (w == 0.0L) continue;
      taps.push_back({FoldIndex(j, sourceLength), static_cast<int32_t>(w)});
    }
  }
  // Shrinking by more than about 512 times rounds every weight to zero; such a position takes
  // the source pixel nearest its centre instead of coming out black.
  if (taps.empty()) {
    const auto nearest = static_cast<int64_t>(floorl(centre + 0.5L));
    taps.push_back({FoldIndex(nearest, sourceLength), 256});
  }
}

std::vector<ContributorEntry> BuildContributorList(uint32_t sourceLength, uint32_t targetLength,
                                                   const ResampleFilter& filter, float radius) {
  if (radius == 0.0f) radius = filter.defaultRadius;
  const float scale = ResampleScale(sourceLength, targetLength);
  std::vector<ContributorEntry> list(targetLength);
  for (uint32_t i = 0; i < targetLength; ++i) {
    BuildContributorEntry(sourceLength, scale, radius, filter.function, i, list[i].Taps);
    list[i].TapCount = static_cast<int32_t>(list[i].Taps.size());
  }
  return list;
}

AxisWeights BuildAxisWeights(uint32_t sourceLength, uint32_t targetLength,
                             const ResampleFilter& filter, float radius) {
  if (radius == 0.0f) radius = filter.defaultRadius;
  const float scale = ResampleScale(sourceLength, targetLength);
  AxisWeights axis;
  axis.sourceLength = sourceLength;
  axis.entries.resize(targetLength);
  std::vector<FilterTap> taps;
  std::vector<int64_t> dense;
  for (uint32_t i = 0; i < targetLength; ++i) {
    BuildContributorEntry(sourceLength, scale, radius, filter.function, i, taps);
    int32_t lo = taps[0].SourceIndex, hi = lo;
    for (const FilterTap& t : taps) {
      lo = std::min(lo, t.SourceIndex);
      hi = std::max(hi, t.SourceIndex);
    }
    const int32_t first = lo & ~1;
    const int32_t pairCount = (hi - first) / 2 + 1;
    dense.assign(static_cast<size_t>(pairCount) * 2, 0);
    int64_t total = 0;
    for (const FilterTap& t : taps) {
      dense[static_cast<size_t>(t.SourceIndex - first)] += t.Weight;
      total += t.Weight;
    }
    int64_t sumAbs = 0;
    for (int64_t w : dense) {
      sumAbs += w < 0 ? -w : w;
      if (w < INT16_MIN || w > INT16_MAX) axis.fitsInt16 = false;
    }
    AxisWeights::Entry& e = axis.entries[i];
    e.firstPair = first / 2;
    e.pairCount = pairCount;
    e.offset = static_cast<int32_t>(axis.pairs.size());
    e.total = static_cast<int32_t>(total);
    e.floatExact = 255 * sumAbs < (int64_t{1} << 24);
    for (int32_t q = 0; q < pairCount; ++q) {
      const auto even = static_cast<uint16_t>(static_cast<int16_t>(dense[2 * q]));
      const auto odd = static_cast<uint16_t>(static_cast<int16_t>(dense[2 * q + 1]));
      axis.pairs.push_back(static_cast<int32_t>(even | (static_cast<uint32_t>(odd) << 16)));
    }
  }
  return axis;
}

Plane::Plane(int w, int h) : width(w), height(h) {
  const size_t bytes = static_cast<size_t>(w) * 3;
  stride = (bytes + 15) / 16 * 16 + 16;
  data.reset(new uint8_t[stride * (static_cast<size_t>(h) + 1)]);
  for (int y = 0; y < h; ++y) std::memset(row(y) + bytes, 0, stride - bytes);
  std::memset(row(h), 0, stride);
}

// The portable passes work from the merged weights with plain integer loops. They are the
// fallback on processors without AVX2 and the form used when a weight does not fit 16 bits.

void HorizontalPassScalar(const Picture& source, const AxisWeights& weights, Plane& out) {
  const int sw = source.width;
  for (int y = 0; y < source.height; ++y) {
    const uint8_t* in = source.row(y);
    uint8_t* o = out.row(y);
    for (size_t i = 0; i < weights.entries.size(); ++i) {
      const AxisWeights::Entry& e = weights.entries[i];
      const int32_t* pairs = weights.pairs.data() + e.offset;
      int32_t r = 0, g = 0, b = 0;
      int x = 2 * e.firstPair;
      for (int32_t q = 0; q < e.pairCount; ++q, x += 2) {
        const int32_t we = EvenWeight(pairs[q]);
        const uint8_t* p = in + 3 * static_cast<size_t>(x);
        r += we * p[0];
        g += we * p[1];
        b += we * p[2];
        if (x + 1 < sw) {
          const int32_t wo = OddWeight(pairs[q]);
          r += wo * p[3];
          g += wo * p[4];
          b += wo * p[5];
        }
      }
      o[3 * i] = FinishChannel(r, e.total);
      o[3 * i + 1] = FinishChannel(g, e.total);
      o[3 * i + 2] = FinishChannel(b, e.total);
    }
  }
}

void VerticalPassScalar(const Plane& in, const AxisWeights& weights, Picture& out) {
  const size_t bytes = static_cast<size_t>(out.width) * 3;
  std::vector<int32_t> acc(bytes);
  for (size_t j = 0; j < weights.entries.size(); ++j) {
    const AxisWeights::Entry& e = weights.entries[j];
    const int32_t* pairs = weights.pairs.data() + e.offset;
    std::fill(acc.begin(), acc.end(), 0);
    for (int32_t q = 0; q < e.pairCount; ++q) {
      const int y = 2 * (e.firstPair + q);
      // Row `height` is the zero row, so the odd half of a last pair reads zeros.
      const uint8_t* a = in.row(y);
      const uint8_t* b = in.row(y + 1);
      const int32_t we = EvenWeight(pairs[q]), wo = OddWeight(pairs[q]);
      for (size_t k = 0; k < bytes; ++k) acc[k] += we * a[k] + wo * b[k];
    }
    uint8_t* o = out.row(static_cast<int>(j));
    for (size_t k = 0; k < bytes; ++k) o[k] = FinishChannel(acc[k], e.total);
  }
}

// ---- Instruction set choice ------------------------------------------------------------------

namespace {
// -1: not forced; otherwise a SimdLevel value.
std::atomic<int> g_forcedLevel{-1};
}  // namespace

bool CpuHasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}

SimdLevel ActiveSimdLevel() {
  const int forced = g_forcedLevel.load(std::memory_order_relaxed);
  if (forced == static_cast<int>(SimdLevel::Scalar)) return SimdLevel::Scalar;
  return CpuHasAvx2() ? SimdLevel::Avx2 : SimdLevel::Scalar;
}

void ForceSimdLevel(SimdLevel level) {
  g_forcedLevel.store(static_cast<int>(level), std::memory_order_relaxed);
}

void ResetSimdLevel() { g_forcedLevel.store(-1, std::memory_order_relaxed); }

}  // namespace detail

Picture StretchPicture(const Picture& source, uint32_t newWidth, uint32_t newHeight,
                       const ResampleFilter& filter, float radius) {
  using namespace detail;
  if (source.width < 0 || source.height < 0 ||
      source.pixels.size() != static_cast<size_t>(source.width) * source.height * 3)
    throw Error("The picture to resize is not a 24-bit picture");
  if (newWidth > INT_MAX / 4 || newHeight > INT_MAX / 4)
    throw Error(Format("A picture of %u x %u pixels is too large", newWidth, newHeight));

  try {
    Picture target(static_cast<int>(newWidth), static_cast<int>(newHeight));
    if (source.empty() || target.empty()) return target;
    if (radius == 0.0f) radius = filter.defaultRadius;

    const SimdLevel level = ActiveSimdLevel();
    Plane between(static_cast<int>(newWidth), source.height);
    {
      const AxisWeights across =
          BuildAxisWeights(static_cast<uint32_t>(source.width), newWidth, filter, radius);
      if (level == SimdLevel::Avx2 && across.fitsInt16)
        HorizontalPassAvx2(source, across, between);
      else
        HorizontalPassScalar(source, across, between);
    }
    const AxisWeights down =
        BuildAxisWeights(static_cast<uint32_t>(source.height), newHeight, filter, radius);
    if (level == SimdLevel::Avx2 && down.fitsInt16)
      VerticalPassAvx2(between, down, target);
    else
      VerticalPassScalar(between, down, target);
    return target;
  } catch (const std::bad_alloc&) {
    throw Error(Format("Not enough memory to resize a picture to %u x %u pixels", newWidth,
                       newHeight));
  }
}

void StretchPicture(uint32_t newWidth, uint32_t newHeight, const ResampleFilter& filter,
                    float radius, Picture& picture) {
  picture = StretchPicture(picture, newWidth, newHeight, filter, radius);
}

}  // namespace qg
