// The working raster of every imaging routine: 8-bit red, green and blue per pixel, rows from
// the top, stored contiguously without row padding. A new picture is white.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qg {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height * 3 bytes, R G B

  Picture() = default;
  Picture(int w, int h)
      : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 3, 0xFF) {}

  bool empty() const { return width <= 0 || height <= 0; }
  size_t stride() const { return static_cast<size_t>(width) * 3; }
  uint8_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * stride(); }
  const uint8_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * stride(); }
  uint8_t* at(int x, int y) { return row(y) + static_cast<size_t>(x) * 3; }
  const uint8_t* at(int x, int y) const { return row(y) + static_cast<size_t>(x) * 3; }

  friend bool operator==(const Picture&, const Picture&) = default;
};

// Colour values are 0x00BBGGRR: red in the low byte. They travel through files as 32-bit
// integers.
using Colour = int32_t;
constexpr uint8_t RedOf(uint32_t colour) { return static_cast<uint8_t>(colour & 0xFF); }
constexpr uint8_t GreenOf(uint32_t colour) { return static_cast<uint8_t>((colour >> 8) & 0xFF); }
constexpr uint8_t BlueOf(uint32_t colour) { return static_cast<uint8_t>((colour >> 16) & 0xFF); }

}  // namespace qg
