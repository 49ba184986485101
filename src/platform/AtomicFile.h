// Whole-file replacement that never leaves a half-written file behind: the new bytes go to a
// temporary file in the target's folder, are flushed to the disk, and the temporary file is then
// renamed over the target. If any step fails the temporary file is removed and the old file is
// left exactly as it was. The system calls go through a small seam so tests can make any step
// fail.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace qg {

struct AtomicWriteOptions {
  // The file is created readable and writable by its owner only (mode 0600), whatever the old
  // file's mode was; for files that hold secrets.
  bool ownerOnly = false;
};

// The file a save of `path` replaces: symbolic links are followed to their final target, so a
// file kept behind a link is updated and the link stays. A link whose target does not exist yet
// leads to that target, which the save creates when its folder exists; otherwise `problem` says
// why there is nowhere to write (it is empty when all is well).
struct SaveTarget {
  std::string path;
  std::string problem;
};
SaveTarget ResolveSaveTarget(const std::string& path);

// Replaces the file at `path` with `bytes`. An existing file keeps its permission bits (unless
// ownerOnly); a symbolic link is followed (ResolveSaveTarget), so the link stays and its target
// is replaced or created. A file
// without any write permission counts as read-only and is refused, as is a folder. Returns false
// on failure with the system's reason in `why` (when given); the old file is untouched then.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         const AtomicWriteOptions& options = {}, std::string* why = nullptr);

namespace detail {

// The system calls that WriteFileAtomically makes; the default forwards to POSIX.
class FileSystemCalls {
 public:
  virtual ~FileSystemCalls() = default;
  virtual ssize_t Write(int fd, const void* data, size_t size);
  virtual int Fsync(int fd);
  virtual int Rename(const char* from, const char* to);
};

// Replaces the calls for tests; nullptr restores the real ones. Not thread-safe: tests only.
void SetFileSystemCallsForTesting(FileSystemCalls* calls);

}  // namespace detail
}  // namespace qg
