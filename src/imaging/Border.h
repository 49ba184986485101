// The inner border: lines of one colour painted inside the picture's edges, after resizing and
// before the drop shadow. The picture keeps its size.
#pragma once

#include "core/Picture.h"

namespace qg {

// Paints the outer `width` pixels on all four sides in `colour` (0x00BBGGRR). A width of 0 or
// less paints nothing; a width of half the smaller side or more paints the whole picture.
void DrawBorder(Picture& picture, int width, Colour colour);

}  // namespace qg
