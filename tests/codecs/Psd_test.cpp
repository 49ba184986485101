// Photoshop merged pictures in every colour mode and depth we read, raw and run-length coded.
#include <gtest/gtest.h>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::EncodePsd;
using test::PsdImage;
using test::TempDir;
using test::WriteFile;

std::vector<std::vector<uint8_t>> Planes(const Picture& picture) {
  std::vector<std::vector<uint8_t>> planes(3);
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < picture.pixels.size(); i += 3)
      planes[c].push_back(picture.pixels[i + c]);
  }
  return planes;
}

Picture Decode(const std::string& bytes, const char* name = "picture.psd") {
  TempDir dir;
  WriteFile(dir.file(name), bytes);
  return LoadSourcePicture(dir.file(name));
}

TEST(Psd, RgbRawAndRunLengthAndLargeDocument) {
  Picture source = test::PhotoLike(29, 11);
  for (int x = 0; x < 29; ++x) std::fill_n(source.at(x, 5), 3, uint8_t{9});  // a run to pack
  PsdImage image{.mode = 3, .depth = 8, .width = 29, .height = 11, .planes = Planes(source)};
  image.planes.push_back(std::vector<uint8_t>(29 * 11, 0));  // an alpha channel, ignored
  EXPECT_EQ(Decode(EncodePsd(image)), source);
  image.packBits = true;
  EXPECT_EQ(Decode(EncodePsd(image), "picture.PDD"), source);
  image.version = 2;
  EXPECT_EQ(Decode(EncodePsd(image), "large.psd"), source);
}

TEST(Psd, SixteenBitGrayscale) {
  PsdImage image{.mode = 1, .depth = 16, .width = 5, .height = 2};
  const uint16_t samples[10] = {0, 65535, 257, 32896, 1000, 2000, 40000, 50000, 65000, 128};
  std::vector<uint8_t> plane;
  for (uint16_t v : samples) {
    plane.push_back(static_cast<uint8_t>(v >> 8));
    plane.push_back(static_cast<uint8_t>(v & 0xFF));
  }
  image.planes = {plane};
  const Picture decoded = Decode(EncodePsd(image));
  ASSERT_EQ(decoded.width, 5);
  for (int i = 0; i < 10; ++i) {
    const uint8_t expected = static_cast<uint8_t>((samples[i] * 255u + 32767u) / 65535u);
    EXPECT_EQ(decoded.pixels[3 * i], expected);
    EXPECT_EQ(decoded.pixels[3 * i + 2], expected);
  }
}

TEST(Psd, IndexedBitmapAndCmyk) {
  PsdImage indexed{.mode = 2, .depth = 8, .width = 3, .height = 1, .planes = {{0, 1, 255}}};
  indexed.palette.assign(768, 0);
  indexed.palette[0] = 10;          // red of entry 0
  indexed.palette[256 + 1] = 20;    // green of entry 1
  indexed.palette[512 + 255] = 30;  // blue of entry 255
  const Picture a = Decode(EncodePsd(indexed));
  EXPECT_EQ(std::vector<uint8_t>(a.pixels.begin(), a.pixels.end()),
            (std::vector<uint8_t>{10, 0, 0, 0, 20, 0, 0, 0, 30}));

  // Bitmap: 1 is black, rows padded to whole bytes.
  PsdImage bitmap{.mode = 0, .depth = 1, .width = 10, .height = 1, .planes = {{0xA0, 0x40}}};
  const Picture b = Decode(EncodePsd(bitmap));
  const int expected[10] = {0, 255, 0, 255, 255, 255, 255, 255, 255, 0};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(b.at(x, 0)[0], expected[x]) << x;

  // CMYK is stored inverted (255 = no ink): paper, cyan, black.
  PsdImage cmyk{.mode = 4,
                .depth = 8,
                .width = 3,
                .height = 1,
                .planes = {{255, 0, 255}, {255, 255, 255}, {255, 255, 255}, {255, 255, 0}}};
  const Picture c = Decode(EncodePsd(cmyk));
  EXPECT_EQ(std::vector<uint8_t>(c.pixels.begin(), c.pixels.end()),
            (std::vector<uint8_t>{255, 255, 255, 0, 255, 255, 0, 0, 0}));
}

TEST(Psd, DamagedAndUnsupportedFilesAreRefused) {
  const Picture source = test::PhotoLike(12, 6);
  PsdImage image{
      .mode = 3, .depth = 8, .width = 12, .height = 6, .planes = Planes(source), .packBits = true};
  const std::string good = EncodePsd(image);
  TempDir dir;
  const std::string path = dir.file("bad.psd");
  for (size_t keep = 0; keep < good.size(); keep += 7) {
    WriteFile(path, good.substr(0, keep));
    EXPECT_THROW(LoadSourcePicture(path), Error) << keep;
  }
  std::string lab = good;
  lab[25] = 9;  // Lab colour mode
  WriteFile(path, lab);
  try {
    LoadSourcePicture(path);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot read picture \"" + path + "\": Photoshop colour mode 9 is not supported");
  }
  std::string overlong = good;
  overlong[26 + 4 + 4 + 4 + 2 + 1] = 0x7F;  // the first row's byte count grows past its data
  WriteFile(path, overlong);
  EXPECT_THROW(LoadSourcePicture(path), Error);
}

}  // namespace
}  // namespace qg
