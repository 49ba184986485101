#include <gtest/gtest.h>

#include "core/PathName.h"
#include "core/Text.h"

namespace qg {
namespace {

TEST(AsciiLower, LowersOnlyAToZ) {
  const struct {
    std::string_view in, out;
  } cases[] = {
      {"", ""},
      {"Beach.JPG", "beach.jpg"},
      {"@[`{AZaz09", "@[`{azaz09"},
      {"ÄBC\xC3\x89.JPG", "Äbc\xC3\x89.jpg"},  // UTF-8 and other high bytes pass unchanged
      {std::string_view("A\0B", 3), std::string_view("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(AsciiLower(c.in), c.out) << c.in;
}

TEST(AsciiLower, ComparesWithoutCase) {
  const struct {
    std::string_view a, b;
    bool equal, startsWith;
  } cases[] = {
      {"Index.HTML", "index.html", true, true},
      {"index.html", "index", false, true},
      {"index", "index.html", false, false},
      {"\xC3\x84", "\xC3\xA4", false, false},  // Ä and ä differ: only A to Z are folded
      {"", "", true, true},
      {"abc", "", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(StartsWithNoCase(c.a, c.b), c.startsWith) << c.a << " / " << c.b;
  }
}

TEST(PathName, SplitsFileNameAndExtension) {
  const struct {
    std::string_view path, fileName, extension;
  } cases[] = {
      {"", "", ""},
      {"beach.JPG", "beach.JPG", "JPG"},
      {"/photos/beach.jpeg", "beach.jpeg", "jpeg"},
      {"/photos/beach", "beach", ""},
      {"/photos.2024/beach", "beach", ""},  // the dot belongs to the folder
      {"/photos/beach.", "beach.", ""},
      {"/photos/archive.tar.gz", "archive.tar.gz", "gz"},
      {"/photos/.hidden", ".hidden", "hidden"},
      {"/photos/", "", ""},
      {"/", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileNameOf(c.path), c.fileName) << c.path;
    EXPECT_EQ(ExtensionOf(c.path), c.extension) << c.path;
  }
}

}  // namespace
}  // namespace qg
