// How the build puts files into the gallery: every page, copy and rendered picture is written
// under a temporary name in its own folder and renamed over the final name only when it is
// complete, so a full disk, an error or a program that is ended part-way never leaves a truncated
// file under a gallery name (an older file of that name stays as it was).
//
// The temporary files and the build's scratch folders are registered while they exist, so that a
// program that must end at once (the command line on SIGTERM or a second Ctrl-C) can remove them
// with RemoveBuildLeftovers() before it goes.
#pragma once

#include <string>
#include <string_view>

namespace qg {

// Replaces the file at `path` with exactly `bytes`. Throws qg::Error naming `path`.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Copies `from` to `to`, replacing `to`, with the source's permission bits. On failure nothing is
// left under either name and false is returned.
bool CopyFileAtomically(const std::string& from, const std::string& to);

// Moves the finished file `from` (in the build's scratch folder) to `to`, replacing it; across
// file systems through a temporary copy beside `to`. Throws qg::Error naming `to`.
void InstallFile(const std::string& from, const std::string& to);

// A private folder for rendered files, removed with its content when it goes out of scope.
class ScratchFolder {
 public:
  ScratchFolder();  // under the temporary folder ($TMPDIR or /tmp); throws qg::Error
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }  // ends in "/"

 private:
  std::string path_;
};

// Removes every scratch folder and temporary file of the builds running in this process, and
// makes every later attempt to create one fail. For a program about to end at once; call it from
// an ordinary thread (it locks and allocates), never from a signal handler.
void RemoveBuildLeftovers();

}  // namespace qg
