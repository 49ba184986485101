// The structural pass over a JPEG: markers and segment lengths from SOI to EOI, with the
// entropy-coded data skipped by looking for the next marker. It applies the same header checks
// as libjpeg's marker reader, in the same words, so a file refused here is refused by the full
// decode too; the reverse holds for everything but damage inside the coded data.
#include <algorithm>
#include <cstring>

#include "codecs/Jpeg.h"
#include "core/Error.h"

namespace qg::codecs {

namespace {

constexpr int kMaxDimension = 65500;  // JPEG_MAX_DIMENSION
constexpr int kMaxComponents = 10;    // MAX_COMPONENTS
constexpr int kMaxScanComponents = 4;
constexpr int kTables = 4;  // NUM_QUANT_TBLS, NUM_HUFF_TBLS

constexpr const char* kEof = "Premature end of JPEG file";
constexpr const char* kBadLength = "Bogus marker length";

struct Component {
  int id = 0;
  int h = 1, v = 1;  // sampling factors
  int quantTable = 0;
  bool latched = false;  // its quantisation table was taken at its first scan
};

// A Huffman table as libjpeg's decoder checks it when a scan first uses it: the code lengths
// must form a prefix code and DC symbols must be bit counts up to 15.
bool HuffmanTableIsValid(const uint8_t* counts, const uint8_t* symbols, size_t total, bool dc) {
  uint32_t code = 0;
  for (int length = 1; length <= 16; ++length) {
    code += counts[length - 1];
    if (counts[length - 1] != 0 && code >= (1u << length)) return false;  // all-ones is reserved
    code <<= 1;
  }
  if (dc) {
    for (size_t i = 0; i < total; ++i) {
      if (symbols[i] > 15) return false;
    }
  }
  return true;
}

class Scanner {
 public:
  Scanner(const uint8_t* data, size_t size, JpegLayout& layout, std::string& problem)
      : data_(data), size_(size), layout_(layout), problem_(problem) {}

  bool Run();

