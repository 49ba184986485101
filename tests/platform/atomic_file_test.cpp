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

TEST(AtomicWrite, WritesThroughRelativeChainedAndDanglingLinks) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("store/deep"));
  WriteFile(dir.file("store/deep/real.tnp"), "old");
  // link.tnp -> store/hop.tnp -> deep/real.tnp, both relative to their own folders.
  std::filesystem::create_symlink("deep/real.tnp", dir.file("store/hop.tnp"));
  std::filesystem::create_symlink("store/hop.tnp", dir.file("link.tnp"));
  ASSERT_TRUE(WriteFileAtomically(dir.file("link.tnp"), "new"));
  EXPECT_EQ(ReadFile(dir.file("store/deep/real.tnp")), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.tnp")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("store/hop.tnp")));
  EXPECT_EQ(EntriesIn(dir.file("store/deep")), 1u);

  // A link to a file not made yet: the file is made where the link points.
  std::filesystem::create_symlink("store/fresh.reg", dir.file("dangling.reg"));
  EXPECT_EQ(ResolveSaveTarget(dir.file("dangling.reg")).path, dir.file("store/fresh.reg"));
  ASSERT_TRUE(WriteFileAtomically(dir.file("dangling.reg"), "made", {.ownerOnly = true}));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling.reg")));
  EXPECT_EQ(ReadFile(dir.file("store/fresh.reg")), "made");
  EXPECT_EQ(ModeOf(dir.file("store/fresh.reg")), 0600u);
}

TEST(AtomicWrite, RefusesLinksThatLeadNowhere) {
  TempDir dir;
  std::filesystem::create_symlink(dir.file("gone/a.tnp"), dir.file("nowhere.tnp"));
  std::filesystem::create_symlink("loop2.tnp", dir.file("loop1.tnp"));
  std::filesystem::create_symlink("loop1.tnp", dir.file("loop2.tnp"));
  struct Case {
    const char* link;
    std::string why;
  };
  const Case cases[] = {
      {"nowhere.tnp", "the symbolic link points to " + dir.file("gone/a.tnp") +
                          ", in a folder that does not exist"},
      {"loop1.tnp", "too many levels of symbolic links"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    std::string why;
    EXPECT_FALSE(WriteFileAtomically(dir.file(c.link), "new", {}, &why));
    EXPECT_EQ(why, c.why);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file(c.link)));
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("gone")));
  EXPECT_EQ(EntriesIn(dir.path()), 3u);
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
