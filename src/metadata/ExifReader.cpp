// The Exif reader: the JPEG marker scan, the TIFF file header, the directory walk and the 35 mm
// estimate. Every read of the file goes through a Stream that counts what it took; every read of
// a record's bytes goes through Walker's bounds-checked accessors.
#include "metadata/ExifReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <set>
#include <system_error>

#include "core/FileRead.h"
#include "core/PathName.h"
#include "core/Text.h"
#include "metadata/TagFormat.h"

namespace qg {

namespace {

constexpr size_t kMaxSections = 20;
// Without Exif, comment or IPTC data among this many sections the scan gives up.
constexpr size_t kMetadataWithin = 5;
// Marker reads per scan, counting sections too short to hold their own length field.
constexpr int kMaxMarkerReads = 64;
// Fill bytes (FF) accepted before one marker code.
constexpr size_t kMaxFillBytes = 65536;
// Bytes a TIFF file offers the walk, counted from file offset 8.
constexpr size_t kTiffBytes = 256000;
// Sub-directories below IFD0 (Exif, interoperability, GPS, SubIFDs): real files nest two deep.
constexpr int kMaxDepth = 8;
// Directory entries one reading may visit; real files have a few hundred at most.
constexpr int kMaxEntries = 4096;
// Bytes of display text one reading may make. Texts are whole (a user comment can fill its
// section), but many entries pointing at one long value must not fill the memory.
constexpr size_t kMaxTextBytes = size_t{16} << 20;
// What an Exif APP1 section holds right after its length field.
constexpr char kExifHeader[] = {'E', 'x', 'i', 'f', '\0'};

constexpr uint8_t kMarkerSos = 0xDA, kMarkerEoi = 0xD9, kMarkerApp0 = 0xE0, kMarkerApp1 = 0xE1,
                  kMarkerApp13 = 0xED, kMarkerCom = 0xFE;

// A failure inside a directory walk: in IFD0 it ends the whole reading, in a sub-directory only
// that sub-directory's walk.
struct WalkFailure {};

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// An APP1 section is the Exif section only when its bytes after the length are "Exif" and a
// zero; XMP packets and other APP1 payloads are ordinary sections.
bool IsExifPayload(const std::vector<uint8_t>& section) {
  return section.size() >= 2 + sizeof kExifHeader &&
         std::memcmp(section.data() + 2, kExifHeader, sizeof kExifHeader) == 0;
}

// Walks the tag directories of one record. Positions are indexes into the record's bytes and
// may be negative or past the end when an offset points outside; every access checks them.
class Walker {
 public:
  Walker(TImageInfo& info, std::string& errorText, int64_t offsetBase, int64_t sizeLimit,
         bool recordThumbnail)
      : info_(info),
        bytes_(info.bytes()),
        errorText_(errorText),
        base_(offsetBase),
        sizeLimit_(sizeLimit),
        recordThumbnail_(recordThumbnail) {}

  // Walks IFD0; a failure in it propagates to the reader.
  void WalkIfd0(int64_t position) { Walk(position, MainTagDictionary(), /*depth=*/0); }

 private:
  bool Inside(int64_t position, uint64_t length) const {
    return position >= 0 && static_cast<uint64_t>(position) <= bytes_.size() &&
           length <= bytes_.size() - static_cast<uint64_t>(position);
  }
  uint16_t Read16(int64_t position) const {
    if (!Inside(position, 2)) throw WalkFailure();
    return Get16(bytes_.data() + position, info_.byteOrder);
  }
  uint32_t Read32(int64_t position) const {
    if (!Inside(position, 4)) throw WalkFailure();
    return Get32(bytes_.data() + position, info_.byteOrder);
  }
  // The value bytes from `position`, fewer when the data ends first, none when it lies outside.
  std::string_view ValueBytes(int64_t position, uint64_t byteCount) const {
    if (position < 0 || static_cast<uint64_t>(position) >= bytes_.size()) return {};
    const uint64_t available = bytes_.size() - static_cast<uint64_t>(position);
    return std::string_view(reinterpret_cast<const char*>(bytes_.data()) + position,
                            static_cast<size_t>(std::min(byteCount, available)));
  }

