// Reading and writing upload records; see UploadManifest.h.
#include "publish/UploadManifest.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "core/Error.h"
#include "core/FileRead.h"
#include "net/Digest.h"
#include "platform/AtomicFile.h"

namespace qg {

namespace {

constexpr std::string_view kHeader = "Quillon Gallery upload manifest 1";

bool IsHex(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value, bool allowMinus) {
  if (text.empty() || text.size() > 20) return false;
  bool negative = false;
  if (allowMinus && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
    if (text.empty()) return false;
  }
  unsigned long long n = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    const unsigned long long digit = static_cast<unsigned long long>(c - '0');
    if (n > (~0ull - digit) / 10) return false;
    n = n * 10 + digit;
  }
  if (negative) {
    if (n > 9223372036854775807ull) return false;
    value = static_cast<Number>(-static_cast<long long>(n));
    return true;
  }
  if constexpr (std::is_signed_v<Number>) {
    if (n > 9223372036854775807ull) return false;
  }
  value = static_cast<Number>(n);
  return true;
}

// Splits off the text up to the next blank.
std::string_view Field(std::string_view& line) {
  const size_t blank = line.find(' ');
  const std::string_view field = line.substr(0, blank);
  line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
  return field;
}

std::string CacheHome() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/')
    return cache;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.cache";
}

}  // namespace

bool IsManifestName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.back() == '/') return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) return false;
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

UploadManifest ParseUploadManifest(std::string_view text) {
  UploadManifest manifest;
  size_t start = 0;
  int lineNumber = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNumber == 1) {
      if (line != kHeader) return {};
      continue;
    }
    if (lineNumber == 2) {
      manifest.server = std::string(line);
      continue;
    }
    const std::string_view hash = Field(line);
    const std::string_view size = Field(line);
    const std::string_view modified = Field(line);
    ManifestEntry entry;
    if (hash.size() != 64 || !IsHex(hash)) continue;
    if (!ParseNumber(size, entry.size, false) || !ParseNumber(modified, entry.modifiedNs, true))
      continue;
    if (!IsManifestName(line)) continue;
    entry.hash = std::string(hash);
    manifest.entries[std::string(line)] = std::move(entry);
  }
  return manifest;
}

std::string FormatUploadManifest(const UploadManifest& manifest) {
  std::string out(kHeader);
  out += '\n';
  std::string server = manifest.server;
  for (char& c : server) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  out += server + '\n';
  for (const auto& [name, entry] : manifest.entries) {
    if (!IsManifestName(name)) continue;
    out += entry.hash + ' ' + std::to_string(entry.size) + ' ' + std::to_string(entry.modifiedNs) +
           ' ' + name + '\n';
  }
  return out;
}

std::string UploadManifestPath(const std::string& serverKey) {
  return CacheHome() + "/Corvane-Soft/quillon-gallery/uploads/" +
         net::HexOf(net::Sha256(serverKey)).substr(0, 32) + ".manifest";
}

UploadManifest LoadUploadManifest(const std::string& path) {
  try {
    return ParseUploadManifest(ReadWholeFile(path, kTextFileCap));
  } catch (const FileReadError&) {
    return {};
  }
}

bool SaveUploadManifest(const std::string& path, const UploadManifest& manifest) {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::filesystem::create_directories(folder, ec);
  if (ec) return false;
  // The record names the server and what is on it: for the user's eyes only.
  return WriteFileAtomically(path, FormatUploadManifest(manifest), {.ownerOnly = true});
}

}  // namespace qg
