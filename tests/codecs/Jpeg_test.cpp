// JPEG sources: pixel-exact agreement with libjpeg's defaults (djpeg), colour spaces, and the
// agreement between the full decode and the quick structural pass on damaged files.
#include <gtest/gtest.h>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "codecs/Jpeg.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::EncodeJpeg;
using test::JpegOptions;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string LoadError(const std::string& path) {
  try {
    LoadSourcePicture(path);
  } catch (const Error& e) {
    return e.what();
  }
  return "(decoded)";
}

std::string InfoError(const std::string& path) {
  int32_t w = 0, h = 0, size = 0;
  try {
    ReadPictureInfo(path, w, h, size);
  } catch (const Error& e) {
    return e.what();
  }
  return "(measured)";
}

// libjpeg's own command-line decoder with its defaults; -rgb turns grayscale into RGB triplets.
Picture Djpeg(const std::string& path) {
  std::string ppm;
  if (test::RunCommand("djpeg -rgb -ppm '" + path + "'", &ppm) != 0) {
    throw std::runtime_error("djpeg failed on " + path);
  }
  return test::ParsePpm(ppm);
}

struct Variant {
  const char* name;
  JpegOptions options;
};

TEST(JpegPixels, MatchLibjpegDefaultsExactly) {
  TempDir dir;
  const Picture source = test::PhotoLike(53, 37, 7);
  const Variant variants[] = {
      {"baseline", {}},
      {"progressive", {.progressive = true}},
      {"arithmetic", {.arithmetic = true}},
      {"restarts", {.restartRows = 1}},
      {"low-quality", {.quality = 20}},
  };
  for (const Variant& v : variants) {
    const std::string path = dir.file(std::string(v.name) + ".jpg");
    WriteFile(path, EncodeJpeg(source, v.options));
    SCOPED_TRACE(v.name);
    const Picture decoded = LoadSourcePicture(path);
    EXPECT_EQ(decoded, Djpeg(path));
    EXPECT_LE(test::MeanDifference(decoded, source), v.options.quality < 50 ? 16.0 : 10.0);
  }
}

TEST(JpegPixels, EveryJpegExtensionAndAnyCaseDecodesTheSame) {
  TempDir dir;
  const std::string bytes = EncodeJpeg(test::PhotoLike(16, 16));
  WriteFile(dir.file("a.jpg"), bytes);
  const Picture reference = LoadSourcePicture(dir.file("a.jpg"));
  for (const char* name : {"b.JPG", "c.jpe", "d.JPEG", "e.jfif", "f.JfIf"}) {
    WriteFile(dir.file(name), bytes);
    EXPECT_EQ(LoadSourcePicture(dir.file(name)), reference) << name;
  }
  // Saved under another picture extension, JPEG content still goes through the same decoder.
  WriteFile(dir.file("photo.png"), bytes);
  EXPECT_EQ(LoadSourcePicture(dir.file("photo.png")), reference);
  WriteFile(dir.file("photo.bmp"), bytes);
  EXPECT_EQ(LoadSourcePicture(dir.file("photo.bmp")), reference);
}

TEST(JpegColour, GrayscaleBecomesEqualChannels) {
  TempDir dir;
  const std::string path = dir.file("gray.jpg");
  WriteFile(path, EncodeJpeg(test::PhotoLike(23, 9), {.grayscale = true}));
  const Picture decoded = LoadSourcePicture(path);
  EXPECT_EQ(decoded, Djpeg(path));
  for (size_t i = 0; i < decoded.pixels.size(); i += 3) {
    ASSERT_EQ(decoded.pixels[i], decoded.pixels[i + 1]);
    ASSERT_EQ(decoded.pixels[i], decoded.pixels[i + 2]);
  }
}

// Inks of one pixel each: white paper, pure cyan, magenta, yellow, black, and a mix.
const std::vector<uint8_t> kInks = {0,   0,   0,   0,    //
                                    255, 0,   0,   0,    //
                                    0,   255, 0,   0,    //
                                    0,   0,   255, 0,    //
                                    0,   0,   0,   255,  //
                                    0,   128, 255, 64};
const uint8_t kInkRgb[6][3] = {{255, 255, 255}, {0, 255, 255}, {255, 0, 255},
                               {255, 255, 0},   {0, 0, 0},     {191, 95, 0}};

TEST(JpegColour, CmykBothConventionsBecomeRgb) {
  TempDir dir;
  for (bool adobe : {true, false}) {
    const std::string path = dir.file(adobe ? "adobe.jpg" : "plain.jpg");
    WriteFile(path, test::EncodeCmykJpeg(6, 1, kInks, adobe));
    const Picture decoded = LoadSourcePicture(path);
    ASSERT_EQ(decoded.width, 6);
    for (int x = 0; x < 6; ++x) {
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(decoded.at(x, 0)[c], kInkRgb[x][c], 3) << (adobe ? "adobe " : "plain ") << x;
      }
    }
  }
}

