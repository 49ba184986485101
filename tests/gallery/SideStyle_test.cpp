// Each side's imaging settings come from that side's own options, every one of them, and the
// target sizes from that side's size box.
#include <gtest/gtest.h>

#include <string>

#include "core/Error.h"
#include "gallery/SideStyle.h"

namespace qg {
namespace {

// Every option the styles read set to a value of its own, the thumbnail's apart from the
// display image's, so a value taken from the wrong option shows.
GalleryOptions DistinctOptions() {
  GalleryOptions o;
  o.blThumbWidth = false;
  o.iThumbWidth = 101;
  o.blThumbHeight = true;
  o.iThumbHeigth = 102;
  o.BorderWidth = 3;
  o.ColorBorder = 0x000011;
  o.AddShadow = true;
  o.colorboxBackgroundA = 0x000012;
  o.iShadowColorThumb = 0x000013;
  o.iShadowOffHThumb = -4;
  o.iShadowOffVThumb = 5;
  o.iShadowBlurThumb = 6;
  o.iQualityThumb = 77;
  o.blProgressiveThumb = true;

  o.blImageWidth = true;
  o.iImageWidth = 201;
  o.blImageHeight = true;
  o.iImageHeigth = 202;
  o.BorderWidthImage = 7;
  o.ColorBorderImage = 0x000021;
  o.AddShadowImage = false;
  o.colorboxBackgroundB = 0x000022;
  o.iShadowColorImage = 0x000023;
  o.iShadowOffHImage = 8;
  o.iShadowOffVImage = -9;
  o.iShadowBlurImage = 10;
  o.iQualityImage = 55;
  o.blProgressiveImage = false;

  o.FIndexFontColor = 0x000031;  // page options no style reads
  o.FThumbFontColor = 0x000032;
  return o;
}

TEST(SideStyle, EachSideReadsItsOwnOptions) {
  const GalleryOptions o = DistinctOptions();
  struct Row {
    Side side;
    ImageStyle style;
    SizeBox box;
  };
  const Row rows[] = {
      {Side::Thumb,
       {3, 0x000011, true, 0x000012, 0x000013, -4, 5, 6, 77, true},
       {false, 101, true, 102}},
      {Side::Image,
       {7, 0x000021, false, 0x000022, 0x000023, 8, -9, 10, 55, false},
       {true, 201, true, 202}},
  };
  for (const Row& row : rows) {
    const ImageStyle style = SideStyle(o, row.side);
    EXPECT_EQ(style, row.style) << (row.side == Side::Thumb ? "thumb" : "image");
    const SizeBox box = SideSizeBox(o, row.side);
    EXPECT_EQ(box.fixWidth, row.box.fixWidth);
    EXPECT_EQ(box.width, row.box.width);
    EXPECT_EQ(box.fixHeight, row.box.fixHeight);
    EXPECT_EQ(box.height, row.box.height);
  }
}

TEST(SideStyle, ShadowFlagsFollowTheirOwnCheckBoxes) {
  GalleryOptions o;
  for (bool thumb : {false, true}) {
    for (bool image : {false, true}) {
      o.AddShadow = thumb;
      o.AddShadowImage = image;
      EXPECT_EQ(SideStyle(o, Side::Thumb).shadow, thumb);
      EXPECT_EQ(SideStyle(o, Side::Image).shadow, image);
    }
  }
}

TEST(SideTargetSize, EachSideUsesItsOwnBox) {
  GalleryOptions o;
  o.blThumbWidth = true;
  o.iThumbWidth = 120;
  o.blThumbHeight = false;
  o.blImageWidth = false;
  o.iImageWidth = 640;
  o.blImageHeight = true;
  o.iImageHeigth = 300;
  EXPECT_EQ(SideTargetSize("800 x 600", o, Side::Thumb), (TargetSize{120, 90}));
  EXPECT_EQ(SideTargetSize("800 x 600", o, Side::Image), (TargetSize{400, 300}));
}

TEST(SideTargetSize, RecordFormNamesThePicture) {
  GalleryOptions o;
  o.blThumbWidth = true;
  o.iThumbWidth = 120;
  o.blThumbHeight = false;
  PictureRecord record;
  record.FileName = "beach.jpg";
  record.ImageSize = "0 x 10";
  try {
    SideTargetSize(record, o, Side::Thumb);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "beach.jpg: '0 x 10' is not a valid picture size: a side is zero");
  }
  record.ImageSize = "800 x 600";
  EXPECT_EQ(SideTargetSize(record, o, Side::Thumb), (TargetSize{120, 90}));
}

}  // namespace
}  // namespace qg
