// The inner border: lines of one colour painted inside the picture's edges, after resizing and
// before the drop shadow. The picture keeps its size.
#pragma once

#include "core/Picture.h"
#include "imaging/Pipeline.h"
#include "project/Project.h"

namespace qg {

// Paints the outer `width` pixels on all four sides in `colour` (0x00BBGGRR). A width of 0 or
// less paints nothing; a width of half the smaller side or more paints the whole picture.
void DrawBorder(Picture& picture, int width, Colour colour);

// The side's border width and colour.
void DrawBorder(Picture& picture, const GalleryOptions& options, Side side);

}  // namespace qg
