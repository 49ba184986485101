// JPEG output: libjpeg's defaults with only quality and progression set (byte for byte what the
// library's own command-line encoder writes with those settings), the quality limits, and
// writing exactly the given path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "JpegRead.h"
#include "TestPictures.h"
#include "codecs/JpegOutput.h"
#include "core/Error.h"
#include "imaging/Pipeline.h"
#include "support/TempDir.h"

namespace qg {
namespace {

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

void WritePpm(const Picture& p, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << p.width << " " << p.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(p.pixels.data()),
            static_cast<std::streamsize>(p.pixels.size()));
}

TEST(EncodeJpeg, MatchesTheLibrarysEncoderWithTheSameSettings) {
  if (std::system("command -v cjpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "cjpeg not installed";
  test::TempDir dir;
  const Picture p = test::PhotoLikePicture(67, 45, 11);
  WritePpm(p, dir.file("in.ppm"));
  for (auto [quality, progressive] : {std::pair{95, false}, {80, true}, {1, false}, {100, true}}) {
    const std::string out = dir.file("cjpeg.jpg");
    const std::string command = "cjpeg -quality " + std::to_string(quality) + " -baseline " +
                                (progressive ? "-progressive " : "") + "-outfile '" + out + "' '" +
                                dir.file("in.ppm") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(Bytes(EncodeJpeg(p, quality, progressive)), test::ReadFile(out))
        << quality << (progressive ? " progressive" : "");
  }
}

TEST(EncodeJpeg, QualityOutsideOneToHundredIsClamped) {
  const Picture p = test::PhotoLikePicture(20, 20, 3);
  EXPECT_EQ(EncodeJpeg(p, 0, false), EncodeJpeg(p, 1, false));
  EXPECT_EQ(EncodeJpeg(p, -7, false), EncodeJpeg(p, 1, false));
  EXPECT_EQ(EncodeJpeg(p, 250, false), EncodeJpeg(p, 100, false));
  EXPECT_NE(EncodeJpeg(p, 1, false), EncodeJpeg(p, 2, false));
}

TEST(EncodeJpeg, EmptyPictureIsAnErrorNotAnEmptyFile) {
  EXPECT_THROW(EncodeJpeg(Picture(0, 5), 90, false), Error);
  EXPECT_THROW(EncodeJpeg(Picture(), 90, false), Error);
}

TEST(EncodeJpeg, PicturesTooWideForJpegFailWithTheLibrarysReason) {
  try {
    EncodeJpeg(Picture(65583, 1), 90, false);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Cannot encode JPEG: Maximum supported image dimension is 65500 pixels");
  }
}

TEST(SaveAsJpeg, WritesTheGivenPathReplacingAnyFile) {
  test::TempDir dir;
  const std::string path = dir.file("Tn_Beach.JPG");
  test::WriteFile(path, std::string(100000, 'x'));
  const Picture p = test::FlatPicture(30, 20, 250, 10, 10);
  SaveAsJpeg(p, path, 90, false);
  EXPECT_EQ(test::ReadFile(path), Bytes(EncodeJpeg(p, 90, false)));
  const auto read = test::ReadJpegFile(path);
  EXPECT_EQ(read.picture.width, 30);
  EXPECT_EQ(read.picture.height, 20);
  EXPECT_NEAR(read.picture.at(15, 10)[0], 250, 3);
  EXPECT_FALSE(read.progressive);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(SaveAsJpeg, WritesTheEncodersBytesWithQualityHeldToOneToHundred) {
  test::TempDir dir;
  const Picture p = test::PhotoLikePicture(40, 30, 12);
  SaveAsJpeg(p, dir.file("t.jpg"), 0, true);
  SaveAsJpeg(p, dir.file("i.jpg"), 55, false);
  SaveAsJpeg(p, dir.file("h.jpg"), 101, false);
  EXPECT_EQ(test::ReadFile(dir.file("t.jpg")), Bytes(EncodeJpeg(p, 1, true)));
  EXPECT_EQ(test::ReadFile(dir.file("i.jpg")), Bytes(EncodeJpeg(p, 55, false)));
  EXPECT_EQ(test::ReadFile(dir.file("h.jpg")), Bytes(EncodeJpeg(p, 100, false)));
  EXPECT_TRUE(test::ReadJpegFile(dir.file("t.jpg")).progressive);
  EXPECT_FALSE(test::ReadJpegFile(dir.file("i.jpg")).progressive);
}

TEST(SaveAsJpeg, UnwritablePathFailsWithTheSystemsReason) {
  test::TempDir dir;
  const std::string path = dir.file("missing/out.jpg");
  try {
    SaveAsJpeg(test::FlatPicture(2, 2, 0, 0, 0), path, 90, false);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot create file \"" + path + "\". No such file or directory");
  }
}

}  // namespace
}  // namespace qg
