// PNG sources go through libpng, not GraphicsMagick: the pixels must be the ones GraphicsMagick
// gave for every colour type, bit depth, transparency and interlacing (checked against the
// GraphicsMagick plug-in on random samples), and the chunk walk that measures added pictures must
// catch damaged structure.
#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "codecs/Magick.h"
#include "codecs/Png.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace qg {
namespace {

struct PngCase {
  int colourType;
  int bitDepth;
  bool interlaced;
  bool transparentColour;  // a tRNS chunk (per palette entry, or one gray or RGB colour)
};

int Channels(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;
  }
}

// A PNG of random samples written straight through libpng, so every layout can be made.
std::string WriteRandomPng(const std::string& path, const PngCase& c, int width, int height) {
  std::mt19937 random(static_cast<unsigned>(c.colourType * 100 + c.bitDepth * 3 + c.interlaced));
  FILE* file = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               c.bitDepth, c.colourType, c.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  const int maxSample = (1 << c.bitDepth) - 1;
  if (c.colourType == PNG_COLOR_TYPE_PALETTE) {
    png_color palette[256];
    png_byte alpha[256];
    for (int i = 0; i < 256; ++i) {
      palette[i] = {static_cast<png_byte>(random()), static_cast<png_byte>(random()),
                    static_cast<png_byte>(random())};
      alpha[i] = static_cast<png_byte>(i % 3 == 0 ? 0 : random());
    }
    png_set_PLTE(png, info, palette, 1 << c.bitDepth);
    if (c.transparentColour) png_set_tRNS(png, info, alpha, 1 << c.bitDepth, nullptr);
  } else if (c.transparentColour) {
    png_color_16 colour{};
    colour.gray = colour.red = static_cast<png_uint_16>(maxSample / 3);
    colour.green = colour.blue = static_cast<png_uint_16>(maxSample / 2);
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  png_write_info(png, info);
  const size_t rowBytes =
      (static_cast<size_t>(width) * Channels(c.colourType) * c.bitDepth + 7) / 8;
  std::vector<png_byte> image(rowBytes * static_cast<size_t>(height));
  for (png_byte& b : image) b = static_cast<png_byte>(random());
  if (c.transparentColour && c.colourType != PNG_COLOR_TYPE_PALETTE && c.bitDepth == 8) {
    // Make sure some pixels have exactly the transparent colour.
    for (size_t i = 0; i + 3 <= image.size(); i += 7 * 3) {
      image[i] = static_cast<png_byte>(maxSample / 3);
      if (c.colourType == PNG_COLOR_TYPE_RGB) {
        image[i + 1] = image[i + 2] = static_cast<png_byte>(maxSample / 2);
      }
    }
  }
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = &image[rowBytes * y];
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return test::ReadFile(path);
}

class PngLayouts : public ::testing::TestWithParam<PngCase> {};

TEST_P(PngLayouts, DecodeToGraphicsMagicksPixels) {
  const PngCase& c = GetParam();
  test::TempDir dir;
  const std::string path = dir.file("random.png");
  const std::string bytes = WriteRandomPng(path, c, 29, 19);
  const Picture ours = LoadSourcePicture(path);
  Picture theirs = codecs::DecodeWithMagick(reinterpret_cast<const uint8_t*>(bytes.data()),
                                            bytes.size(), "PNG", path);
  if (c.colourType == PNG_COLOR_TYPE_RGB && c.transparentColour && c.bitDepth == 8) {
    // GraphicsMagick ignored an RGB picture's transparent colour; it is laid on white.
    int transparent = 0;
    for (size_t i = 0; i < theirs.pixels.size(); i += 3) {
      if (theirs.pixels[i] == 85 && theirs.pixels[i + 1] == 127 && theirs.pixels[i + 2] == 127) {
        std::fill_n(&theirs.pixels[i], 3, uint8_t{255});
        ++transparent;
      }
    }
    EXPECT_GT(transparent, 10);
  }
  EXPECT_EQ(ours, theirs);
  int32_t w = 0, h = 0, size = 0;
  EXPECT_TRUE(ReadPictureInfo(path, w, h, size));
  EXPECT_EQ(w, 29);
  EXPECT_EQ(h, 19);
}

std::vector<PngCase> AllLayouts() {
  std::vector<PngCase> cases;
  const std::vector<std::pair<int, std::vector<int>>> depths = {
      {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}}, {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},
      {PNG_COLOR_TYPE_RGB, {8, 16}},           {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
      {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},
  };
  for (const auto& [type, list] : depths) {
    for (int depth : list) {
      for (bool interlaced : {false, true}) {
        cases.push_back({type, depth, interlaced, false});
        if (type == PNG_COLOR_TYPE_PALETTE || type == PNG_COLOR_TYPE_GRAY ||
            type == PNG_COLOR_TYPE_RGB) {
          cases.push_back({type, depth, interlaced, true});
        }
      }
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Codecs, PngLayouts, ::testing::ValuesIn(AllLayouts()),
                         [](const auto& param) {
                           const PngCase& c = param.param;
                           return "type" + std::to_string(c.colourType) + "_depth" +
                                  std::to_string(c.bitDepth) + (c.interlaced ? "_interlaced" : "") +
                                  (c.transparentColour ? "_trns" : "");
                         });

// A minimal PNG: signature, then the given chunks (type, body) with zero CRCs, which the
// structure walk does not read.
std::string Chunks(const std::vector<std::pair<std::string, std::string>>& chunks) {
  std::string out = "\x89PNG\r\n\x1a\n";
  for (const auto& [type, body] : chunks) {
    const uint32_t n = static_cast<uint32_t>(body.size());
    out += {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
            static_cast<char>(n)};
    out += type + body + std::string(4, '\0');
  }
  return out;
}

std::string Ihdr(uint32_t width, uint32_t height, int depth = 8, int type = 2, int interlace = 0) {
  std::string body;
  for (uint32_t v : {width, height}) {
    body += {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
             static_cast<char>(v)};
  }
  body += {static_cast<char>(depth), static_cast<char>(type), 0, 0, static_cast<char>(interlace)};
  return body;
}

TEST(PngStructure, DamageIsFoundWithoutDecoding) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* problem;  // "" when the structure is sound
  };
  const std::string idat(10, 'x');
  const std::string sound = Chunks({{"IHDR", Ihdr(5, 4)}, {"IDAT", idat}, {"IEND", ""}});
  const Case cases[] = {
      {"sound", sound, ""},
      {"text before the data",
       Chunks({{"IHDR", Ihdr(5, 4)}, {"tEXt", "a"}, {"IDAT", idat}, {"IEND", ""}}), ""},
      {"cut inside a chunk", sound.substr(0, sound.size() - 15), "Premature end of PNG file"},
      {"no end chunk", sound.substr(0, sound.size() - 12), "Premature end of PNG file"},
      {"header not first", Chunks({{"IDAT", idat}, {"IHDR", Ihdr(5, 4)}, {"IEND", ""}}),
       "damaged PNG header (IHDR missing)"},
      {"no picture data", Chunks({{"IHDR", Ihdr(5, 4)}, {"IEND", ""}}),
       "the PNG file holds no picture data (IDAT)"},
      {"zero width", Chunks({{"IHDR", Ihdr(0, 4)}, {"IDAT", idat}, {"IEND", ""}}),
       "damaged PNG header (IHDR)"},
      {"16-bit palette", Chunks({{"IHDR", Ihdr(5, 4, 16, 3)}, {"IDAT", idat}, {"IEND", ""}}),
       "damaged PNG header (IHDR)"},
      {"unknown interlacing", Chunks({{"IHDR", Ihdr(5, 4, 8, 2, 2)}, {"IDAT", idat}, {"IEND", ""}}),
       "damaged PNG header (IHDR)"},
      {"signature only", sound.substr(0, 8), "Premature end of PNG file"},
      {"not a PNG", "GIF89a....", "not a PNG file"},
  };
  for (const Case& c : cases) {
    codecs::PngLayout layout;
    std::string problem;
    const bool passed = codecs::ScanPngStructure(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                                 c.bytes.size(), layout, problem);
    EXPECT_EQ(passed, *c.problem == '\0') << c.name;
    EXPECT_EQ(problem, c.problem) << c.name;
    if (passed) {
      EXPECT_EQ(layout.width, 5) << c.name;
      EXPECT_EQ(layout.height, 4) << c.name;
    }
  }
}

TEST(PngStructure, DamagedDataFailsTheDecodeNamingTheFile) {
  test::TempDir dir;
  const std::string path = dir.file("broken.png");
  // A sound structure whose compressed data is garbage: only the decode can tell.
  test::WriteFile(path, Chunks({{"IHDR", Ihdr(5, 4)}, {"IDAT", "garbage"}, {"IEND", ""}}));
  int32_t w = 0, h = 0, size = 0;
  EXPECT_TRUE(ReadPictureInfo(path, w, h, size));
  try {
    LoadSourcePicture(path);
    ADD_FAILURE() << "decoded";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot read picture \"" + path + "\": ", 0), 0u)
        << e.what();
  }
}

}  // namespace
}  // namespace qg
