// Gaussian blur of a 24-bit picture: a kernel trimmed where its tails no longer matter, applied
// to every row and then to every column. The sums are taken in double precision in a fixed order,
// so the result is the same on every machine.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/Picture.h"

namespace qg {

// Weights of a Gaussian, indexed from -100 to 100; only -KernelSize..KernelSize are in use.
struct GaussKernel {
  static constexpr int kMaxSize = 100;
  uint8_t KernelSize = 1;
  std::array<float, 2 * kMaxSize + 1> Weights{};

  float weight(int j) const { return Weights[static_cast<size_t>(j + kMaxSize)]; }
  float& weight(int j) { return Weights[static_cast<size_t>(j + kMaxSize)]; }
};

// Kernel of standard deviation `radius`, normalised, then trimmed: tail weights are dropped while
// the dropped pairs add up to less than granularity / (2 * maxData), and the rest normalised
// again. The blur passes maxData 255 and granularity 1.
GaussKernel MakeGaussianKernel(double radius, double maxData, double granularity);

// Blurs one line of `count` RGB pixels in place; `scratch` holds at least count * 3 bytes.
// Positions beyond the ends repeat the end pixel.
void BlurLine(uint8_t* line, size_t count, const GaussKernel& kernel, uint8_t* scratch);

// Blurs the picture in place with standard deviation `radius` (rows first, then columns).
// A radius that is not above 0 leaves the picture as it is. Throws qg::Error
// "GBlur only works for 24-bit bitmaps" for a picture whose pixel buffer is not 3 bytes a pixel.
void GaussianBlur(Picture& picture, double radius);

}  // namespace qg