TEST(JpegColour, CmykWrittenByGraphicsMagickKeepsPrimaries) {
  TempDir dir;
  Picture source(4, 1);
  const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  for (int x = 0; x < 4; ++x) std::copy(colours[x], colours[x] + 3, source.at(x, 0));
  test::WriteWithMagick(source, dir.file("print.jpg"), "JPEG", {}, {"colorspace=cmyk"});
  EXPECT_LE(test::MaxDifference(LoadSourcePicture(dir.file("print.jpg")), source), 4);
}

TEST(JpegInfo, SizeComesFromTheFrameHeaderAndBytesFromTheFile) {
  TempDir dir;
  const std::string bytes = EncodeJpeg(test::PhotoLike(301, 7), {.progressive = true});
  const std::string path = dir.file("wide.JPG");
  WriteFile(path, bytes);
  int32_t w = 0, h = 0, size = 0;
  EXPECT_TRUE(ReadPictureInfo(path, w, h, size));
  EXPECT_EQ(w, 301);
  EXPECT_EQ(h, 7);
  EXPECT_EQ(size, static_cast<int32_t>(bytes.size()));
}

TEST(JpegDamage, TruncationAnywhereFailsInBothPasses) {
  TempDir dir;
  for (bool progressive : {false, true}) {
    const std::string bytes =
        EncodeJpeg(test::PhotoLike(40, 24), {.progressive = progressive, .restartRows = 1});
    const std::string path = dir.file("cut.jpg");
    for (size_t keep = 1; keep < bytes.size(); keep += keep < 700 ? 1 : 13) {
      WriteFile(path, bytes.substr(0, keep));
      const std::string load = LoadError(path);
      const std::string info = InfoError(path);
      ASSERT_EQ(load.rfind("Cannot read picture \"" + path + "\": ", 0), 0u) << keep << " " << load;
      ASSERT_EQ(info.rfind("Cannot read picture \"" + path + "\": ", 0), 0u) << keep << " " << info;
    }
    // Cut inside the coded data: the file ended early, in both passes' words.
    WriteFile(path, bytes.substr(0, bytes.size() * 3 / 4));
    EXPECT_EQ(LoadError(path), "Cannot read picture \"" + path + "\": Premature end of JPEG file");
    EXPECT_EQ(InfoError(path), "Cannot read picture \"" + path + "\": Premature end of JPEG file");
  }
}

TEST(JpegDamage, NotAJpegUnderAJpegName) {
  TempDir dir;
  const std::string path = dir.file("notes.jpg");
  WriteFile(path, "garbage that is no picture");
  const std::string expected =
      "Cannot read picture \"" + path + "\": Not a JPEG file: starts with 0x67 0x61";
  EXPECT_EQ(LoadError(path), expected);
  EXPECT_EQ(InfoError(path), expected);
}

// Finds a marker's position in a JPEG (the 0xFF of the first occurrence).
size_t FindMarker(const std::string& jpeg, uint8_t marker) {
  for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (static_cast<uint8_t>(jpeg[i]) == 0xFF && static_cast<uint8_t>(jpeg[i + 1]) == marker) {
      return i;
    }
  }
  throw std::runtime_error("marker not found");
}

size_t SegmentEnd(const std::string& jpeg, size_t at) {
  return at + 2 + ((static_cast<uint8_t>(jpeg[at + 2]) << 8) | static_cast<uint8_t>(jpeg[at + 3]));
}

struct HeaderDamage {
  const char* name;
  std::string (*damage)(std::string);
  const char* message;
};

