// The build record and its content hash: the hash agrees with published XXH64 values however the
// bytes are cut, and the record reads back exactly what was written, refusing anything else.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "gallery/BuildRecord.h"
#include "gallery/ContentHash.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

std::string Bytes(size_t count) {
  std::string bytes;
  for (size_t i = 0; i < count; ++i) bytes += static_cast<char>(i & 0xFF);
  return bytes;
}

TEST(ContentHash, AgreesWithTheReferenceValuesForEveryLengthClass) {
  const struct {
    std::string bytes;
    uint64_t hash;
  } cases[] = {
      {"", 0xef46db3751d8e999},
      {"a", 0xd24ec4f1a98c6e5b},
      {"abc", 0x44bc2cf5ad770999},
      {"Quillon Gallery", 0x891a26d12aefb744},
      {"0123456789abcdef0123456789abcdef", 0x642a94958e71e6c5},
      {Bytes(256) + Bytes(256) + Bytes(256) + "xyz", 0xe921a1b45bd779f8},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HashBytes(c.bytes), c.hash) << c.bytes.size();
    // Fed in pieces of every size, the value stays.
    for (size_t piece : {1, 3, 7, 31, 32, 33}) {
      ContentHasher hasher;
      for (size_t at = 0; at < c.bytes.size(); at += piece)
        hasher.Update(std::string_view(c.bytes).substr(at, piece));
      EXPECT_EQ(hasher.Final(), c.hash) << c.bytes.size() << " in pieces of " << piece;
    }
  }
}

TEST(ContentHash, DigestsRegularFilesOnly) {
  TempDir dir;
  const std::string bytes = Bytes(300000);  // more than one read
  WriteFile(dir.file("f"), bytes);
  const std::optional<FileDigest> digest = DigestFile(dir.file("f"));
  ASSERT_TRUE(digest);
  EXPECT_EQ(digest->hash, HashBytes(bytes));
  EXPECT_EQ(digest->size, bytes.size());
  EXPECT_FALSE(DigestFile(dir.file("missing")));
  EXPECT_FALSE(DigestFile(dir.path().string()));
  EXPECT_FALSE(DigestFile("/dev/zero"));
}

TEST(ContentHash, HashTextReadsBackAndRefusesOtherForms) {
  uint64_t hash = 0;
  EXPECT_EQ(HashText(0x00ff00000000abcd), "00ff00000000abcd");
  EXPECT_TRUE(ParseHashText("00ff00000000abcd", hash));
  EXPECT_EQ(hash, 0x00ff00000000abcdu);
  for (const char* bad : {"", "00ff00000000abc", "00ff00000000abcde", "00FF00000000ABCD",
                          "00ff00000000abcg", " 0ff00000000abcd"})
    EXPECT_FALSE(ParseHashText(bad, hash)) << bad;
}

BuildRecord SampleRecord() {
  BuildRecord record;
  record.gallery = "/home/ann/My Web Galleries/trip 100%/";
  record.device = 2049;
  record.inode = 77;
  record.folders = {"thumbs/", "images/big/"};
  RecordedFile page;
  page.size = 2485;
  page.hash = 0x6e4f2ed120666878;
  page.key = page.hash;
  record.files["index.html"] = page;
  RecordedFile thumb;
  thumb.size = 8000;
  thumb.hash = 1;
  thumb.key = 0xffffffffffffffff;
  thumb.source = RecordedSource{"/home/ann/Photos/a b\tc\n.JPG", 10785, -5, 42};
  record.files["thumbs/tn_a b.jpg"] = thumb;
  RecordedFile pending;
  pending.pending = true;
  pending.existedBefore = true;
  record.files["-odd%name.gif"] = pending;
  return record;
}

