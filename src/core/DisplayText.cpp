// Removing terminal controls from text shown to the user.
#include "core/DisplayText.h"

namespace qg {

namespace {

constexpr unsigned char kBel = 0x07;
constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kDel = 0x7F;
// C1 controls that open something longer than themselves.
constexpr unsigned char kDcs = 0x90, kSos = 0x98, kCsi = 0x9B, kSt = 0x9C, kOsc = 0x9D, kPm = 0x9E,
                        kApc = 0x9F;

unsigned char At(std::string_view text, size_t i) { return static_cast<unsigned char>(text[i]); }

bool InRange(unsigned char c, unsigned char low, unsigned char high) {
  return c >= low && c <= high;
}

// The length of the valid UTF-8 sequence at `i` (1 for ASCII), or 0 when the bytes there are
// not one (a stray continuation byte, an overlong form, a surrogate, a cut-off sequence).
size_t Utf8Length(std::string_view text, size_t i) {
  const unsigned char c = At(text, i);
  if (c < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (InRange(c, 0xC2, 0xDF)) {
    length = 2;
  } else if (InRange(c, 0xE0, 0xEF)) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (InRange(c, 0xF0, 0xF4)) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size() || !InRange(At(text, i + 1), low, high)) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (!InRange(At(text, i + k), 0x80, 0xBF)) return 0;
  }
  return length;
}

// The C1 control at `i` (a raw byte 0x80..0x9F outside valid UTF-8, or U+0080..U+009F as
// UTF-8) with its length in bytes; 0 when there is none.
unsigned char C1At(std::string_view text, size_t i, size_t& length) {
  const unsigned char c = At(text, i);
  const size_t utf8 = Utf8Length(text, i);
  if (utf8 == 0 && InRange(c, 0x80, 0x9F)) {
    length = 1;
    return c;
  }
  if (utf8 == 2 && c == 0xC2 && InRange(At(text, i + 1), 0x80, 0x9F)) {
    length = 2;
    return At(text, i + 1);
  }
  return 0;
}

// Past the rest of a control sequence whose introducer ended before `i`: parameter bytes,
// intermediate bytes, one final byte. A byte that does not fit ends it early and is read as
// text again.
size_t SkipCsi(std::string_view text, size_t i) {
  while (i < text.size() && InRange(At(text, i), 0x30, 0x3F)) ++i;
  while (i < text.size() && InRange(At(text, i), 0x20, 0x2F)) ++i;
  if (i < text.size() && InRange(At(text, i), 0x40, 0x7E)) ++i;
  return i;
}

// Past a control string (OSC, DCS, SOS, PM, APC) whose introducer ended before `i`, up to and
// including BEL or ST. An ESC that does not start ST begins a new sequence, so the string ends
// before it; without an end the string runs to the end of the text.
size_t SkipString(std::string_view text, size_t i) {
  while (i < text.size()) {
    const unsigned char c = At(text, i);
    if (c == kBel) return i + 1;
    if (c == kEsc) return i + 1 < text.size() && text[i + 1] == '\\' ? i + 2 : i;
    size_t length = 1;
    if (c >= 0x80) {
      size_t c1Length = 0;
      const unsigned char code = C1At(text, i, c1Length);
      if (code == kSt) return i + c1Length;
      if (code != 0) {
        length = c1Length;
      } else if (const size_t utf8 = Utf8Length(text, i); utf8 > 0) {
        length = utf8;  // a continuation byte 0x9C inside a character is not ST
      }
    }
    i += length;
  }
  return i;
}

// Past whatever the C1 control `code` opens, starting at `i` just after it.
size_t SkipAfterC1(std::string_view text, unsigned char code, size_t i) {
  if (code == kCsi) return SkipCsi(text, i);
  if (code == kOsc || code == kDcs || code == kSos || code == kPm || code == kApc) {
    return SkipString(text, i);
  }
  return i;
}

// Past an escape sequence whose ESC stood just before `i`.
size_t SkipEscape(std::string_view text, size_t i) {
  if (i >= text.size()) return i;
  const unsigned char c = At(text, i);
  switch (c) {
    case '[':
      return SkipCsi(text, i + 1);
    case ']':
    case 'P':
    case 'X':
    case '^':
    case '_':
      return SkipString(text, i + 1);
    default:
      break;
  }
  if (InRange(c, 0x20, 0x2F)) {  // intermediates, then the final byte (ESC ( B, ESC # 8)
    while (i < text.size() && InRange(At(text, i), 0x20, 0x2F)) ++i;
    if (i < text.size() && InRange(At(text, i), 0x30, 0x7E)) ++i;
    return i;
  }
  if (InRange(c, 0x30, 0x7E)) return i + 1;  // ESC 7, ESC c, ESC M ...
  return i;                                  // a lone ESC: what follows is text again
}

}  // namespace

std::string PlainDisplayText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = At(text, i);
    if (c == kEsc) {
      i = SkipEscape(text, i + 1);
      continue;
    }
    if (c < 0x20 || c == kDel) {
      if (c == '\t' || c == '\n') out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    size_t length = 0;
    if (const unsigned char code = C1At(text, i, length); code != 0) {
      i = SkipAfterC1(text, code, i + length);
      continue;
    }
    // Valid UTF-8 goes whole; any other byte from 0xA0 up is a character of a single-byte code
    // page and stays.
    length = Utf8Length(text, i);
    if (length == 0) length = 1;
    out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

}  // namespace qg
