// UTF-16LE <-> UTF-8; see Utf16.h.
#include "core/Utf16.h"

#include <cstdint>

namespace qg {
namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

// UTF-16LE bytes to UTF-8; stops at a NUL code unit when `stopAtNul`. Unpaired surrogates
// become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes, bool stopAtNul) {
  std::string out;
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t k) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * k])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * k + 1])) << 8);
  };
  for (size_t k = 0; k < units; ++k) {
    uint32_t u = unit(k);
    if (u == 0 && stopAtNul) break;
    if (u >= 0xD800 && u < 0xDC00 && k + 1 < units) {
      const uint32_t low = unit(k + 1);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    if (u >= 0xD800 && u < 0xE000) u = 0xFFFD;
    AppendUtf8(out, u);
  }
  return out;
}

// UTF-8 to UTF-16LE bytes; bytes that are not valid UTF-8 become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  auto put = [&](uint32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>((u >> 8) & 0xFF);
  };
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<uint8_t>(text[i]);
    size_t length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    uint32_t cp = length == 1   ? b
                  : length == 2 ? (b & 0x1F)
                  : length == 3 ? (b & 0x0F)
                                : (b & 0x07);
    bool valid = length != 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
      const auto c = static_cast<uint8_t>(text[i + k]);
      if ((c & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!valid || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
      put(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
    i += length;
  }
  return out;
}

}  // namespace qg
