// libjpeg reports problems through error_exit and emit_message; both longjmp back into the
// function that called into libjpeg (a function owning no object with a destructor), which then
// returns false. A warning is treated like an error here: whether it is tolerated is the
// general decoder's decision, so the caller hands such files to it.
#include "codecs/JpegInput.h"

#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "codecs/Decode.h"
#include "codecs/JpegErrors.h"
#include "core/FileRead.h"
#include "core/PathName.h"

namespace qg {

namespace {

// Larger pictures go the general way, which also applies the decoders' size limit.
constexpr int64_t kMaxStreamedPixels = 200'000'000;

void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0) JpegErrorExit(cinfo);
}

// The whole file, when it starts with the JPEG signature (to which the codecs route every
// accepted extension); other files are not read beyond their first bytes. Files that cannot be
// read go the general way too, which words the problem.
bool ReadJpegFile(const std::string& path, std::string& bytes) {
  try {
    {
      const ReadableFile file = OpenRegularFileForReading(path, kPictureFileCap);
      uint8_t head[3] = {0, 0, 0};
      if (::pread(file.fd(), head, 3, 0) != 3 || head[0] != 0xFF || head[1] != 0xD8 ||
          head[2] != 0xFF)
        return false;
    }
    bytes = ReadWholeFile(path, kPictureFileCap);
  } catch (const FileReadError&) {
    return false;
  }
  return bytes.size() >= 3;
}

}  // namespace

struct JpegRowSource::State {
  jpeg_decompress_struct cinfo;
  JpegErrorManager err;
  bool created = false;
  std::string bytes;
  std::vector<uint8_t> rows;  // kBlockRows decoded rows

  State() {
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&err, 0, sizeof err);
  }
  ~State() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

namespace {

bool RunOpen(jpeg_decompress_struct& cinfo, JpegErrorManager& err, const std::string& bytes) {
  if (setjmp(err.jump)) return false;
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.num_components != 3 ||
      (cinfo.jpeg_color_space != JCS_YCbCr && cinfo.jpeg_color_space != JCS_RGB))
    return false;
  if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
      static_cast<int64_t>(cinfo.image_width) * cinfo.image_height > kMaxStreamedPixels)
    return false;
  cinfo.out_color_space = JCS_RGB;
  cinfo.mem->max_memory_to_use = JpegMemoryLimit();
  return true;
}

bool RunStream(jpeg_decompress_struct& cinfo, JpegErrorManager& err, std::vector<uint8_t>& buffer,
               const JpegRowSource::RowSink& sink) {
  if (setjmp(err.jump)) return false;
  // The whole-picture arrays of progressive files are taken here, after the caller has set
  // aside the memory that decodeBytes() promised.
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3 || cinfo.output_width != cinfo.image_width ||
      cinfo.output_height != cinfo.image_height)
    return false;
  buffer.resize(static_cast<size_t>(cinfo.output_width) * 3 * JpegRowSource::kBlockRows);
  const size_t bytes = static_cast<size_t>(cinfo.output_width) * 3;
  JSAMPROW rows[JpegRowSource::kBlockRows];
  for (int r = 0; r < JpegRowSource::kBlockRows; ++r) rows[r] = buffer.data() + r * bytes;
  while (cinfo.output_scanline < cinfo.output_height) {
    int count = 0;
    while (count < JpegRowSource::kBlockRows && cinfo.output_scanline < cinfo.output_height)
      count += static_cast<int>(jpeg_read_scanlines(
          &cinfo, rows + count, static_cast<JDIMENSION>(JpegRowSource::kBlockRows - count)));
    sink(rows, count);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

std::unique_ptr<JpegRowSource> JpegRowSource::Open(const std::string& path) {
  if (!IsAcceptedExtension(ExtensionOf(path))) return nullptr;
  auto state = std::make_unique<State>();
  if (!ReadJpegFile(path, state->bytes)) return nullptr;
  state->cinfo.err = jpeg_std_error(&state->err.pub);
  state->err.pub.error_exit = JpegErrorExit;
  state->err.pub.emit_message = OnMessage;
  jpeg_create_decompress(&state->cinfo);
  state->created = true;
  if (!RunOpen(state->cinfo, state->err, state->bytes)) return nullptr;
  return std::unique_ptr<JpegRowSource>(new JpegRowSource(std::move(state)));
}

JpegRowSource::JpegRowSource(std::unique_ptr<State> state) : state_(std::move(state)) {}
JpegRowSource::~JpegRowSource() = default;

int JpegRowSource::width() const { return static_cast<int>(state_->cinfo.image_width); }
int JpegRowSource::height() const { return static_cast<int>(state_->cinfo.image_height); }

uint64_t JpegRowSource::decodeBytes() const {
  const jpeg_decompress_struct& cinfo = state_->cinfo;
  const uint64_t width = cinfo.image_width, height = cinfo.image_height;
  // The block of decoded rows and libjpeg's row buffers (a few rows of every component), and
  // for progressive files the coefficients of the whole picture, two bytes per sample.
  uint64_t bytes = width * 3 * JpegRowSource::kBlockRows + width * 3 * 64 + (1 << 20);
  if (cinfo.progressive_mode)
    bytes += width * height * static_cast<uint64_t>(cinfo.num_components) * 2;
  return bytes;
}

bool JpegRowSource::Stream(const RowSink& sink) {
  State& s = *state_;
  return RunStream(s.cinfo, s.err, s.rows, sink);
}

}  // namespace qg