 private:
  bool Fail(std::string message) {
    problem_ = std::move(message);
    return false;
  }
  bool Frame(uint8_t marker, const uint8_t* body, size_t length);
  bool HuffmanTables(const uint8_t* body, size_t length);
  bool QuantTables(const uint8_t* body, size_t length);
  bool Scan(const uint8_t* body, size_t length);
  bool SkipEntropyCodedData();

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  JpegLayout& layout_;
  std::string& problem_;
  bool sawFrame_ = false;
  bool sawScan_ = false;
  bool quantDefined_[kTables] = {};
  // Huffman tables by class (0 = DC, 1 = AC) and slot: defined, and usable when defined.
  bool huffDefined_[2][kTables] = {};
  bool huffValid_[2][kTables] = {};
  bool arithmetic_ = false;
  Component components_[kMaxComponents];
  int componentCount_ = 0;
};

bool Scanner::Run() {
  if (size_ == 0) return Fail("Empty input file");
  if (size_ < 2 || data_[0] != 0xFF || data_[1] != 0xD8) {
    return Fail(
        Format("Not a JPEG file: starts with 0x%02x 0x%02x", data_[0], size_ > 1 ? data_[1] : 0));
  }
  pos_ = 2;
  for (;;) {
    // Like libjpeg, stray bytes before a marker and fill bytes (0xFF runs) are skipped.
    while (pos_ < size_ && data_[pos_] != 0xFF) ++pos_;
    while (pos_ < size_ && data_[pos_] == 0xFF) ++pos_;
    if (pos_ >= size_) return Fail(kEof);
    const uint8_t marker = data_[pos_++];
    if (marker == 0x00) continue;                                        // stuffed zero: stray data
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // TEM, RSTn: no length
    if (marker == 0xD8) return Fail("Invalid JPEG file structure: two SOI markers");
    if (marker == 0xD9) {
      if (sawScan_) return true;
      return Fail(sawFrame_ ? "Invalid JPEG file structure: missing SOS marker"
                            : "JPEG datastream contains no image");
    }

    const bool known = (marker >= 0xC0 && marker <= 0xCF) || marker == 0xDA || marker == 0xDB ||
                       marker == 0xDC || marker == 0xDD || (marker >= 0xE0 && marker <= 0xEF) ||
                       marker == 0xFE;
    if (!known) return Fail(Format("Unsupported marker type 0x%02x", marker));

    if (size_ - pos_ < 2) return Fail(kEof);
    const size_t length = (static_cast<size_t>(data_[pos_]) << 8) | data_[pos_ + 1];
    if (length < 2) return Fail(kBadLength);
    if (size_ - pos_ < length) return Fail(kEof);
    const uint8_t* body = data_ + pos_ + 2;
    const size_t bodyLength = length - 2;
    pos_ += length;

    switch (marker) {
      case 0xC0:
      case 0xC1:
      case 0xC2:
      case 0xC9:
      case 0xCA:
        if (!Frame(marker, body, bodyLength)) return false;
        break;
      case 0xC3:
      case 0xC5:
      case 0xC6:
      case 0xC7:
      case 0xC8:
      case 0xCB:
      case 0xCD:
      case 0xCE:
      case 0xCF:
        return Fail(Format("Unsupported JPEG process: SOF type 0x%02x", marker));
      case 0xC4:
        if (!HuffmanTables(body, bodyLength)) return false;
        break;
      case 0xDB:
        if (!QuantTables(body, bodyLength)) return false;
        break;
      case 0xDD:
        if (bodyLength != 2) return Fail(kBadLength);
        break;
      case 0xDA:
        if (!Scan(body, bodyLength) || !SkipEntropyCodedData()) return false;
        break;
      default:  // APPn, COM, DAC, DNL: skipped by length
        break;
    }
  }
}

bool Scanner::Frame(uint8_t marker, const uint8_t* body, size_t length) {
  if (sawFrame_) return Fail("Invalid JPEG file structure: two SOF markers");
  sawFrame_ = true;
  if (length < 6) return Fail(kBadLength);
  const int precision = body[0];
  const int height = (body[1] << 8) | body[2];
  const int width = (body[3] << 8) | body[4];
  const int count = body[5];
  if (height <= 0 || width <= 0 || count <= 0) return Fail("Empty JPEG image (DNL not supported)");
  if (length - 6 != static_cast<size_t>(count) * 3) return Fail(kBadLength);
  if (precision != 8) return Fail(Format("Unsupported JPEG data precision %d", precision));
  if (width > kMaxDimension || height > kMaxDimension) {
    return Fail(Format("Maximum supported image dimension is %u pixels", kMaxDimension));
  }
  if (count > kMaxComponents) {
    return Fail(Format("Too many color components: %d, max %d", count, kMaxComponents));
  }
  for (int i = 0; i < count; ++i) {
    const uint8_t* c = body + 6 + 3 * i;
    const int h = c[1] >> 4, v = c[1] & 0x0F;
    if (h < 1 || h > 4 || v < 1 || v > 4) return Fail("Bogus sampling factors");
    components_[i] = Component{c[0], h, v, c[2], false};
  }
  int maxH = 1, maxV = 1;
  for (int i = 0; i < count; ++i) {
    maxH = std::max(maxH, components_[i].h);
    maxV = std::max(maxV, components_[i].v);
  }
  for (int i = 0; i < count; ++i) {
    if (maxH % components_[i].h != 0 || maxV % components_[i].v != 0) {
      return Fail("Fractional sampling not implemented yet");
    }
  }
  // One, three or four components convert to RGB; anything else has no colour conversion.
  if (count != 1 && count != 3 && count != 4) return Fail("Unsupported color conversion request");
  componentCount_ = count;
  layout_.width = width;
  layout_.height = height;
  layout_.components = count;
  layout_.progressive = marker == 0xC2 || marker == 0xCA;
  arithmetic_ = marker == 0xC9 || marker == 0xCA;
  return true;
}

bool Scanner::HuffmanTables(const uint8_t* body, size_t length) {
  size_t at = 0;
  while (length - at > 16) {
    int index = body[at];
    const uint8_t* counts = body + at + 1;
    size_t count = 0;
    for (int i = 0; i < 16; ++i) count += counts[i];
    at += 17;
    if (count > 256 || count > length - at) return Fail("Bogus Huffman table definition");
    const uint8_t* symbols = body + at;
    at += count;
    const int tableClass = (index & 0x10) ? 1 : 0;
    if (index & 0x10) index -= 0x10;
    if (index < 0 || index >= kTables) return Fail(Format("Bogus DHT index %d", index));
    huffDefined_[tableClass][index] = true;
    huffValid_[tableClass][index] = HuffmanTableIsValid(counts, symbols, count, tableClass == 0);
  }
  if (at != length) return Fail(kBadLength);
  return true;
}

bool Scanner::QuantTables(const uint8_t* body, size_t length) {
  size_t at = 0;
  while (at < length) {
    const int precision = body[at] >> 4;
    const int index = body[at] & 0x0F;
    ++at;
    if (index >= kTables) return Fail(Format("Bogus DQT index %d", index));
    // libjpeg accepts a short last table (the rest stays zero); only the total must add up.
    const size_t wanted = precision ? 128 : 64;
    const size_t left = length - at;
    at += left < wanted ? (precision ? left & ~size_t{1} : left) : wanted;
    quantDefined_[index] = true;
  }
  if (at != length) return Fail(kBadLength);
  return true;
}

bool Scanner::Scan(const uint8_t* body, size_t length) {
  if (!sawFrame_) return Fail("Invalid JPEG file structure: SOS before SOF");
  if (length < 1) return Fail(kBadLength);
  const int count = body[0];
  if (length != static_cast<size_t>(count) * 2 + 4 || count < 1 || count > kMaxScanComponents) {
    return Fail(kBadLength);
  }
  bool inScan[kMaxComponents] = {};
  Component* scanComponents[kMaxScanComponents] = {};
  int tableSelectors[kMaxScanComponents] = {};
  for (int i = 0; i < count; ++i) {
    const int id = body[1 + 2 * i];
    Component* found = nullptr;
    for (int c = 0; c < componentCount_ && found == nullptr; ++c) {
      if (components_[c].id == id && !inScan[c]) {
        found = &components_[c];
        inScan[c] = true;
      }
    }
    // An unknown component, or one named twice in the same scan.
    if (found == nullptr) return Fail(Format("Invalid component ID %d in SOS", id));
    if (!found->latched) {
      if (found->quantTable >= kTables || !quantDefined_[found->quantTable]) {
        return Fail(Format("Quantization table 0x%02x was not defined", found->quantTable));
      }
      found->latched = true;
    }
    scanComponents[i] = found;
    tableSelectors[i] = body[2 + 2 * i];
  }

  // An interleaved scan must fit libjpeg's MCU of at most ten blocks.
  if (count > 1) {
    int blocks = 0;
    for (int i = 0; i < count; ++i) blocks += scanComponents[i]->h * scanComponents[i]->v;
    if (blocks > 10) return Fail("Sampling factors too large for interleaved scan");
  }

  const int ss = body[1 + 2 * count], se = body[2 + 2 * count];
  const int ah = body[3 + 2 * count] >> 4, al = body[3 + 2 * count] & 0x0F;
  bool useDc = true, useAc = true;
  if (layout_.progressive) {
    const bool dcBand = ss == 0;
    bool bad = dcBand ? se != 0 : (ss > se || se >= 64 || count != 1);
    if (ah != 0 && al != ah - 1) bad = true;
    if (al > 13) bad = true;
    if (bad) {
      return Fail(Format("Invalid progressive parameters Ss=%d Se=%d Ah=%d Al=%d", ss, se, ah, al));
    }
    useDc = dcBand && ah == 0;
    useAc = !dcBand;
  }
  if (!arithmetic_) {
    for (int i = 0; i < count; ++i) {
      const int selectors[2] = {tableSelectors[i] >> 4, tableSelectors[i] & 0x0F};
      for (int tableClass = 0; tableClass < 2; ++tableClass) {
        if (!(tableClass == 0 ? useDc : useAc)) continue;
        const int slot = selectors[tableClass];
        // Slots 0 and 1 fall back to the standard tables when the file defines none.
        const bool defined = slot < kTables && huffDefined_[tableClass][slot];
        if (!defined && slot >= 2)
          return Fail(Format("Huffman table 0x%02x was not defined", slot));
        if (defined && !huffValid_[tableClass][slot]) return Fail("Bogus Huffman table definition");
      }
    }
  }
  sawScan_ = true;
  return true;
}

// Entropy-coded data: 0xFF is followed by a stuffed 0x00 or a restart marker RST0..7 while the
// data goes on; any other marker ends it. Leaves pos_ on that marker's 0xFF.
bool Scanner::SkipEntropyCodedData() {
  for (;;) {
    const void* hit = std::memchr(data_ + pos_, 0xFF, size_ - pos_);
    if (hit == nullptr) return Fail(kEof);
    size_t next = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data_) + 1;
    while (next < size_ && data_[next] == 0xFF) ++next;
    if (next >= size_) return Fail(kEof);
    const uint8_t code = data_[next];
    if (code == 0x00 || (code >= 0xD0 && code <= 0xD7)) {
      pos_ = next + 1;
      continue;
    }
    pos_ = next - 1;
    return true;
  }
}

}  // namespace

bool ScanJpegStructure(const uint8_t* data, size_t size, JpegLayout& layout, std::string& problem) {
  layout = JpegLayout{};
  return Scanner(data, size, layout, problem).Run();
}

}  // namespace qg::codecs
