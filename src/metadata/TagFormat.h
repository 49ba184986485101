// How tag values become text: the value formatting of the tag list, the numeric value of a
// value, and the formatting routines that some dictionary rows name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qg {

enum class ByteOrder;
struct TTagEntry;

// TIFF value types 1..12; 0 and anything above 12 are invalid and have size 0.
int TypeSize(uint32_t type);
constexpr uint32_t kTypeByte = 1, kTypeAscii = 2, kTypeShort = 3, kTypeLong = 4, kTypeRational = 5,
                   kTypeSByte = 6, kTypeUndefined = 7, kTypeSShort = 8, kTypeSLong = 9,
                   kTypeSRational = 10, kTypeFloat = 11, kTypeDouble = 12;

// Unsigned 16- and 32-bit values in the given byte order; `bytes` holds at least 2 or 4 bytes.
uint16_t Get16(const uint8_t* bytes, ByteOrder order);
uint32_t Get32(const uint8_t* bytes, ByteOrder order);

// The value bytes built byte by byte in the given byte order, without sign extension, kept in
// 32 bits.
uint32_t IntegerOf(std::string_view bytes, ByteOrder order);

// The numeric value of value bytes of a type: integer types, signed ones included, give the
// integer of all the bytes (IntegerOf), rationals the first numerator divided by its denominator
// (0 for a zero denominator), FLOAT and DOUBLE their first value; other types 0.
double NumericValue(std::string_view bytes, uint32_t type, ByteOrder order);

// At most eight values joined with ", ": rationals as stored ("1/125"), integers through the
// decode list when there is one, "?" for text types, "-9999.99" for FLOAT and DOUBLE; then the
// format text: "%s" takes the joined text, any other format takes the numeric value.
std::string FormatTagValue(std::string_view bytes, uint32_t type, ByteOrder order,
                           const std::string& decodeList, const std::string& formatText);

// The label a decode list gives for a value; empty when it gives none.
std::string DecodeLabel(const std::string& decodeList, int64_t value);

// The first 50 characters, each below 32 shown as ".".
std::string PrintableText(std::string_view text);

// Formatting routines named by dictionary rows.
std::string ShutterSpeedText(const std::string& text, const TTagEntry& entry);
std::string FlashText(const std::string& text, const TTagEntry& entry);
std::string ComponentsText(const std::string& text, const TTagEntry& entry);
std::string GpsPositionText(const std::string& text, const TTagEntry& entry);
std::string GpsTimeText(const std::string& text, const TTagEntry& entry);
std::string WindowsText(const std::string& text, const TTagEntry& entry);
std::string UserCommentText(const std::string& text, const TTagEntry& entry);

// The printf-style formatting the format texts use, with one double argument.
std::string FormatNumber(const std::string& format, double value);

// Rounds halves to even, and clamps to what an int64_t holds (0 for NaN).
int64_t RoundValue(double value);

}  // namespace qg
