// Reading and writing the build record; see BuildRecord.h.
#include "gallery/BuildRecord.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <vector>

#include "core/FileRead.h"
#include "gallery/ContentHash.h"
#include "platform/AtomicFile.h"
#include "platform/Folders.h"

namespace fs = std::filesystem;

namespace qg {

namespace {

constexpr std::string_view kHeader = "quillon-gallery build record 1";
// A gallery of the largest size (65535 pictures) needs about 60 MB.
constexpr uint64_t kRecordCap = uint64_t{256} << 20;

bool NeedsEscape(unsigned char c) { return c <= ' ' || c == '%' || c == 127; }

std::string Escape(std::string_view text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (NeedsEscape(c) || (i == 0 && c == '-')) {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Only the form Escape writes is accepted, so a record reads back to the same text.
bool Unescape(std::string_view field, std::string& out) {
  out.clear();
  if (field.empty()) return false;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      if (i == 0 && field[i] == '-') return false;
      out += field[i];
      continue;
    }
    if (i + 2 >= field.size()) return false;
    const int hi = HexDigit(field[i + 1]), lo = HexDigit(field[i + 2]);
    if (hi < 0 || lo < 0) return false;
    const auto c = static_cast<unsigned char>(hi << 4 | lo);
    if (!NeedsEscape(c) && !(i == 0 && c == '-')) return false;
    out += static_cast<char>(c);
    i += 2;
  }
  return true;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  if (text.empty() || (text.size() > 1 && text[0] == '0') || text[0] == '+') return false;
  if (text.size() > 1 && text[0] == '-' && text[1] == '0') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t blank = line.find(' ', start);
    fields.push_back(line.substr(start, blank == std::string_view::npos ? blank : blank - start));
    if (blank == std::string_view::npos) return fields;
    start = blank + 1;
  }
}

bool ParseFileLine(const std::vector<std::string_view>& f, BuildRecord& record) {
  if (f.size() != 9) return false;
  std::string path;
  RecordedFile file;
  if (!Unescape(f[1], path) || !IsGalleryRelativePath(path, /*folder=*/false)) return false;
  if (!ParseNumber(f[2], file.size) || !ParseHashText(f[3], file.hash) ||
      !ParseHashText(f[4], file.key))
    return false;
  if (f[5] == "-" && f[6] == "-" && f[7] == "-" && f[8] == "-") {
    // a file made without a source: a page
  } else {
    RecordedSource source;
    if (!ParseNumber(f[5], source.size) || !ParseNumber(f[6], source.mtimeNs) ||
        !ParseHashText(f[7], source.hash) || !Unescape(f[8], source.path))
      return false;
    file.source = std::move(source);
  }
  return record.files.emplace(std::move(path), std::move(file)).second;
}

bool ParsePendingLine(const std::vector<std::string_view>& f, BuildRecord& record) {
  if (f.size() != 3 || (f[2] != "0" && f[2] != "1")) return false;
  std::string path;
  if (!Unescape(f[1], path) || !IsGalleryRelativePath(path, /*folder=*/false)) return false;
  RecordedFile file;
  file.pending = true;
  file.existedBefore = f[2] == "1";
  return record.files.emplace(std::move(path), std::move(file)).second;
}

}  // namespace

