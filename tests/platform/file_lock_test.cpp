// Two programs updating one project at once must take turns from read to rename, and the lock
// must survive the rename that replaces the file it guards.
#include "platform/FileLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/AtomicFile.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(FileStamp, ChangesWhenTheFileIsReplacedOrRewritten) {
  TempDir dir;
  const std::string path = dir.file("a.tnp");
  EXPECT_FALSE(TakeFileStamp(path).exists);
  WriteFile(path, "one");
  const FileStamp first = TakeFileStamp(path);
  EXPECT_TRUE(first.exists);
  EXPECT_EQ(first.size, 3);
  EXPECT_EQ(TakeFileStamp(path), first);

  ASSERT_TRUE(WriteFileAtomically(path, "one"));  // same bytes, new inode
  const FileStamp replaced = TakeFileStamp(path);
  EXPECT_NE(replaced, first);

  std::filesystem::last_write_time(
      path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_NE(TakeFileStamp(path), replaced);  // touched in place
}

TEST(FileUpdateLock, HoldersTakeTurnsAndLeaveNoLockFile) {
  TempDir dir;
  const std::string path = dir.file("a.tnp");
  WriteFile(path, "0");

  // Each worker increments the number in the file by a read and an atomic save; without the lock
  // two would read the same number and one increment would be lost.
  constexpr int kWorkers = 4;
  constexpr int kRounds = 25;
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&] {
      for (int r = 0; r < kRounds; ++r) {
        FileUpdateLock lock = FileUpdateLock::Acquire(path);
        ASSERT_TRUE(lock.held());
        if (inside.fetch_add(1) != 0) overlapped = true;
        const int value = std::stoi(ReadFile(path));
        std::this_thread::yield();
        ASSERT_TRUE(WriteFileAtomically(path, std::to_string(value + 1)));
        inside.fetch_sub(1);
      }
    });
  }
  for (std::thread& t : workers) t.join();
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(ReadFile(path), std::to_string(kWorkers * kRounds));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST(FileUpdateLock, LinksShareTheLockOfTheirTarget) {
  TempDir dir;
  WriteFile(dir.file("real.tnp"), "x");
  std::filesystem::create_symlink("real.tnp", dir.file("link.tnp"));
  FileUpdateLock lock = FileUpdateLock::Acquire(dir.file("link.tnp"));
  ASSERT_TRUE(lock.held());
  EXPECT_EQ(lock.lockPath(), dir.file(".real.tnp.lock"));

  std::atomic<bool> second{false};
  std::thread other([&] {
    const FileUpdateLock mine = FileUpdateLock::Acquire(dir.file("real.tnp"));
    second = mine.held();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(second);  // still waiting
  lock.Release();
  other.join();
  EXPECT_TRUE(second);
  EXPECT_FALSE(std::filesystem::exists(dir.file(".real.tnp.lock")));
}

TEST(FileUpdateLock, AFolderThatRefusesNewFilesLeavesTheLockUnheld) {
  TempDir dir;
  EXPECT_FALSE(FileUpdateLock::Acquire(dir.file("missing/a.tnp")).held());
}

}  // namespace
}  // namespace qg
