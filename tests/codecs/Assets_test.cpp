// The pictures that ship beside the executables exist, decode, and have the sizes the pages and
// the sample demo rely on.
#include <gtest/gtest.h>

#include <filesystem>

#include "codecs/Decode.h"

namespace qg {
namespace {

const std::filesystem::path kBin = QG_BIN_DIR;

TEST(ShippedPictures, NavigationButtonsAreSmallGifs) {
  for (const char* name : {"bhome.gif", "bfirst.gif", "bprev.gif", "bnext.gif", "blast.gif"}) {
    const Picture button = LoadSourcePicture((kBin / "Buttons" / name).string());
    EXPECT_EQ(button.width, 32) << name;
    EXPECT_EQ(button.height, 32) << name;
    // Transparent corners, a blue face, a white glyph in the middle.
    EXPECT_EQ(std::vector<int>(button.at(0, 0), button.at(0, 0) + 3),
              (std::vector<int>{255, 255, 255}));
    EXPECT_LT(button.at(3, 28)[0], button.at(3, 28)[2]) << name;
  }
}

TEST(ShippedPictures, BackgroundsAndSamplesDecode) {
  int backgrounds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kBin / "Backgrounds")) {
    const Picture tile = LoadSourcePicture(entry.path().string());
    EXPECT_GE(tile.width, 16) << entry.path();
    ++backgrounds;
  }
  EXPECT_GE(backgrounds, 3);
  int samples = 0, portraits = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kBin / "Samples")) {
    int32_t w = 0, h = 0, size = 0;
    ASSERT_TRUE(ReadPictureInfo(entry.path().string(), w, h, size));
    EXPECT_EQ(std::max(w, h), 800) << entry.path();
    EXPECT_EQ(std::min(w, h), 600) << entry.path();
    EXPECT_EQ(LoadSourcePicture(entry.path().string()).width, w);
    portraits += h > w;
    ++samples;
  }
  EXPECT_GE(samples, 4);
  EXPECT_EQ(portraits, 1);
}

}  // namespace
}  // namespace qg
