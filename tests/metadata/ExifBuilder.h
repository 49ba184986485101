// Builds test pictures byte by byte: TIFF blocks with any number of directories in either byte
// order (values placed after their directory, sub-directory links resolved), Exif APP1 payloads
// and JPEG files made of chosen segments.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace qg::test {

class TiffBuilder {
 public:
  explicit TiffBuilder(bool bigEndian = false) : big_(bigEndian) { dirs_.emplace_back(); }

  // A new, empty directory; returns its number (IFD0 is 0).
  int AddDirectory() {
    dirs_.emplace_back();
    return static_cast<int>(dirs_.size()) - 1;
  }

  TiffBuilder& Ascii(int dir, uint16_t tag, const std::string& text, bool terminate = true) {
    std::string bytes = text;
    if (terminate) bytes += '\0';
    return Add(dir, tag, 2, static_cast<uint32_t>(bytes.size()), bytes);
  }
  TiffBuilder& Bytes(int dir, uint16_t tag, const std::string& bytes, uint16_t type = 1) {
    return Add(dir, tag, type, static_cast<uint32_t>(bytes.size()), bytes);
  }
  TiffBuilder& Undefined(int dir, uint16_t tag, const std::string& bytes) {
    return Bytes(dir, tag, bytes, 7);
  }
  TiffBuilder& Short(int dir, uint16_t tag, std::initializer_list<uint16_t> values) {
    std::string bytes;
    for (uint16_t v : values) bytes += U16(v);
    return Add(dir, tag, 3, static_cast<uint32_t>(values.size()), bytes);
  }
  TiffBuilder& Long(int dir, uint16_t tag, std::initializer_list<uint32_t> values) {
    std::string bytes;
    for (uint32_t v : values) bytes += U32(v);
    return Add(dir, tag, 4, static_cast<uint32_t>(values.size()), bytes);
  }
  TiffBuilder& Rational(int dir, uint16_t tag,
                        std::initializer_list<std::pair<int64_t, int64_t>> values,
                        bool isSigned = false) {
    std::string bytes;
    for (const auto& [n, d] : values) {
      bytes += U32(static_cast<uint32_t>(n));
      bytes += U32(static_cast<uint32_t>(d));
    }
    return Add(dir, tag, isSigned ? 10 : 5, static_cast<uint32_t>(values.size()), bytes);
  }
  TiffBuilder& SRational(int dir, uint16_t tag,
                         std::initializer_list<std::pair<int64_t, int64_t>> values) {
    return Rational(dir, tag, values, /*isSigned=*/true);
  }
  // A LONG entry holding the offset of directory `target`.
  TiffBuilder& Link(int dir, uint16_t tag, int target) {
    Entry e{tag, 4, 1, U32(0), target, false, 0};
    dirs_[static_cast<size_t>(dir)].push_back(e);
    return *this;
  }
  // An entry written exactly as given: type, count and the four value bytes (an offset when
  // the value does not fit), for hostile and malformed entries.
  TiffBuilder& Raw(int dir, uint16_t tag, uint16_t type, uint32_t count, uint32_t valueField) {
    Entry e{tag, type, count, {}, -1, true, valueField};
    dirs_[static_cast<size_t>(dir)].push_back(e);
    return *this;
  }
  // Where the header says IFD0 is (default: offset 8, where it is written).
  TiffBuilder& HeaderIfd0(uint32_t offset) {
    headerIfd0_ = offset;
    headerIfd0Set_ = true;
    return *this;
  }
  // Padding written between the header and IFD0 (moves IFD0 away from offset 8).
  TiffBuilder& GapBeforeIfd0(size_t bytes) {
    gap_ = bytes;
    return *this;
  }

