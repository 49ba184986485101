// The camera data reader: finds the Exif block of a JPEG file (or the directories of a TIFF
// file), walks its tag directories and offers the result as a few named fields plus a list of
// every known tag with a display text.
//
// A picture file is untrusted input. The reader reads only the JPEG sections that come before
// the image data (at most 20 of them, each at most 64 KB) or the first 256000 bytes after a TIFF
// header, checks every read against the bytes it holds, walks each directory at most once, and
// bounds nesting and the number of entries; a damaged or hostile file ends a walk the same way a
// bad value type does, never with a crash, a hang or a read outside the buffer.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "metadata/TagDictionary.h"

namespace qg {

enum class ByteOrder { LittleEndian, BigEndian };

// The Exif record: the bytes of one Exif section (or of a TIFF file's first 256000 bytes after
// the header), the tags found in them and the fields the camera data texts use. Entries' raw
// bytes are views into bytes(), so a record is neither copied nor moved.
class TImageInfo {
 public:
  explicit TImageInfo(std::vector<uint8_t> bytes);
  TImageInfo(const TImageInfo&) = delete;
  TImageInfo& operator=(const TImageInfo&) = delete;

  const std::vector<uint8_t>& bytes() const { return bytes_; }

  // Lookups by tag name without regard to letter case; the first matching entry counts.
  std::string TagText(std::string_view name) const;  // display text, empty when none
  int TagIndex(std::string_view name) const;         // -1 when none
  double TagValue(std::string_view name) const;      // numeric value, 0 when none

  // The numeric value of an entry's value bytes (see NumericValue in TagFormat.h).
  double EntryValue(const TTagEntry& entry) const;

  ByteOrder byteOrder = ByteOrder::LittleEndian;
  std::vector<TTagEntry> tags;  // in the order the walk met them; unknown tags are not listed

  std::string cameraMake;   // at most 32 characters
  std::string cameraModel;  // at most 40
  std::string photoDate;    // at most 20, normally "YYYY:MM:DD HH:MM:SS"
  int64_t width = 0;
  int64_t height = 0;
  int64_t flashValue = 0;
  std::string exifVersion;  // at most 6 bytes
  std::string userComment;
  // Offset of the directory that follows IFD0 (the thumbnail's), as stored; JPEG files only.
  uint32_t thumbnailDirectory = 0;

  // Adds the estimated 35 mm focal length when the camera did not store one.
  void EstimateFocal35();

 private:
  std::vector<uint8_t> bytes_;
};

// One JPEG section as read: the marker code, the length field and the section's bytes starting
// with the two length bytes.
struct JpegSection {
  uint8_t marker = 0;
  uint16_t length = 0;
  std::vector<uint8_t> bytes;
};

enum class PictureKind { Jpeg, Tiff };

// Which reader a file name selects by its extension (compared in lower case); false when the
// extension is none of ".jpg", ".jpeg", ".jpe", ".tif", ".tiff", ".nef".
bool PictureKindFromName(const std::string& path, PictureKind* kind);

// How the last reading of a TimgData ended, for callers that branch on it (errorText holds the
// window's words).
enum class ExifStatus {
  NoFile,      // no regular file at the path
  NoData,      // read (or not a JPEG or TIFF by its name): no camera data in it
  Found,       // metadata found: an Exif record, a comment or IPTC data
  Unreadable,  // the file could not be opened or read to its end, or the reading ran out of memory
};

// One reading of one picture file.
class TimgData {
 public:
  TimgData() = default;
  TimgData(const TimgData&) = delete;
  TimgData& operator=(const TimgData&) = delete;

  // Resets, then reads the file. Returns whether camera data was found; afterwards status,
  // HasData(), HasExif(), the file facts, errorText and exif() tell the rest. A missing file
  // returns false with an empty error text.
  bool ReadPictureFile(const std::string& path);

  // The same reading from bytes in memory, as if they were a file of the given kind (no file
  // facts apart from the size). Used by the fuzz target and the tests.
  bool ReadPictureBytes(std::string_view bytes, PictureKind kind);

  bool HasData() const { return exif_ != nullptr || commentSection >= 0 || iptcSection >= 0; }
  bool HasExif() const { return exif_ != nullptr; }
  const TImageInfo* exif() const { return exif_.get(); }

  std::string filePath;
  std::time_t fileDate = 0;  // last-write time
  uint64_t fileSize = 0;
  std::string errorText;
  ExifStatus status = ExifStatus::NoFile;

  std::vector<JpegSection> sections;  // at most 20
  int headerSection = -1;             // APP0
  int exifSection = -1;               // APP1 holding "Exif"
  int iptcSection = -1;               // first APP13
  int commentSection = -1;            // last COM

  // Bytes taken from the file or buffer by the last reading: only the sections before the image
  // data are ever read.
  uint64_t bytesRead() const { return bytesRead_; }

 private:
  class Stream;
  void Reset();
  bool ReadStream(Stream& in, PictureKind kind);
  bool ScanJpegMarkers(Stream& in);
  void ReadExifSegment(TImageInfo& info);
  bool ReadTiffFile(Stream& in);

  std::unique_ptr<TImageInfo> exif_;
  uint64_t bytesRead_ = 0;
};

}  // namespace qg
