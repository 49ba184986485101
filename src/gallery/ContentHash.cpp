// XXH64 (seed 0), streaming; see ContentHash.h.
#include "gallery/ContentHash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace qg {

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

inline uint64_t Rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

inline uint64_t Read64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__) v = __builtin_bswap64(v);
  return v;
}

inline uint32_t Read32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__) v = __builtin_bswap32(v);
  return v;
}

inline uint64_t Round(uint64_t acc, uint64_t input) {
  acc += input * kPrime2;
  acc = Rotl(acc, 31);
  return acc * kPrime1;
}

inline uint64_t MergeRound(uint64_t acc, uint64_t value) {
  acc ^= Round(0, value);
  return acc * kPrime1 + kPrime4;
}

// Consumes whole 32-byte stripes; returns the bytes used.
inline size_t Stripes(uint64_t lanes[4], const unsigned char* p, size_t size) {
  uint64_t v1 = lanes[0], v2 = lanes[1], v3 = lanes[2], v4 = lanes[3];
  size_t used = 0;
  for (; used + 32 <= size; used += 32) {
    v1 = Round(v1, Read64(p + used));
    v2 = Round(v2, Read64(p + used + 8));
    v3 = Round(v3, Read64(p + used + 16));
    v4 = Round(v4, Read64(p + used + 24));
  }
  lanes[0] = v1, lanes[1] = v2, lanes[2] = v3, lanes[3] = v4;
  return used;
}

}  // namespace

ContentHasher::ContentHasher() : lanes_{kPrime1 + kPrime2, kPrime2, 0, 0ull - kPrime1} {}

void ContentHasher::Update(const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  total_ += size;
  if (buffered_ > 0) {
    const size_t take = std::min(size, sizeof buffer_ - buffered_);
    std::memcpy(buffer_ + buffered_, p, take);
    buffered_ += take;
    p += take;
    size -= take;
    if (buffered_ < sizeof buffer_) return;
    Stripes(lanes_, buffer_, sizeof buffer_);
    buffered_ = 0;
  }
  const size_t used = Stripes(lanes_, p, size);
  std::memcpy(buffer_, p + used, size - used);
  buffered_ = size - used;
}

uint64_t ContentHasher::Final() const {
  uint64_t h;
  if (total_ >= 32) {
    const uint64_t v1 = lanes_[0], v2 = lanes_[1], v3 = lanes_[2], v4 = lanes_[3];
    h = Rotl(v1, 1) + Rotl(v2, 7) + Rotl(v3, 12) + Rotl(v4, 18);
    h = MergeRound(h, v1);
    h = MergeRound(h, v2);
    h = MergeRound(h, v3);
    h = MergeRound(h, v4);
  } else {
    h = kPrime5;
  }
  h += total_;
  const unsigned char* p = buffer_;
  size_t left = buffered_;
  for (; left >= 8; p += 8, left -= 8) {
    h ^= Round(0, Read64(p));
    h = Rotl(h, 27) * kPrime1 + kPrime4;
  }
  if (left >= 4) {
    h ^= static_cast<uint64_t>(Read32(p)) * kPrime1;
    h = Rotl(h, 23) * kPrime2 + kPrime3;
    p += 4;
    left -= 4;
  }
  for (; left > 0; ++p, --left) {
    h ^= (*p) * kPrime5;
    h = Rotl(h, 11) * kPrime1;
  }
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime3;
  h ^= h >> 32;
  return h;
}

uint64_t HashBytes(std::string_view bytes) {
  ContentHasher hasher;
  hasher.Update(bytes);
  return hasher.Final();
}

std::optional<FileDigest> DigestFile(const std::string& path) {
  // Without blocking: a FIFO under a gallery name must not hang the build.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  constexpr size_t kBufferBytes = size_t{1} << 18;
  thread_local const std::unique_ptr<unsigned char[]> buffer =
      std::make_unique_for_overwrite<unsigned char[]>(kBufferBytes);
  ContentHasher hasher;
  bool ok = true;
  while (true) {
    const ssize_t n = ::read(fd, buffer.get(), kBufferBytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    hasher.Update(buffer.get(), static_cast<size_t>(n));
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  FileDigest digest;
  digest.hash = hasher.Final();
  digest.size = hasher.size();
  digest.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return digest;
}

std::string HashText(uint64_t hash) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) text[static_cast<size_t>(i)] = kDigits[hash & 15];
  return text;
}

bool ParseHashText(std::string_view text, uint64_t& hash) {
  if (text.size() != 16) return false;
  uint64_t value = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    value = value << 4 | static_cast<uint64_t>(digit);
  }
  hash = value;
  return true;
}

}  // namespace qg
