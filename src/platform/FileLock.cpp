// The update lock and the file stamp; see FileLock.h.
#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/AtomicFile.h"

namespace qg {
namespace {

std::string LockPathFor(const std::string& path) {
  const std::string target = ResolveSaveTarget(path).path;
  const size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  return folder + "." + base + ".lock";
}

}  // namespace

FileStamp TakeFileStamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  FileStamp stamp;
  stamp.exists = true;
  stamp.device = static_cast<uint64_t>(st.st_dev);
  stamp.inode = static_cast<uint64_t>(st.st_ino);
  stamp.size = static_cast<int64_t>(st.st_size);
  stamp.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  return stamp;
}

FileUpdateLock FileUpdateLock::Acquire(const std::string& path) {
  FileUpdateLock lock;
  const std::string lockPath = LockPathFor(path);
  for (;;) {
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return lock;
    int locked;
    do {
      locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
      ::close(fd);
      return lock;
    }
    // The previous holder removes the lock file on release; a lock on a removed (or replaced)
    // file guards nothing, so start again on the file now under that name.
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::lstat(lockPath.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      lock.fd_ = fd;
      lock.lockPath_ = lockPath;
      return lock;
    }
    ::close(fd);
  }
}

FileUpdateLock::FileUpdateLock(FileUpdateLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), lockPath_(std::move(other.lockPath_)) {}

FileUpdateLock& FileUpdateLock::operator=(FileUpdateLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    lockPath_ = std::move(other.lockPath_);
  }
  return *this;
}

FileUpdateLock::~FileUpdateLock() { Release(); }

void FileUpdateLock::Release() {
  if (fd_ < 0) return;
  ::unlink(lockPath_.c_str());  // while still held, so no one locks the name we remove
  ::close(fd_);
  fd_ = -1;
  lockPath_.clear();
}

}  // namespace qg
