// AVX2 forms of the resampler passes and the blur's inner loop. Every function here carries its
// own target attribute and touches no inline library code, so the rest of the program stays
// runnable on processors without AVX2; the driver calls them only after checking the processor.
//
// Resampler: integer sums of 8-bit values times 16-bit weights are exact in any order, so the
// passes use vpmaddwd on pairs of taps. The horizontal pass works on blocks of eight source rows
// at once (one 32-bit lane per row) after turning each block into per-channel pairs of
// neighbouring pixels; the vertical pass works along the rows of the intermediate picture, where
// every byte of a row shares the same weights, one target row at a time. The quotient acc / total
// is a single-precision multiplication by a slightly enlarged reciprocal where that is exact (see
// AxisWeights::Entry), otherwise an integer division lane by lane.
//
// Blur: vectorised across neighbouring values, each value keeping its own sum in the same order
// (multiply, then add; never fused).
#include <immintrin.h>

#include <cstring>

#include "imaging/Kernels.h"

namespace qg::detail {

namespace {

// The three channel planes of 16 RGB pixels.
__attribute__((target("avx2"))) inline void SplitChannels(const uint8_t* p, __m128i& r, __m128i& g,
                                                          __m128i& b) {
  const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
  const char z = -1;
  r = _mm_or_si128(
      _mm_or_si128(
          _mm_shuffle_epi8(v0, _mm_setr_epi8(0, 3, 6, 9, 12, 15, z, z, z, z, z, z, z, z, z, z)),
          _mm_shuffle_epi8(v1, _mm_setr_epi8(z, z, z, z, z, z, 2, 5, 8, 11, 14, z, z, z, z, z))),
      _mm_shuffle_epi8(v2, _mm_setr_epi8(z, z, z, z, z, z, z, z, z, z, z, 1, 4, 7, 10, 13)));
  g = _mm_or_si128(
      _mm_or_si128(
          _mm_shuffle_epi8(v0, _mm_setr_epi8(1, 4, 7, 10, 13, z, z, z, z, z, z, z, z, z, z, z)),
          _mm_shuffle_epi8(v1, _mm_setr_epi8(z, z, z, z, z, 0, 3, 6, 9, 12, 15, z, z, z, z, z))),
      _mm_shuffle_epi8(v2, _mm_setr_epi8(z, z, z, z, z, z, z, z, z, z, z, 2, 5, 8, 11, 14)));
  b = _mm_or_si128(
      _mm_or_si128(
          _mm_shuffle_epi8(v0, _mm_setr_epi8(2, 5, 8, 11, 14, z, z, z, z, z, z, z, z, z, z, z)),
          _mm_shuffle_epi8(v1, _mm_setr_epi8(z, z, z, z, z, 1, 4, 7, 10, 13, z, z, z, z, z, z))),
      _mm_shuffle_epi8(v2, _mm_setr_epi8(z, z, z, z, z, z, z, z, z, z, 0, 3, 6, 9, 12, 15)));
}

// In: eight rows of 16 bytes, seen as eight 16-bit words each. Out: word i of every row.
__attribute__((target("avx2"))) inline void Transpose8x8Words(const __m128i* in, __m128i* out) {
  const __m128i t0 = _mm_unpacklo_epi16(in[0], in[1]), t1 = _mm_unpackhi_epi16(in[0], in[1]);
  const __m128i t2 = _mm_unpacklo_epi16(in[2], in[3]), t3 = _mm_unpackhi_epi16(in[2], in[3]);
  const __m128i t4 = _mm_unpacklo_epi16(in[4], in[5]), t5 = _mm_unpackhi_epi16(in[4], in[5]);
  const __m128i t6 = _mm_unpacklo_epi16(in[6], in[7]), t7 = _mm_unpackhi_epi16(in[6], in[7]);
  const __m128i u0 = _mm_unpacklo_epi32(t0, t2), u1 = _mm_unpackhi_epi32(t0, t2);
  const __m128i u2 = _mm_unpacklo_epi32(t1, t3), u3 = _mm_unpackhi_epi32(t1, t3);
  const __m128i u4 = _mm_unpacklo_epi32(t4, t6), u5 = _mm_unpackhi_epi32(t4, t6);
  const __m128i u6 = _mm_unpacklo_epi32(t5, t7), u7 = _mm_unpackhi_epi32(t5, t7);
  out[0] = _mm_unpacklo_epi64(u0, u4);
  out[1] = _mm_unpackhi_epi64(u0, u4);
  out[2] = _mm_unpacklo_epi64(u1, u5);
  out[3] = _mm_unpackhi_epi64(u1, u5);
  out[4] = _mm_unpacklo_epi64(u2, u6);
  out[5] = _mm_unpackhi_epi64(u2, u6);
  out[6] = _mm_unpacklo_epi64(u3, u7);
  out[7] = _mm_unpackhi_epi64(u3, u7);
}

// acc / total truncated toward zero (acc unsigned >> 8 when total is 0), before clamping.
__attribute__((target("avx2"))) inline __m256i Quotient(__m256i acc, const AxisWeights::Entry& e) {
  if (e.fastDivide)
    return _mm256_cvttps_epi32(
        _mm256_mul_ps(_mm256_cvtepi32_ps(acc), _mm256_set1_ps(e.reciprocal)));
  alignas(32) int32_t lanes[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), acc);
  for (int32_t& v : lanes)
    v = e.total != 0 ? v / e.total : static_cast<int32_t>(static_cast<uint32_t>(v) >> 8);
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes));
}

}  // namespace

