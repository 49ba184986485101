// The upload record: what it keeps, what a damaged or hand-edited record is read as, and that no
// name in it can lead outside the gallery's folder.
#include "publish/UploadManifest.h"

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace qg {
namespace {

const std::string kHash(64, 'a');

TEST(UploadManifest, WritesAndReadsBackEveryEntry) {
  UploadManifest manifest;
  manifest.server = "sftp://me@example.org:22/gal";
  manifest.entries["index.html"] = {kHash, 1234, 1700000000123456789};
  manifest.entries["images/a b.jpg"] = {std::string(64, '0'), 0, -5};
  const std::string text = FormatUploadManifest(manifest);
  EXPECT_EQ(
      text,
      "Quillon Gallery upload manifest 1\n"
      "sftp://me@example.org:22/gal\n"
      "0000000000000000000000000000000000000000000000000000000000000000 0 -5 images/a b.jpg\n" +
          kHash + " 1234 1700000000123456789 index.html\n");
  EXPECT_EQ(ParseUploadManifest(text), manifest);
}

TEST(UploadManifest, DamagedLinesAreDroppedAndTheRestKept) {
  const std::string good = kHash + " 10 20 index.html";
  struct Case {
    const char* what;
    std::string line;
  };
  const Case cases[] = {
      {"short hash", std::string(63, 'a') + " 1 2 x.html"},
      {"upper-case hash", std::string(64, 'A') + " 1 2 x.html"},
      {"size not a number", kHash + " ten 2 x.html"},
      {"size too large", kHash + " 99999999999999999999 2 x.html"},
      {"negative size", kHash + " -1 2 x.html"},
      {"no name", kHash + " 1 2"},
      {"absolute name", kHash + " 1 2 /etc/passwd"},
      {"name leaving the folder", kHash + " 1 2 ../other/index.html"},
      {"dot-dot inside", kHash + " 1 2 images/../../x"},
      {"empty part", kHash + " 1 2 images//x.jpg"},
      {"control character", kHash + " 1 2 a\x1b[2Jb.jpg"},
  };
  for (const Case& c : cases) {
    const UploadManifest read = ParseUploadManifest(
        "Quillon Gallery upload manifest 1\r\nserver\r\n" + c.line + "\r\n" + good + "\r\n");
    EXPECT_EQ(read.entries.size(), 1u) << c.what;
    EXPECT_EQ(read.entries.count("index.html"), 1u) << c.what;
  }
  EXPECT_TRUE(ParseUploadManifest("not a manifest\nserver\n" + good + "\n").entries.empty());
  EXPECT_TRUE(ParseUploadManifest("").entries.empty());
}

TEST(UploadManifest, NamesAreRelativeAndStayInsideTheGallery) {
  for (const char* ok : {"index.html", "images/a.jpg", "a/b/c.jpg", ".qg-x.part", "a b"})
    EXPECT_TRUE(IsManifestName(ok)) << ok;
  for (const char* bad : {"", "/", "/a", "a/", "..", "../a", "a/..", "./a", "a//b", "a\nb"})
    EXPECT_FALSE(IsManifestName(bad)) << bad;
}

TEST(UploadManifest, SavedPrivatelyInTheCacheFolder) {
  test::TempDir dir;
  test::ScopedEnv cache("XDG_CACHE_HOME", dir.path().string());
  const std::string path = UploadManifestPath("ftps://me@host:21/gal");
  EXPECT_EQ(path.rfind(dir.path().string() + "/Corvane-Soft/quillon-gallery/uploads/", 0), 0u);
  EXPECT_NE(path, UploadManifestPath("ftps://me@host:21/other"));
  EXPECT_TRUE(LoadUploadManifest(path).entries.empty());  // none yet
  UploadManifest manifest;
  manifest.server = "ftps://me@host:21/gal";
  manifest.entries["index.html"] = {kHash, 1, 2};
  ASSERT_TRUE(SaveUploadManifest(path, manifest));
  EXPECT_EQ(LoadUploadManifest(path), manifest);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace qg