  void Walk(int64_t position, const TagDictionary& dictionary, int depth);
  void WalkSubDirectory(int64_t valuePosition, const TagDictionary& dictionary, int depth);
  std::string DisplayText(const TTagEntry& row, const TTagEntry& entry) const;

  TImageInfo& info_;
  const std::vector<uint8_t>& bytes_;
  std::string& errorText_;
  const int64_t base_;
  const int64_t sizeLimit_;
  const bool recordThumbnail_;
  std::set<int64_t> walked_;
  int entriesLeft_ = kMaxEntries;
  size_t textBytesLeft_ = kMaxTextBytes;
};

void Walker::Walk(int64_t position, const TagDictionary& dictionary, int depth) {
  // A directory met again would be walked forever; one nested too deep would exhaust the stack.
  if (depth > kMaxDepth || !walked_.insert(position).second) throw WalkFailure();

  const uint16_t count = Read16(position);
  if (2 + 12 * int64_t{count} > sizeLimit_) {
    errorText_ = "Illegally sized directory";
    return;
  }
  if (depth == 0 && recordThumbnail_) {
    const int64_t next = position + 2 + 12 * int64_t{count};
    if (Inside(next, 4)) info_.thumbnailDirectory = Get32(bytes_.data() + next, info_.byteOrder);
  }

  for (uint32_t i = 0; i < count; ++i) {
    if (--entriesLeft_ < 0) throw WalkFailure();
    const int64_t p = position + 2 + 12 * int64_t{i};
    if (!Inside(p, 12)) throw WalkFailure();
    const uint16_t tag = Read16(p);
    const uint16_t type = Read16(p + 2);
    const uint32_t count32 = Read32(p + 4);
    if (type > 12) throw WalkFailure();
    const uint64_t byteCount = uint64_t{count32} * static_cast<uint64_t>(TypeSize(type));
    if (byteCount == 0) continue;

    const TTagEntry* row = dictionary.Find(tag);
    const bool unknown = row == nullptr || row == dictionary.unknown();
    TTagEntry entry;
    if (row != nullptr) entry = *row;
    entry.tag = tag;
    entry.type = type;
    entry.byteCount = byteCount;
    entry.valuePosition = byteCount <= 4 ? p + 8 : base_ + int64_t{Read32(p + 8)};
    entry.raw = ValueBytes(entry.valuePosition, byteCount);
    entry.displayText = DisplayText(row != nullptr ? *row : entry, entry);

    const double value = NumericValue(entry.raw, type, info_.byteOrder);
    switch (tag) {
      case 0x0100:
      case 0xA002:
        info_.width = RoundValue(value);
        break;
      case 0x0101:
      case 0xA003:
        info_.height = RoundValue(value);
        break;
      case 0x010F:
        info_.cameraMake = entry.displayText.substr(0, 32);
        break;
      case 0x0110:
        info_.cameraModel = entry.displayText.substr(0, 40);
        break;
      case 0x0132:
      case 0x9003:
        info_.photoDate = entry.displayText.substr(0, 20);
        break;
      case 0x9209:
        info_.flashValue = RoundValue(value);
        break;
      case 0x8769:
      case 0xA005:
      case 0x014A:
        WalkSubDirectory(entry.valuePosition, MainTagDictionary(), depth + 1);
        break;
      case 0x8825:
        WalkSubDirectory(entry.valuePosition, GpsTagDictionary(), depth + 1);
        break;
      case 0x9000:
        info_.exifVersion = std::string(entry.raw.substr(0, 6));
        break;
      case 0x9286:
        info_.userComment = UserCommentText({}, entry);
        entry.displayText = info_.userComment;
        break;
      default:
        // Maker notes (0x927C) stay as raw bytes: their layouts are the makers' own.
        break;
    }
    if (entry.displayText.size() > textBytesLeft_) throw WalkFailure();
    textBytesLeft_ -= entry.displayText.size();
    if (!unknown) info_.tags.push_back(std::move(entry));
  }
}

void Walker::WalkSubDirectory(int64_t valuePosition, const TagDictionary& dictionary, int depth) {
  try {
    Walk(base_ + int64_t{Read32(valuePosition)}, dictionary, depth);
  } catch (const WalkFailure&) {
    // Ends only this sub-directory's walk.
  }
}

std::string Walker::DisplayText(const TTagEntry& row, const TTagEntry& entry) const {
  std::string text;
  if (entry.type == kTypeAscii) {
    // All bytes but the last (the terminating zero); only the first 50 are ever shown.
    text = std::string(
        entry.raw.substr(0, entry.raw.empty() ? 0 : std::min<size_t>(entry.raw.size() - 1, 64)));
  } else if (entry.type == kTypeUndefined) {
    text = "\"" + std::string(entry.raw.substr(0, 64)) + "\"";
  } else {
    text = FormatTagValue(entry.raw, entry.type, info_.byteOrder, row.decodeList, row.formatText);
  }
  if (row.tag != 0 && row.routine != nullptr) return row.routine(text, entry);
  return PrintableText(text);
}

// Sequential byte source: a file or a buffer in memory.
class StreamBase {
 public:
  virtual ~StreamBase() = default;
  virtual size_t ReadSome(uint8_t* out, size_t n) = 0;
};

class FileStream : public StreamBase {
 public:
  explicit FileStream(std::FILE* file) : file_(file) {}
  ~FileStream() override { std::fclose(file_); }
  size_t ReadSome(uint8_t* out, size_t n) override {
    const size_t got = std::fread(out, 1, n, file_);
    // A failing disk is not the end of the file.
    if (got < n && std::ferror(file_)) throw std::system_error(errno, std::generic_category());
    return got;
  }

