// Value formatting of the tag list and the dictionaries' formatting routines. All of it works on
// the bytes the reader found, which may be fewer than the entry declared; nothing here reads
// outside the view it is given.
#include "metadata/TagFormat.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/Utf16.h"
#include "metadata/ExifReader.h"
#include "metadata/TagDictionary.h"

namespace qg {

namespace {

// At most this many values of a multi-valued entry are shown.
constexpr size_t kMaxShownValues = 8;

const uint8_t* Bytes(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// A whole decimal integer with an optional sign, as the value texts print them.
bool ParseInteger(std::string_view text, int64_t* value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    if (v >= 100000000000000000ULL) return false;  // far beyond any 32-bit value
    v = v * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  *value = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  return true;
}

// "a/b" as a number; false when the text is not two integers around "/" or b is 0.
bool ParseFraction(std::string_view text, double* value) {
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  int64_t a = 0, b = 0;
  if (!ParseInteger(text.substr(0, slash), &a) || !ParseInteger(text.substr(slash + 1), &b)) {
    return false;
  }
  if (b == 0) return false;
  *value = static_cast<double>(a) / static_cast<double>(b);
  return true;
}

// The up to three "a/b" values of a joined value text, 0 where missing or malformed.
void ParseFractions(const std::string& text, double out[3]) {
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    out[i] = 0;
    if (start > text.size()) continue;
    size_t end = text.find(", ", start);
    if (end == std::string::npos) end = text.size();
    double v = 0;
    if (ParseFraction(std::string_view(text).substr(start, end - start), &v)) out[i] = v;
    start = end + 2;
  }
}

double FloatValue(std::string_view bytes, uint32_t type, ByteOrder order) {
  if (type == kTypeFloat && bytes.size() >= 4) {
    const uint32_t bits = Get32(Bytes(bytes), order);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return std::isfinite(f) ? f : 0;
  }
  if (type == kTypeDouble && bytes.size() >= 8) {
    const uint64_t hi = Get32(Bytes(bytes), order), lo = Get32(Bytes(bytes) + 4, order);
    const uint64_t bits = order == ByteOrder::LittleEndian ? (lo << 32) | hi : (hi << 32) | lo;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return std::isfinite(d) ? d : 0;
  }
  return 0;
}

}  // namespace

int TypeSize(uint32_t type) {
  static const int kSizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
  return type <= 12 ? kSizes[type] : 0;
}

uint16_t Get16(const uint8_t* b, ByteOrder order) {
  return order == ByteOrder::LittleEndian ? static_cast<uint16_t>(b[0] | (b[1] << 8))
                                          : static_cast<uint16_t>((b[0] << 8) | b[1]);
}

uint32_t Get32(const uint8_t* b, ByteOrder order) {
  return order == ByteOrder::LittleEndian ? uint32_t{b[0]} | (uint32_t{b[1]} << 8) |
                                                (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24)
                                          : (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) |
                                                (uint32_t{b[2]} << 8) | uint32_t{b[3]};
}

uint32_t IntegerOf(std::string_view bytes, ByteOrder order) {
  // Shifting through a 32-bit value keeps the four bytes that count most in the byte order.
  uint32_t v = 0;
  const uint8_t* b = Bytes(bytes);
  const size_t n = bytes.size();
  if (order == ByteOrder::LittleEndian) {
    for (size_t i = n; i-- > 0;) v = (v << 8) | b[i];
  } else {
    for (size_t i = 0; i < n; ++i) v = (v << 8) | b[i];
  }
  return v;
}

double NumericValue(std::string_view bytes, uint32_t type, ByteOrder order) {
  switch (type) {
    case kTypeByte:
    case kTypeShort:
    case kTypeLong:
    case kTypeSByte:
    case kTypeSShort:
    case kTypeSLong:
      return IntegerOf(bytes, order);
    case kTypeRational:
    case kTypeSRational: {
      if (bytes.size() < 8) return 0;
      const uint32_t num = Get32(Bytes(bytes), order), den = Get32(Bytes(bytes) + 4, order);
      if (den == 0) return 0;
      if (type == kTypeSRational) {
        return static_cast<double>(static_cast<int32_t>(num)) / static_cast<int32_t>(den);
      }
      return static_cast<double>(num) / den;
    }
    case kTypeFloat:
    case kTypeDouble:
      return FloatValue(bytes, type, order);
    default:
      return 0;
  }
}

std::string DecodeLabel(const std::string& decodeList, int64_t value) {
  const std::string list = "," + decodeList + ",";
  const std::string key = "," + std::to_string(value) + ":";
  const size_t at = list.find(key);
  if (at == std::string::npos) return {};
  const size_t start = at + key.size();
  return list.substr(start, list.find(',', start) - start);
}

std::string FormatNumber(const std::string& format, double value) {
  // Format texts come from the dictionaries; still, only a single floating-point conversion
  // is ever handed to printf.
  int conversions = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < format.size() && std::strchr("-+ #0123456789.", format[j])) ++j;
    if (j >= format.size() || !std::strchr("feEgG", format[j])) return format;
    ++conversions;
    i = j;
  }
  if (conversions != 1) return format;
  char buf[512];
  const int n = std::snprintf(buf, sizeof buf, format.c_str(), value);
  if (n < 0) return {};
  return std::string(buf,
                     static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
}

