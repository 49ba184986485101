// Streaming JPEG input: for every kind of JPEG it takes, the resampled pictures equal those made
// from LoadSourcePicture's whole picture; what it does not take (other formats, grayscale,
// damaged files, unknown extensions) goes the general way with the general way's messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "codecs/Encode.h"
#include "codecs/JpegInput.h"
#include "codecs/JpegOutput.h"
#include "core/Error.h"
#include "imaging/Pipeline.h"
#include "imaging/Resample.h"
#include "support/TempDir.h"

namespace qg {
namespace {

const std::vector<TargetSize> kSizes = {{40, 30}, {7, 200}, {301, 2}};

std::vector<Picture> FromWholePicture(const std::string& path) {
  const Picture source = LoadSourcePicture(path);
  std::vector<Picture> out;
  for (const TargetSize& t : kSizes) out.push_back(StretchPicture(source, t.width, t.height));
  return out;
}

std::vector<Picture> Streamed(const std::string& path) {
  return ResampleSourceFile(path, [](int, int) { return kSizes; });
}

bool HaveCjpeg() { return std::system("command -v cjpeg >/dev/null 2>&1") == 0; }

void WritePpm(const Picture& p, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << p.width << " " << p.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(p.pixels.data()),
            static_cast<std::streamsize>(p.pixels.size()));
}

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(JpegInput, OurOwnBaselineAndProgressiveFilesStreamToTheSamePictures) {
  test::TempDir dir;
  for (auto [w, h] : {std::pair{97, 61}, {1, 1}, {8, 300}, {300, 7}}) {
    const Picture picture = test::PhotoLikePicture(w, h, static_cast<uint32_t>(w + h));
    for (bool progressive : {false, true}) {
      const std::string path = dir.file("p.JPG");
      SaveAsJpeg(picture, path, 90, progressive);
      ASSERT_NE(JpegRowSource::Open(path), nullptr);
      EXPECT_EQ(Streamed(path), FromWholePicture(path)) << w << " x " << h << " " << progressive;
    }
  }
}

TEST(JpegInput, LibraryEncoderVariantsStreamToTheSamePictures) {
  if (!HaveCjpeg()) GTEST_SKIP() << "cjpeg not installed";
  test::TempDir dir;
  const Picture picture = test::PhotoLikePicture(123, 77, 9);
  WritePpm(picture, dir.file("in.ppm"));
  for (const char* options : {"-sample 1x1", "-sample 2x1", "-restart 1", "-rgb", "-arithmetic",
                              "-progressive -sample 1x1", "-dct float"}) {
    const std::string path = dir.file("variant.jpeg");
    const std::string command = std::string("cjpeg -quality 85 ") + options + " -outfile '" + path +
                                "' '" + dir.file("in.ppm") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_NE(JpegRowSource::Open(path), nullptr) << options;
    EXPECT_EQ(Streamed(path), FromWholePicture(path)) << options;
  }
}

TEST(JpegInput, GrayscaleJpegGoesTheGeneralWay) {
  if (!HaveCjpeg()) GTEST_SKIP() << "cjpeg not installed";
  test::TempDir dir;
  WritePpm(test::PhotoLikePicture(50, 40, 2), dir.file("in.ppm"));
  const std::string path = dir.file("gray.jpg");
  ASSERT_EQ(std::system(
                ("cjpeg -grayscale -outfile '" + path + "' '" + dir.file("in.ppm") + "'").c_str()),
            0);
  EXPECT_EQ(JpegRowSource::Open(path), nullptr);
  EXPECT_EQ(Streamed(path), FromWholePicture(path));
}

TEST(JpegInput, OtherFormatsGoTheGeneralWay) {
  test::TempDir dir;
  const Picture picture = test::PhotoLikePicture(45, 33, 3);
  SavePng(picture, dir.file("p.png"));
  EXPECT_EQ(JpegRowSource::Open(dir.file("p.png")), nullptr);
  EXPECT_EQ(Streamed(dir.file("p.png")), FromWholePicture(dir.file("p.png")));
  // A JPEG under another accepted name is still decoded as JPEG, as the decoders do.
  SaveAsJpeg(picture, dir.file("really-jpeg.bmp"), 80, false);
  EXPECT_NE(JpegRowSource::Open(dir.file("really-jpeg.bmp")), nullptr);
  EXPECT_EQ(Streamed(dir.file("really-jpeg.bmp")), FromWholePicture(dir.file("really-jpeg.bmp")));
}

TEST(JpegInput, DamagedAndUnknownFilesFailWithTheDecodersMessages) {
  test::TempDir dir;
  SaveAsJpeg(test::PhotoLikePicture(200, 150, 4), dir.file("whole.jpg"), 90, false);
  const std::string bytes = test::ReadFile(dir.file("whole.jpg"));
  test::WriteFile(dir.file("cut.jpg"), bytes.substr(0, bytes.size() / 2));
  test::WriteFile(dir.file("name.xyz"), bytes);
  for (const std::string name : {"cut.jpg", "name.xyz", "missing.jpg"}) {
    const std::string path = dir.file(name);
    const std::string expected = MessageOf([&] { LoadSourcePicture(path); });
    ASSERT_NE(expected, "no error") << name;
    EXPECT_EQ(MessageOf([&] { Streamed(path); }), expected) << name;
  }
}

TEST(JpegInput, SizesAreAskedForWithTheSourcesPixelSize) {
  test::TempDir dir;
  SaveAsJpeg(test::PhotoLikePicture(64, 48, 5), dir.file("p.jpg"), 90, false);
  int seenW = 0, seenH = 0;
  const auto out = ResampleSourceFile(dir.file("p.jpg"), [&](int w, int h) {
    seenW = w;
    seenH = h;
    return std::vector<TargetSize>{{16, 12}};
  });
  EXPECT_EQ(seenW, 64);
  EXPECT_EQ(seenH, 48);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].width, 16);
}

}  // namespace
}  // namespace qg
