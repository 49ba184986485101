// Complete-or-nothing file writes for the gallery, and the register of what a build may leave.
#include "gallery/GalleryFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>

#include "core/Error.h"

namespace fs = std::filesystem;

namespace qg {

namespace {

// The temporary files and scratch folders that exist now.
struct Leftovers {
  std::mutex mutex;
  std::set<std::string> paths;
  bool closing = false;  // RemoveBuildLeftovers has run: nothing new may be made
};

Leftovers& Register() {
  static Leftovers leftovers;
  return leftovers;
}

void Forget(const std::string& path) {
  Leftovers& r = Register();
  std::lock_guard lock(r.mutex);
  r.paths.erase(path);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates a new file beside `target` for writing and registers it; -1 with errno set on failure.
int CreateTemporaryBeside(const std::string& target, mode_t mode, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  Leftovers& r = Register();
  std::lock_guard lock(r.mutex);
  if (r.closing) {
    errno = ECANCELED;
    return -1;
  }
  const std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = folder + ".quillon-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1)) + ".tmp";
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      r.paths.insert(tempPath);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Ends a temporary file: renamed over `target` when `ok`, else removed. Keeps errno of a failure.
bool Finish(int fd, const std::string& tempPath, const std::string& target, bool ok) {
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) ::unlink(tempPath.c_str());
  Forget(tempPath);
  errno = error;
  return ok;
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  std::string temp;
  const int fd = CreateTemporaryBeside(path, 0666, temp);
  if (fd < 0) {
    throw Error(Format("Cannot create file \"%s\": %s", path.c_str(), std::strerror(errno)));
  }
  const bool written = WriteAll(fd, bytes.data(), bytes.size());
  if (!Finish(fd, temp, path, written)) {
    throw Error(Format("Cannot write file \"%s\": %s", path.c_str(), std::strerror(errno)));
  }
}

namespace {

// Copies what is left of `in` to `out`. The kernel copies where it can (without the bytes passing
// through this process, and on file systems that share blocks, without copying them at all);
// where it cannot (another file system, an old kernel), a buffer does.
bool CopyRest(int in, int out) {
  bool copied = false;
  while (true) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
    if (n > 0) {
      copied = true;
      continue;
    }
    if (n == 0 && copied) return true;
    if (n < 0 && errno == EINTR) continue;
    // Nothing copied at all may also be a file whose size the kernel does not know; the buffer
    // finds out. Other failures of the call itself go the buffer's way too.
    if (n < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP &&
        errno != EBADF && errno != EPERM)
      return false;
    break;
  }
  constexpr size_t kBufferBytes = size_t{1} << 18;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferBytes);
  while (true) {
    const ssize_t n = ::read(in, buffer.get(), kBufferBytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    if (!WriteAll(out, buffer.get(), static_cast<size_t>(n))) return false;
  }
}

}  // namespace

bool CopyFileAtomically(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return false;
  }
  std::string temp;
  const int out = CreateTemporaryBeside(to, st.st_mode & 0777, temp);
  if (out < 0) {
    ::close(in);
    return false;
  }
  const bool ok = CopyRest(in, out);
  ::close(in);
  if (ok) ::fchmod(out, st.st_mode & 07777);
  return Finish(out, temp, to, ok);
}

void InstallFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return;
  int error = errno;
  if (error == EXDEV) {
    if (CopyFileAtomically(from, to)) {
      ::unlink(from.c_str());
      return;
    }
    error = errno;
  }
  throw Error(Format("Cannot write file \"%s\": %s", to.c_str(), std::strerror(error)));
}

ScratchFolder::ScratchFolder() {
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "quillon-build-XXXXXX").string();
  Leftovers& r = Register();
  std::lock_guard lock(r.mutex);
  if (r.closing || mkdtemp(pattern.data()) == nullptr) {
    throw Error(Format("Cannot create a temporary folder in \"%s\": %s", base.c_str(),
                       std::strerror(r.closing ? ECANCELED : errno)));
  }
  path_ = pattern + "/";
  r.paths.insert(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
  Forget(path_);
}

void RemoveBuildLeftovers() {
  Leftovers& r = Register();
  std::lock_guard lock(r.mutex);
  r.closing = true;
  for (const std::string& path : r.paths) {
    // A worker may still be finishing a file in a scratch folder: a second pass takes it.
    for (int pass = 0; pass < 2; ++pass) {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  }
  r.paths.clear();
}

}  // namespace qg
