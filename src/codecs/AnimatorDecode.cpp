// Animator CEL/PIC pictures (see Animator.h for the layout). All numbers are little-endian.
#include "codecs/Animator.h"

#include "codecs/Formats.h"

namespace qg::codecs {

namespace {

constexpr size_t kHeaderSize = 32;
constexpr size_t kPaletteSize = 768;

unsigned Word(const uint8_t* p) { return p[0] | (p[1] << 8); }

// 6-bit palette values (0..63) spread over 0..255 so that 63 becomes 255.
uint8_t Expand6(uint8_t v) {
  v &= 0x3F;
  return static_cast<uint8_t>((v << 2) | (v >> 4));
}

}  // namespace

bool ReadAnimatorHeader(const uint8_t* data, size_t size, AnimatorHeader& header,
                        std::string& problem) {
  if (size < kHeaderSize || Word(data) != 0x9119) {
    problem = size < 2 || Word(data) == 0x9119 ? "Premature end of Animator picture"
                                               : "not an Animator CEL/PIC picture";
    return false;
  }
  header.width = static_cast<int>(Word(data + 2));
  header.height = static_cast<int>(Word(data + 4));
  const int depth = data[10];
  const int compression = data[11];
  if (header.width == 0 || header.height == 0) {
    problem = "the picture has no pixels";
    return false;
  }
  if (depth != 8 || compression != 0) {
    problem = "unsupported Animator picture (depth " + std::to_string(depth) + ", compression " +
              std::to_string(compression) + ")";
    return false;
  }
  const size_t needed =
      kHeaderSize + kPaletteSize + static_cast<size_t>(header.width) * header.height;
  if (size < needed) {
    problem = "Premature end of Animator picture";
    return false;
  }
  return true;
}

Picture DecodeAnimator(const uint8_t* data, size_t size, const std::string& path) {
  AnimatorHeader header;
  std::string problem;
  if (!ReadAnimatorHeader(data, size, header, problem)) throw CannotRead(path, problem);
  CheckPictureSize(path, header.width, header.height);
  uint8_t palette[256][3];
  for (int i = 0; i < 256; ++i) {
    for (int c = 0; c < 3; ++c) palette[i][c] = Expand6(data[kHeaderSize + 3 * i + c]);
  }
  Picture picture(header.width, header.height);
  const uint8_t* in = data + kHeaderSize + kPaletteSize;
  uint8_t* out = picture.pixels.data();
  const size_t count = static_cast<size_t>(header.width) * header.height;
  for (size_t i = 0; i < count; ++i, out += 3) {
    const uint8_t* colour = palette[in[i]];
    out[0] = colour[0];
    out[1] = colour[1];
    out[2] = colour[2];
  }
  return picture;
}

}  // namespace qg::codecs