TEST(JpegDamage, HeaderDamageGetsLibjpegsWordsInBothPasses) {
  const HeaderDamage cases[] = {
      {"precision 12",
       [](std::string j) {
         j[FindMarker(j, 0xC0) + 4] = 12;
         return j;
       },
       "Unsupported JPEG data precision 12"},
      {"lossless process",
       [](std::string j) {
         j[FindMarker(j, 0xC0) + 1] = static_cast<char>(0xC3);
         return j;
       },
       "Unsupported JPEG process: SOF type 0xc3"},
      {"zero height",
       [](std::string j) {
         const size_t s = FindMarker(j, 0xC0);
         j[s + 5] = 0;
         j[s + 6] = 0;
         return j;
       },
       "Empty JPEG image (DNL not supported)"},
      {"no quantisation tables",
       [](std::string j) {
         for (size_t q; (q = j.find("\xFF\xDB")) != std::string::npos;)
           j.erase(q, SegmentEnd(j, q) - q);
         return j;
       },
       "Quantization table 0x00 was not defined"},
      {"no frame header",
       [](std::string j) {
         const size_t s = FindMarker(j, 0xC0);
         j.erase(s, SegmentEnd(j, s) - s);
         return j;
       },
       "Invalid JPEG file structure: SOS before SOF"},
      {"second start of image",
       [](std::string j) {
         j.insert(FindMarker(j, 0xDB), "\xFF\xD8");
         return j;
       },
       "Invalid JPEG file structure: two SOI markers"},
      {"second frame header",
       [](std::string j) {
         const size_t s = FindMarker(j, 0xC0);
         j.insert(s, j.substr(s, SegmentEnd(j, s) - s));
         return j;
       },
       "Invalid JPEG file structure: two SOF markers"},
      {"scan names a missing component",
       [](std::string j) {
         j[FindMarker(j, 0xDA) + 5] = 9;
         return j;
       },
       "Invalid component ID 9 in SOS"},
      {"marker length below two",
       [](std::string j) {
         const size_t s = FindMarker(j, 0xDB);
         j[s + 2] = 0;
         j[s + 3] = 1;
         return j;
       },
       "Bogus marker length"},
      {"unknown marker",
       [](std::string j) {
         j.insert(FindMarker(j, 0xDB), std::string("\xFF\xF3\x00\x02", 4));
         return j;
       },
       "Unsupported marker type 0xf3"},
      {"no scan at all",
       [](std::string j) {
         const size_t s = FindMarker(j, 0xDA);
         return j.substr(0, s) + "\xFF\xD9";
       },
       "Invalid JPEG file structure: missing SOS marker"},
      {"tables only", [](std::string j) { return j.substr(0, FindMarker(j, 0xC0)) + "\xFF\xD9"; },
       "JPEG datastream contains no image"},
  };
  TempDir dir;
  const std::string good = EncodeJpeg(test::PhotoLike(24, 16));
  const std::string path = dir.file("damaged.jpg");
  for (const HeaderDamage& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(path, c.damage(good));
    const std::string expected = "Cannot read picture \"" + path + "\": " + c.message;
    EXPECT_EQ(LoadError(path), expected);
    EXPECT_EQ(InfoError(path), expected);
  }
}

TEST(JpegDamage, ToleratedOddities) {
  TempDir dir;
  const Picture source = test::PhotoLike(24, 16);
  const std::string good = EncodeJpeg(source);
  const std::string path = dir.file("odd.jpg");
  WriteFile(path, good);
  const Picture reference = LoadSourcePicture(path);

  // Bytes after the end marker, fill bytes before a marker, stray bytes between segments.
  const std::string variants[] = {
      good + "trailing junk",
      std::string(good).insert(FindMarker(good, 0xDB), "\xFF\xFF\xFF"),
      std::string(good).insert(FindMarker(good, 0xDB), "xyz"),
  };
  for (const std::string& v : variants) {
    WriteFile(path, v);
    EXPECT_EQ(LoadSourcePicture(path), reference);
    int32_t w = 0, h = 0, size = 0;
    EXPECT_TRUE(ReadPictureInfo(path, w, h, size));
    EXPECT_EQ(size, static_cast<int32_t>(v.size()));
  }

  // Damage inside the coded data is a corrupt-data warning, not an error: the picture decodes
  // with damaged blocks, as viewers show it.
  std::string flipped = good;
  const size_t scan = SegmentEnd(good, FindMarker(good, 0xDA));
  for (size_t i = scan + 10; i < flipped.size() - 20; i += 17) {
    if (static_cast<uint8_t>(flipped[i]) < 0xF0 && static_cast<uint8_t>(flipped[i - 1]) != 0xFF) {
      flipped[i] = static_cast<char>(flipped[i] ^ 0x0F);
    }
  }
  WriteFile(path, flipped);
  const Picture damaged = LoadSourcePicture(path);
  EXPECT_EQ(damaged.width, 24);
  EXPECT_NE(damaged, reference);
}

// Random damage: the structural pass must never accept a file that libjpeg refuses for a
// structural reason, and must never read out of bounds (checked under the sanitizers).
TEST(JpegDamage, RandomMutationsAgreeWithTheFullDecode) {
  TempDir dir;
  const std::string good = EncodeJpeg(test::PhotoLike(32, 24), {.restartRows = 1});
  const std::string path = dir.file("mutant.jpg");
  uint32_t state = 2024;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  int disagreements = 0;
  std::string example;
  for (int round = 0; round < 400; ++round) {
    std::string mutant = good;
    const int edits = 1 + static_cast<int>(next() % 3);
    for (int e = 0; e < edits; ++e) {
      const size_t at = next() % mutant.size();
      switch (next() % 3) {
        case 0:
          mutant[at] = static_cast<char>(next());
          break;
        case 1:
          mutant.erase(at, 1 + next() % 8);
          break;
        default:
          mutant.resize(at);
          break;
      }
      if (mutant.empty()) mutant = "x";
    }
    WriteFile(path, mutant);
    const std::string info = InfoError(path);
    const std::string load = LoadError(path);
    if (info == "(measured)" && load != "(decoded)") {
      ++disagreements;
      example = load;
    }
  }
  // Header damage is caught by both; what only the full decode finds are errors that depend on
  // the coded data itself (for example progression parameters). Keep those rare.
  EXPECT_LE(disagreements, 4) << example;
}

}  // namespace
}  // namespace qg
