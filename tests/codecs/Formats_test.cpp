// Decoding of every format GraphicsMagick writes here, under each extension that maps to it,
// plus the formats we build by hand: exact pixels for lossless formats, transparency on white,
// 16-bit samples, first frames, CMYK, and damaged files.
#include <gtest/gtest.h>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::MaxDifference;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using test::WriteWithMagick;

// Few enough colours for palette formats to keep every pixel: 4 x 4 blocks of 12 colours.
Picture Poster(int width, int height) {
  static const uint8_t kColours[12][3] = {
      {255, 0, 0}, {0, 255, 0},     {0, 0, 255},   {255, 255, 0}, {0, 255, 255}, {255, 0, 255},
      {0, 0, 0},   {255, 255, 255}, {128, 64, 32}, {12, 200, 99}, {77, 77, 77},  {250, 128, 1}};
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto& c = kColours[((x / 4) * 5 + (y / 4) * 7) % 12];
      std::copy(c, c + 3, picture.at(x, y));
    }
  }
  return picture;
}

Picture Gray(const Picture& picture) {
  Picture out = picture;
  for (size_t i = 0; i < out.pixels.size(); i += 3) {
    out.pixels[i] = out.pixels[i + 2] = out.pixels[i + 1] = picture.pixels[i + 1];
  }
  return out;
}

Picture BlackAndWhite(int width, int height) {
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if ((x * 3 + y * 5) % 11 < 5) std::fill_n(picture.at(x, y), 3, uint8_t{0});
    }
  }
  return picture;
}

struct LosslessCase {
  const char* coder;
  std::vector<const char*> extensions;  // every extension that routes to this coder
  std::vector<std::string> options;
};

class LosslessFormats : public ::testing::TestWithParam<LosslessCase> {};