// Block layout, for every channel c and pixel pair p (pixels 2p and 2p + 1): 16 bytes, row 0's
// two pixels, then row 1's, ..., row 7's. Widened to 16 bits, one vpmaddwd with the pair's two
// weights gives the eight row sums; in the byte form one vpmaddubsw covers two pairs (a step),
// the first in the low half of the vector, the second in the high half. Each plane ends with two
// spare pairs of zeros, read (with weight 0) by an entry whose last step has only one pair.
namespace {

size_t PlaneBytes(size_t pairCount) { return (pairCount + 2) * 16; }

}  // namespace

size_t BlockScratchBytes(int sourceWidth) {
  return 3 * PlaneBytes((static_cast<size_t>(sourceWidth) + 1) / 2);
}

namespace {

// Sums of one target column over the block, one pair at a time in 32 bits.
__attribute__((target("avx2"))) inline void SumsByPairs(const AxisWeights& weights, size_t i,
                                                        uint8_t* const* plane, __m256i& accR,
                                                        __m256i& accG, __m256i& accB) {
  const AxisWeights::Entry& e = weights.entries[i];
  const int32_t* wp = weights.pairs.data() + e.offset;
  const size_t first = static_cast<size_t>(e.firstPair) * 16;
  const auto* pr = reinterpret_cast<const __m128i*>(plane[0] + first);
  const auto* pg = reinterpret_cast<const __m128i*>(plane[1] + first);
  const auto* pb = reinterpret_cast<const __m128i*>(plane[2] + first);
  accR = accG = accB = _mm256_setzero_si256();
  for (int32_t q = 0; q < e.pairCount; ++q) {
    const __m256i w = _mm256_set1_epi32(wp[q]);
    accR =
        _mm256_add_epi32(accR, _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_load_si128(pr + q)), w));
    accG =
        _mm256_add_epi32(accG, _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_load_si128(pg + q)), w));
    accB =
        _mm256_add_epi32(accB, _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_load_si128(pb + q)), w));
  }
}

__attribute__((target("avx2"))) inline __m256i WidenHalves(__m256i sums16) {
  return _mm256_add_epi32(_mm256_cvtepi16_epi32(_mm256_castsi256_si128(sums16)),
                          _mm256_cvtepi16_epi32(_mm256_extracti128_si256(sums16, 1)));
}

