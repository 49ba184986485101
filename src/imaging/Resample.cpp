// The Lanczos resampler: filter, contributor tables, the portable passes and the driver that
// picks the fastest form of the passes.
//
// The arithmetic of the weights is written in long double on purpose: results are defined in
// that extended precision, and the places where a value is rounded to single precision (centre,
// argument, filter value, scale, support width) are part of the result. Where double precision
// is used instead, it gives the same values (see Sinc and the weight rounding).
#include "imaging/Resample.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <list>
#include <mutex>
#include <new>

#include "core/Error.h"
#include "imaging/Kernels.h"

namespace qg {

namespace {

// pi with a 64-bit mantissa, the constant the extended-precision arithmetic uses.
constexpr long double kPi = 3.14159265358979323846264338327950288L;

// sin(pi t) / (pi t) with pi t rounded to single precision and the quotient too. The sine and
// the quotient are taken in double precision: for every single-precision argument below 3 this
// gives the same single-precision quotient as extended precision does (checked exhaustively),
// at a small fraction of the cost of the extended-precision sine.
float Sinc(float t) {
  if (t == 0.0f) return 1.0f;
  const float pt = static_cast<float>(static_cast<long double>(t) * kPi);
  return static_cast<float>(std::sin(static_cast<double>(pt)) / static_cast<double>(pt));
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

void BuildContributorEntry(uint32_t sourceLength, float scale, float radius, float (*filter)(float),
                           uint32_t index, std::vector<FilterTap>& taps) {
  taps.clear();
  const long double centre =
      static_cast<float>(static_cast<long double>(index) / static_cast<long double>(scale));
  if (scale >= 1.0f) {
    const auto left = static_cast<int64_t>(floorl(centre - radius));
    const auto right = static_cast<int64_t>(ceill(centre + radius));
    for (int64_t j = left; j <= right; ++j) {
      const float arg = static_cast<float>(centre - static_cast<long double>(j));
      const double w = std::nearbyint(static_cast<double>(filter(arg)) * 256.0);
      if (w == 0.0) continue;
      taps.push_back({FoldIndex(j, sourceLength), static_cast<int32_t>(w)});
    }
  } else {
    const float width = static_cast<float>(static_cast<long double>(radius) / scale);
    const auto left = static_cast<int64_t>(floorl(centre - width));
    const auto right = static_cast<int64_t>(ceill(centre + width));
    for (int64_t j = left; j <= right; ++j) {
      const float arg = static_cast<float>((centre - static_cast<long double>(j)) *
                                           static_cast<long double>(scale));
      // filter * scale * 256 is exact in double (two 24-bit mantissas), so one rounding.
      const double w = std::nearbyint(static_cast<double>(filter(arg)) * scale * 256.0);
      if (w == 0.0) continue;
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

std::vector<ContributorEntry> BuildContributorList(uint32_t sourceLength, uint32_t targetLength) {
  const float scale = ResampleScale(sourceLength, targetLength);
  std::vector<ContributorEntry> list(targetLength);
  for (uint32_t i = 0; i < targetLength; ++i) {
    BuildContributorEntry(sourceLength, scale, kLanczos3Radius, &Lanczos3Filter, i, list[i].Taps);
    list[i].TapCount = static_cast<int32_t>(list[i].Taps.size());
  }
  return list;
}

namespace {

bool HasByteForm(const AxisWeights& axis, const AxisWeights::Entry& e) {
  for (int32_t q = 0; q < e.pairCount; ++q) {
    const int32_t pair = axis.pairs[static_cast<size_t>(e.offset + q)];
    const int32_t we = EvenWeight(pair), wo = OddWeight(pair);
    if (we < -128 || we > 127 || wo < -128 || wo > 127 || std::abs(we) + std::abs(wo) > 128)
      return false;
  }
  return true;
}

void BuildByteForm(AxisWeights& axis) {
  for (const AxisWeights::Entry& e : axis.entries) {
    AxisWeights::ByteEntry b;
    b.stepOffset = static_cast<int32_t>(axis.byteSteps.size());
    b.runOffset = static_cast<int32_t>(axis.byteRuns.size());
    if (!HasByteForm(axis, e)) {
      axis.byteEntries.push_back(b);
      continue;
    }
    int halfSum[2] = {0, 0};
    for (int32_t q = 0; q < e.pairCount; q += 2) {
      uint32_t word = 0;
      int stepSum[2] = {0, 0};
      for (int half = 0; half < 2 && q + half < e.pairCount; ++half) {
        const int32_t pair = axis.pairs[static_cast<size_t>(e.offset + q + half)];
        const int32_t we = EvenWeight(pair), wo = OddWeight(pair);
        word |= (static_cast<uint32_t>(static_cast<uint8_t>(we)) |
                 static_cast<uint32_t>(static_cast<uint8_t>(wo)) << 8)
                << (16 * half);
        stepSum[half] = std::abs(we) + std::abs(wo);
      }
      axis.byteSteps.push_back(static_cast<int32_t>(word));
      const bool fits = b.runCount > 0 && halfSum[0] + stepSum[0] <= 128 &&
                        halfSum[1] + stepSum[1] <= 128 && axis.byteRuns.back() < UINT16_MAX;
      if (fits) {
        ++axis.byteRuns.back();
        halfSum[0] += stepSum[0];
        halfSum[1] += stepSum[1];
      } else {
        axis.byteRuns.push_back(1);
        ++b.runCount;
        halfSum[0] = stepSum[0];
        halfSum[1] = stepSum[1];
      }
    }
    axis.byteEntries.push_back(b);
  }
}

}  // namespace

AxisWeights BuildAxisWeights(uint32_t sourceLength, uint32_t targetLength) {
  const float scale = ResampleScale(sourceLength, targetLength);
  AxisWeights axis;
  axis.sourceLength = sourceLength;
  axis.entries.resize(targetLength);
  std::vector<FilterTap> taps;
  std::vector<int64_t> dense;
  for (uint32_t i = 0; i < targetLength; ++i) {
    BuildContributorEntry(sourceLength, scale, kLanczos3Radius, &Lanczos3Filter, i, taps);
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
    e.fastDivide = total != 0 && 255 * sumAbs < (int64_t{1} << 17);
    if (e.fastDivide)
      e.reciprocal = static_cast<float>(1.0 / static_cast<double>(total) * (1.0 + 0x1p-19));
    for (int32_t q = 0; q < pairCount; ++q) {
      const auto even = static_cast<uint16_t>(static_cast<int16_t>(dense[2 * q]));
      const auto odd = static_cast<uint16_t>(static_cast<int16_t>(dense[2 * q + 1]));
      axis.pairs.push_back(static_cast<int32_t>(even | (static_cast<uint32_t>(odd) << 16)));
    }
  }
  BuildByteForm(axis);
  return axis;
}

namespace {

struct CacheKey {
  uint32_t sourceLength, targetLength;
  friend bool operator==(const CacheKey&, const CacheKey&) = default;
};

constexpr size_t kCacheEntries = 8;
std::mutex g_cacheMutex;
using WeightCache = std::list<std::pair<CacheKey, std::shared_ptr<const AxisWeights>>>;

// Most recently used first. Made on first use rather than before main, which commands that
// resize nothing would pay for.
WeightCache& Cache() {
  static WeightCache cache;
  return cache;
}

}  // namespace

std::shared_ptr<const AxisWeights> CachedAxisWeights(uint32_t sourceLength, uint32_t targetLength) {
  const CacheKey key{sourceLength, targetLength};
  WeightCache& cache = Cache();
  {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    for (auto it = cache.begin(); it != cache.end(); ++it)
      if (it->first == key) {
        cache.splice(cache.begin(), cache, it);
        return it->second;
      }
  }
  // Built outside the lock; two threads may build the same table, which is harmless.
  auto weights = std::make_shared<const AxisWeights>(BuildAxisWeights(sourceLength, targetLength));
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  cache.emplace_front(key, weights);
  if (cache.size() > kCacheEntries) cache.pop_back();
  return weights;
}

Plane::Plane(int w, int ringRows, int fullHeight)
    : width(w), rows(ringRows), sourceHeight(fullHeight) {
  stride = Stride(w);
  data.reset(new uint8_t[stride * (static_cast<size_t>(rows) + 1)]);
  // Every byte defined: the vector loads read the padding too (its sums are never stored).
  std::memset(data.get(), 0, stride * (static_cast<size_t>(rows) + 1));
}

AlignedBuffer::AlignedBuffer(size_t bytes)
    : ptr_(std::aligned_alloc(32, (bytes + 31) / 32 * 32 + 32)) {
  if (!ptr_) throw std::bad_alloc();
}

AlignedBuffer::~AlignedBuffer() { std::free(ptr_); }

// The portable passes work from the merged weights with plain integer loops. They are the
// fallback on processors without AVX2 and the form used when a weight does not fit 16 bits.

void HorizontalBlockScalar(const uint8_t* const* rows, int count, int firstRow, int sw,
                           const HorizontalTarget* targets, size_t targetCount) {
  for (size_t t = 0; t < targetCount; ++t) {
    const AxisWeights& weights = *targets[t].weights;
    for (int r = 0; r < count; ++r) {
      const uint8_t* in = rows[r];
      uint8_t* o = targets[t].out->row(firstRow + r);
      for (size_t i = 0; i < weights.entries.size(); ++i) {
        const AxisWeights::Entry& e = weights.entries[i];
        const int32_t* pairs = weights.pairs.data() + e.offset;
        int32_t red = 0, green = 0, blue = 0;
        int x = 2 * e.firstPair;
        for (int32_t q = 0; q < e.pairCount; ++q, x += 2) {
          const int32_t we = EvenWeight(pairs[q]);
          const uint8_t* p = in + 3 * static_cast<size_t>(x);
          red += we * p[0];
          green += we * p[1];
          blue += we * p[2];
          if (x + 1 < sw) {
            const int32_t wo = OddWeight(pairs[q]);
            red += wo * p[3];
            green += wo * p[4];
            blue += wo * p[5];
          }
        }
        o[3 * i] = FinishChannel(red, e.total);
        o[3 * i + 1] = FinishChannel(green, e.total);
        o[3 * i + 2] = FinishChannel(blue, e.total);
      }
    }
  }
}

void VerticalRowScalar(const uint8_t* const* rows, const int32_t* pairs,
                       const AxisWeights::Entry& e, size_t bytes, uint8_t* out) {
  constexpr size_t kChunk = 192;
  int32_t acc[kChunk];
  for (size_t k0 = 0; k0 < bytes; k0 += kChunk) {
    const size_t n = std::min(kChunk, bytes - k0);
    std::fill(acc, acc + n, 0);
    for (int32_t q = 0; q < e.pairCount; ++q) {
      const uint8_t* a = rows[2 * q] + k0;
      const uint8_t* b = rows[2 * q + 1] + k0;
      const int32_t we = EvenWeight(pairs[q]), wo = OddWeight(pairs[q]);
      for (size_t k = 0; k < n; ++k) acc[k] += we * a[k] + wo * b[k];
    }
    for (size_t k = 0; k < n; ++k) out[k0 + k] = FinishChannel(acc[k], e.total);
  }
}

// Rows come in blocks of kBlockRows starting at multiples of it (the last block may be shorter);
// while a block [r0, r1) is written, every target row not yet made still needs its rows from its
// first one on, and the block's own rows must all fit.
int RingRows(const AxisWeights& down, int sourceHeight, std::vector<int32_t>& ready) {
  const size_t n = down.entries.size();
  ready.assign(n, 0);
  std::vector<int32_t> oldestNeeded(n);  // the lowest first row of rows j.. of the target
  int32_t latest = 0;
  for (size_t j = 0; j < n; ++j) {
    const AxisWeights::Entry& e = down.entries[j];
    latest = std::max(latest, std::min(2 * (e.firstPair + e.pairCount), sourceHeight));
    ready[j] = latest;
  }
  int32_t lowest = INT32_MAX;
  for (size_t j = n; j-- > 0;) {
    lowest = std::min(lowest, 2 * down.entries[j].firstPair);
    oldestNeeded[j] = lowest;
  }
  int need = 1;
  size_t made = 0;
  for (int r0 = 0; r0 < sourceHeight; r0 += kBlockRows) {
    const int r1 = std::min(r0 + kBlockRows, sourceHeight);
    while (made < n && ready[made] <= r0) ++made;
    const int oldest = made < n ? std::min(oldestNeeded[made], r0) : r0;
    need = std::max(need, r1 - oldest);
  }
  return std::min(need, sourceHeight);
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
  static const bool portableOnly = std::getenv("QUILLON_PORTABLE_KERNELS") != nullptr;
  return CpuHasAvx2() && !portableOnly ? SimdLevel::Avx2 : SimdLevel::Scalar;
}

void ForceSimdLevel(SimdLevel level) {
  g_forcedLevel.store(static_cast<int>(level), std::memory_order_relaxed);
}

void ResetSimdLevel() { g_forcedLevel.store(-1, std::memory_order_relaxed); }

}  // namespace detail

namespace {

// Targets and intermediate pictures are held to the decoders' limit on sources. Beyond it the
// gigabytes a picture needs are handed out lazily by the system, so running short would end
// the program when the pixels are written instead of failing the command with a message.
constexpr uint64_t kMaxResizedPixels = 500'000'000;

[[noreturn]] void OutOfMemory(uint32_t width, uint32_t height) {
  throw Error(Format("Not enough memory to resize a picture to %u x %u pixels", width, height));
}

}  // namespace

struct RowResampler::Impl {
  struct Target {
    uint32_t width = 0, height = 0;
    bool active = false;  // both sides of source and target are non-zero
    std::shared_ptr<const detail::AxisWeights> across, down;
    bool vectorDown = false;
    std::unique_ptr<detail::Plane> between;
    std::vector<int32_t> ready;  // see RingRows
    uint32_t made = 0;           // target rows made so far
    Picture result;
  };

  int sourceWidth = 0, sourceHeight = 0;
  detail::SimdLevel level = detail::SimdLevel::Scalar;
  std::vector<Target> targets;
  std::vector<detail::HorizontalTarget> vectorTargets, scalarTargets;
  std::unique_ptr<detail::AlignedBuffer> scratch;
  std::unique_ptr<uint8_t[]> pending;  // up to kBlockRows rows handed over one at a time
  int pendingCount = 0;
  int nextRow = 0;                     // first row of the next block
  std::vector<const uint8_t*> window;  // the intermediate rows of one target row

  // Every target row whose intermediate rows are all in.
  void MakeRows(Target& t) {
    const size_t bytes = static_cast<size_t>(t.width) * 3;
    const detail::AxisWeights& down = *t.down;
    while (t.made < t.height && t.ready[t.made] <= nextRow) {
      const detail::AxisWeights::Entry& e = down.entries[t.made];
      const int32_t* pairs = down.pairs.data() + e.offset;
      for (int32_t r = 0; r < 2 * e.pairCount; ++r)
        window[static_cast<size_t>(r)] = t.between->row(2 * e.firstPair + r);
      uint8_t* out = t.result.row(static_cast<int>(t.made));
      if (t.vectorDown)
        detail::VerticalRowAvx2(window.data(), pairs, e, bytes, out);
      else
        detail::VerticalRowScalar(window.data(), pairs, e, bytes, out);
      ++t.made;
    }
  }

  void Process(const uint8_t* const* rows, int count) {
    if (!vectorTargets.empty())
      detail::HorizontalBlockAvx2(rows, count, nextRow, sourceWidth, vectorTargets.data(),
                                  vectorTargets.size(), scratch->get());
    if (!scalarTargets.empty())
      detail::HorizontalBlockScalar(rows, count, nextRow, sourceWidth, scalarTargets.data(),
                                    scalarTargets.size());
    nextRow += count;
    for (Target& t : targets)
      if (t.active) MakeRows(t);
  }

  void FlushPending() {
    if (pendingCount == 0) return;
    const uint8_t* rows[detail::kBlockRows];
    const size_t bytes = static_cast<size_t>(sourceWidth) * 3;
    for (int r = 0; r < pendingCount; ++r) rows[r] = pending.get() + r * bytes;
    const int count = pendingCount;
    pendingCount = 0;
    Process(rows, count);
  }
};

RowResampler::RowResampler(int sourceWidth, int sourceHeight,
                           const std::vector<std::pair<uint32_t, uint32_t>>& targetSizes)
    : impl_(std::make_unique<Impl>()) {
  using namespace detail;
  if (sourceWidth < 0 || sourceHeight < 0 || sourceWidth > INT_MAX / 4 ||
      sourceHeight > INT_MAX / 4)
    throw Error(Format("A picture of %d x %d pixels cannot be resized", sourceWidth, sourceHeight));
  Impl& m = *impl_;
  m.sourceWidth = sourceWidth;
  m.sourceHeight = sourceHeight;
  m.level = ActiveSimdLevel();
  uint32_t width = 0, height = 0;
  try {
    size_t window = 0;
    for (const auto& [w, h] : targetSizes) {
      width = w;
      height = h;
      if (w > INT_MAX / 4 || h > INT_MAX / 4 || uint64_t{w} * h > kMaxResizedPixels)
        throw Error(Format("A picture of %u x %u pixels is too large", w, h));
      if (sourceHeight > 0 && h > 0 &&
          uint64_t{w} * static_cast<uint32_t>(sourceHeight) > kMaxResizedPixels)
        OutOfMemory(w, h);
      Impl::Target t;
      t.width = w;
      t.height = h;
      t.active = sourceWidth > 0 && sourceHeight > 0 && w > 0 && h > 0;
      t.result = Picture(static_cast<int>(w), static_cast<int>(h));
      if (t.active) {
        t.across = CachedAxisWeights(static_cast<uint32_t>(sourceWidth), w);
        t.down = CachedAxisWeights(static_cast<uint32_t>(sourceHeight), h);
        t.vectorDown = m.level == SimdLevel::Avx2 && t.down->fitsInt16;
        const int ring = RingRows(*t.down, sourceHeight, t.ready);
        t.between = std::make_unique<Plane>(static_cast<int>(w), ring, sourceHeight);
        for (const AxisWeights::Entry& e : t.down->entries)
          window = std::max(window, static_cast<size_t>(e.pairCount) * 2);
      }
      m.targets.push_back(std::move(t));
    }
    m.window.resize(window);
    for (Impl::Target& t : m.targets) {
      if (!t.active) continue;
      const HorizontalTarget ht{t.across.get(), t.between.get()};
      (m.level == SimdLevel::Avx2 && t.across->fitsInt16 ? m.vectorTargets : m.scalarTargets)
          .push_back(ht);
    }
    if (!m.vectorTargets.empty()) {
      m.scratch = std::make_unique<AlignedBuffer>(BlockScratchBytes(sourceWidth));
      std::memset(m.scratch->get(), 0, BlockScratchBytes(sourceWidth));
    }
  } catch (const std::bad_alloc&) {
    OutOfMemory(width, height);
  }
}

RowResampler::~RowResampler() = default;

void RowResampler::AddRows(const uint8_t* const* rows, int count) {
  Impl& m = *impl_;
  if (count < 0 || count > m.sourceHeight - m.nextRow - m.pendingCount)
    throw Error("The picture has fewer rows than it is being given");
  const size_t bytes = static_cast<size_t>(m.sourceWidth) * 3;
  while (count > 0) {
    // Whole blocks (or the final rows) straight from the caller's memory.
    if (m.pendingCount == 0 &&
        (count >= detail::kBlockRows || m.nextRow + count == m.sourceHeight)) {
      const int n = std::min(count, detail::kBlockRows);
      m.Process(rows, n);
      rows += n;
      count -= n;
      continue;
    }
    // Taken on first use: a decoder hands over whole blocks and never needs it.
    if (!m.pending) m.pending.reset(new uint8_t[bytes * detail::kBlockRows]);
    std::memcpy(m.pending.get() + m.pendingCount * bytes, *rows, bytes);
    ++m.pendingCount;
    ++rows;
    --count;
    if (m.pendingCount == detail::kBlockRows || m.nextRow + m.pendingCount == m.sourceHeight)
      m.FlushPending();
  }
}

std::vector<Picture> RowResampler::Finish() {
  Impl& m = *impl_;
  m.FlushPending();
  std::vector<Picture> pictures;
  for (Impl::Target& t : m.targets) {
    if (t.active) {
      if (m.nextRow != m.sourceHeight) throw Error("The picture ended before its last row");
      t.between.reset();
    }
    pictures.push_back(std::move(t.result));
  }
  return pictures;
}

uint64_t RowResampler::MemoryBytes(int sourceWidth, int sourceHeight,
                                   const std::vector<std::pair<uint32_t, uint32_t>>& targetSizes) {
  using namespace detail;
  const uint64_t sw = static_cast<uint64_t>(std::max(0, sourceWidth));
  uint64_t bytes = sw * 3 * kBlockRows + BlockScratchBytes(std::max(0, sourceWidth));
  std::vector<int32_t> ready;
  for (const auto& [w, h] : targetSizes) {
    bytes += uint64_t{w} * h * 3;
    if (sourceWidth <= 0 || sourceHeight <= 0 || w == 0 || h == 0) continue;
    // A size the resampler refuses: its result alone says enough.
    if (w > INT_MAX / 4 || h > INT_MAX / 4 || uint64_t{w} * h > kMaxResizedPixels) continue;
    const int ring =
        RingRows(*CachedAxisWeights(static_cast<uint32_t>(sourceHeight), h), sourceHeight, ready);
    bytes +=
        Plane::Stride(static_cast<int>(w)) * (static_cast<uint64_t>(ring) + 1) + uint64_t{h} * 4;
    bytes += (uint64_t{w} + h) * 64;  // the weight tables, about
  }
  return bytes;
}

Picture StretchPicture(const Picture& source, uint32_t newWidth, uint32_t newHeight) {
  if (source.width < 0 || source.height < 0 ||
      source.pixels.size() != static_cast<size_t>(source.width) * source.height * 3)
    throw Error("The picture to resize is not a 24-bit picture");
  RowResampler resampler(source.width, source.height, {{newWidth, newHeight}});
  if (!source.empty() && newWidth > 0 && newHeight > 0) {
    const uint8_t* rows[detail::kBlockRows];
    for (int y = 0; y < source.height; y += detail::kBlockRows) {
      const int count = std::min(detail::kBlockRows, source.height - y);
      for (int r = 0; r < count; ++r) rows[r] = source.row(y + r);
      resampler.AddRows(rows, count);
    }
  }
  return std::move(resampler.Finish()[0]);
}

}  // namespace qg