TEST_P(LosslessFormats, DecodeToTheWrittenPixelsUnderEveryExtension) {
  const LosslessCase& c = GetParam();
  TempDir dir;
  const Picture source = Poster(37, 23);  // odd sizes: row padding and partial runs
  const std::string written = dir.file("written");
  WriteWithMagick(source, written, c.coder, {}, c.options);
  const std::string bytes = ReadFile(written);
  for (const char* extension : c.extensions) {
    const std::string path = dir.file(std::string("picture.") + extension);
    WriteFile(path, bytes);
    SCOPED_TRACE(path);
    const Picture decoded = LoadSourcePicture(path);
    EXPECT_EQ(decoded, source);
    int32_t w = 0, h = 0, size = 0;
    EXPECT_TRUE(ReadPictureInfo(path, w, h, size));
    EXPECT_EQ(w, 37);
    EXPECT_EQ(h, 23);
    EXPECT_EQ(size, static_cast<int32_t>(bytes.size()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, LosslessFormats,
    ::testing::Values(LosslessCase{"BMP", {"bmp", "dib", "BMP", "rle"}, {}},
                      LosslessCase{"BMP", {"rle", "bmp"}, {"type=palette", "compress=RLE"}},
                      LosslessCase{"GIF", {"gif", "GIF"}, {}},
                      LosslessCase{"PNG", {"png", "Png"}, {}},
                      LosslessCase{"PNG", {"png"}, {"type=palette"}},
                      LosslessCase{"TIFF", {"tif", "tiff", "TIF"}, {}},
                      LosslessCase{"TGA", {"tga", "vst", "vda", "icb", "win", "TGA"}, {}},
                      LosslessCase{"TGA", {"tga"}, {"compress=RLE"}},
                      LosslessCase{"PCX", {"pcx", "pcc", "scr"}, {}},
                      LosslessCase{"PPM", {"ppm", "pgm", "pbm"}, {}},
                      LosslessCase{"SGI", {"sgi", "rgb", "rgba", "bw"}, {}},
                      LosslessCase{"SGI", {"sgi"}, {"compress=none"}}),
    [](const auto& param) { return std::string(param.param.coder) + std::to_string(param.index); });

TEST(GrayAndBilevel, PortableMapsKeepTheirPixels) {
  TempDir dir;
  const Picture gray = Gray(test::PhotoLike(31, 17));
  WriteWithMagick(gray, dir.file("gray.pgm"), "PGM");
  EXPECT_EQ(LoadSourcePicture(dir.file("gray.pgm")), gray);

  const Picture bw = BlackAndWhite(29, 13);
  WriteWithMagick(bw, dir.file("bw.pbm"), "PBM");
  EXPECT_EQ(LoadSourcePicture(dir.file("bw.pbm")), bw);
  WriteWithMagick(bw, dir.file("bw.tif"), "TIFF", {}, {"type=bilevel"});
  EXPECT_EQ(LoadSourcePicture(dir.file("bw.tif")), bw);
}

TEST(Fax, RawGroup3DecodesAsBlackOnWhite) {
  TempDir dir;
  const Picture bw = BlackAndWhite(64, 12);
  WriteWithMagick(bw, dir.file("page.fax"), "FAX");
  const Picture decoded = LoadSourcePicture(dir.file("page.fax"));
  // G3 lines have a fixed fax width; the written picture sits at the left of each line.
  ASSERT_GE(decoded.width, 64);
  ASSERT_EQ(decoded.height, 12);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(decoded.at(x, y)[0], bw.at(x, y)[0]) << x << "," << y;
    }
  }
}

// A placeable metafile that fills a 100 x 50 unit rectangle (96 units an inch) with red.
std::string RedRectangleMetafile() {
  std::string out;
  auto put16 = [&out](int v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
  };
  auto put32 = [&](uint32_t v) {
    put16(static_cast<int>(v & 0xFFFF));
    put16(static_cast<int>(v >> 16));
  };
  put32(0x9AC6CDD7);
  const int header[] = {0, 0, 0, 100, 50, 96, 0, 0};  // handle, box, units an inch, reserved
  for (int v : header) put16(v);
  int checksum = 0;
  for (size_t i = 0; i < 20; i += 2)
    checksum ^= static_cast<uint8_t>(out[i]) | (static_cast<uint8_t>(out[i + 1]) << 8);
  put16(checksum);
  const std::vector<std::vector<int>> records = {
      {0x02FC, 0, 0x00FF, 0, 0},  // solid red brush
      {0x012D, 0},                // select it
      {0x041B, 50, 100, 0, 0},    // rectangle: bottom, right, top, left
      {0x0000}};                  // end
  size_t words = 9;
  for (const auto& r : records) words += 2 + r.size();
  put16(1);
  put16(9);
  put16(0x0300);
  put32(static_cast<uint32_t>(words));
  put16(1);
  put32(7);
  put16(0);
  for (const auto& r : records) {
    put32(static_cast<uint32_t>(2 + r.size()));
    for (int v : r) put16(v);
  }
  return out;
}

TEST(Metafiles, PlaceableMetafileIsRenderedAtScreenResolution) {
  TempDir dir;
  WriteFile(dir.file("shape.wmf"), RedRectangleMetafile());
  const Picture decoded = LoadSourcePicture(dir.file("shape.wmf"));
  EXPECT_EQ(decoded.width, 75);  // 100 units at 96 an inch, rendered at 72 pixels an inch
  EXPECT_EQ(decoded.height, 38);
  const uint8_t* middle = decoded.at(37, 19);
  EXPECT_EQ(std::vector<int>(middle, middle + 3), (std::vector<int>{255, 0, 0}));
}

TEST(PhotoCd, TheBaseResolutionIsDecoded) {
  TempDir dir;
  const Picture source = test::PhotoLike(768, 512);
  WriteWithMagick(source, dir.file("scan.pcd"), "PCD");
  const Picture decoded = LoadSourcePicture(dir.file("scan.pcd"));
  ASSERT_EQ(decoded.width, 768);
  ASSERT_EQ(decoded.height, 512);
  // Photo CD stores luma and chroma with its own curves; the picture stays recognisable.
  EXPECT_LT(test::MeanDifference(decoded, source), 25.0);
}

TEST(SixteenBit, SamplesAreScaledToEightBits) {
  TempDir dir;
  const Picture source = test::PhotoLike(21, 11);
  WriteWithMagick(source, dir.file("deep.png"), "PNG", {}, {"depth=16"});
  WriteWithMagick(source, dir.file("deep.tif"), "TIFF", {}, {"depth=16"});
  // The 16-bit files really are 16-bit: twice the samples of the 8-bit ones at least.
  EXPECT_EQ(LoadSourcePicture(dir.file("deep.png")), source);
  EXPECT_EQ(LoadSourcePicture(dir.file("deep.tif")), source);
}

TEST(Cmyk, SeparatedTiffBecomesRgb) {
  TempDir dir;
  // Primaries, black and white convert without loss in either direction.
  Picture source(6, 1);
  const uint8_t colours[6][3] = {{255, 0, 0}, {0, 255, 0},     {0, 0, 255},
                                 {0, 0, 0},   {255, 255, 255}, {255, 255, 0}};
  for (int x = 0; x < 6; ++x) std::copy(colours[x], colours[x] + 3, source.at(x, 0));
  WriteWithMagick(source, dir.file("print.tif"), "TIFF", {}, {"colorspace=cmyk"});
  EXPECT_EQ(LoadSourcePicture(dir.file("print.tif")), source);
}

// Expected result of laying colour c with alpha a over white, rounded.
uint8_t OverWhite(int c, int a) {
  return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

Picture Flattened(const Picture& picture, const std::vector<uint8_t>& alpha) {
  Picture out = picture;
  for (size_t i = 0; i < alpha.size(); ++i) {
    for (int c = 0; c < 3; ++c)
      out.pixels[3 * i + c] = OverWhite(picture.pixels[3 * i + c], alpha[i]);
  }
  return out;
}

TEST(Transparency, PartialAlphaIsLaidOnWhite) {
  TempDir dir;
  const Picture source = test::PhotoLike(19, 9);
  std::vector<uint8_t> alpha(19 * 9);
  for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<uint8_t>((i * 37) % 256);
  alpha[0] = 0;
  alpha[1] = 255;
  const Picture expected = Flattened(source, alpha);
  for (const char* format : {"PNG", "TIFF", "TGA"}) {
    const std::string path =
        dir.file(std::string("alpha.") + (format == std::string("TIFF") ? "tif" : format));
    WriteWithMagick(source, path, format, alpha);
    SCOPED_TRACE(path);
    const Picture decoded = LoadSourcePicture(path);
    EXPECT_EQ(decoded, expected);
    EXPECT_EQ(decoded.at(0, 0)[0], 255);  // fully transparent: white
  }
}

TEST(Transparency, GifTransparentIndexBecomesWhite) {
  TempDir dir;
  const Picture source = Poster(16, 8);
  std::vector<uint8_t> alpha(16 * 8, 255);
  for (int x = 0; x < 16; ++x) alpha[static_cast<size_t>(x)] = 0;  // the top row is see-through
  WriteWithMagick(source, dir.file("cut.gif"), "GIF", alpha);
  const Picture decoded = LoadSourcePicture(dir.file("cut.gif"));
  EXPECT_EQ(decoded, Flattened(source, alpha));
}

TEST(Icons, ThirtyTwoBitIconWithAlpha) {
  TempDir dir;
  const Picture source = test::PhotoLike(16, 16);
  std::vector<uint8_t> alpha(16 * 16);
  for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = i % 3 == 0 ? 0 : (i % 3 == 1 ? 255 : 100);
  WriteFile(dir.file("app.ico"), test::EncodeIcon(source, alpha));
  const Picture decoded = LoadSourcePicture(dir.file("app.ico"));
  EXPECT_EQ(decoded, Flattened(source, alpha));
  int32_t w = 0, h = 0, size = 0;
  ReadPictureInfo(dir.file("app.ico"), w, h, size);
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 16);
}

TEST(Icons, OldStyleIconTakesItsTransparencyFromTheMask) {
  TempDir dir;
  const Picture source = Poster(16, 16);
  std::vector<uint8_t> noAlpha(16 * 16, 0);
  std::string icon = test::EncodeIcon(source, noAlpha);
  // AND mask after the 40-byte header and 16 x 16 x 4 colour bytes; rows bottom-up, 4 bytes
  // each. Mask the top row's first eight pixels.
  icon[22 + 40 + 1024 + 15 * 4] = static_cast<char>(0xFF);
  WriteFile(dir.file("old.ico"), icon);
  Picture expected = source;
  for (int x = 0; x < 8; ++x) std::fill_n(expected.at(x, 0), 3, uint8_t{255});
  EXPECT_EQ(LoadSourcePicture(dir.file("old.ico")), expected);
}

TEST(Bitmaps, DibWithoutFileHeaderDecodes) {
  TempDir dir;
  for (const auto& options :
       {std::vector<std::string>{}, std::vector<std::string>{"type=palette"}}) {
    const Picture source = Poster(13, 7);
    WriteWithMagick(source, dir.file("with-header.bmp"), "BMP", {}, options);
    WriteFile(dir.file("bare.dib"), ReadFile(dir.file("with-header.bmp")).substr(14));
    EXPECT_EQ(LoadSourcePicture(dir.file("bare.dib")), source);
  }
}

TEST(Frames, OnlyTheFirstFrameOrPageIsDecoded) {
  TempDir dir;
  const Picture first = Poster(12, 10);
  Picture second(12, 10);
  std::fill(second.pixels.begin(), second.pixels.end(), uint8_t{7});
  test::WriteFramesWithMagick({first, second}, dir.file("anim.gif"), "GIF");
  test::WriteFramesWithMagick({first, second}, dir.file("pages.tif"), "TIFF");
  EXPECT_EQ(LoadSourcePicture(dir.file("anim.gif")), first);
  EXPECT_EQ(LoadSourcePicture(dir.file("pages.tif")), first);
}

TEST(Animator, EightBitCelAndPicDecodeThroughTheirPalette) {
  TempDir dir;
  std::vector<uint8_t> palette(768);
  for (int i = 0; i < 256; ++i) {
    palette[3 * i] = static_cast<uint8_t>(i % 64);
    palette[3 * i + 1] = static_cast<uint8_t>(63 - i % 64);
    palette[3 * i + 2] = static_cast<uint8_t>((i * 5) % 64);
  }
  std::vector<uint8_t> indices(9 * 4);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i * 7);
  const std::string bytes = test::EncodeAnimator(9, 4, palette, indices);
  for (const char* name : {"sprite.cel", "screen.PIC"}) {
    WriteFile(dir.file(name), bytes);
    const Picture decoded = LoadSourcePicture(dir.file(name));
    ASSERT_EQ(decoded.width, 9);
    ASSERT_EQ(decoded.height, 4);
    for (size_t i = 0; i < indices.size(); ++i) {
      for (int c = 0; c < 3; ++c) {
        const int six = palette[3 * indices[i] + c];
        // 0..63 spread over 0..255 by repeating the top bits: within one step of six * 255 / 63.
        EXPECT_EQ(decoded.pixels[3 * i + c], (six << 2) | (six >> 4));
        EXPECT_NEAR(decoded.pixels[3 * i + c], six * 255.0 / 63.0, 1.0);
      }
    }
    EXPECT_EQ(decoded.at(0, 0)[1], 255);  // 6-bit 63 is full intensity
  }
  // Cut short, or not 8 bits deep: refused.
  WriteFile(dir.file("short.cel"), bytes.substr(0, bytes.size() - 1));
  EXPECT_THROW(LoadSourcePicture(dir.file("short.cel")), Error);
  std::string deep = bytes;
  deep[10] = 16;
  WriteFile(dir.file("deep.cel"), deep);
  EXPECT_THROW(LoadSourcePicture(dir.file("deep.cel")), Error);
}

