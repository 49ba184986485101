// libjpeg reports problems through error_exit and emit_message; both longjmp back into the
// function that called into libjpeg (a function owning no object with a destructor), which then
// returns false. A warning is treated like an error here: whether it is tolerated is the
// general decoder's decision, so the caller hands such files to it.
#include "codecs/JpegInput.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jerror.h>
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

// A libjpeg source that reads the file in blocks, so a picture is never held in memory twice.
// Running out of data is reported as libjpeg's own memory source reports it (a warning, then a
// fake end-of-image marker), so the two read every file alike.
struct FileSource {
  jpeg_source_mgr pub;
  int fd = -1;
  uint64_t left = 0;  // bytes that may still be read (the cap of a picture file)
  JOCTET buffer[64 * 1024];
};

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<FileSource*>(cinfo->src);
  ssize_t got = 0;
  if (src->left > 0) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof src->buffer, src->left));
    do got = ::read(src->fd, src->buffer, want);
    while (got < 0 && errno == EINTR);
    if (got < 0) ERREXIT(cinfo, JERR_FILE_READ);
  }
  if (got <= 0) {
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->pub.next_input_byte = kFakeEoi;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
  }
  src->left -= static_cast<uint64_t>(got);
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = static_cast<size_t>(got);
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  while (count > static_cast<long>(src->bytes_in_buffer)) {
    count -= static_cast<long>(src->bytes_in_buffer);
    src->fill_input_buffer(cinfo);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<size_t>(count);
}

// Opens the file when it starts with the JPEG signature (to which the codecs route every
// accepted extension); other files are not read beyond their first bytes. Files that cannot be
// read go the general way too, which words the problem.
bool OpenJpegFile(const std::string& path, ReadableFile& file) {
  try {
    file = OpenRegularFileForReading(path, kPictureFileCap);
  } catch (const FileReadError&) {
    return false;
  }
  uint8_t head[3] = {0, 0, 0};
  return ::pread(file.fd(), head, 3, 0) == 3 && head[0] == 0xFF && head[1] == 0xD8 &&
         head[2] == 0xFF;
}

}  // namespace

struct JpegRowSource::State {
  jpeg_decompress_struct cinfo;
  JpegErrorManager err;
  bool created = false;
  ReadableFile file;
  FileSource source;
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

bool RunOpen(jpeg_decompress_struct& cinfo, JpegErrorManager& err, FileSource& source) {
  if (setjmp(err.jump)) return false;
  cinfo.src = &source.pub;
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
  if (!OpenJpegFile(path, state->file)) return nullptr;
  FileSource& source = state->source;
  source.pub.init_source = InitSource;
  source.pub.fill_input_buffer = FillInputBuffer;
  source.pub.skip_input_data = SkipInputData;
  source.pub.resync_to_restart = jpeg_resync_to_restart;
  source.pub.term_source = TermSource;
  source.pub.bytes_in_buffer = 0;
  source.pub.next_input_byte = nullptr;
  source.fd = state->file.fd();
  source.left = state->file.size();
  state->cinfo.err = jpeg_std_error(&state->err.pub);
  state->err.pub.error_exit = JpegErrorExit;
  state->err.pub.emit_message = OnMessage;
  jpeg_create_decompress(&state->cinfo);
  state->created = true;
  if (!RunOpen(state->cinfo, state->err, state->source)) return nullptr;
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
