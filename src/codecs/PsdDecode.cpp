// Photoshop merged-picture reader. Layout (big-endian): a 26-byte header ("8BPS", version,
// channels, height, width, depth, colour mode), three length-prefixed sections (colour mode
// data, image resources, layers and masks) and the image data: a compression word, then one
// plane per channel, raw or as PackBits rows preceded by a table of every row's byte count.
#include "codecs/Psd.h"

#include <vector>

#include "codecs/Formats.h"
#include "core/Error.h"

namespace qg::codecs {

namespace {

constexpr const char* kTruncated = "Premature end of Photoshop file";

enum Mode { kBitmap = 0, kGray = 1, kIndexed = 2, kRgb = 3, kCmyk = 4, kDuotone = 8 };

class Reader {
 public:
  Reader(const uint8_t* data, size_t size, const std::string& path)
      : data_(data), size_(size), path_(path) {}

  uint64_t Read(int bytes) {
    Need(static_cast<uint64_t>(bytes));
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | data_[pos_++];
    return value;
  }
  void Skip(uint64_t bytes) {
    Need(bytes);
    pos_ += static_cast<size_t>(bytes);
  }
  void Need(uint64_t bytes) const {
    if (bytes > size_ - pos_) throw CannotRead(path_, kTruncated);
  }
  const uint8_t* Here() const { return data_ + pos_; }
  size_t Left() const { return size_ - pos_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  const std::string& path_;
};

// One PackBits row into exactly `out.size()` bytes. Returns false when the row's data does not
// fill it.
bool UnpackRow(const uint8_t* in, size_t length, std::vector<uint8_t>& out) {
  size_t at = 0, filled = 0;
  while (at < length && filled < out.size()) {
    const int n = static_cast<int8_t>(in[at++]);
    if (n >= 0) {
      const size_t count = static_cast<size_t>(n) + 1;
      if (count > length - at || count > out.size() - filled) return false;
      std::copy(in + at, in + at + count, out.begin() + static_cast<std::ptrdiff_t>(filled));
      at += count;
      filled += count;
    } else if (n != -128) {
      const size_t count = static_cast<size_t>(1 - n);
      if (at >= length || count > out.size() - filled) return false;
      std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(filled), count, in[at++]);
      filled += count;
    }
  }
  return filled == out.size();
}

uint8_t To8(const uint8_t* sample, int depth) {
  if (depth == 8) return sample[0];
  const unsigned v = (sample[0] << 8) | sample[1];
  return static_cast<uint8_t>((v * 255 + 32767) / 65535);
}

}  // namespace

namespace {

struct Header {
  int version = 0;
  int channels = 0;
  int64_t width = 0;
  int64_t height = 0;
  int depth = 0;
  int mode = 0;
  int needed = 0;  // colour channels the merged picture uses
  int compression = 0;
  uint8_t palette[3][256] = {};
};

// Everything before the image data: the header, the palette of indexed pictures, the sections
// skipped over and the compression word.
Header ReadHeader(Reader& in, const std::string& path) {
  if (in.Read(4) != 0x38425053) throw CannotRead(path, "not a Photoshop file");  // "8BPS"
  Header h;
  const int version = h.version = static_cast<int>(in.Read(2));
  if (version != 1 && version != 2) {
    throw CannotRead(path, Format("unsupported Photoshop file version %d", version));
  }
  in.Skip(6);
  const int channels = h.channels = static_cast<int>(in.Read(2));
  const int64_t height = h.height = static_cast<int64_t>(in.Read(4));
  const int64_t width = h.width = static_cast<int64_t>(in.Read(4));
  const int depth = h.depth = static_cast<int>(in.Read(2));
  const int mode = h.mode = static_cast<int>(in.Read(2));

  int& needed = h.needed;
  switch (mode) {
    case kBitmap:
      if (depth != 1) throw CannotRead(path, "damaged Photoshop header (bitmap depth)");
      needed = 1;
      break;
    case kGray:
    case kDuotone:
    case kIndexed:
      needed = 1;
      break;
    case kRgb:
      needed = 3;
      break;
    case kCmyk:
      needed = 4;
      break;
    default:
      throw CannotRead(path, Format("Photoshop colour mode %d is not supported", mode));
  }
  if (mode != kBitmap && depth != 8 && depth != 16) {
    throw CannotRead(path,
                     Format("Photoshop pictures of %d bits per channel are not supported", depth));
  }
  if (mode == kIndexed && depth != 8)
    throw CannotRead(path, "damaged Photoshop header (indexed depth)");
  if (channels < needed || channels > 56) {
    throw CannotRead(path, Format("damaged Photoshop header (%d channels)", channels));
  }
  const int64_t maxSide = version == 1 ? 30000 : 300000;
  if (width > maxSide || height > maxSide) {
    throw CannotRead(path, Format("damaged Photoshop header (%lld x %lld pixels)",
                                  static_cast<long long>(width), static_cast<long long>(height)));
  }
  CheckPictureSize(path, width, height);

  // Colour mode data: the palette of indexed pictures, 256 reds, then greens, then blues.
  const uint64_t modeDataLength = in.Read(4);
  if (mode == kIndexed) {
    if (modeDataLength < 768) throw CannotRead(path, "damaged Photoshop palette");
    in.Need(768);
    for (int c = 0; c < 3; ++c)
      std::copy(in.Here() + 256 * c, in.Here() + 256 * (c + 1), h.palette[c]);
  }
  in.Skip(modeDataLength);
  in.Skip(in.Read(4));                     // image resources
  in.Skip(in.Read(version == 2 ? 8 : 4));  // layers and masks

  h.compression = static_cast<int>(in.Read(2));
  if (h.compression != 0 && h.compression != 1) {
    throw CannotRead(path, Format("Photoshop compression %d is not supported", h.compression));
  }
  return h;
}

size_t RowBytes(const Header& h) { return static_cast<size_t>((h.width * h.depth + 7) / 8); }

}  // namespace

PsdLayout ReadPsdLayout(const uint8_t* data, size_t size, const std::string& path) {
  Reader in(data, size, path);
  const Header h = ReadHeader(in, path);
  const uint64_t rows = static_cast<uint64_t>(h.height);
  const uint64_t planeBytes = static_cast<uint64_t>(RowBytes(h)) * rows;
  PsdLayout layout;
  layout.width = h.width;
  layout.height = h.height;
  if (h.compression == 0) {
    in.Need(planeBytes * static_cast<uint64_t>(h.needed));
    layout.decodeBytes = planeBytes * static_cast<uint64_t>(h.needed);
  } else {
    // The table of row byte counts, and the rows of the channels we use.
    const int countBytes = h.version == 2 ? 4 : 2;
    const uint64_t tableRows = static_cast<uint64_t>(h.channels) * rows;
    in.Need(tableRows * static_cast<uint64_t>(countBytes));
    uint64_t total = 0;
    for (uint64_t i = 0; i < static_cast<uint64_t>(h.needed) * rows; ++i) {
      total += in.Read(countBytes);
    }
    in.Skip((tableRows - static_cast<uint64_t>(h.needed) * rows) *
            static_cast<uint64_t>(countBytes));
    in.Need(total);
    layout.decodeBytes = planeBytes * static_cast<uint64_t>(h.needed) + tableRows * 4;
  }
  layout.decodeBytes += static_cast<uint64_t>(h.width) * rows * 3;
  return layout;
}

Picture DecodePsd(const uint8_t* data, size_t size, const std::string& path) {
  Reader in(data, size, path);
  const Header h = ReadHeader(in, path);
  const int64_t width = h.width, height = h.height;
  const int depth = h.depth, mode = h.mode, needed = h.needed, version = h.version;
  const int channels = h.channels, compression = h.compression;
  const auto& palette = h.palette;

  const size_t rowBytes = static_cast<size_t>((width * depth + 7) / 8);
  const size_t rows = static_cast<size_t>(height);

  // The colour planes, each rows x rowBytes. The data they come from is checked to be there
  // before any memory is taken for them.
  std::vector<std::vector<uint8_t>> planes;
  if (compression == 0) {
    in.Need(static_cast<uint64_t>(rowBytes) * rows * static_cast<uint64_t>(needed));
    planes.assign(static_cast<size_t>(needed), std::vector<uint8_t>(rowBytes * rows));
    for (int c = 0; c < needed; ++c) {
      std::copy(in.Here(), in.Here() + rowBytes * rows, planes[static_cast<size_t>(c)].begin());
      in.Skip(rowBytes * rows);
    }
  } else if (compression == 1) {
    const int countBytes = version == 2 ? 4 : 2;
    const uint64_t tableRows = static_cast<uint64_t>(channels) * rows;
    in.Need(tableRows * static_cast<uint64_t>(countBytes));
    std::vector<uint32_t> counts(static_cast<size_t>(tableRows));
    for (auto& count : counts) count = static_cast<uint32_t>(in.Read(countBytes));
    uint64_t total = 0;
    for (size_t i = 0; i < static_cast<size_t>(needed) * rows; ++i) total += counts[i];
    in.Need(total);
    planes.assign(static_cast<size_t>(needed), std::vector<uint8_t>(rowBytes * rows));
    std::vector<uint8_t> row(rowBytes);
    for (int c = 0; c < needed; ++c) {
      for (size_t y = 0; y < rows; ++y) {
        const uint32_t length = counts[static_cast<size_t>(c) * rows + y];
        if (!UnpackRow(in.Here(), length, row)) {
          throw CannotRead(path, "damaged Photoshop picture data (run-length rows)");
        }
        std::copy(
            row.begin(), row.end(),
            planes[static_cast<size_t>(c)].begin() + static_cast<std::ptrdiff_t>(y * rowBytes));
        in.Skip(length);
      }
    }
  } else {
    throw CannotRead(path, Format("Photoshop compression %d is not supported", compression));
  }

  Picture picture(static_cast<int>(width), static_cast<int>(height));
  const size_t step = depth == 16 ? 2 : 1;
  for (size_t y = 0; y < rows; ++y) {
    uint8_t* out = picture.row(static_cast<int>(y));
    for (size_t x = 0; x < static_cast<size_t>(width); ++x, out += 3) {
      const size_t at = y * rowBytes + x * step;
      switch (mode) {
        case kBitmap: {
          const bool black = (planes[0][y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
          out[0] = out[1] = out[2] = black ? 0 : 255;
          break;
        }
        case kGray:
        case kDuotone:
          out[0] = out[1] = out[2] = To8(&planes[0][at], depth);
          break;
        case kIndexed: {
          const uint8_t index = planes[0][at];
          for (int c = 0; c < 3; ++c) out[c] = palette[c][index];
          break;
        }
        case kRgb:
          for (int c = 0; c < 3; ++c) out[c] = To8(&planes[static_cast<size_t>(c)][at], depth);
          break;
        case kCmyk: {
          // Stored inverted: 255 is no ink.
          const unsigned k = To8(&planes[3][at], depth);
          for (int c = 0; c < 3; ++c) {
            out[c] = static_cast<uint8_t>(
                (To8(&planes[static_cast<size_t>(c)][at], depth) * k + 127) / 255);
          }
          break;
        }
      }
    }
  }
  return picture;
}

}  // namespace qg::codecs