 private:
  std::FILE* file_;
};

class MemoryStream : public StreamBase {
 public:
  explicit MemoryStream(std::string_view bytes) : bytes_(bytes) {}
  size_t ReadSome(uint8_t* out, size_t n) override {
    const size_t take = std::min(n, bytes_.size() - position_);
    if (take > 0) std::memcpy(out, bytes_.data() + position_, take);
    position_ += take;
    return take;
  }

 private:
  std::string_view bytes_;
  size_t position_ = 0;
};

}  // namespace

// Counts what the reading takes from its source.
class TimgData::Stream {
 public:
  Stream(StreamBase& source, uint64_t& counter) : source_(source), counter_(counter) {}
  size_t Read(uint8_t* out, size_t n) {
    const size_t got = source_.ReadSome(out, n);
    counter_ += got;
    return got;
  }
  bool ReadByte(uint8_t* out) { return Read(out, 1) == 1; }

 private:
  StreamBase& source_;
  uint64_t& counter_;
};

TImageInfo::TImageInfo(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

int TImageInfo::TagIndex(std::string_view name) const {
  for (size_t i = 0; i < tags.size(); ++i) {
    if (EqualsNoCase(tags[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string TImageInfo::TagText(std::string_view name) const {
  const int i = TagIndex(name);
  return i < 0 ? std::string() : tags[static_cast<size_t>(i)].displayText;
}

double TImageInfo::EntryValue(const TTagEntry& entry) const {
  return NumericValue(entry.raw, entry.type, byteOrder);
}

double TImageInfo::TagValue(std::string_view name) const {
  const int i = TagIndex(name);
  return i < 0 ? 0 : EntryValue(tags[static_cast<size_t>(i)]);
}

void TImageInfo::EstimateFocal35() {
  if (TagIndex("FocalLengthin35mmFilm") >= 0) return;
  int64_t unit = RoundValue(TagValue("FocalPlaneResolutionUnit"));
  if (unit <= 0) unit = RoundValue(TagValue("ResolutionUnit"));
  const double mmPerUnit = unit == 2 ? 25.4 : unit == 3 ? 10 : 0;
  const double focal = TagValue("FocalLength");
  if (mmPerUnit == 0 || focal == 0) return;

  const int64_t xResolution = RoundValue(TagValue("FocalPlaneXResolution"));
  const int64_t yResolution = RoundValue(TagValue("FocalPlaneYResolution"));
  const double sensorWidth =
      xResolution > 0 ? static_cast<double>(width) * mmPerUnit / static_cast<double>(xResolution)
                      : 0;
  const double sensorHeight =
      yResolution > 0 ? static_cast<double>(height) * mmPerUnit / static_cast<double>(yResolution)
                      : 0;
  if (!(sensorWidth * sensorHeight > 0)) return;
  // 43.26661531 mm is the diagonal of the 36 x 24 mm frame.
  const double factor =
      43.26661531 / std::sqrt(sensorWidth * sensorWidth + sensorHeight * sensorHeight);

  const TTagEntry* row = MainTagDictionary().Find(0xA405);
  TTagEntry entry = *row;
  entry.displayText = FormatNumber("%5.2f", focal * factor);
  entry.formatText = "%s mm";
  tags.push_back(std::move(entry));
}

bool PictureKindFromName(const std::string& path, PictureKind* kind) {
  const std::string ext = AsciiLower(ExtensionOf(path));
  if (ext == "jpg" || ext == "jpeg" || ext == "jpe") {
    *kind = PictureKind::Jpeg;
    return true;
  }
  if (ext == "tif" || ext == "tiff" || ext == "nef") {
    *kind = PictureKind::Tiff;
    return true;
  }
  return false;
}

void TimgData::Reset() {
  filePath.clear();
  fileDate = 0;
  fileSize = 0;
  errorText.clear();
  status = ExifStatus::NoFile;
  sections.clear();
  headerSection = exifSection = iptcSection = commentSection = -1;
  exif_.reset();
  bytesRead_ = 0;
}

bool TimgData::ReadPictureFile(const std::string& path) {
  Reset();
  filePath = path;
  // Only regular files count as existing: a folder, a pipe or a device named like a picture is
  // not one, and opening it must not wait for a writer.
  ReadableFile opened;
  try {
    opened = OpenRegularFileForReading(path);
  } catch (const FileReadError& e) {
    // A picture that is there but cannot be opened is damaged, not missing.
    struct stat st;
    if (e.problem() == FileReadProblem::CannotOpen && ::stat(path.c_str(), &st) == 0 &&
        S_ISREG(st.st_mode)) {
      fileDate = st.st_mtime;
      fileSize = static_cast<uint64_t>(st.st_size);
      errorText = "Illegal Exif construction";
    }
    return false;
  }
  struct stat st;
  if (::fstat(opened.fd(), &st) != 0) return false;
  fileDate = st.st_mtime;
  fileSize = static_cast<uint64_t>(st.st_size);
  errorText = "Not an EXIF file";
  status = ExifStatus::NoData;

  PictureKind kind;
  if (!PictureKindFromName(path, &kind)) return false;
  try {
    std::FILE* file = ::fdopen(opened.fd(), "rb");
    if (file == nullptr) {
      errorText = "Illegal Exif construction";
      status = ExifStatus::Unreadable;
      return false;
    }
    opened.Release();  // the stream owns the descriptor now
    FileStream source(file);
    Stream in(source, bytesRead_);
    return ReadStream(in, kind);
  } catch (const std::exception&) {
    errorText = "Illegal Exif construction";
    status = ExifStatus::Unreadable;
    return false;
  }
}

bool TimgData::ReadPictureBytes(std::string_view bytes, PictureKind kind) {
  Reset();
  fileSize = bytes.size();
  errorText = "Not an EXIF file";
  status = ExifStatus::NoData;
  try {
    MemoryStream source(bytes);
    Stream in(source, bytesRead_);
    return ReadStream(in, kind);
  } catch (const std::exception&) {
    errorText = "Illegal Exif construction";
    status = ExifStatus::Unreadable;
    return false;
  }
}

bool TimgData::ReadStream(Stream& in, PictureKind kind) {
  const bool found = kind == PictureKind::Jpeg ? ScanJpegMarkers(in) : ReadTiffFile(in);
  if (found) {
    errorText = "<none>";
    status = ExifStatus::Found;
  }
  return found;
}

bool TimgData::ScanJpegMarkers(Stream& in) {
  try {
    uint8_t soi[2];
    if (in.Read(soi, 2) != 2 || soi[0] != 0xFF || soi[1] != 0xD8) return false;

    for (int reads = 0; sections.size() < kMaxSections && reads < kMaxMarkerReads; ++reads) {
      uint8_t marker = 0xFF;
      size_t fill = 0;
      while (marker == 0xFF) {
        if (!in.ReadByte(&marker) || ++fill > kMaxFillBytes) return HasData();
      }
      uint8_t lengthBytes[2];
      if (in.Read(lengthBytes, 2) != 2) break;
      const uint16_t length = static_cast<uint16_t>((lengthBytes[0] << 8) | lengthBytes[1]);
      if (length < 2) continue;  // cannot hold its own length: skipped

      JpegSection section;
      section.marker = marker;
      section.length = length;
      section.bytes.resize(length);
      section.bytes[0] = lengthBytes[0];
      section.bytes[1] = lengthBytes[1];
      if (in.Read(section.bytes.data() + 2, length - 2u) != length - 2u) break;  // truncated file
      sections.push_back(std::move(section));
      const int index = static_cast<int>(sections.size()) - 1;

      if (sections.size() == kMetadataWithin && !HasData()) break;

      switch (marker) {
        case kMarkerSos:
        case kMarkerEoi:
          return HasData();
        case kMarkerApp0:
          headerSection = index;
          break;
        case kMarkerApp1:
          if (!IsExifPayload(sections.back().bytes)) break;  // XMP and the like: kept, not used
          if (sections.size() > kMetadataWithin) {
            sections.pop_back();  // dropped; the slot is used again
            break;
          }
          exifSection = index;
          exif_ = std::make_unique<TImageInfo>(sections.back().bytes);
          ReadExifSegment(*exif_);
          break;
        case kMarkerApp13:
          if (iptcSection < 0) iptcSection = index;
          break;
        case kMarkerCom:
          commentSection = index;
          break;
        default:
          break;
      }
    }
    return HasData();
  } catch (const WalkFailure&) {
    return false;
  }
}

void TimgData::ReadExifSegment(TImageInfo& info) {
  const std::vector<uint8_t>& b = info.bytes();
  if (b.size() < 7 || std::memcmp(b.data() + 2, kExifHeader, sizeof kExifHeader) != 0) {
    errorText = "Incorrect Exif header";
    return;
  }
  if (b.size() >= 10 && b[8] == 'I' && b[9] == 'I') {
    info.byteOrder = ByteOrder::LittleEndian;
  } else if (b.size() >= 10 && b[8] == 'M' && b[9] == 'M') {
    info.byteOrder = ByteOrder::BigEndian;
  } else {
    errorText = "Invalid Exif alignment marker";
    return;
  }
  // The TIFF header starts at index 8: offsets count from there. The size test allows the
  // section length + 3, the sum of the header's position and the bytes after it.
  constexpr int64_t kTiffStart = 8;
  if (b.size() < 16) throw WalkFailure();
  const uint32_t ifd0 = Get32(b.data() + 12, info.byteOrder);
  const int64_t sizeLimit = static_cast<int64_t>(b.size()) + 3;
  Walker walker(info, errorText, kTiffStart, sizeLimit, /*recordThumbnail=*/true);
  walker.WalkIfd0(ifd0 == 0 ? kTiffStart + 8 : kTiffStart + int64_t{ifd0});
  info.EstimateFocal35();
}

bool TimgData::ReadTiffFile(Stream& in) {
  uint8_t order[2];
  if (in.Read(order, 2) != 2) return false;
  const bool little = order[0] == 'I' && order[1] == 'I';
  if (!little && !(order[0] == 'M' && order[1] == 'M')) return false;
  // The header's own IFD0 offset is not used: the directory at file offset 8 is IFD0.
  uint8_t skipped[6];
  in.Read(skipped, 6);
  // Read in steps, so a small file does not cost the whole window.
  std::vector<uint8_t> bytes;
  size_t got = 0;
  while (got < kTiffBytes) {
    bytes.resize(std::min(kTiffBytes, got + 65536));
    const size_t n = in.Read(bytes.data() + got, bytes.size() - got);
    got += n;
    if (got < bytes.size()) break;
  }
  bytes.resize(got);

  exif_ = std::make_unique<TImageInfo>(std::move(bytes));
  exif_->byteOrder = little ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
  try {
    // File offset X is index X - 8; the size test allows the bytes read - 7.
    const int64_t sizeLimit = static_cast<int64_t>(got) - 7;
    Walker walker(*exif_, errorText, /*offsetBase=*/-8, sizeLimit, /*recordThumbnail=*/false);
    walker.WalkIfd0(0);
    exif_->EstimateFocal35();
    return true;
  } catch (const WalkFailure&) {
    return false;
  }
}

}  // namespace qg
