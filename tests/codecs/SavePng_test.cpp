// Lossless PNG output: exact round trip, stable bytes, and the message for a path that cannot be
// written.
#include <gtest/gtest.h>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "codecs/Encode.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::ReadFile;
using test::TempDir;

TEST(SavePng, RoundTripsEveryPixelAndReplacesTheFile) {
  TempDir dir;
  const std::string path = dir.file("out.png");
  test::WriteFile(path, "an older file that is much longer than nothing at all");
  const Picture picture = test::PhotoLike(101, 3);
  SavePng(picture, path);
  EXPECT_EQ(LoadSourcePicture(path), picture);
  const Picture one(1, 1);
  SavePng(one, path);
  EXPECT_EQ(LoadSourcePicture(path), one);
}

TEST(SavePng, EqualPicturesGiveEqualFiles) {
  TempDir dir;
  const Picture picture = test::PhotoLike(40, 30, 3);
  SavePng(picture, dir.file("a.png"));
  SavePng(picture, dir.file("b.png"));
  const std::string bytes = ReadFile(dir.file("a.png"));
  EXPECT_EQ(bytes, ReadFile(dir.file("b.png")));
  // 8-bit RGB, not interlaced: IHDR bit depth 8, colour type 2.
  ASSERT_GT(bytes.size(), 26u);
  EXPECT_EQ(bytes[24], 8);
  EXPECT_EQ(bytes[25], 2);
}

TEST(SavePng, UnwritablePathIsReportedWithThePath) {
  TempDir dir;
  const std::string path = dir.file("missing-folder/out.png");
  try {
    SavePng(test::PhotoLike(4, 4), path);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path + ": No such file or directory");
  }
  EXPECT_THROW(SavePng(Picture(), dir.file("empty.png")), Error);
}

}  // namespace
}  // namespace qg
