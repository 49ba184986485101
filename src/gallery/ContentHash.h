// A fast 64-bit content hash for telling whether a file's bytes changed: the build record keeps
// it for every source and every file a build wrote. It is not a cryptographic hash; it guards
// against accidental change, and reading the file costs more than hashing it (several gigabytes
// a second on one core), which keeps an unchanged gallery's check far cheaper than one decode.
// The function is the well-known XXH64 with seed 0, so its values can be checked independently.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qg {

// Hashes bytes given in pieces; the result does not depend on how they were cut.
class ContentHasher {
 public:
  ContentHasher();
  void Update(const void* data, size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  uint64_t Final() const;
  uint64_t size() const { return total_; }

 private:
  uint64_t lanes_[4];
  unsigned char buffer_[32];
  size_t buffered_ = 0;
  uint64_t total_ = 0;
};

uint64_t HashBytes(std::string_view bytes);

// The hash and size of a regular file's bytes as read now.
struct FileDigest {
  uint64_t hash = 0;
  uint64_t size = 0;
  int64_t mtimeNs = 0;  // modification time when it was opened

  friend bool operator==(const FileDigest&, const FileDigest&) = default;
};

// The digest of the regular file at `path` (symbolic links followed), or nothing when there is
// none or it cannot be read (a folder, a FIFO or a device is never read: it is not a file a build
// wrote or can copy).
std::optional<FileDigest> DigestFile(const std::string& path);

// 16 lower-case hexadecimal digits, and back (false for anything else).
std::string HashText(uint64_t hash);
bool ParseHashText(std::string_view text, uint64_t& hash);

}  // namespace qg
