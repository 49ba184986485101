// Reading the files we are given: projects, preferences, pictures, gallery files. Every one is
// opened without blocking (a FIFO under a project's name must not hang us), must be a regular
// file (a device such as /dev/zero never ends), and is read only up to a size cap that fits its
// kind. Failures are FileReadError, a qg::Error whose message names the file and whose fields let
// a caller word the problem in its own style.
#pragma once

#include <cstdint>
#include <string>

#include "core/Error.h"

namespace qg {

// Caps by kind of file. Project and preferences files are a few kilobytes even with thousands of
// pictures; pictures may be large scans and are bounded again by the decoders.
inline constexpr uint64_t kTextFileCap = 8ull << 20;
inline constexpr uint64_t kPictureFileCap = 1ull << 30;

enum class FileReadProblem {
  Missing,         // no such file (or a folder on the way is missing)
  CannotOpen,      // the system refused to open it (permissions, ...)
  NotRegularFile,  // a folder, FIFO, device or socket
  TooLarge,        // larger than the cap of its kind
  ReadFailed,      // an error while reading
};

class FileReadError : public Error {
 public:
  // The message is "Cannot read \"<path>\": <reason>".
  FileReadError(FileReadProblem problem, const std::string& path, const std::string& reason);

  FileReadProblem problem() const { return problem_; }
  const std::string& path() const { return path_; }
  // The reason alone ("not a regular file", "larger than 8 MB", the system's text ...).
  const std::string& reason() const { return reason_; }

 private:
  FileReadProblem problem_;
  std::string path_;
  std::string reason_;
};

// The whole file, at most `maxBytes` long. Throws FileReadError.
std::string ReadWholeFile(const std::string& path, uint64_t maxBytes);

// An open, regular file for readers that stream (move-only; closes on destruction).
class ReadableFile {
 public:
  ReadableFile() = default;
  explicit ReadableFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ReadableFile(ReadableFile&& other) noexcept;
  ReadableFile& operator=(ReadableFile&& other) noexcept;
  ReadableFile(const ReadableFile&) = delete;
  ReadableFile& operator=(const ReadableFile&) = delete;
  ~ReadableFile();

  int fd() const { return fd_; }
  // The size when it was opened.
  uint64_t size() const { return size_; }
  // Hands the descriptor over (to fdopen, say); the caller closes it then.
  int Release();

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Opens `path` for reading as ReadWholeFile does, with the same checks (blocking reads are
// switched back on, so streams read normally). Throws FileReadError.
ReadableFile OpenRegularFileForReading(const std::string& path, uint64_t maxBytes = UINT64_MAX);

}  // namespace qg