std::string FormatTagValue(std::string_view bytes, uint32_t type, ByteOrder order,
                           const std::string& decodeList, const std::string& formatText) {
  const int size = TypeSize(type);
  if (size == 0) return "0";
  const size_t count = std::min(bytes.size() / static_cast<size_t>(size), kMaxShownValues);
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += ", ";
    const uint8_t* p = Bytes(bytes) + i * static_cast<size_t>(size);
    char buf[32];
    switch (type) {
      case kTypeAscii:
      case kTypeUndefined:
        text += "?";
        break;
      case kTypeRational:
        std::snprintf(buf, sizeof buf, "%" PRIu32 "/%" PRIu32, Get32(p, order),
                      Get32(p + 4, order));
        text += buf;
        break;
      case kTypeSRational:
        std::snprintf(buf, sizeof buf, "%" PRId32 "/%" PRId32,
                      static_cast<int32_t>(Get32(p, order)),
                      static_cast<int32_t>(Get32(p + 4, order)));
        text += buf;
        break;
      case kTypeFloat:
      case kTypeDouble:
        text += "-9999.99";
        break;
      default: {
        // Signed types too: a value's integer is its bytes without sign extension.
        const int64_t v = IntegerOf(
            bytes.substr(i * static_cast<size_t>(size), static_cast<size_t>(size)), order);
        text += decodeList.empty() ? std::to_string(v) : DecodeLabel(decodeList, v);
        break;
      }
    }
  }
  if (formatText.empty()) return text;
  const size_t placeholder = formatText.find("%s");
  if (placeholder != std::string::npos) {
    return formatText.substr(0, placeholder) + text + formatText.substr(placeholder + 2);
  }
  return FormatNumber(formatText, NumericValue(bytes, type, order));
}

std::string PrintableText(std::string_view text) {
  std::string out(text.substr(0, 50));
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 32) c = '.';
  }
  return out;
}

int64_t RoundValue(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (value <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(std::nearbyint(value));
}

std::string ShutterSpeedText(const std::string& text, const TTagEntry&) {
  // The APEX time value Tv turned into seconds: t = 2^-Tv.
  double tv = 0;
  if (!ParseFraction(text, &tv)) tv = 0;
  const double t = std::exp2(-tv);
  std::string out = FormatNumber("%4.4f sec", t);
  if (t <= 0.5) {
    const double inverse = 1 / t;
    if (std::isfinite(inverse) && inverse < 1e15) {
      out += " (1/" + std::to_string(RoundValue(inverse)) + ")";
    }
  }
  return out;
}

std::string FlashText(const std::string& text, const TTagEntry&) {
  int64_t value = 0;
  if (!ParseInteger(text, &value)) value = 0;
  std::string out = (value & 1) ? "On" : "Off";
  switch ((value >> 1) & 3) {
    case 1:
      out += ", UNKNOWN";
      break;
    case 2:
      out += ", no strobe return";
      break;
    case 3:
      out += ", strobe return";
      break;
  }
  switch ((value >> 3) & 3) {
    case 1:
      out += ", forced";
      break;
    case 2:
      out += ", surpressed";
      break;
    case 3:
      out += ", auto mode";
      break;
  }
  if (value & 0x20) out += ", no flash function";
  if (value & 0x40) out += ", red-eye reduction";
  return out;
}

std::string ComponentsText(const std::string&, const TTagEntry& entry) {
  static const char* const kNames[] = {"", "Y", "Cb", "Cr", "R", "G", "B"};
  std::string out;
  for (size_t i = 0; i < entry.raw.size() && i < kMaxShownValues; ++i) {
    const auto c = static_cast<unsigned char>(entry.raw[i]);
    if (c < std::size(kNames)) out += kNames[c];
  }
  return out;
}

std::string GpsPositionText(const std::string& text, const TTagEntry&) {
  double v[3];
  ParseFractions(text, v);
  char buf[256];
  std::snprintf(buf, sizeof buf, "%0.0f Degrees %0.0f Minutes %0.0f Seconds", v[0], v[1], v[2]);
  return buf;
}

std::string GpsTimeText(const std::string& text, const TTagEntry&) {
  double v[3];
  ParseFractions(text, v);
  char buf[256];
  std::snprintf(buf, sizeof buf, "%0.0f:%0.0f:%0.0f", v[0], v[1], v[2]);
  return buf;
}

std::string WindowsText(const std::string&, const TTagEntry& entry) {
  // Little-endian UTF-16 up to the first zero, as UTF-8.
  return Utf16LeToUtf8(entry.raw, /*stopAtNul=*/true);
}

std::string UserCommentText(const std::string&, const TTagEntry& entry) {
  // After the 8-byte character code field, trimmed of blanks and control characters.
  if (entry.raw.size() <= 8) return {};
  std::string_view text = entry.raw.substr(8);
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace qg
