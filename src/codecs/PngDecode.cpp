// PNG decoding through libpng. libpng reports errors through a longjmp; the jump lands in
// RunDecode, which owns no object with a destructor (everything lives in the caller's
// DecodeState), and DecodePng throws the error after landing.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "codecs/Formats.h"
#include "codecs/Png.h"

namespace qg::codecs {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t Big32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool ValidDepth(int colourType, int depth) {
  switch (colourType) {
    case 0:  // gray
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:  // palette
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:  // RGB
    case 4:  // gray + alpha
    case 6:  // RGBA
      return depth == 8 || depth == 16;
    default:
      return false;
  }
}

}  // namespace

bool ScanPngStructure(const uint8_t* data, size_t size, PngLayout& layout, std::string& problem) {
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) {
    problem = "not a PNG file";
    return false;
  }
  size_t at = 8;
  bool header = false, imageData = false;
  for (;;) {
    if (size - at < 12) {
      problem = "Premature end of PNG file";
      return false;
    }
    const uint32_t length = Big32(data + at);
    const uint8_t* type = data + at + 4;
    if (length > 0x7FFFFFFFu) {
      problem = "damaged PNG chunk length";
      return false;
    }
    if (length > size - at - 12) {
      problem = "Premature end of PNG file";
      return false;
    }
    const uint8_t* body = data + at + 8;
    if (!header) {
      if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) {
        problem = "damaged PNG header (IHDR missing)";
        return false;
      }
      layout.width = Big32(body);
      layout.height = Big32(body + 4);
      layout.bitDepth = body[8];
      layout.colourType = body[9];
      layout.interlaced = body[12] == 1;
      if (layout.width == 0 || layout.height == 0 || layout.width > 0x7FFFFFFF ||
          layout.height > 0x7FFFFFFF || !ValidDepth(layout.colourType, layout.bitDepth) ||
          body[10] != 0 || body[11] != 0 || body[12] > 1) {
        problem = "damaged PNG header (IHDR)";
        return false;
      }
      header = true;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      imageData = true;
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      if (!imageData) {
        problem = "the PNG file holds no picture data (IDAT)";
        return false;
      }
      return true;
    }
    at += 12 + static_cast<size_t>(length);
  }
}

uint64_t PngDecodeBytes(const PngLayout& layout) {
  const uint64_t pixels =
      static_cast<uint64_t>(layout.width) * static_cast<uint64_t>(layout.height);
  // Rows after libpng's expansion: up to four channels of up to two bytes.
  const uint64_t rowBytes = static_cast<uint64_t>(layout.width) * 8;
  const uint64_t converted = layout.interlaced ? pixels * 8 : rowBytes * 2;
  return pixels * 3 + converted + 65536;
}

namespace {

struct Input {
  const uint8_t* data;
  size_t size;
  size_t at;
};

struct DecodeState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  Input input{};
  char message[256] = {};
  Picture picture;
  std::vector<uint8_t> rows;  // one converted row, or all of them for interlaced pictures
  std::vector<png_bytep> rowPointers;
};

void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<DecodeState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadInput(png_structp png, png_bytep out, png_size_t length) {
  auto* input = static_cast<Input*>(png_get_io_ptr(png));
  if (length > input->size - input->at) png_error(png, "Premature end of PNG file");
  std::memcpy(out, input->data + input->at, length);
  input->at += length;
}

