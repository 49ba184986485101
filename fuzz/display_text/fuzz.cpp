// The terminal filter on any bytes: its output never holds a control other than tab and line
// feed, nor DEL, nor a C1 control outside a multi-byte character; it is never longer than its
// input, and filtering it again changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/DisplayText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::string out = qg::PlainDisplayText(in);
  if (out.size() > in.size()) __builtin_trap();
  for (size_t i = 0; i < out.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(out[i]);
    if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) __builtin_trap();
    if (c == 0xC2 && i + 1 < out.size()) {
      const unsigned char next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9F) __builtin_trap();
    }
  }
  if (qg::PlainDisplayText(out) != out) __builtin_trap();
  return 0;
}
