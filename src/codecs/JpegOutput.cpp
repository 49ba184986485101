// libjpeg compression. libjpeg reports fatal errors through error_exit, which must not return;
// ours longjmps back into RunCompress, a function that owns no object with a destructor, and the
// C++ exception is thrown after landing. The whole file is built in memory and then written in
// one go, so a failed encode leaves no half-written file behind.
#include "codecs/JpegOutput.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <cstring>
#include <string>

#include <jpeglib.h>

#include "codecs/JpegErrors.h"
#include "core/Error.h"

namespace qg {

namespace {

void OnMessage(j_common_ptr, int) {}

struct CompressState {
  jpeg_compress_struct cinfo;
  JpegErrorManager err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
};

bool RunCompress(CompressState& s, const Picture& picture, int quality, bool progressive) {
  if (setjmp(s.err.jump)) return false;
  jpeg_compress_struct& cinfo = s.cinfo;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &s.buffer, &s.size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.width);
  cinfo.image_height = static_cast<JDIMENSION>(picture.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  constexpr int kBatch = 16;
  JSAMPROW rows[kBatch];
  while (cinfo.next_scanline < cinfo.image_height) {
    const int first = static_cast<int>(cinfo.next_scanline);
    const int count = std::min(kBatch, picture.height - first);
    for (int i = 0; i < count; ++i) rows[i] = const_cast<JSAMPROW>(picture.row(first + i));
    jpeg_write_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count));
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const Picture& picture, int quality, bool progressive) {
  if (picture.empty())
    throw Error(Format("Cannot write a JPEG file of %d x %d pixels: the picture is empty",
                       picture.width, picture.height));
  if (quality < 1) quality = 1;
  if (quality > 100) quality = 100;
  CompressState state;
  std::memset(&state.cinfo, 0, sizeof state.cinfo);
  std::memset(&state.err, 0, sizeof state.err);
  state.cinfo.err = jpeg_std_error(&state.err.pub);
  state.err.pub.error_exit = JpegErrorExit;
  state.err.pub.emit_message = OnMessage;
  const bool ok = RunCompress(state, picture, quality, progressive);
  std::vector<uint8_t> bytes;
  if (ok) bytes.assign(state.buffer, state.buffer + state.size);
  jpeg_destroy_compress(&state.cinfo);
  std::free(state.buffer);
  if (!ok) throw Error(Format("Cannot encode JPEG: %s", state.err.message));
  return bytes;
}

void SaveAsJpeg(const Picture& picture, const std::string& outputPath, int quality,
                bool progressive) {
  const std::vector<uint8_t> bytes = EncodeJpeg(picture, quality, progressive);
  std::FILE* file = std::fopen(outputPath.c_str(), "wb");
  if (!file)
    throw Error(Format("Cannot create file \"%s\". %s", outputPath.c_str(), std::strerror(errno)));
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (written != bytes.size() || !closed)
    throw Error(Format("Cannot write file \"%s\". %s", outputPath.c_str(),
                       std::strerror(written != bytes.size() ? writeErrno : errno)));
}

}  // namespace qg