// Sums of one target column over the block, byte form: two pairs a step, 16-bit sums within a
// run, widened to 32 bits at its end.
__attribute__((target("avx2"))) inline void SumsFromBytes(const AxisWeights& weights, size_t i,
                                                          uint8_t* const* plane, __m256i& accR,
                                                          __m256i& accG, __m256i& accB) {
  const __m256i spread = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 2,
                                          3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3);
  const AxisWeights::Entry& e = weights.entries[i];
  const AxisWeights::ByteEntry& be = weights.byteEntries[i];
  const int32_t* ws = weights.byteSteps.data() + be.stepOffset;
  const uint16_t* runs = weights.byteRuns.data() + be.runOffset;
  const size_t first = static_cast<size_t>(e.firstPair) * 16;
  const uint8_t* pr = plane[0] + first;
  const uint8_t* pg = plane[1] + first;
  const uint8_t* pb = plane[2] + first;
  accR = accG = accB = _mm256_setzero_si256();
  for (int32_t k = 0; k < be.runCount; ++k) {
    __m256i sumR = _mm256_setzero_si256(), sumG = sumR, sumB = sumR;
    for (int n = runs[k]; n > 0; --n, pr += 32, pg += 32, pb += 32) {
      const __m256i w = _mm256_shuffle_epi8(_mm256_set1_epi32(*ws++), spread);
      sumR = _mm256_add_epi16(
          sumR, _mm256_maddubs_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(pr)), w));
      sumG = _mm256_add_epi16(
          sumG, _mm256_maddubs_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(pg)), w));
      sumB = _mm256_add_epi16(
          sumB, _mm256_maddubs_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(pb)), w));
    }
    accR = _mm256_add_epi32(accR, WidenHalves(sumR));
    accG = _mm256_add_epi32(accG, WidenHalves(sumG));
    accB = _mm256_add_epi32(accB, WidenHalves(sumB));
  }
}

}  // namespace

__attribute__((target("avx2"))) void HorizontalBlockAvx2(const uint8_t* const* sourceRows,
                                                         int count, int firstRow, int sw,
                                                         const HorizontalTarget* targets,
                                                         size_t targetCount, void* scratch) {
  constexpr int kRows = kBlockRows;
  const size_t pairCount = (static_cast<size_t>(sw) + 1) / 2;
  auto* const base = static_cast<uint8_t*>(scratch);
  uint8_t* const plane[3] = {base, base + PlaneBytes(pairCount), base + 2 * PlaneBytes(pairCount)};

  const __m256i zero = _mm256_setzero_si256();
  const __m256i toPixels = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 12, 2, 6, 10, 12, 3, 7, 11, 12, 0,
                                            4, 8, 12, 1, 5, 9, 12, 2, 6, 10, 12, 3, 7, 11, 12);

  // Rows past the end of a short last block repeat its last row; their sums are not stored.
  const uint8_t* rows[kRows];
  for (int r = 0; r < kRows; ++r) rows[r] = sourceRows[r < count ? r : count - 1];

  // Rearrange the block.
  int x = 0;
  for (; x + 16 <= sw; x += 16) {
    __m128i ch[3][kRows];
    for (int r = 0; r < kRows; ++r) SplitChannels(rows[r] + 3 * x, ch[0][r], ch[1][r], ch[2][r]);
    for (int c = 0; c < 3; ++c) {
      Transpose8x8Words(ch[c],
                        reinterpret_cast<__m128i*>(plane[c] + static_cast<size_t>(x / 2) * 16));
    }
  }
  for (; x < sw; ++x)
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < kRows; ++r)
        plane[c][static_cast<size_t>(x / 2) * 16 + 2 * r + (x & 1)] = rows[r][3 * x + c];
  if (sw & 1)
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < kRows; ++r) plane[c][static_cast<size_t>(sw / 2) * 16 + 2 * r + 1] = 0;

  // Every target column of every target.
  for (size_t t = 0; t < targetCount; ++t) {
    const AxisWeights& weights = *targets[t].weights;
    uint8_t* outRows[kRows];
    for (int r = 0; r < count; ++r) outRows[r] = targets[t].out->row(firstRow + r);
    const size_t columns = weights.entries.size();
    for (size_t i = 0; i < columns; ++i) {
      __m256i accR, accG, accB;
      if (weights.byteEntries[i].runCount > 0)
        SumsFromBytes(weights, i, plane, accR, accG, accB);
      else
        SumsByPairs(weights, i, plane, accR, accG, accB);
      const AxisWeights::Entry& e = weights.entries[i];
      const __m256i r = Quotient(accR, e), g = Quotient(accG, e), b = Quotient(accB, e);
      // Saturating packs clamp to 0..255: int32 -> int16 (signed), int16 -> uint8.
      const __m256i packed =
          _mm256_packus_epi16(_mm256_packs_epi32(r, g), _mm256_packs_epi32(b, zero));
      alignas(32) uint32_t pixel[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(pixel), _mm256_shuffle_epi8(packed, toPixels));
      // Four-byte stores: the fourth byte lands on the next pixel, written after this one, or
      // in the row padding.
      for (int row = 0; row < count; ++row) std::memcpy(outRows[row] + 3 * i, &pixel[row], 4);
    }
  }
}

