// Whole-file replacement through a temporary file and a rename; see AtomicFile.h.
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

namespace qg {
namespace detail {

ssize_t FileSystemCalls::Write(int fd, const void* data, size_t size) {
  return ::write(fd, data, size);
}
int FileSystemCalls::Fsync(int fd) { return ::fsync(fd); }
int FileSystemCalls::Rename(const char* from, const char* to) { return ::rename(from, to); }

namespace {
FileSystemCalls g_realCalls;
FileSystemCalls* g_calls = &g_realCalls;
}  // namespace

void SetFileSystemCallsForTesting(FileSystemCalls* calls) {
  g_calls = calls != nullptr ? calls : &g_realCalls;
}

}  // namespace detail

namespace {

void SetWhy(std::string* why, const std::string& text) {
  if (why != nullptr) *why = text;
}

std::string ErrnoText(const char* step, int error) {
  return std::string(step) + ": " + std::strerror(error);
}

std::string FolderPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool ReadLink(const std::string& path, size_t sizeHint, std::string& target) {
  std::string buffer(std::max<size_t>(sizeHint, 255) + 1, '\0');
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return false;
    if (static_cast<size_t>(n) < buffer.size()) {
      target.assign(buffer.data(), static_cast<size_t>(n));
      return true;
    }
    buffer.resize(buffer.size() * 2);  // the link changed meanwhile
  }
}

}  // namespace

SaveTarget ResolveSaveTarget(const std::string& path) {
  // Link by link rather than through realpath(), which gives up on a link whose target does not
  // exist yet: that target is exactly the file a save should create.
  constexpr int kMaxLinks = 40;  // the system's own limit
  std::string current = path;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0) {
      if (hops == 0) return {current, {}};  // a plain new file; the writer reports a missing folder
      struct stat folder {};
      if (::stat(FolderPart(current).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return {current,
                "the symbolic link points to " + current + ", in a folder that does not exist"};
      return {current, {}};
    }
    if (!S_ISLNK(st.st_mode)) return {current, {}};
    std::string target;
    if (!ReadLink(current, static_cast<size_t>(st.st_size), target) || target.empty())
      return {current, "the symbolic link " + current + " cannot be read"};
    current = target.front() == '/' ? target : FolderPart(current) + "/" + target;
  }
  return {path, "too many levels of symbolic links"};
}

namespace {

std::string TempNameFor(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937 random{std::random_device{}()};
  const size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  return folder + "." + base + ".tmp-" + std::to_string(getpid()) + "-" +
         std::to_string(counter.fetch_add(1)) + "-" + std::to_string(random() % 1000000);
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = detail::g_calls->Write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

void SyncFolderOf(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // the rename is durable once the folder is synced; failure here loses nothing
  ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         const AtomicWriteOptions& options, std::string* why) {
  if (path.empty()) {
    SetWhy(why, "empty file name");
    return false;
  }
  const SaveTarget resolved = ResolveSaveTarget(path);
  if (!resolved.problem.empty()) {
    SetWhy(why, resolved.problem);
    return false;
  }
  const std::string& target = resolved.path;

  mode_t keepMode = 0;
  bool exists = false;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    exists = true;
    if (S_ISDIR(st.st_mode)) {
      SetWhy(why, "is a folder");
      return false;
    }
    // A rename would happily replace a read-only file, so refuse it here as the system would
    // refuse to open it for writing. Write bits count even for root, who passes access().
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
      SetWhy(why, ErrnoText("not writable", EACCES));
      return false;
    }
    keepMode = st.st_mode & 07777;
  }

  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = TempNameFor(target);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                options.ownerOnly ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    SetWhy(why, ErrnoText("create", errno));
    return false;
  }

  auto fail = [&](const char* step) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    SetWhy(why, ErrnoText(step, error));
    return false;
  };

  if (options.ownerOnly) {
    if (::fchmod(fd, 0600) != 0) return fail("chmod");
  } else if (exists) {
    ::fchmod(fd, keepMode);  // best effort: a foreign-owned file may refuse; the bytes matter more
  }
  if (!WriteAll(fd, bytes)) return fail("write");
  if (detail::g_calls->Fsync(fd) != 0) return fail("fsync");
  if (::close(fd) != 0) {
    fd = -1;
    return fail("close");
  }
  fd = -1;
  if (detail::g_calls->Rename(temp.c_str(), target.c_str()) != 0) return fail("rename");
  SyncFolderOf(target);
  return true;
}

}  // namespace qg
