// Target sizes: the four box combinations, truncation at exact ratios, and the errors for size
// texts and results that cannot be used.
#include <gtest/gtest.h>

#include <string>

#include "core/Error.h"
#include "imaging/Pipeline.h"

namespace qg {
namespace {

SizeBox ThumbBox(bool width, int w, bool height, int h) { return SizeBox{width, w, height, h}; }

TargetSize Thumb(const std::string& text, const SizeBox& box) {
  return GetTargetSize(text, box, Side::Thumb);
}

TEST(TargetSize, WidthBoxKeepsTheAspectAndTruncates) {
  EXPECT_EQ(Thumb("800 x 600", ThumbBox(true, 120, false, 100)), (TargetSize{120, 90}));
  EXPECT_EQ(Thumb("800 x 600", ThumbBox(true, 150, false, 100)), (TargetSize{150, 112}));
  EXPECT_EQ(Thumb("600 x 800", ThumbBox(true, 120, false, 100)), (TargetSize{120, 160}));
}

TEST(TargetSize, ExactRatiosFollowTheExtendedArithmetic) {
  EXPECT_EQ(Thumb("120 x 90", ThumbBox(true, 100, false, 0)), (TargetSize{100, 74}));
  EXPECT_EQ(Thumb("90 x 120", ThumbBox(false, 0, true, 100)), (TargetSize{74, 100}));
}

TEST(TargetSize, HeightBoxComputesTheWidth) {
  EXPECT_EQ(Thumb("800 x 600", ThumbBox(false, 120, true, 100)), (TargetSize{133, 100}));
}

TEST(TargetSize, BothBoxesDistortAndNeitherActsLikeWidth) {
  EXPECT_EQ(Thumb("800 x 600", ThumbBox(true, 120, true, 100)), (TargetSize{120, 100}));
  EXPECT_EQ(Thumb("37 x 1000", ThumbBox(true, 120, true, 100)), (TargetSize{120, 100}));
  EXPECT_EQ(Thumb("800 x 600", ThumbBox(false, 120, false, 100)), (TargetSize{120, 90}));
}

TEST(TargetSize, SmallPicturesAreEnlarged) {
  EXPECT_EQ(Thumb("40 x 30", ThumbBox(true, 120, false, 0)), (TargetSize{120, 90}));
}

TEST(TargetSize, LeadingBlanksBeforeTheHeightAreAllowed) {
  EXPECT_EQ(Thumb("800 x    600", ThumbBox(true, 120, false, 0)), (TargetSize{120, 90}));
}

TEST(TargetSize, ResultsOfZeroAreReturned) {
  EXPECT_EQ(Thumb("1000 x 1", ThumbBox(true, 100, false, 0)), (TargetSize{100, 0}));
}

std::string ErrorOf(const std::string& text, const SizeBox& o) {
  try {
    Thumb(text, o);
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(TargetSize, UnusableSizeTextsFailNamingTheText) {
  const SizeBox o = ThumbBox(true, 120, false, 100);
  EXPECT_EQ(ErrorOf("", o), "'' is not a valid picture size");
  EXPECT_EQ(ErrorOf("800", o), "'800' is not a valid picture size");
  EXPECT_EQ(ErrorOf("abc x 600", o), "'abc x 600' is not a valid picture size");
  EXPECT_EQ(ErrorOf("800 x", o), "'800 x' is not a valid picture size");
  EXPECT_EQ(ErrorOf("800 x 6OO", o), "'800 x 6OO' is not a valid picture size");
  EXPECT_EQ(ErrorOf("99999999999 x 600", o), "'99999999999 x 600' is not a valid picture size");
}

TEST(TargetSize, ZeroOrNegativeSidesFailInsteadOfDividing) {
  EXPECT_EQ(ErrorOf("0 x 600", ThumbBox(true, 120, false, 100)),
            "'0 x 600' is not a valid picture size: a side is zero");
  EXPECT_EQ(ErrorOf("800 x 0", ThumbBox(true, 120, false, 100)),
            "'800 x 0' is not a valid picture size: a side is zero");
  EXPECT_EQ(ErrorOf("-800 x 600", ThumbBox(true, 120, true, 100)),
            "'-800 x 600' is not a valid picture size: a side is negative");
}

TEST(TargetSize, ResultsOutside16BitsFailInsteadOfWrapping) {
  EXPECT_EQ(
      ErrorOf("800 x 600", ThumbBox(true, 70000, false, 100)),
      "The thumbnail size 70000 x 52500 for a picture of 800 x 600 is outside 0 to 65535 pixels");
  EXPECT_EQ(
      ErrorOf("1 x 1000", ThumbBox(true, 100, false, 100)),
      "The thumbnail size 100 x 100000 for a picture of 1 x 1000 is outside 0 to 65535 pixels");
  EXPECT_EQ(
      ErrorOf("800 x 600", ThumbBox(true, -120, false, 100)),
      "The thumbnail size -120 x -90 for a picture of 800 x 600 is outside 0 to 65535 pixels");
  EXPECT_EQ(Thumb("800 x 600", ThumbBox(true, 65535, true, 65535)), (TargetSize{65535, 65535}));
}

TEST(TargetSize, TheSideIsNamedInTheRangeError) {
  try {
    GetTargetSize("800 x 600", ThumbBox(true, 70000, false, 100), Side::Image);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(
        e.what(),
        "The display image size 70000 x 52500 for a picture of 800 x 600 is outside 0 to 65535 "
        "pixels");
  }
}

}  // namespace
}  // namespace qg
