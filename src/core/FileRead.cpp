// Opening and reading files with the regular-file check and a size cap; see FileRead.h.
#include "core/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace qg {
namespace {

std::string CapText(uint64_t maxBytes) {
  if (maxBytes >= (1ull << 30) && maxBytes % (1ull << 30) == 0)
    return std::to_string(maxBytes >> 30) + " GB";
  if (maxBytes >= (1ull << 20) && maxBytes % (1ull << 20) == 0)
    return std::to_string(maxBytes >> 20) + " MB";
  return std::to_string(maxBytes) + " bytes";
}

[[noreturn]] void ThrowTooLarge(const std::string& path, uint64_t maxBytes) {
  throw FileReadError(FileReadProblem::TooLarge, path,
                      "the file is larger than " + CapText(maxBytes));
}

}  // namespace

FileReadError::FileReadError(FileReadProblem problem, const std::string& path,
                             const std::string& reason)
    : Error("Cannot read \"" + path + "\": " + reason),
      problem_(problem),
      path_(path),
      reason_(reason) {}

ReadableFile::ReadableFile(ReadableFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

ReadableFile& ReadableFile::operator=(ReadableFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
  }
  return *this;
}

ReadableFile::~ReadableFile() {
  if (fd_ >= 0) ::close(fd_);
}

int ReadableFile::Release() { return std::exchange(fd_, -1); }

ReadableFile OpenRegularFileForReading(const std::string& path, uint64_t maxBytes) {
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    const FileReadProblem problem = (error == ENOENT || error == ENOTDIR)
                                        ? FileReadProblem::Missing
                                        : FileReadProblem::CannotOpen;
    throw FileReadError(problem, path, std::strerror(error));
  }
  ReadableFile file(fd, 0);
  struct stat st {};
  if (::fstat(fd, &st) != 0)
    throw FileReadError(FileReadProblem::ReadFailed, path, std::strerror(errno));
  if (S_ISDIR(st.st_mode))
    throw FileReadError(FileReadProblem::NotRegularFile, path, std::strerror(EISDIR));
  if (!S_ISREG(st.st_mode))
    throw FileReadError(FileReadProblem::NotRegularFile, path, "not a regular file");
  if (static_cast<uint64_t>(st.st_size) > maxBytes) ThrowTooLarge(path, maxBytes);
  // A regular file never blocks, but streams built on the descriptor should not see EAGAIN.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return ReadableFile(file.Release(), static_cast<uint64_t>(st.st_size));
}

std::string ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  const ReadableFile file = OpenRegularFileForReading(path, maxBytes);
  std::string bytes;
  // One byte more than the size, so the end shows without growing; a file that grows while we
  // read is still held to the cap.
  bytes.resize(static_cast<size_t>(file.size()) + 1);
  size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > maxBytes) ThrowTooLarge(path, maxBytes);
      bytes.resize(std::min<uint64_t>(bytes.size() * 2, maxBytes + 1));
    }
    const ssize_t n = ::read(file.fd(), bytes.data() + used, bytes.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileReadError(FileReadProblem::ReadFailed, path, std::strerror(errno));
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  if (used > maxBytes) ThrowTooLarge(path, maxBytes);
  bytes.resize(used);
  return bytes;
}

}  // namespace qg
