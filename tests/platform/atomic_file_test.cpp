// A save must either replace the whole file or leave the old one exactly as it was, with no
// temporary file left behind, whatever step fails.
#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "support/TempDir.h"

namespace qg {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

size_t EntriesIn(const std::filesystem::path& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TEST(AtomicWrite, CreatesAndReplacesFiles) {
  TempDir dir;
  const std::string path = dir.file("a.tnp");
  ASSERT_TRUE(WriteFileAtomically(path, "first"));
  EXPECT_EQ(ReadFile(path), "first");
  ASSERT_TRUE(WriteFileAtomically(path, "second, longer"));
  EXPECT_EQ(ReadFile(path), "second, longer");
  ASSERT_TRUE(WriteFileAtomically(path, ""));
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicWrite, KeepsTheModeOfTheReplacedFile) {
  TempDir dir;
  const std::string path = dir.file("a.tnp");
  WriteFile(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "new"));
  EXPECT_EQ(ModeOf(path), 0640u);
}

TEST(AtomicWrite, OwnerOnlyFilesAreMode0600) {
  TempDir dir;
  const std::string path = dir.file("prefs.reg");
  WriteFile(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "secret", {.ownerOnly = true}));
  EXPECT_EQ(ModeOf(path), 0600u);
  ASSERT_TRUE(WriteFileAtomically(dir.file("fresh.reg"), "secret", {.ownerOnly = true}));
  EXPECT_EQ(ModeOf(dir.file("fresh.reg")), 0600u);
}

TEST(AtomicWrite, RefusesReadOnlyFilesFoldersAndMissingFolders) {
  TempDir dir;
  const std::string readOnly = dir.file("locked.tnp");
  WriteFile(readOnly, "keep me");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  std::string why;
  EXPECT_FALSE(WriteFileAtomically(readOnly, "new", {}, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(ReadFile(readOnly), "keep me");

  std::filesystem::create_directory(dir.file("folder"));
  EXPECT_FALSE(WriteFileAtomically(dir.file("folder"), "new"));
  EXPECT_FALSE(WriteFileAtomically(dir.file("missing/a.tnp"), "new"));
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

TEST(AtomicWrite, FollowsSymbolicLinks) {
  TempDir dir;
  WriteFile(dir.file("real.tnp"), "old");
  std::filesystem::create_symlink(dir.file("real.tnp"), dir.file("link.tnp"));
  ASSERT_TRUE(WriteFileAtomically(dir.file("link.tnp"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.tnp")));
  EXPECT_EQ(ReadFile(dir.file("real.tnp")), "new");
}

// Fails one chosen system call.
class FailingCalls : public detail::FileSystemCalls {
 public:
  enum class Step { Write, ShortWriteThenFail, Fsync, Rename };
  explicit FailingCalls(Step step) : step_(step) {}
  ssize_t Write(int fd, const void* data, size_t size) override {
    if (step_ == Step::Write) return Fail(ENOSPC);
    if (step_ == Step::ShortWriteThenFail) {
      if (writes_++ == 0) return FileSystemCalls::Write(fd, data, size / 2);
      return Fail(EIO);
    }
    return FileSystemCalls::Write(fd, data, size);
  }
  int Fsync(int fd) override {
    return step_ == Step::Fsync ? static_cast<int>(Fail(EIO)) : FileSystemCalls::Fsync(fd);
  }
  int Rename(const char* from, const char* to) override {
    return step_ == Step::Rename ? static_cast<int>(Fail(EXDEV))
                                 : FileSystemCalls::Rename(from, to);
  }

 private:
  static ssize_t Fail(int error) {
    errno = error;
    return -1;
  }
  Step step_;
  int writes_ = 0;
};

class AtomicWriteFailure : public ::testing::TestWithParam<FailingCalls::Step> {
 protected:
  void TearDown() override { detail::SetFileSystemCallsForTesting(nullptr); }
};

TEST_P(AtomicWriteFailure, LeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  const std::string path = dir.file("a.tnp");
  WriteFile(path, "the previous project");
  FailingCalls calls(GetParam());
  detail::SetFileSystemCallsForTesting(&calls);
  std::string why;
  EXPECT_FALSE(WriteFileAtomically(path, std::string(100000, 'n'), {}, &why));
  detail::SetFileSystemCallsForTesting(nullptr);
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(ReadFile(path), "the previous project");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, AtomicWriteFailure,
                         ::testing::Values(FailingCalls::Step::Write,
                                           FailingCalls::Step::ShortWriteThenFail,
                                           FailingCalls::Step::Fsync, FailingCalls::Step::Rename));

}  // namespace
}  // namespace qg
