// Preview helpers: fitting a picture to a box (resampled, aspect not kept) and the three exact
// quarter-turn remappings. Rotation is a viewing aid; gallery output never goes through it.
#pragma once

#include <cstdint>

#include "core/Picture.h"

namespace qg {

// w x h pixels to h x w: source (x, y) lands at (h - 1 - y, x).
Picture RotateQuarterRight(const Picture& picture);
// Source (x, y) lands at (w - 1 - x, h - 1 - y).
Picture RotateHalfTurn(const Picture& picture);
// w x h pixels to h x w: source (x, y) lands at (y, w - 1 - x).
Picture RotateQuarterLeft(const Picture& picture);

// Quarter turns to the right, any integer (taken modulo 4; 0 gives a copy).
Picture RotatePicture(const Picture& picture, int quarterTurns);

// The picture resampled to exactly width x height (Lanczos3, default radius).
Picture FitPictureToBox(const Picture& picture, uint32_t width, uint32_t height);

}  // namespace qg
