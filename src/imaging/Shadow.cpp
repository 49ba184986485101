// Drop shadow composition. Rectangle bounds are worked out in 64 bits so that offsets read from
// a hand-edited project file cannot overflow; whatever falls outside the canvas is clipped.
#include "imaging/Shadow.h"

#include <algorithm>
#include <cstring>

#include "core/Error.h"
#include "imaging/Blur.h"

namespace qg {

namespace {

void FillRect(Picture& canvas, int64_t x0, int64_t y0, int64_t x1, int64_t y1, Colour colour) {
  x0 = std::max<int64_t>(x0, 0);
  y0 = std::max<int64_t>(y0, 0);
  x1 = std::min<int64_t>(x1, canvas.width);
  y1 = std::min<int64_t>(y1, canvas.height);
  if (x0 >= x1 || y0 >= y1) return;
  const auto c = static_cast<uint32_t>(colour);
  const uint8_t rgb[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
  uint8_t* first = canvas.at(static_cast<int>(x0), static_cast<int>(y0));
  for (int64_t x = x0; x < x1; ++x) std::memcpy(first + 3 * (x - x0), rgb, 3);
  const size_t bytes = static_cast<size_t>(x1 - x0) * 3;
  for (int64_t y = y0 + 1; y < y1; ++y)
    std::memcpy(canvas.at(static_cast<int>(x0), static_cast<int>(y)), first, bytes);
}

}  // namespace

Picture ComposeDropShadow(const Picture& picture, int margin, Colour background,
                          Colour shadowColour, int offsetH, int offsetV, int blur) {
  if (margin < 0) margin = 0;
  const int64_t w = picture.width, h = picture.height;
  if (w + margin > INT32_MAX / 4 || h + margin > INT32_MAX / 4)
    throw Error(Format("A picture of %lld x %lld pixels is too large for a drop shadow",
                       static_cast<long long>(w), static_cast<long long>(h)));
  Picture canvas(static_cast<int>(w + margin), static_cast<int>(h + margin));
  const int64_t half = margin / 2;
  FillRect(canvas, 0, 0, canvas.width, canvas.height, background);
  FillRect(canvas, half + offsetH, half + offsetV, half + offsetH + w, half + offsetV + h,
           shadowColour);
  if (blur > 0) GaussianBlur(canvas, blur);
  for (int64_t y = 0; y < h; ++y)
    std::memcpy(canvas.at(static_cast<int>(half), static_cast<int>(half + y)),
                picture.row(static_cast<int>(y)), picture.stride());
  return canvas;
}

}  // namespace qg
