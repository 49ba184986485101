// The Gaussian blur. The kernel is built in the extended precision of the original arithmetic
// (values kept as double or single exactly where the kernel stores them). The picture blur
// computes every pixel with the same sum, in the same order, as BlurLine; it only avoids
// repeating work: a row equal to the row above gives the same blurred row, a column equal to its
// left neighbour the same blurred column. Shadow canvases are mostly such repeats.
#include "imaging/Blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/Error.h"
#include "imaging/Kernels.h"

namespace qg {

GaussKernel MakeGaussianKernel(double radius, double maxData, double granularity) {
  constexpr int n = GaussKernel::kMaxSize;
  GaussKernel kernel;
  for (int j = -n; j <= n; ++j) {
    const double t = static_cast<double>(static_cast<long double>(j) / radius);
    kernel.weight(j) = static_cast<float>(expl(-(static_cast<long double>(t) * t) / 2.0L));
  }
  double sum = 0.0;
  for (int j = -n; j <= n; ++j)
    sum = static_cast<double>(sum + static_cast<long double>(kernel.weight(j)));
  for (int j = -n; j <= n; ++j)
    kernel.weight(j) = static_cast<float>(static_cast<long double>(kernel.weight(j)) / sum);

  int size = n;
  double tail = 0.0;
  const double delta = static_cast<double>(granularity / (2.0L * maxData));
  while (tail < delta && size > 1) {
    tail = static_cast<double>(tail + 2.0L * kernel.weight(size));
    --size;
  }
  kernel.KernelSize = static_cast<uint8_t>(size);

  sum = 0.0;
  for (int j = -size; j <= size; ++j)
    sum = static_cast<double>(sum + static_cast<long double>(kernel.weight(j)));
  for (int j = -size; j <= size; ++j)
    kernel.weight(j) = static_cast<float>(static_cast<long double>(kernel.weight(j)) / sum);
  return kernel;
}

namespace {

uint8_t BlurredChannel(double acc) {
  if (acc < 0.0) return 0;
  if (acc >= 255.0) return 255;
  return static_cast<uint8_t>(acc);
}

}  // namespace

void BlurLine(uint8_t* line, size_t count, const GaussKernel& kernel, uint8_t* scratch) {
  if (count == 0) return;
  const int k = kernel.KernelSize;
  const auto last = static_cast<int64_t>(count) - 1;
  for (int64_t p = 0; p <= last; ++p) {
    double acc[3] = {0.0, 0.0, 0.0};
    for (int m = -k; m <= k; ++m) {
      const double w = kernel.weight(m);
      const int64_t src = std::clamp<int64_t>(p - m, 0, last);
      for (int c = 0; c < 3; ++c) acc[c] += w * line[3 * src + c];
    }
    for (int c = 0; c < 3; ++c) scratch[3 * p + c] = BlurredChannel(acc[c]);
  }
  std::memcpy(line, scratch, count * 3);
}

namespace detail {

void BlurValuesScalar(const double* padded, size_t count, int stride, const double* weights, int k,
                      uint8_t* out) {
  const int taps = 2 * k + 1;
  for (size_t q = 0; q < count; ++q) {
    double acc = 0.0;
    for (int t = 0; t < taps; ++t)
      acc += weights[t] * padded[q + static_cast<size_t>(stride) * (taps - 1 - t)];
    out[q] = BlurredChannel(acc);
  }
}

}  // namespace detail

namespace {

// One line blur with the picture blur's buffers.
class LineBlur {
 public:
  explicit LineBlur(const GaussKernel& kernel) : k_(kernel.KernelSize) {
    for (int m = -k_; m <= k_; ++m) weights_.push_back(kernel.weight(m));
    avx2_ = detail::ActiveSimdLevel() == detail::SimdLevel::Avx2;
  }

  // `in` and `out` hold `count` RGB pixels and may be the same buffer.
  void operator()(const uint8_t* in, size_t count, uint8_t* out) {
    padded_.resize((count + 2 * static_cast<size_t>(k_)) * 3);
    double* p = padded_.data();
    for (int i = 0; i < k_; ++i, p += 3) std::copy(in, in + 3, p);
    for (size_t i = 0; i < count * 3; ++i) *p++ = in[i];
    const uint8_t* end = in + (count - 1) * 3;
    for (int i = 0; i < k_; ++i, p += 3) std::copy(end, end + 3, p);
    if (avx2_)
      detail::BlurValuesAvx2(padded_.data(), count * 3, 3, weights_.data(), k_, out);
    else
      detail::BlurValuesScalar(padded_.data(), count * 3, 3, weights_.data(), k_, out);
  }

 private:
  int k_;
  bool avx2_ = false;
  std::vector<double> weights_;
  std::vector<double> padded_;
};

}  // namespace

void GaussianBlur(Picture& picture, double radius) {
  if (picture.width < 0 || picture.height < 0 ||
      picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height * 3)
    throw Error("GBlur only works for 24-bit bitmaps");
  if (!(radius > 0.0) || picture.empty()) return;

  LineBlur blur(MakeGaussianKernel(radius, 255.0, 1.0));
  const int w = picture.width, h = picture.height;
  const size_t rowBytes = picture.stride();

  // Rows.
  std::vector<uint8_t> previous(rowBytes);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = picture.row(y);
    if (y > 0 && std::memcmp(row, previous.data(), rowBytes) == 0) {
      std::memcpy(row, picture.row(y - 1), rowBytes);
      continue;
    }
    std::memcpy(previous.data(), row, rowBytes);
    blur(row, static_cast<size_t>(w), row);
  }

  // Columns: find the columns that differ from their left neighbour somewhere.
  std::vector<uint8_t> changes(rowBytes, 0);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = picture.row(y);
    for (size_t i = 3; i < rowBytes; ++i) changes[i] |= row[i] ^ row[i - 3];
  }
  std::vector<int> starts{0};
  for (int x = 1; x < w; ++x)
    if (changes[3 * x] | changes[3 * x + 1] | changes[3 * x + 2]) starts.push_back(x);

  const size_t columnBytes = static_cast<size_t>(h) * 3;
  std::vector<uint8_t> columns(starts.size() * columnBytes);
  for (size_t d = 0; d < starts.size(); ++d) {
    uint8_t* column = columns.data() + d * columnBytes;
    const size_t x = static_cast<size_t>(starts[d]) * 3;
    for (int y = 0; y < h; ++y) std::memcpy(column + 3 * y, picture.row(y) + x, 3);
    blur(column, static_cast<size_t>(h), column);
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* row = picture.row(y);
    for (size_t d = 0; d < starts.size(); ++d) {
      const uint8_t* pixel = columns.data() + d * columnBytes + 3 * static_cast<size_t>(y);
      const int end = d + 1 < starts.size() ? starts[d + 1] : w;
      for (int x = starts[d]; x < end; ++x) std::memcpy(row + 3 * x, pixel, 3);
    }
  }
}

}  // namespace qg