TEST(BuildRecordText, ReadsBackWhatWasWrittenWithEveryByteOfEveryName) {
  const BuildRecord record = SampleRecord();
  const std::string text = FormatBuildRecord(record);
  EXPECT_EQ(text,
            "quillon-gallery build record 1\n"
            "gallery /home/ann/My%20Web%20Galleries/trip%20100%25/ 2049 77\n"
            "folder images/big/\n"
            "folder thumbs/\n"
            "pending %2Dodd%25name.gif 1\n"
            "file index.html 2485 6e4f2ed120666878 6e4f2ed120666878 - - - -\n"
            "file thumbs/tn_a%20b.jpg 8000 0000000000000001 ffffffffffffffff 10785 -5 "
            "000000000000002a /home/ann/Photos/a%20b%09c%0A.JPG\n"
            "end\n");
  const std::optional<BuildRecord> back = ParseBuildRecord(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, record);
}

TEST(BuildRecordText, AnythingButAWholeWellFormedRecordIsRefused) {
  const std::string good = FormatBuildRecord(SampleRecord());
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"another format", replaced("record 1", "record 2")},
      {"cut short", good.substr(0, good.size() - 4)},
      {"no end line", good.substr(0, good.size() - 4) + "\n"},
      {"after the end", good + "folder x/\n"},
      {"no final line break", good.substr(0, good.size() - 1)},
      {"CR LF", replaced("end\n", "end\r\n")},
      {"relative gallery", replaced("gallery /home", "gallery home")},
      {"a path leaving the gallery", replaced("thumbs/tn_a", "../tn_a")},
      {"an absolute path", replaced("file index.html", "file /index.html")},
      {"a dot part", replaced("thumbs/tn_a", "./tn_a")},
      {"an empty part", replaced("thumbs/tn_a", "thumbs//tn_a")},
      {"a folder without its slash", replaced("folder thumbs/", "folder thumbs")},
      {"a file named like a folder", replaced("file index.html", "file index/")},
      {"a duplicate file", replaced("end\n", "pending index.html 0\nend\n")},
      {"a bad hash", replaced("6e4f2ed120666878 -", "6e4f2ed12066687 -")},
      {"a negative size", replaced(" 2485 ", " -2485 ")},
      {"a leading zero", replaced(" 2485 ", " 02485 ")},
      {"a size too large", replaced(" 2485 ", " 18446744073709551616 ")},
      {"a missing field", replaced(" - - - -", " - - -")},
      {"half a source", replaced(" - - - -", " 1 - - -")},
      {"a bad escape", replaced("%20b.jpg", "%2xb.jpg")},
      {"an escape that was not needed", replaced("tn_a%20b", "tn_%61%20b")},
      {"a raw leading minus", replaced("%2Dodd", "-odd")},
      {"a bad pending flag", replaced(".gif 1", ".gif 2")},
      {"an unknown line", replaced("end\n", "extra line\nend\n")},
      {"two blanks", replaced("file index.html 2485", "file index.html  2485")},
  };
  for (const auto& c : cases) EXPECT_FALSE(ParseBuildRecord(c.text)) << c.name;
}

TEST(BuildRecordFile, IsKeptInTheCacheFolderAndOnlyForTheFolderItNames) {
  TempDir cache, dir;
  const ScopedEnv env("XDG_CACHE_HOME", cache.path().string());
  std::filesystem::create_directories(dir.path() / "gallery");
  const std::string gallery = dir.file("gallery");
  EXPECT_FALSE(HasBuildRecord(gallery));

  BuildRecord record;
  record.gallery = ResolvedGalleryFolder(gallery);
  EXPECT_EQ(record.gallery, std::filesystem::canonical(gallery).string() + "/");
  struct stat st;
  ASSERT_EQ(::stat(gallery.c_str(), &st), 0);
  record.device = st.st_dev;
  record.inode = st.st_ino;
  ASSERT_TRUE(WriteBuildRecord(record));
  const std::string path = BuildRecordPath(record.gallery);
  EXPECT_EQ(path.rfind(cache.file("Corvane-Soft/Quillon Gallery/builds/"), 0), 0u) << path;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // it names the user's photos
  EXPECT_TRUE(HasBuildRecord(gallery));
  EXPECT_TRUE(HasBuildRecord(gallery + "/"));
  EXPECT_TRUE(std::filesystem::is_empty(gallery));  // nothing in the gallery itself

  // A folder made anew under the same name is another gallery.
  std::filesystem::remove(gallery);
  std::filesystem::create_directories(dir.path() / "other");
  std::filesystem::create_directories(gallery);
  if (::stat(gallery.c_str(), &st) == 0 && st.st_ino != record.inode) {
    EXPECT_FALSE(HasBuildRecord(gallery));
  }

  // A record copied to another folder's name is foreign.
  const std::string other = dir.file("other");
  WriteFile(BuildRecordPath(ResolvedGalleryFolder(other)), ReadFile(path));
  EXPECT_FALSE(HasBuildRecord(other));
  // A damaged one is no record.
  record.gallery = ResolvedGalleryFolder(other);
  ASSERT_EQ(::stat(other.c_str(), &st), 0);
  record.device = st.st_dev;
  record.inode = st.st_ino;
  ASSERT_TRUE(WriteBuildRecord(record));
  EXPECT_TRUE(HasBuildRecord(other));
  WriteFile(BuildRecordPath(record.gallery), "quillon-gallery build record 1\ngallery");
  EXPECT_FALSE(HasBuildRecord(other));
}

