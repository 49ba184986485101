// The one routine through which every change of picture size goes: a separable Lanczos resampler
// with integer weights computed once per target column and per target row. Its results are
// defined to the bit (the rounding points of the weights are part of the contract), so the same
// picture and size give the same pixels on every machine, whichever instruction set runs it.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/Picture.h"

namespace qg {

// sinc(x) * sinc(x / 3) for |x| < 3, else 0, with the single-precision rounding points that fix
// the weights (pi * t and each quotient rounded to single precision, the product too).
float Lanczos3Filter(float x);

// The half-width of its support.
inline constexpr float kLanczos3Radius = 3.0f;

// Resamples `source` to exactly newWidth x newHeight (the aspect ratio is the caller's business).
// A source or target with a zero side gives
// a white picture of the target size. Throws qg::Error when the target does not fit a picture.
Picture StretchPicture(const Picture& source, uint32_t newWidth, uint32_t newHeight);

// Resamples one source to several sizes at once, taking the source a few rows at a time from the
// top: each row is read once for all sizes and not needed after the call that hands it over, so
// a decoder can stream rows straight in without ever holding the whole picture. The results are
// exactly those of StretchPicture.
class RowResampler {
 public:
  RowResampler(int sourceWidth, int sourceHeight,
               const std::vector<std::pair<uint32_t, uint32_t>>& targetSizes);
  ~RowResampler();
  RowResampler(const RowResampler&) = delete;
  RowResampler& operator=(const RowResampler&) = delete;

  // The next `count` source rows, each sourceWidth * 3 bytes.
  void AddRows(const uint8_t* const* rows, int count);
  // Once every row is in: the pictures, in the order of the target sizes.
  std::vector<Picture> Finish();

  // The most memory a RowResampler for these sizes takes, in bytes: per target the intermediate
  // rows it keeps, the result and the tables, and the rows it gathers from the source.
  static uint64_t MemoryBytes(int sourceWidth, int sourceHeight,
                              const std::vector<std::pair<uint32_t, uint32_t>>& targetSizes);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qg
