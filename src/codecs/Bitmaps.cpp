// Icon and DIB helpers (see Bitmaps.h). All numbers are little-endian.
#include "codecs/Bitmaps.h"

#include <cstring>

#include "codecs/Formats.h"

namespace qg::codecs {

namespace {

uint32_t U16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int32_t S32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

bool IsInfoHeaderSize(uint32_t size) {
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
         size == 124;
}

}  // namespace

std::optional<Picture> DecodeAlphaIcon(const uint8_t* data, size_t size, const std::string& path) {
  constexpr size_t kDirectory = 6, kEntry = 16;
  if (size < kDirectory + kEntry) throw CannotRead(path, "Premature end of icon file");
  if (U16(data) != 0 || (U16(data + 2) != 1 && U16(data + 2) != 2) || U16(data + 4) == 0) {
    return std::nullopt;  // not an icon directory: let the coder say so
  }
  const uint8_t* entry = data + kDirectory;
  const uint32_t length = U32(entry + 8);
  const uint32_t offset = U32(entry + 12);
  if (offset > size || length > size - offset) throw CannotRead(path, "Premature end of icon file");
  const uint8_t* image = data + offset;
  if (length < 40 || U32(image) < 40 || U32(image) > length) return std::nullopt;
  const int32_t width = S32(image + 4);
  const int32_t doubledHeight = S32(image + 8);
  const uint32_t bits = U16(image + 14);
  const uint32_t compression = U32(image + 16);
  if (bits != 32 || compression != 0 || width <= 0 || doubledHeight <= 0 || doubledHeight % 2) {
    return std::nullopt;
  }
  const int32_t height = doubledHeight / 2;
  CheckPictureSize(path, width, height);
  const size_t pixelBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  const uint8_t* pixels = image + U32(image);
  if (pixelBytes > length - U32(image)) throw CannotRead(path, "Premature end of icon file");

  bool alphaUsed = false;
  for (size_t i = 3; i < pixelBytes && !alphaUsed; i += 4) alphaUsed = pixels[i] != 0;
  if (!alphaUsed) return std::nullopt;

  Picture picture(width, height);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = pixels + static_cast<size_t>(height - 1 - y) * width * 4;  // bottom-up
    uint8_t* out = picture.row(y);
    for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
      const unsigned alpha = in[3];
      for (int c = 0; c < 3; ++c) {  // stored B, G, R
        out[c] = static_cast<uint8_t>((in[2 - c] * alpha + 255 * (255 - alpha) + 127) / 255);
      }
    }
  }
  return picture;
}

std::optional<std::vector<uint8_t>> WithBitmapFileHeader(const uint8_t* data, size_t size) {
  if (size < 16) return std::nullopt;
  const uint32_t headerSize = U32(data);
  if (!IsInfoHeaderSize(headerSize) || headerSize > size) return std::nullopt;

  // Where the pixels start: after the information header, the colour masks of a 40-byte
  // BI_BITFIELDS header and the colour table.
  uint32_t bits, used = 0, compression = 0;
  size_t entrySize = 4;
  if (headerSize == 12) {
    bits = U16(data + 10);
    entrySize = 3;
  } else {
    bits = U16(data + 14);
    compression = U32(data + 16);
    used = headerSize >= 36 ? U32(data + 32) : 0;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return std::nullopt;
  }
  size_t colours = bits <= 8 ? (used ? used : (1u << bits)) : used;
  if (colours > 256) colours = 256;
  size_t pixelOffset = 14 + headerSize + colours * entrySize;
  if (headerSize == 40 && (compression == 3 || compression == 6)) {
    pixelOffset += compression == 3 ? 12 : 16;
  }
  std::vector<uint8_t> out(14 + size);
  const size_t fileSize = out.size();
  out[0] = 'B';
  out[1] = 'M';
  for (int i = 0; i < 4; ++i) {
    out[2 + i] = static_cast<uint8_t>(fileSize >> (8 * i));
    out[10 + i] = static_cast<uint8_t>(pixelOffset >> (8 * i));
  }
  std::memcpy(out.data() + 14, data, size);
  return out;
}

}  // namespace qg::codecs
