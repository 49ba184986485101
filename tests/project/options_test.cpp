// The controls' behaviour applied to the options: at least one size box per side stays on, the
// page-name radio pair is exclusive, ranged spin values clamp.
#include "project/Options.h"

#include <gtest/gtest.h>

namespace qg {
namespace {

TEST(SizeBoxes, UncheckingOneChecksTheOtherOfTheSameSideOnly) {
  GalleryOptions o;
  o.blImageWidth = false;
  o.blImageHeight = true;
  SetImageHeightBox(o, false);
  EXPECT_TRUE(o.blImageWidth);
  EXPECT_FALSE(o.blImageHeight);
  EXPECT_TRUE(o.blThumbWidth);  // the thumbnail side is not touched
  EXPECT_FALSE(o.blThumbHeight);

  SetThumbWidthBox(o, false);
  EXPECT_FALSE(o.blThumbWidth);
  EXPECT_TRUE(o.blThumbHeight);
  SetThumbHeightBox(o, true);  // no change of state, no reaction
  EXPECT_FALSE(o.blThumbWidth);
  SetThumbWidthBox(o, true);
  EXPECT_TRUE(o.blThumbWidth && o.blThumbHeight);
}

TEST(PageNameChoice, CheckingOneUnchecksTheOther) {
  GalleryOptions o;
  SetUseGivenFilename(o, true);
  EXPECT_TRUE(o.rbUseGivenFilename);
  EXPECT_FALSE(o.rbUseImageFilename);
  SetUseGivenFilename(o, false);
  EXPECT_FALSE(o.rbUseGivenFilename);
  EXPECT_FALSE(o.rbUseImageFilename);
  SetUseImageFilename(o, true);
  EXPECT_TRUE(o.rbUseImageFilename);
}

TEST(SpinRanges, ClampToTheControlsRanges) {
  EXPECT_EQ(ClampSpin(-1, kBorderWidthRange), 0);
  EXPECT_EQ(ClampSpin(31, kBorderWidthRange), 30);
  EXPECT_EQ(ClampSpin(int64_t{1} << 40, kImageSizeRange), 20000);
  GalleryOptions o;
  o.spinColumns = 500;
  o.iImageHeigth = -1;
  o.iThumbWidth = 100000;
  ClampSpinValues(o);
  EXPECT_EQ(o.spinColumns, 100);
  EXPECT_EQ(o.iImageHeigth, 0);
  EXPECT_EQ(o.iThumbWidth, 100000);
}

}  // namespace
}  // namespace qg
