// Conversions between UTF-16LE bytes and UTF-8 text, for the few places where files carry
// UTF-16 (.reg files exported by another system, Windows text tags in camera data).
#pragma once

#include <string>
#include <string_view>

namespace qg {

// UTF-16LE bytes to UTF-8; stops at a NUL code unit when `stopAtNul`. Unpaired surrogates
// become U+FFFD; a trailing odd byte is ignored.
std::string Utf16LeToUtf8(std::string_view bytes, bool stopAtNul);

// UTF-8 to UTF-16LE bytes; bytes that are not valid UTF-8 become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view text);

}  // namespace qg
