// Border painting: row by row, whole rows inside the top and bottom bands, the two side bands
// elsewhere. Covers the same pixels as painting rings 0..width-1 one line at a time.
#include "imaging/Border.h"

#include <algorithm>

namespace qg {

namespace {

void Fill(uint8_t* p, int count, const uint8_t rgb[3]) {
  for (int i = 0; i < count; ++i, p += 3) {
    p[0] = rgb[0];
    p[1] = rgb[1];
    p[2] = rgb[2];
  }
}

}  // namespace

void DrawBorder(Picture& picture, int width, Colour colour) {
  if (width <= 0 || picture.empty()) return;
  const uint8_t rgb[3] = {RedOf(static_cast<uint32_t>(colour)),
                          GreenOf(static_cast<uint32_t>(colour)),
                          BlueOf(static_cast<uint32_t>(colour))};
  const int w = picture.width, h = picture.height;
  const int side = std::min(width, w);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = picture.row(y);
    if (y < width || y >= h - width) {
      Fill(row, w, rgb);
    } else {
      Fill(row, side, rgb);
      Fill(row + 3 * static_cast<size_t>(w - side), side, rgb);
    }
  }
}

}  // namespace qg
