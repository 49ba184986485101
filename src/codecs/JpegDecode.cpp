// Full JPEG decode through libjpeg. libjpeg reports fatal errors through error_exit, which must
// not return; ours longjmps back into RunDecode, a function that owns no object with a destructor,
// so the jump skips none; the C++ exception is thrown by its caller after landing.
#include "codecs/Jpeg.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include <jerror.h>
#include "codecs/JpegErrors.h"

#include "codecs/Decode.h"
#include "codecs/Formats.h"
#include "core/MemoryBudget.h"

namespace qg::codecs {

namespace {

// Warnings arrive with level -1. Running out of data means the file was cut short: that is a
// damaged picture, not a warning, and the decode stops here. Other corrupt-data warnings (bad
// Huffman codes, stray bytes before a marker) leave a picture with damaged blocks that viewers
// show as it is; we do the same. Trace messages (level > 0) are dropped.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level != -1) return;
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(cinfo);
  cinfo->err->num_warnings++;
}

struct DecompressGuard {
  jpeg_decompress_struct* cinfo;
  ~DecompressGuard() { jpeg_destroy_decompress(cinfo); }
};

uint8_t Mul255(unsigned a, unsigned b) { return static_cast<uint8_t>((a * b + 127) / 255); }

}  // namespace

namespace {

// Everything the decode touches lives here, in the caller's frame, so its values are in memory,
// not in registers, when libjpeg jumps back.
struct DecodeState {
  jpeg_decompress_struct cinfo;
  JpegErrorManager err;
  const std::string* path = nullptr;
  long memoryLimit = 0;
  Picture picture;
  std::vector<uint8_t> row;
};

// Returns false when libjpeg failed; err.message says why. Holds no object with a destructor.
bool RunDecode(DecodeState& s, const uint8_t* data, size_t size) {
  if (setjmp(s.err.jump)) return false;
  jpeg_decompress_struct& cinfo = s.cinfo;
  jpeg_create_decompress(&cinfo);
  // libjpeg asks its memory manager before taking the whole-picture arrays of progressive and
  // multi-scan files; beyond the budget it fails (it has no backing store) instead of taking it.
  cinfo.mem->max_memory_to_use = s.memoryLimit;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);

  // Default parameters, except that four-component files come out as CMYK (libjpeg converts
  // YCCK to CMYK itself) and we turn CMYK into RGB below.
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  if (cmyk) cinfo.out_color_space = JCS_CMYK;
  const bool gray = cinfo.out_color_space == JCS_GRAYSCALE;
  if (!cmyk && !gray) cinfo.out_color_space = JCS_RGB;

  CheckPictureSize(*s.path, cinfo.image_width, cinfo.image_height);
  jpeg_start_decompress(&cinfo);
  s.picture = Picture(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  s.row.resize(static_cast<size_t>(cinfo.output_width) * cinfo.output_components);
  Picture& picture = s.picture;
  uint8_t* const row = s.row.data();
  // Photoshop writes Adobe CMYK inverted (0 = full ink); files without the Adobe marker hold
  // plain ink amounts.
  const bool inverted = cinfo.saw_Adobe_marker;

  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW rows[1] = {cmyk || gray ? row : picture.row(y)};
    jpeg_read_scanlines(&cinfo, rows, 1);
    uint8_t* out = picture.row(y);
    if (gray) {
      for (int x = 0; x < picture.width; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = row[x];
    } else if (cmyk) {
      for (int x = 0; x < picture.width; ++x) {
        unsigned c = row[4 * x], m = row[4 * x + 1], ye = row[4 * x + 2], k = row[4 * x + 3];
        if (!inverted) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
        out[3 * x] = Mul255(c, k);
        out[3 * x + 1] = Mul255(m, k);
        out[3 * x + 2] = Mul255(ye, k);
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

Picture DecodeJpeg(const uint8_t* data, size_t size, const std::string& path) {
  DecodeState state;
  std::memset(&state.cinfo, 0, sizeof state.cinfo);  // destroy is a no-op before creation
  std::memset(&state.err, 0, sizeof state.err);
  state.cinfo.err = jpeg_std_error(&state.err.pub);
  state.err.pub.error_exit = JpegErrorExit;
  state.err.pub.emit_message = OnMessage;
  state.path = &path;
  state.memoryLimit = JpegMemoryLimit();
  DecompressGuard guard{&state.cinfo};
  if (!RunDecode(state, data, size)) {
    switch (state.err.pub.msg_code) {
      case JERR_NO_BACKING_STORE:
        throw CannotRead(path, "the picture is too large to decode within the memory limit of " +
                                   ByteCountText(static_cast<uint64_t>(state.memoryLimit)));
      case JERR_OUT_OF_MEMORY:
        throw Error(NotEnoughMemoryMessage(path));
      default:
        throw CannotRead(path, state.err.message);
    }
  }
  return std::move(state.picture);
}

}  // namespace qg::codecs
