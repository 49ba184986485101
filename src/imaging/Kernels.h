// Internal to imaging/ (and its tests): the tables and inner loops shared by the resampler and the
// blur, in a portable form and in AVX2 form. Both forms compute the same integers (and, for the
// blur, the same double-precision sums in the same order), so the choice between them is a
// matter of speed only; tests force each form and compare them with plain reference loops.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Picture.h"
#include "imaging/Resample.h"

namespace qg::detail {

// ---- Resampler tables ------------------------------------------------------------------------

// One filter tap: a source index already folded into the line, and the filter value scaled by
// 256 and rounded half to even.
struct FilterTap {
  int32_t SourceIndex;
  int32_t Weight;
  friend bool operator==(const FilterTap&, const FilterTap&) = default;
};

// The taps of one target position, in the order they were found (left to right).
struct ContributorEntry {
  int32_t TapCount = 0;
  std::vector<FilterTap> Taps;
};

// Scale factor of one axis in single precision: target / source when either length is 1,
// otherwise (target - 1) / (source - 1), so the end pixels' centres map onto each other.
float ResampleScale(uint32_t sourceLength, uint32_t targetLength);

// The taps of target position `index` on an axis: zero weights dropped, indexes folded at the
// edges and clamped into the line; a position whose weights all round to zero takes the source
// pixel nearest its centre with weight 256. `taps` is cleared first.
void BuildContributorEntry(uint32_t sourceLength, float scale, float radius, float (*filter)(float),
                           uint32_t index, std::vector<FilterTap>& taps);

// Every target position of an axis, with the Lanczos3 filter at its radius of 3.
std::vector<ContributorEntry> BuildContributorList(uint32_t sourceLength, uint32_t targetLength);

// The same taps in the form the inner loops use: for each target position, one weight per
// source index over a contiguous range (taps on the same index added up, which leaves every
// integer sum unchanged), the range starting at an even index and stored as pairs of 16-bit
// weights packed in one 32-bit word (even index in the low half).
struct AxisWeights {
  struct Entry {
    int32_t firstPair = 0;  // source index of the first weight / 2
    int32_t pairCount = 0;
    int32_t offset = 0;  // into `pairs`
    int32_t total = 0;   // sum of the weights
    // When 255 * sum |weight| < 2^17, every sum acc has |acc| < 2^17 and trunc(acc * reciprocal)
    // in single precision equals acc / total: the reciprocal is 1 / total enlarged by about
    // 2^-19, enough to lift exact quotients above their rounding error and too little to reach
    // the next integer. Otherwise the vector passes divide lane by lane.
    bool fastDivide = false;
    float reciprocal = 0.0f;
  };
  uint32_t sourceLength = 0;
  std::vector<Entry> entries;
  std::vector<int32_t> pairs;
  bool fitsInt16 = true;  // every merged weight fits a signed 16-bit value

  // Byte form of the entries that allow it (most entries when shrinking): when every merged
  // weight fits a signed byte and the two weights of every pair add up to at most 128 in
  // absolute value, vpmaddubsw (bytes times signed bytes, pairs added into 16 bits) cannot
  // saturate, and 16-bit sums stay exact over a run of steps whose absolute weights add up to
  // at most 128 on each half. A step covers two pairs; its word holds the bytes (even, odd) of
  // its first pair, then of its second. Entries without a byte form have runCount 0.
  struct ByteEntry {
    int32_t stepOffset = 0;  // into byteSteps
    int32_t runOffset = 0;   // into byteRuns
    int32_t runCount = 0;
  };
  std::vector<ByteEntry> byteEntries;
  std::vector<int32_t> byteSteps;
  std::vector<uint16_t> byteRuns;  // steps per run
};

AxisWeights BuildAxisWeights(uint32_t sourceLength, uint32_t targetLength);

// The same through a small cache shared by all threads: a gallery's pictures mostly come from
// one camera, so the same axes recur from picture to picture.
std::shared_ptr<const AxisWeights> CachedAxisWeights(uint32_t sourceLength, uint32_t targetLength);

inline int32_t EvenWeight(int32_t pair) { return static_cast<int16_t>(pair & 0xFFFF); }
inline int32_t OddWeight(int32_t pair) {
  return static_cast<int16_t>(static_cast<uint32_t>(pair) >> 16);
}

// One channel of one target pixel from its weighted sum: divided by the total of the weights
// (truncating), or, when they add up to zero, the sum taken unsigned and shifted right by 8;
// then clamped to 0..255.
inline uint8_t FinishChannel(int32_t acc, int32_t total) {
  int32_t value = total != 0 ? acc / total : static_cast<int32_t>(static_cast<uint32_t>(acc) >> 8);
  if (value < 0) value = 0;
  if (value > 255) value = 255;
  return static_cast<uint8_t>(value);
}

// Heap memory aligned for vector loads, not initialised.
class AlignedBuffer {
 public:
  explicit AlignedBuffer(size_t bytes);
  ~AlignedBuffer();
  AlignedBuffer(const AlignedBuffer&) = delete;
  AlignedBuffer& operator=(const AlignedBuffer&) = delete;
  void* get() const { return ptr_; }