bool IsGalleryRelativePath(std::string_view path, bool folder) {
  if (path.empty() || path.front() == '/' || path.find('\0') != std::string_view::npos)
    return false;
  if (folder != (path.back() == '/')) return false;
  if (folder) path.remove_suffix(1);
  size_t start = 0;
  while (true) {
    const size_t slash = path.find('/', start);
    const std::string_view part =
        path.substr(start, slash == std::string_view::npos ? slash : slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

std::string FormatBuildRecord(const BuildRecord& record) {
  std::string out;
  out += kHeader;
  out += '\n';
  out += "gallery " + Escape(record.gallery) + " " + std::to_string(record.device) + " " +
         std::to_string(record.inode) + "\n";
  for (const std::string& folder : record.folders) out += "folder " + Escape(folder) + "\n";
  for (const auto& [path, file] : record.files) {
    if (file.pending) {
      out += "pending " + Escape(path) + (file.existedBefore ? " 1\n" : " 0\n");
      continue;
    }
    out += "file " + Escape(path) + " " + std::to_string(file.size) + " " + HashText(file.hash) +
           " " + HashText(file.key);
    if (file.source) {
      const RecordedSource& s = *file.source;
      out += " " + std::to_string(s.size) + " " + std::to_string(s.mtimeNs) + " " +
             HashText(s.hash) + " " + Escape(s.path) + "\n";
    } else {
      out += " - - - -\n";
    }
  }
  out += "end\n";
  return out;
}

std::optional<BuildRecord> ParseBuildRecord(std::string_view text) {
  BuildRecord record;
  bool header = false, gallery = false, end = false;
  size_t start = 0;
  while (start < text.size()) {
    const size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos || end) return std::nullopt;  // cut short, or trailing
    const std::string_view line = text.substr(start, newline - start);
    start = newline + 1;
    if (!header) {
      if (line != kHeader) return std::nullopt;
      header = true;
      continue;
    }
    const std::vector<std::string_view> f = Fields(line);
    const std::string_view kind = f[0];
    if (!gallery) {
      if (kind != "gallery" || f.size() != 4 || !Unescape(f[1], record.gallery) ||
          record.gallery.empty() || record.gallery.front() != '/' || record.gallery.back() != '/' ||
          !ParseNumber(f[2], record.device) || !ParseNumber(f[3], record.inode))
        return std::nullopt;
      gallery = true;
    } else if (kind == "folder") {
      std::string folder;
      if (f.size() != 2 || !Unescape(f[1], folder) ||
          !IsGalleryRelativePath(folder, /*folder=*/true) ||
          !record.folders.insert(std::move(folder)).second)
        return std::nullopt;
    } else if (kind == "file") {
      if (!ParseFileLine(f, record)) return std::nullopt;
    } else if (kind == "pending") {
      if (!ParsePendingLine(f, record)) return std::nullopt;
    } else if (kind == "end" && f.size() == 1) {
      end = true;
    } else {
      return std::nullopt;
    }
  }
  if (!end) return std::nullopt;
  return record;
}

std::string ResolvedGalleryFolder(const std::string& folder) {
  std::error_code ec;
  fs::path absolute = fs::absolute(folder.empty() ? "." : folder, ec);
  if (ec) absolute = folder;
  fs::path resolved = fs::weakly_canonical(absolute, ec);
  if (ec) resolved = absolute.lexically_normal();
  std::string text = resolved.lexically_normal().string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

std::string BuildRecordPath(const std::string& resolvedFolder) {
  return CacheFolder() + "/builds/" + HashText(HashBytes(resolvedFolder)) + ".record";
}

std::optional<BuildRecord> ReadBuildRecord(const std::string& folder) {
  const std::string resolved = ResolvedGalleryFolder(folder);
  struct stat st;
  if (::stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  std::string text;
  try {
    text = ReadWholeFile(BuildRecordPath(resolved), kRecordCap);
  } catch (const FileReadError&) {
    return std::nullopt;
  }
  std::optional<BuildRecord> record = ParseBuildRecord(text);
  if (!record || record->gallery != resolved || record->device != st.st_dev ||
      record->inode != st.st_ino)
    return std::nullopt;
  return record;
}

std::vector<std::string> LeftOverFiles(const BuildRecord& record,
                                       const std::set<std::string>& planned,
                                       const std::string& folder) {
  std::set<std::pair<uint64_t, uint64_t>> plannedFiles;  // a file may have several names
  for (const std::string& name : planned) {
    struct stat st;
    if (::stat((folder + name).c_str(), &st) == 0) plannedFiles.emplace(st.st_dev, st.st_ino);
  }
  std::vector<std::string> leftOver;
  for (const auto& [name, file] : record.files) {
    if (planned.count(name) != 0) continue;
    const std::string path = folder + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (plannedFiles.count({st.st_dev, st.st_ino}) != 0) continue;
    if (file.pending) {
      if (file.existedBefore) continue;
    } else {
      const std::optional<FileDigest> digest = DigestFile(path);
      if (!digest || digest->size != file.size || digest->hash != file.hash) continue;
    }
    leftOver.push_back(name);
  }
  return leftOver;
}

namespace {

// The first lines of the record at `path` (its version and the gallery it belongs to), closed as
// a whole record is; nothing when they cannot be read. The rest of a record can be long.
std::optional<BuildRecord> ReadRecordHead(const std::string& path) {
  std::string head(4096, '\0');
  try {
    ReadableFile file = OpenRegularFileForReading(path, kRecordCap);
    const ssize_t got = ::pread(file.fd(), head.data(), head.size(), 0);
    head.resize(got > 0 ? static_cast<size_t>(got) : 0);
  } catch (const FileReadError&) {
    return std::nullopt;
  }
  const size_t second = head.find('\n');
  const size_t third = second == std::string::npos ? second : head.find('\n', second + 1);
  if (third == std::string::npos) return std::nullopt;
  return ParseBuildRecord(head.substr(0, third + 1) + "end\n");
}

}  // namespace

bool HasBuildRecord(const std::string& folder) {
  if (folder.empty()) return false;
  // Only the head is read: the window asks as the folder name is typed.
  const std::string resolved = ResolvedGalleryFolder(folder);
  struct stat st;
  if (::stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  const std::optional<BuildRecord> start = ReadRecordHead(BuildRecordPath(resolved));
  return start && start->gallery == resolved && start->device == st.st_dev &&
         start->inode == st.st_ino;
}

size_t PruneBuildRecords(std::chrono::seconds unusedFor) {
  const std::string folder = CacheFolder() + "/builds";
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return 0;
  const auto now = std::chrono::system_clock::now();
  size_t removed = 0;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const std::string path = it->path().string();
    if (it->path().extension() != ".record") continue;
    struct stat record;
    if (::lstat(path.c_str(), &record) != 0 || !S_ISREG(record.st_mode)) continue;
    const auto written =
        std::chrono::system_clock::time_point(std::chrono::seconds(record.st_mtim.tv_sec));
    if (now - written < unusedFor) continue;
    const std::optional<BuildRecord> head = ReadRecordHead(path);
    if (!head || head->gallery.empty() || head->gallery.front() != '/') continue;
    struct stat gallery;
    if (::stat(head->gallery.c_str(), &gallery) == 0) {
      if (S_ISDIR(gallery.st_mode) && gallery.st_dev == head->device &&
          gallery.st_ino == head->inode)
        continue;  // still its gallery
    } else if (errno != ENOENT && errno != ENOTDIR) {
      continue;  // cannot tell now
    }
    if (::unlink(path.c_str()) == 0) ++removed;
  }
  return removed;
}

bool WriteBuildRecord(const BuildRecord& record, std::string* why) {
  const std::string path = BuildRecordPath(record.gallery);
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (ec) {
    if (why) *why = ec.message();
    return false;
  }
  return WriteFileAtomically(path, FormatBuildRecord(record), {.ownerOnly = true}, why);
}

}  // namespace qg
