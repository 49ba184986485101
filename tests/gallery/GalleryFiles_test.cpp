// Copies into the gallery: the bytes and permission bits of the source whatever its size and
// wherever it lies (the same file system, another one, a file the kernel cannot copy itself),
// nothing left behind when the copy cannot be made.
#include "gallery/GalleryFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace qg {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

TEST(CopyFileAtomically, CopiesEverySizeWithTheSourcesPermissions) {
  TempDir dir;
  for (const size_t size :
       {size_t{0}, size_t{1}, size_t{4096}, (size_t{1} << 18) + 3, size_t{3} << 20}) {
    const std::string bytes = RandomBytes(size, static_cast<unsigned>(size));
    WriteFile(dir.file("from"), bytes);
    ::chmod(dir.file("from").c_str(), 0640);
    WriteFile(dir.file("to"), "an older, longer file that is replaced as a whole");
    ASSERT_TRUE(CopyFileAtomically(dir.file("from"), dir.file("to"))) << size;
    EXPECT_EQ(ReadFile(dir.file("to")), bytes) << size;
    struct stat st;
    ASSERT_EQ(::stat(dir.file("to").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(CopyFileAtomically, CopiesFromAnotherFileSystemAndFromFilesOfUnknownSize) {
  TempDir dir;
  // Memory-backed folders are another file system than the temporary folder on most machines.
  if (fs::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0) {
    const std::string shared = "/dev/shm/quillon-copy-test-" + std::to_string(::getpid());
    const std::string bytes = RandomBytes(700000, 7);
    WriteFile(shared, bytes);
    const bool copied = CopyFileAtomically(shared, dir.file("to"));
    fs::remove(shared);
    ASSERT_TRUE(copied);
    EXPECT_EQ(ReadFile(dir.file("to")), bytes);
  }
  // A kernel file reports no size; its text is read, not taken as empty.
  if (fs::exists("/proc/self/status")) {
    ASSERT_TRUE(CopyFileAtomically("/proc/self/status", dir.file("status")));
    EXPECT_NE(ReadFile(dir.file("status")).find("Name:"), std::string::npos);
  }
}

TEST(CopyFileAtomically, FailsWithoutLeavingAnything) {
  TempDir dir;
  WriteFile(dir.file("to"), "kept");
  EXPECT_FALSE(CopyFileAtomically(dir.file("missing"), dir.file("to")));
  fs::create_directory(dir.file("folder"));
  EXPECT_FALSE(CopyFileAtomically(dir.file("folder"), dir.file("to")));
  EXPECT_EQ(ReadFile(dir.file("to")), "kept");
  WriteFile(dir.file("from"), "bytes");
  EXPECT_FALSE(CopyFileAtomically(dir.file("from"), dir.file("no-such-folder/to")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
}

}  // namespace
}  // namespace qg
