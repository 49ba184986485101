// Plain reference loops for the resampler and the blur, written straight from the arithmetic
// with nothing merged, reordered or vectorised: taps kept as separate entries with their counts,
// channel values in 32-bit line caches, every column copied into a line. Slow on purpose; the
// tests hold the program's fast forms against them.
#pragma once

#include <cstdint>

#include "core/Picture.h"

namespace qg::test {

Picture ReferenceStretch(const Picture& source, uint32_t newWidth, uint32_t newHeight);

// Rows with BlurLine, then every column copied into a line, blurred and copied back.
void ReferenceGaussianBlur(Picture& picture, double radius);

}  // namespace qg::test