  // The block: the 8-byte header, then each directory followed by its values. Offsets count
  // from the header's first byte.
  std::string Build() const {
    std::vector<uint32_t> offsets(dirs_.size());
    uint32_t pos = static_cast<uint32_t>(8 + gap_);
    for (size_t d = 0; d < dirs_.size(); ++d) {
      offsets[d] = pos;
      pos += static_cast<uint32_t>(DirectorySize(d));
    }
    std::string out = big_ ? "MM" : "II";
    out += U16(42);
    out += U32(headerIfd0Set_ ? headerIfd0_ : offsets[0]);
    out += std::string(gap_, '\xEE');
    for (size_t d = 0; d < dirs_.size(); ++d) {
      const auto& entries = dirs_[d];
      uint32_t dataPos = offsets[d] + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
      std::string head = U16(static_cast<uint16_t>(entries.size()));
      std::string data;
      for (const Entry& e : entries) {
        head += U16(e.tag) + U16(e.type) + U32(e.count);
        if (e.raw) {
          head += U32(e.valueField);
        } else if (e.link >= 0) {
          head += U32(offsets[static_cast<size_t>(e.link)]);
        } else if (e.bytes.size() <= 4) {
          head += e.bytes + std::string(4 - e.bytes.size(), '\0');
        } else {
          head += U32(dataPos + static_cast<uint32_t>(data.size()));
          data += e.bytes;
          if (data.size() % 2) data += '\0';
        }
      }
      out += head + U32(nextIfd_) + data;
    }
    return out;
  }

  TiffBuilder& NextIfd(uint32_t offset) {
    nextIfd_ = offset;
    return *this;
  }

  std::string U16(uint16_t v) const {
    return big_ ? std::string{char(v >> 8), char(v)} : std::string{char(v), char(v >> 8)};
  }
  std::string U32(uint32_t v) const {
    return big_ ? U16(uint16_t(v >> 16)) + U16(uint16_t(v))
                : U16(uint16_t(v)) + U16(uint16_t(v >> 16));
  }

 private:
  struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    std::string bytes;
    int link;
    bool raw;
    uint32_t valueField;
  };
  TiffBuilder& Add(int dir, uint16_t tag, uint16_t type, uint32_t count, const std::string& bytes) {
    dirs_[static_cast<size_t>(dir)].push_back(Entry{tag, type, count, bytes, -1, false, 0});
    return *this;
  }
  size_t DirectorySize(size_t d) const {
    size_t size = 2 + 12 * dirs_[d].size() + 4;
    for (const Entry& e : dirs_[d]) {
      if (!e.raw && e.link < 0 && e.bytes.size() > 4) size += (e.bytes.size() + 1) & ~size_t{1};
    }
    return size;
  }

  bool big_;
  std::vector<std::vector<Entry>> dirs_;
  uint32_t headerIfd0_ = 8;
  bool headerIfd0Set_ = false;
  size_t gap_ = 0;
  uint32_t nextIfd_ = 0;
};

// "Exif", two zeros, then the TIFF block.
inline std::string ExifPayload(const std::string& tiff) {
  return std::string("Exif\0\0", 6) + tiff;
}

inline std::string XmpPayload() {
  return std::string("http://ns.adobe.com/xap/1.0/\0", 29) +
         "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF/></x:xmpmeta>";
}

struct Segment {
  uint8_t marker;
  std::string payload;
};

inline std::string SegmentBytes(const Segment& s) {
  const size_t length = s.payload.size() + 2;
  return std::string{'\xFF', static_cast<char>(s.marker), static_cast<char>(length >> 8),
                     static_cast<char>(length & 0xFF)} +
         s.payload;
}

// SOI, the segments, a small SOS header, `scanBytes` of entropy-coded data and EOI.
inline std::string JpegFile(const std::vector<Segment>& segments, size_t scanBytes = 16) {
  std::string out = "\xFF\xD8";
  for (const Segment& s : segments) out += SegmentBytes(s);
  out += SegmentBytes({0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)});
  out += std::string(scanBytes, '\x5A');
  out += "\xFF\xD9";
  return out;
}

inline const uint8_t kApp0 = 0xE0, kApp1 = 0xE1, kApp2 = 0xE2, kApp13 = 0xED, kDqt = 0xDB,
                     kCom = 0xFE;

}  // namespace qg::test