TEST(ContentAndExtension, ARecognisedSignatureWinsOverTheName) {
  TempDir dir;
  const Picture source = Poster(20, 12);
  WriteWithMagick(source, dir.file("real.png"), "PNG");
  WriteWithMagick(source, dir.file("real.bmp"), "BMP");
  const std::string png = ReadFile(dir.file("real.png"));
  const std::string bmp = ReadFile(dir.file("real.bmp"));
  for (const char* name : {"renamed.jpg", "renamed.tga", "renamed.gif", "renamed.pcx"}) {
    WriteFile(dir.file(name), png);
    EXPECT_EQ(LoadSourcePicture(dir.file(name)), source) << name;
  }
  WriteFile(dir.file("bitmap.tif"), bmp);
  EXPECT_EQ(LoadSourcePicture(dir.file("bitmap.tif")), source);
}

std::string ErrorOf(const std::string& path) {
  try {
    LoadSourcePicture(path);
  } catch (const Error& e) {
    return e.what();
  }
  return "(decoded)";
}

TEST(DamagedFiles, TruncatedFilesOfEveryFormatFailNamingTheFile) {
  TempDir dir;
  const Picture source = test::PhotoLike(120, 80);
  const std::vector<std::pair<const char*, const char*>> formats = {
      {"BMP", "bmp"}, {"GIF", "gif"}, {"PNG", "png"}, {"TIFF", "tif"},
      {"TGA", "tga"}, {"PCX", "pcx"}, {"PPM", "ppm"}, {"SGI", "sgi"}};
  for (const auto& [coder, extension] : formats) {
    const std::string whole = dir.file(std::string("whole.") + extension);
    WriteWithMagick(source, whole, coder);
    const std::string bytes = ReadFile(whole);
    for (size_t keep : {bytes.size() / 2, bytes.size() * 9 / 10, size_t{20}}) {
      const std::string cut = dir.file("cut-" + std::to_string(keep) + "." + extension);
      WriteFile(cut, bytes.substr(0, keep));
      const std::string message = ErrorOf(cut);
      EXPECT_EQ(message.rfind("Cannot read picture \"" + cut + "\": ", 0), 0u) << message;
      int32_t w = 0, h = 0, size = 0;
      EXPECT_THROW(ReadPictureInfo(cut, w, h, size), Error) << cut;
    }
  }
}

TEST(DamagedFiles, GarbageUnderEveryAcceptedExtensionFailsCleanly) {
  TempDir dir;
  std::string garbage;
  uint32_t state = 99;
  for (int i = 0; i < 5000; ++i) {
    state = state * 1103515245u + 12345u;
    garbage.push_back(static_cast<char>(state >> 16));
  }
  for (const std::string& extension : AcceptedExtensions()) {
    const std::string path = dir.file("garbage." + extension);
    WriteFile(path, garbage);
    const std::string message = ErrorOf(path);
    EXPECT_EQ(message.rfind("Cannot read picture \"" + path + "\": ", 0), 0u)
        << extension << ": " << message;
  }
}

}  // namespace
}  // namespace qg