// A record for the folder at `path` as it is now, written with the given age in days.
std::string RecordOf(const std::string& path, int days) {
  BuildRecord record;
  record.gallery = ResolvedGalleryFolder(path);
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    record.device = st.st_dev;
    record.inode = st.st_ino;
  }
  EXPECT_TRUE(WriteBuildRecord(record));
  const std::string file = BuildRecordPath(record.gallery);
  const timespec times[2] = {{::time(nullptr) - days * 86400L, 0},
                             {::time(nullptr) - days * 86400L, 0}};
  EXPECT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  return file;
}

TEST(BuildRecordFile, RecordsOfGalleriesLongGoneArePrunedAndNoOthers) {
  TempDir cache, dir;
  const ScopedEnv env("XDG_CACHE_HOME", cache.path().string());
  for (const char* name : {"kept", "gone", "recent", "now-a-file"})
    std::filesystem::create_directories(dir.path() / name);
  const std::string kept = RecordOf(dir.file("kept"), 90);
  const std::string gone = RecordOf(dir.file("gone"), 31);
  const std::string recent = RecordOf(dir.file("recent"), 29);
  const std::string replaced = RecordOf(dir.file("now-a-file"), 40);
  std::filesystem::remove(dir.file("gone"));
  std::filesystem::remove(dir.file("recent"));
  std::filesystem::remove(dir.file("now-a-file"));
  WriteFile(dir.file("now-a-file"), "not a gallery");
  // Damaged, foreign or unknown files in the folder are left alone, however old.
  const std::string folder = std::filesystem::path(kept).parent_path().string();
  WriteFile(folder + "/damaged.record", "quillon-gallery build record 1\ngall");
  WriteFile(folder + "/notes.txt", "mine");
  const timespec old[2] = {{1, 0}, {1, 0}};
  ::utimensat(AT_FDCWD, (folder + "/damaged.record").c_str(), old, 0);
  ::utimensat(AT_FDCWD, (folder + "/notes.txt").c_str(), old, 0);

  EXPECT_EQ(PruneBuildRecords(), 2u);
  EXPECT_TRUE(std::filesystem::exists(kept));
  EXPECT_FALSE(std::filesystem::exists(gone));
  EXPECT_TRUE(std::filesystem::exists(recent));
  EXPECT_FALSE(std::filesystem::exists(replaced));
  EXPECT_TRUE(std::filesystem::exists(folder + "/damaged.record"));
  EXPECT_TRUE(std::filesystem::exists(folder + "/notes.txt"));
  EXPECT_TRUE(HasBuildRecord(dir.file("kept")));
  EXPECT_EQ(PruneBuildRecords(), 0u);
  EXPECT_EQ(PruneBuildRecords(std::chrono::hours(24)), 1u);  // "recent", with a shorter wait
}

}  // namespace
}  // namespace qg
