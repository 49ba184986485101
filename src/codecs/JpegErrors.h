// libjpeg reports fatal errors through error_exit, which must not return. Every user of libjpeg
// here installs JpegErrorExit, which keeps the library's message and longjmps back into the
// function that called into libjpeg; that function owns no object with a destructor, so the jump
// skips none, and the C++ exception is thrown by its caller after landing. How warnings are
// treated (emit_message) stays each user's own decision.
#pragma once

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

namespace qg {

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] inline void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  err->pub.format_message(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

}  // namespace qg