 private:
  void* ptr_;
};

// The intermediate picture between the two passes (target width, source height), kept as a ring
// of `rows` rows: source row y lives in row y % rows, so only the rows the vertical pass still
// needs are held. Rows are padded to a multiple of 16 bytes plus 16, and one extra row of zeros
// follows, which stands for row `sourceHeight` (read, with weight 0, by a last pair's odd half);
// so vector loads never leave the buffer.
struct Plane {
  int width = 0;         // pixels
  int rows = 0;          // rows held, not counting the zero row
  int sourceHeight = 0;  // rows of the whole intermediate picture
  size_t stride = 0;
  std::unique_ptr<uint8_t[]> data;

  Plane(int w, int ringRows, int fullHeight);
  // Bytes from one row to the next for a width of w pixels.
  static size_t Stride(int w) { return (static_cast<size_t>(w) * 3 + 15) / 16 * 16 + 16; }
  // Source row y, 0 <= y <= sourceHeight.
  uint8_t* row(int y) { return data.get() + Slot(y) * stride; }
  const uint8_t* row(int y) const { return data.get() + Slot(y) * stride; }

 private:
  size_t Slot(int y) const { return static_cast<size_t>(y >= sourceHeight ? rows : y % rows); }
};

// How many rows the intermediate ring of a target must hold (at most sourceHeight), and for each
// target row how many source rows must be in before it can be made (`ready`, never decreasing,
// so rows are made in order as the blocks come in).
int RingRows(const AxisWeights& down, int sourceHeight, std::vector<int32_t>& ready);

// The horizontal pass of one target: its weights and its intermediate picture.
struct HorizontalTarget {
  const AxisWeights* weights;
  Plane* out;
};

// Source rows are resampled in blocks of up to this many consecutive rows.
constexpr int kBlockRows = 8;

// Horizontal pass of rows[0..count) (source rows firstRow.. of `sourceWidth` pixels) for every
// target. The AVX2 form rearranges the block once into `scratch` (BlockScratchBytes, zeroed
// once before first use) and serves all targets from it; it needs every target's weights to fit
// 16 bits.
size_t BlockScratchBytes(int sourceWidth);
void HorizontalBlockScalar(const uint8_t* const* rows, int count, int firstRow, int sourceWidth,
                           const HorizontalTarget* targets, size_t targetCount);
void HorizontalBlockAvx2(const uint8_t* const* rows, int count, int firstRow, int sourceWidth,
                         const HorizontalTarget* targets, size_t targetCount, void* scratch);
// Vertical pass of one target row: rows[0 .. 2 * e.pairCount) are the intermediate rows its
// weights cover (each readable to `bytes` rounded up to 16), `pairs` the entry's weights.
void VerticalRowScalar(const uint8_t* const* rows, const int32_t* pairs,
                       const AxisWeights::Entry& e, size_t bytes, uint8_t* out);
void VerticalRowAvx2(const uint8_t* const* rows, const int32_t* pairs, const AxisWeights::Entry& e,
                     size_t bytes, uint8_t* out);

// ---- Instruction set choice ------------------------------------------------------------------

enum class SimdLevel { Scalar, Avx2 };

// The best level this processor runs, unless a test forced one or the environment variable
// QUILLON_PORTABLE_KERNELS is set (to check that both forms write the same files).
SimdLevel ActiveSimdLevel();
bool CpuHasAvx2();
// Forces a level (tests only); Avx2 is ignored on a processor without it. Reset with Default().
void ForceSimdLevel(SimdLevel level);
void ResetSimdLevel();

// ---- Blur ------------------------------------------------------------------------------------

// Blurs `count` values laid out as `stride`-apart channels: out[q] = sum over m = -k..k, in that
// order, of weights[m + k] * padded[q + stride * (k - m)], in double precision; the sum becomes
// 0 below 0, 255 from 255 up, otherwise its truncation. `padded` holds the line with k end
// pixels repeated on either side.
void BlurValuesScalar(const double* padded, size_t count, int stride, const double* weights, int k,
                      uint8_t* out);
void BlurValuesAvx2(const double* padded, size_t count, int stride, const double* weights, int k,
                    uint8_t* out);

}  // namespace qg::detail
