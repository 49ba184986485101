// SavePng through libpng. libpng reports errors through a longjmp; the jump lands in WritePng,
// which owns no object with a destructor, and SavePng turns the result into a qg::Error.
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include "codecs/Encode.h"
#include "core/Error.h"

namespace qg {

namespace {

struct PngState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::FILE* file = nullptr;
  char message[256] = {};
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

bool WritePng(PngState& s, const Picture& picture) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_init_io(s.png, s.file);
  png_set_IHDR(s.png, s.info, static_cast<png_uint_32>(picture.width),
               static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(s.png, s.info);
  for (int y = 0; y < picture.height; ++y) {
    png_write_row(s.png, const_cast<png_bytep>(picture.row(y)));
  }
  png_write_end(s.png, nullptr);
  return true;
}

}  // namespace

void SavePng(const Picture& picture, const std::string& path) {
  if (picture.empty()) {
    throw Error(Format("Unable to write to %s: a PNG file needs at least one pixel", path.c_str()));
  }
  PngState state;
  state.file = std::fopen(path.c_str(), "wb");
  if (state.file == nullptr) {
    throw Error(Format("Unable to write to %s: %s", path.c_str(), std::strerror(errno)));
  }
  state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
  if (state.png != nullptr) state.info = png_create_info_struct(state.png);
  bool ok = state.png != nullptr && state.info != nullptr && WritePng(state, picture);
  int writeErrno = 0;
  if (std::fflush(state.file) != 0 || std::ferror(state.file)) {
    ok = false;
    writeErrno = errno;
  }
  if (std::fclose(state.file) != 0 && ok) {
    ok = false;
    writeErrno = errno;
  }
  png_destroy_write_struct(state.png ? &state.png : nullptr, state.info ? &state.info : nullptr);
  if (!ok) {
    const char* reason = writeErrno != 0    ? std::strerror(writeErrno)
                         : state.message[0] ? state.message
                                            : "the PNG encoder failed";
    throw Error(Format("Unable to write to %s: %s", path.c_str(), reason));
  }
}

}  // namespace qg
