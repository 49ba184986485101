// The behaviour that the window's controls give some gallery options, kept here so the project
// file reader, the window and the tools all apply it the same way: the ranges of the spin boxes
// (a value set into a ranged spin box is clamped), the two size check boxes of each side (at
// least one stays checked) and the page-name radio pair (checking one clears the other).
#pragma once

#include <cstdint>

#include "project/Project.h"

namespace qg {

struct SpinRange {
  int32_t min;
  int32_t max;
};

inline constexpr SpinRange kBorderWidthRange{0, 30};  // spinBorderWidthThumb, spinBorderWidthImage
inline constexpr SpinRange kIndexGridRange{
    0, 100};  // spinColumns, spinRows, spinCellPad, spinCellSpace
inline constexpr SpinRange kImageSizeRange{0, 20000};  // spinWidthImage, spinHeightImage
// spinWidth and spinHeight (the thumbnail size) have no range.

int32_t ClampSpin(int64_t value, SpinRange range);

// Clamps every ranged spin value of the options into its range.
void ClampSpinValues(GalleryOptions& options);

// Setting a size check box runs its click reaction when the state changes: a box that is now
// unchecked checks the other box of its side.
void SetThumbWidthBox(GalleryOptions& options, bool checked);   // chkWidth
void SetThumbHeightBox(GalleryOptions& options, bool checked);  // chkHeight
void SetImageWidthBox(GalleryOptions& options, bool checked);   // chkWidthImage
void SetImageHeightBox(GalleryOptions& options, bool checked);  // chkHeightImage

// The page-name radio pair: checking one button unchecks the other; unchecking one leaves the
// other alone.
void SetUseImageFilename(GalleryOptions& options, bool checked);  // rbUseImageFilename
void SetUseGivenFilename(GalleryOptions& options, bool checked);  // rbUseGivenFilename

}  // namespace qg
