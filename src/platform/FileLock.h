// Guarding read-modify-write updates of a file shared by several processes, and noticing that a
// file changed on disk since it was read.
//
// FileUpdateLock is an advisory lock (flock) on a hidden lock file beside the file, not on the
// file itself: saves replace the file by renaming a new one over it, so a lock on the old inode
// would guard nothing. Every program that updates the file the same way takes the lock from its
// read to its rename; the lock file is removed again when the lock is released.
#pragma once

#include <cstdint>
#include <string>

namespace qg {

// The identity of a file at one moment: a file replaced, rewritten or touched since shows a
// different stamp. Symbolic links are followed.
struct FileStamp {
  bool exists = false;
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t mtimeNs = 0;

  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at `path` now (exists = false when there is none).
FileStamp TakeFileStamp(const std::string& path);

class FileUpdateLock {
 public:
  // Waits until no other holder has the lock for `path` (links followed), then takes it. When
  // the lock file cannot be made (a read-only folder, say) the lock is not held and the update
  // goes ahead unguarded: the save that follows fails then with its own message.
  static FileUpdateLock Acquire(const std::string& path);

  FileUpdateLock() = default;
  FileUpdateLock(FileUpdateLock&& other) noexcept;
  FileUpdateLock& operator=(FileUpdateLock&& other) noexcept;
  FileUpdateLock(const FileUpdateLock&) = delete;
  FileUpdateLock& operator=(const FileUpdateLock&) = delete;
  ~FileUpdateLock();

  bool held() const { return fd_ >= 0; }
  // The lock file's path (empty when not held).
  const std::string& lockPath() const { return lockPath_; }
  void Release();

 private:
  int fd_ = -1;
  std::string lockPath_;
};

}  // namespace qg
