// The soft drop shadow: the picture laid on a larger canvas of the page's background colour,
// over a blurred, offset rectangle of the shadow colour.
#pragma once

#include "core/Picture.h"

namespace qg {

// The frame added around gallery pictures, and the smaller one of the settings dialog's sample.
constexpr int kGalleryShadowMargin = 48;
constexpr int kSampleShadowMargin = 40;

// A canvas `margin` pixels wider and higher than the picture, filled with `background`; the
// shadow rectangle (the picture's size, at margin / 2 plus the offsets, clipped to the canvas)
// in `shadowColour`, blurred with standard deviation `blur` when blur > 0; the picture on top at
// (margin / 2, margin / 2). Offsets and blur are used as they are, without clamping.
Picture ComposeDropShadow(const Picture& picture, int margin, Colour background,
                          Colour shadowColour, int offsetH, int offsetV, int blur);

}  // namespace qg
