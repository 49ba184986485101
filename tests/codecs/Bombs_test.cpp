// Decompression bombs: small files whose headers declare enormous pictures. Measuring one when
// it is added reads only its header; decoding one that would need more than the memory budget is
// refused, naming it, before its pixels are allocated; and running out of memory anyway is a
// message naming the picture, not std::bad_alloc. The command-line cases run quillon-cli under
// an address-space limit, which turns any large allocation into a failure.
#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "core/Error.h"
#include "core/MemoryBudget.h"
#include "support/TempDir.h"

namespace qg {
namespace {

std::string Big32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

// A PNG whose header declares width x height RGB pixels, with a token of picture data: the
// chunk structure is sound, only a decode would find out more.
std::string BombPng(uint32_t width, uint32_t height) {
  std::string out = "\x89PNG\r\n\x1a\n";
  auto chunk = [&](const std::string& type, const std::string& body) {
    out += Big32(static_cast<uint32_t>(body.size())) + type + body + std::string(4, '\0');
  };
  chunk("IHDR", Big32(width) + Big32(height) + std::string("\x08\x02\x00\x00\x00", 5));
  chunk("IDAT", std::string("\x78\x01", 2) + std::string(400, '\0'));
  chunk("IEND", "");
  return out;
}

// A GIF whose screen and first picture declare width x height, with one block of data.
std::string BombGif(uint16_t width, uint16_t height) {
  auto le = [](uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; };
  std::string out = "GIF89a" + le(width) + le(height) + std::string("\x80\x00\x00", 3);
  out += std::string("\x00\x00\x00\xff\xff\xff", 6);  // two-colour table
  out += "," + le(0) + le(0) + le(width) + le(height) + std::string(1, '\0');
  out += std::string("\x02\x02\x4c\x01\x00", 5);  // code size 2, one data block, terminator
  out += ";";
  return out;
}

// Sets the process's memory budget for one test and puts the old total back.
class ScopedBudget {
 public:
  explicit ScopedBudget(uint64_t bytes) : old_(ProcessMemoryBudget().total()) {
    ProcessMemoryBudget().SetTotal(bytes);
  }
  ~ScopedBudget() { ProcessMemoryBudget().SetTotal(old_); }

 private:
  uint64_t old_;
};

std::string MessageOf(const std::function<void()>& work) {
  try {
    work();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Bombs, APictureBeyondTheBudgetIsRefusedNamingIt) {
  test::TempDir dir;
  const ScopedBudget budget(256ull << 20);
  struct Case {
    const char* name;
    std::string bytes;
    const char* size;
  };
  const Case cases[] = {
      {"bomb.png", BombPng(22000, 22000), "22000 x 22000"},
      {"bomb.gif", BombGif(20000, 20000), "20000 x 20000"},
      {"bomb.tga.png", BombPng(30000, 3000), "30000 x 3000"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file(c.name);
    test::WriteFile(path, c.bytes);
    const std::string start = "Cannot read picture \"" + path +
                              "\": the picture is too large to decode (" + c.size + " pixels need ";
    const std::string end = " of memory; the limit is 256.0 MB)";
    for (const std::string& message : {MessageOf([&] { LoadSourcePicture(path); }), MessageOf([&] {
                                         int32_t w, h, s;
                                         ReadPictureInfo(path, w, h, s);
                                       })}) {
      EXPECT_EQ(message.rfind(start, 0), 0u) << message;
      EXPECT_EQ(message.substr(message.size() - std::min(message.size(), end.size())), end)
          << message;
    }
  }
  EXPECT_EQ(ProcessMemoryBudget().inUse(), 0u);
}

TEST(Bombs, MeasuringABombWithinTheBudgetReadsOnlyItsHeader) {
  test::TempDir dir;
  const std::string path = dir.file("bomb.png");
  test::WriteFile(path, BombPng(22000, 22000));
  const ScopedBudget budget(64ull << 30);  // the decode would be allowed; measuring must not do it
  int32_t w = 0, h = 0, size = 0;
  ASSERT_TRUE(ReadPictureInfo(path, w, h, size));
  EXPECT_EQ(w, 22000);
  EXPECT_EQ(h, 22000);
  EXPECT_EQ(size, static_cast<int32_t>(BombPng(22000, 22000).size()));
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;  // its shadow memory does not fit an address-space limit
#else
constexpr bool kAddressSanitizer = false;
#endif

// Runs quillon-cli with a 400 MB address-space limit; returns its exit status, output in `output`.
int RunLimited(const std::string& arguments, const std::string& budget, std::string& output) {
  return test::RunCommand("ulimit -v 400000; QUILLON_MEMORY_BUDGET=" + budget +
                              " '" QG_BIN_DIR "/quillon-cli' " + arguments + " 2>&1",
                          &output);
}

TEST(Bombs, AddingABombCommandLineReadsOnlyTheHeader) {
  if (kAddressSanitizer) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
  test::TempDir dir;
  const std::string path = dir.file("bomb.png");
  test::WriteFile(path, BombPng(22000, 22000));
  std::string output;
  // The budget would allow the 1.4 GB decode; the address-space limit would not.
  ASSERT_EQ(RunLimited("add '" + dir.file("p.tnp") + "' '" + path + "'", "8G", output), 0)
      << output;
  EXPECT_NE(test::ReadFile(dir.file("p.tnp")).find("ImageSize=22000 x 22000"), std::string::npos);
}

// A real side x side gray PNG (for 12000, 432 MB once decoded to RGB), written row by row.
void WriteLargeGrayPng(const std::string& path, int side) {
  FILE* file = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_compression_level(png, 1);
  png_set_IHDR(png, info, static_cast<png_uint_32>(side), static_cast<png_uint_32>(side), 8,
               PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<size_t>(side));
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) row[static_cast<size_t>(x)] = static_cast<png_byte>(x ^ y);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

TEST(Bombs, RunningOutOfMemoryIsAMessageNamingThePicture) {
  if (kAddressSanitizer) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
  test::TempDir dir;
  const std::string path = dir.file("large.png");
  WriteLargeGrayPng(path, 12000);
  std::string output;
  const std::string command =
      "thumbnail '" + dir.file("none.tnp") + "' '" + path + "' '" + dir.file("t.jpg") + "'";
  EXPECT_EQ(RunLimited(command, "8G", output), 1) << output;
  EXPECT_NE(output.find("quillon-cli thumbnail: Cannot read picture \"" + path +
                        "\": there is not enough memory to decode it"),
            std::string::npos)
      << output;
  EXPECT_EQ(output.find("bad_alloc"), std::string::npos) << output;

  // Under a budget below the picture's need the same command is refused before allocating.
  EXPECT_EQ(RunLimited(command, "100M", output), 1) << output;
  EXPECT_NE(output.find("\": the picture is too large to decode (12000 x 12000 pixels need "),
            std::string::npos)
      << output;
}

}  // namespace
}  // namespace qg