__attribute__((target("avx2"))) void VerticalRowAvx2(const uint8_t* const* rows, const int32_t* wp,
                                                     const AxisWeights::Entry& e, size_t bytes,
                                                     uint8_t* o) {
  const __m256i zero = _mm256_setzero_si256();
  for (size_t k = 0; k < bytes; k += 16) {
    __m256i acc0 = zero, acc1 = zero;
    for (int32_t q = 0; q < e.pairCount; ++q) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * q] + k));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * q + 1] + k));
      const __m256i w = _mm256_set1_epi32(wp[q]);
      acc0 = _mm256_add_epi32(acc0,
                              _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_unpacklo_epi8(a, b)), w));
      acc1 = _mm256_add_epi32(acc1,
                              _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_unpackhi_epi8(a, b)), w));
    }
    const __m256i v0 = Quotient(acc0, e), v1 = Quotient(acc1, e);
    const __m256i words = _mm256_permute4x64_epi64(_mm256_packs_epi32(v0, v1), 0xD8);
    const __m128i packed =
        _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
    if (k + 16 <= bytes) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + k), packed);
    } else {
      alignas(16) uint8_t tail[16];
      _mm_store_si128(reinterpret_cast<__m128i*>(tail), packed);
      std::memcpy(o + k, tail, bytes - k);
    }
  }
}

__attribute__((target("avx2"))) void BlurValuesAvx2(const double* padded, size_t count, int stride,
                                                    const double* weights, int k, uint8_t* out) {
  const __m256d lo = _mm256_setzero_pd(), hi = _mm256_set1_pd(255.0);
  const int taps = 2 * k + 1;
  size_t q = 0;
  for (; q + 16 <= count; q += 16) {
    __m256d a0 = _mm256_setzero_pd(), a1 = a0, a2 = a0, a3 = a0;
    for (int t = 0; t < taps; ++t) {
      const __m256d w = _mm256_broadcast_sd(weights + t);
      const double* src = padded + q + static_cast<size_t>(stride) * (taps - 1 - t);
      a0 = _mm256_add_pd(a0, _mm256_mul_pd(w, _mm256_loadu_pd(src)));
      a1 = _mm256_add_pd(a1, _mm256_mul_pd(w, _mm256_loadu_pd(src + 4)));
      a2 = _mm256_add_pd(a2, _mm256_mul_pd(w, _mm256_loadu_pd(src + 8)));
      a3 = _mm256_add_pd(a3, _mm256_mul_pd(w, _mm256_loadu_pd(src + 12)));
    }
    const __m128i i0 = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(a0, lo), hi));
    const __m128i i1 = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(a1, lo), hi));
    const __m128i i2 = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(a2, lo), hi));
    const __m128i i3 = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(a3, lo), hi));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + q),
                     _mm_packus_epi16(_mm_packs_epi32(i0, i1), _mm_packs_epi32(i2, i3)));
  }
  if (q < count) BlurValuesScalar(padded + q, count - q, stride, weights, k, out + q);
}

}  // namespace qg::detail