// One converted row (three or four channels, 8 or 16 bits) into the picture's RGB. Opaque
// 16-bit samples are cut to 8 bits (v / 257, rounding down); with transparency each pixel is
// laid on white at 16-bit precision and rounded once: the pixels GraphicsMagick gave.
void ConvertRow(const uint8_t* in, int channels, int depth, int width, uint8_t* out) {
  if (channels == 3 && depth == 8) {
    std::memcpy(out, in, static_cast<size_t>(width) * 3);
    return;
  }
  if (channels == 3) {
    for (int x = 0; x < width * 3; ++x, in += 2) {
      out[x] = static_cast<uint8_t>(((unsigned{in[0]} << 8) | in[1]) / 257);
    }
    return;
  }
  const int step = channels * (depth / 8);
  for (int x = 0; x < width; ++x, in += step, out += 3) {
    uint64_t sample[4];
    for (int c = 0; c < 4; ++c) {
      sample[c] = depth == 16 ? (uint64_t{in[2 * c]} << 8) | in[2 * c + 1] : in[c] * 257ull;
    }
    const uint64_t alpha = sample[3];
    for (int c = 0; c < 3; ++c) {
      const uint64_t mixed = sample[c] * alpha + 65535ull * (65535ull - alpha);
      constexpr uint64_t kScale = 65535ull * 257ull;  // to 16 bits, then 16 to 8 bits
      out[c] = static_cast<uint8_t>((mixed + kScale / 2) / kScale);
    }
  }
}

// Returns false when libpng failed; s.message says why. Holds no object with a destructor.
bool RunDecode(DecodeState& s) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_set_read_fn(s.png, &s.input, ReadInput);
  png_set_user_limits(s.png, 0x7FFFFFFF, 0x7FFFFFFF);
  png_read_info(s.png, s.info);
  png_set_expand(s.png);  // palettes, low bit depths and tRNS colours become RGB(A) or gray(A)
  png_set_gray_to_rgb(s.png);
  const int passes = png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  const int width = static_cast<int>(png_get_image_width(s.png, s.info));
  const int height = static_cast<int>(png_get_image_height(s.png, s.info));
  const int channels = png_get_channels(s.png, s.info);
  const int depth = png_get_bit_depth(s.png, s.info);
  const size_t rowBytes = png_get_rowbytes(s.png, s.info);
  if ((channels != 3 && channels != 4) || (depth != 8 && depth != 16) ||
      rowBytes != static_cast<size_t>(width) * static_cast<size_t>(channels * depth / 8)) {
    png_error(s.png, "unsupported PNG layout");
  }

  s.picture = Picture(width, height);
  const bool direct = channels == 3 && depth == 8;
  if (passes > 1) {
    // Interlaced: every pass touches every row, so the converted picture is held whole.
    if (!direct) s.rows.resize(rowBytes * static_cast<size_t>(height));
    s.rowPointers.resize(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
      s.rowPointers[static_cast<size_t>(y)] =
          direct ? s.picture.row(y) : s.rows.data() + rowBytes * static_cast<size_t>(y);
    }
    png_read_image(s.png, s.rowPointers.data());
    if (!direct) {
      for (int y = 0; y < height; ++y) {
        ConvertRow(s.rowPointers[static_cast<size_t>(y)], channels, depth, width, s.picture.row(y));
      }
    }
  } else {
    if (!direct) s.rows.resize(rowBytes);
    for (int y = 0; y < height; ++y) {
      if (direct) {
        png_read_row(s.png, s.picture.row(y), nullptr);
      } else {
        png_read_row(s.png, s.rows.data(), nullptr);
        ConvertRow(s.rows.data(), channels, depth, width, s.picture.row(y));
      }
    }
  }
  png_read_end(s.png, nullptr);
  return true;
}

struct ReadGuard {
  DecodeState& s;
  ~ReadGuard() {
    png_destroy_read_struct(s.png ? &s.png : nullptr, s.info ? &s.info : nullptr, nullptr);
  }
};

}  // namespace

Picture DecodePng(const uint8_t* data, size_t size, const std::string& path) {
  PngLayout layout;
  std::string problem;
  if (!ScanPngStructure(data, size, layout, problem)) throw CannotRead(path, problem);
  CheckPictureSize(path, layout.width, layout.height);

  DecodeState state;
  state.input = Input{data, size, 0};
  ReadGuard guard{state};
  state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  if (state.png != nullptr) state.info = png_create_info_struct(state.png);
  if (state.png == nullptr || state.info == nullptr) {
    throw CannotRead(path, "there is not enough memory to decode it");
  }
  if (!RunDecode(state)) throw CannotRead(path, state.message);
  return std::move(state.picture);
}

}  // namespace qg::codecs
