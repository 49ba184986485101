// Control behaviour of the gallery options; see Options.h.
#include "project/Options.h"

#include <algorithm>

namespace qg {
namespace {

// One side's pair of size boxes: unchecking one checks the other. Only a change of state
// reacts, like a check box's click event.
void SetSizeBox(bool& box, bool& otherBox, bool checked) {
  if (box == checked) return;
  box = checked;
  if (!checked) otherBox = true;  // the other box was off, or it is already on: no further reaction
}

}  // namespace

int32_t ClampSpin(int64_t value, SpinRange range) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, range.min, range.max));
}

void ClampSpinValues(GalleryOptions& o) {
  o.BorderWidth = ClampSpin(o.BorderWidth, kBorderWidthRange);
  o.BorderWidthImage = ClampSpin(o.BorderWidthImage, kBorderWidthRange);
  o.spinColumns = ClampSpin(o.spinColumns, kIndexGridRange);
  o.spinRows = ClampSpin(o.spinRows, kIndexGridRange);
  o.spinCellPad = ClampSpin(o.spinCellPad, kIndexGridRange);
  o.spinCellSpace = ClampSpin(o.spinCellSpace, kIndexGridRange);
  o.iImageWidth = ClampSpin(o.iImageWidth, kImageSizeRange);
  o.iImageHeigth = ClampSpin(o.iImageHeigth, kImageSizeRange);
}

void SetThumbWidthBox(GalleryOptions& o, bool checked) {
  SetSizeBox(o.blThumbWidth, o.blThumbHeight, checked);
}
void SetThumbHeightBox(GalleryOptions& o, bool checked) {
  SetSizeBox(o.blThumbHeight, o.blThumbWidth, checked);
}
void SetImageWidthBox(GalleryOptions& o, bool checked) {
  SetSizeBox(o.blImageWidth, o.blImageHeight, checked);
}
void SetImageHeightBox(GalleryOptions& o, bool checked) {
  SetSizeBox(o.blImageHeight, o.blImageWidth, checked);
}

void SetUseImageFilename(GalleryOptions& o, bool checked) {
  o.rbUseImageFilename = checked;
  if (checked) o.rbUseGivenFilename = false;
}
void SetUseGivenFilename(GalleryOptions& o, bool checked) {
  o.rbUseGivenFilename = checked;
  if (checked) o.rbUseImageFilename = false;
}

}  // namespace qg
