// The rotate buttons' value steps and the turned small preview, always made from the file.
#include "imaging/PreviewRotation.h"

#include <gtest/gtest.h>

#include <fstream>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "codecs/JpegOutput.h"
#include "core/Error.h"
#include "imaging/Pipeline.h"
#include "imaging/Rotate.h"
#include "support/TempDir.h"

namespace qg {
namespace {

TEST(RotateValue, StepsOfTheTwoButtons) {
  struct Row {
    const char* current;
    const char* afterRight;
    const char* afterLeft;
  };
  for (const Row& r :
       {Row{"", "1", "3"}, Row{"1", "2", ""}, Row{"2", "3", "1"}, Row{"3", "", "2"}}) {
    EXPECT_EQ(RotateValueRight(r.current), r.afterRight) << "right from '" << r.current << "'";
    EXPECT_EQ(RotateValueLeft(r.current), r.afterLeft) << "left from '" << r.current << "'";
  }
  // A value no button can make counts as unturned.
  EXPECT_EQ(QuarterTurnsOf("7"), 0);
  EXPECT_EQ(RotateValueRight("x"), "1");
  EXPECT_EQ(RotateValueOf(-1), "3");
  EXPECT_EQ(RotateValueOf(8), "");
}

class RotatedPreview : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = temp_.file("photo.jpg");
    SaveAsJpeg(test::PhotoLikePicture(300, 200, 3), path_, 95, false);
    unturned_ = FitPictureToBox(LoadSourcePicture(path_), 153, 113);
  }
  test::TempDir temp_;
  std::string path_;
  Picture unturned_;
};

TEST_F(RotatedPreview, FourRightTurnsReturnToTheUnturnedPixels) {
  std::string value;
  const Picture turnedOnce = MakeRotatedPreview(path_, RotateValueRight(value));
  for (int click = 1; click <= 4; ++click) {
    value = RotateValueRight(value);
    const Picture shown = MakeRotatedPreview(path_, value);
    EXPECT_EQ(shown, RotatePicture(unturned_, click)) << "click " << click;
  }
  EXPECT_EQ(value, "");
  EXPECT_EQ(MakeRotatedPreview(path_, value), unturned_);
  EXPECT_EQ(turnedOnce.width, 113);
  EXPECT_EQ(turnedOnce.height, 153);
}

TEST_F(RotatedPreview, LeftOnANewPictureIsAQuarterTurnLeft) {
  const std::string value = RotateValueLeft("");
  EXPECT_EQ(value, "3");
  EXPECT_EQ(MakeRotatedPreview(path_, value), RotateQuarterLeft(unturned_));
}

TEST_F(RotatedPreview, EachTurnIsTakenFromTheFileNotFromTheScreen) {
  // Turning what was shown before would resample again; the file gives the same pixels each
  // time, and the source file stays as it was.
  const std::string before = test::ReadFile(path_);
  const Picture half = MakeRotatedPreview(path_, "2");
  EXPECT_EQ(MakeRotatedPreview(path_, "2"), half);
  EXPECT_EQ(RotateHalfTurn(half), unturned_);
  EXPECT_EQ(test::ReadFile(path_), before);
}

TEST_F(RotatedPreview, AnUnreadableFileIsAnError) {
  EXPECT_THROW(MakeRotatedPreview(temp_.file("missing.jpg"), "1"), Error);
}

}  // namespace
}  // namespace qg
