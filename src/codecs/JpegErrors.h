// libjpeg reports fatal errors through error_exit, which must not return. Every user of libjpeg
// here installs JpegErrorExit, which keeps the library's message and longjmps back into the
// function that called into libjpeg; that function owns no object with a destructor, so the jump
// skips none, and the C++ exception is thrown by its caller after landing. How warnings are
// treated (emit_message) stays each user's own decision.
#pragma once

#include <climits>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

#include "core/MemoryBudget.h"

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

// The most memory libjpeg may take for one picture's whole-picture arrays (cinfo.mem's
// max_memory_to_use): the process's memory budget.
inline long JpegMemoryLimit() {
  const uint64_t budget = ProcessMemoryBudget().total();
  return budget > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(budget);
}

}  // namespace qg
