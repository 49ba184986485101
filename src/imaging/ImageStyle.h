// What the pipeline needs to know of a side besides its pixels: the size box that decides the
// target size, and the look of the finished picture (inner border, drop shadow, JPEG settings).
// The gallery fills these from its options (gallery/SideStyle.h); imaging/ never reads them.
#pragma once

#include <cstdint>

#include "core/Picture.h"

namespace qg {

// The box a side's pictures are fitted to: a fixed width, a fixed height, both (the picture is
// stretched) or neither (treated as a fixed width). The numbers are used as they are, unclamped.
struct SizeBox {
  bool fixWidth = true;
  int32_t width = 0;
  bool fixHeight = false;
  int32_t height = 0;
};

// The finished look of a side's pictures.
struct ImageStyle {
  int32_t borderWidth = 0;  // painted inside the picture's edges; 0 paints none
  Colour borderColour = 0;
  bool shadow = false;    // the drop shadow frame (kGalleryShadowMargin pixels larger)
  Colour background = 0;  // the page colour the shadow falls on
  Colour shadowColour = 0;
  int32_t shadowOffsetH = 0;
  int32_t shadowOffsetV = 0;
  int32_t shadowBlur = 0;
  int32_t quality = 0;  // JPEG quality; below 1 is written as 1, above 100 as 100
  bool progressive = false;

  friend bool operator==(const ImageStyle&, const ImageStyle&) = default;
};

}  // namespace qg
