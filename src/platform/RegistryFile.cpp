// Reading and writing one registry key in .reg export syntax; see RegistryFile.h.
#include "platform/RegistryFile.h"

#include <cstdio>

#include "core/Utf16.h"

namespace qg {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCopy(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  return true;
}

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string DecodeFileText(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
      static_cast<uint8_t>(bytes[1]) == 0xFE)
    return Utf16LeToUtf8(bytes.substr(2), /*stopAtNul=*/false);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return std::string(bytes);
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  void Advance(size_t n = 1) { pos_ += n; }
  std::string_view Rest() const { return text_.substr(pos_); }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text_[pos_])) ++pos_;
  }
  void SkipLine() {
    while (!AtEnd() && !IsLineBreak(text_[pos_])) ++pos_;
  }
  std::string_view TakeLine() {
    const size_t start = pos_;
    SkipLine();
    return text_.substr(start, pos_ - start);
  }

  // A double-quoted text on the current line with \\ and \" escapes; false when it does not
  // close before the line ends.
  bool ReadQuoted(std::string& out) {
    if (Peek() != '"') return false;
    Advance();
    out.clear();
    while (!AtEnd() && !IsLineBreak(Peek())) {
      const char c = Peek();
      if (c == '\\' && pos_ + 1 < text_.size() &&
          (text_[pos_ + 1] == '\\' || text_[pos_ + 1] == '"')) {
        out += text_[pos_ + 1];
        Advance(2);
        continue;
      }
      Advance();
      if (c == '"') return true;
      out += c;
    }
    return false;
  }

  // Comma-separated hex bytes; a backslash at the end of a line continues on the next one.
  bool ReadHexBytes(std::string& out) {
    out.clear();
    for (;;) {
      SkipBlanks();
      if (Peek() == '\\') {
        Advance();
        SkipBlanks();
        if (Peek() == '\r') Advance();
        if (Peek() == '\n') Advance();
        continue;
      }
      if (AtEnd() || IsLineBreak(Peek()) || Peek() == ';') return true;
      const int high = HexDigit(Peek());
      const int low = pos_ + 1 < text_.size() ? HexDigit(text_[pos_ + 1]) : -1;
      if (high < 0 || low < 0) return false;
      out += static_cast<char>(high * 16 + low);
      Advance(2);
      SkipBlanks();
      if (Peek() == ',') Advance();
    }
  }

  // Only blanks or a comment may follow a value on its line.
  bool LineEndsHere() {
    SkipBlanks();
    return AtEnd() || IsLineBreak(Peek()) || Peek() == ';';
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

enum class Parsed { Value, Deleted };

Parsed ParseValue(Scanner& in, RegistryValue& value) {
  value = RegistryValue{};
  if (in.Peek() == '"') {
    std::string text;
    if (in.ReadQuoted(text) && in.LineEndsHere()) value = RegistryValue::String(std::move(text));
    return Parsed::Value;
  }
  if (in.Peek() == '-') {
    in.Advance();
    return in.LineEndsHere() ? Parsed::Deleted : Parsed::Value;
  }
  if (StartsWithNoCase(in.Rest(), "dword:")) {
    in.Advance(6);
    uint32_t number = 0;
    int digits = 0;
    for (int d; (d = HexDigit(in.Peek())) >= 0; in.Advance()) {
      if (++digits > 8) return Parsed::Value;
      number = number * 16 + static_cast<uint32_t>(d);
    }
    if (digits > 0 && in.LineEndsHere()) value = RegistryValue::Dword(number);
    return Parsed::Value;
  }
  if (StartsWithNoCase(in.Rest(), "hex")) {
    in.Advance(3);
    uint32_t type = 3;  // plain "hex:" is binary
    if (in.Peek() == '(') {
      in.Advance();
      type = 0;
      int digits = 0;
      for (int d; (d = HexDigit(in.Peek())) >= 0; in.Advance()) {
        if (++digits > 8) return Parsed::Value;
        type = type * 16 + static_cast<uint32_t>(d);
      }
      if (digits == 0 || in.Peek() != ')') return Parsed::Value;
      in.Advance();
    }
    if (in.Peek() != ':') return Parsed::Value;
    in.Advance();
    std::string bytes;
    if (!in.ReadHexBytes(bytes)) return Parsed::Value;
    if (type == 1 || type == 2) {
      value = RegistryValue::String(Utf16LeToUtf8(bytes, /*stopAtNul=*/true));
    } else if (type == 4 && bytes.size() == 4) {
      uint32_t number = 0;
      for (int k = 3; k >= 0; --k)
        number = (number << 8) | static_cast<uint8_t>(bytes[static_cast<size_t>(k)]);
      value = RegistryValue::Dword(number);
    }
    return Parsed::Value;
  }
  return Parsed::Value;
}

bool NamesKey(std::string_view header, std::string_view keyPath) {
  while (!header.empty() && IsBlank(header.front())) header.remove_prefix(1);
  while (!header.empty() && IsBlank(header.back())) header.remove_suffix(1);
  for (std::string_view root :
       {std::string_view("HKEY_CURRENT_USER\\"), std::string_view("HKCU\\")}) {
    if (StartsWithNoCase(header, root) && header.size() == root.size() + keyPath.size() &&
        StartsWithNoCase(header.substr(root.size()), keyPath))
      return true;
  }
  return false;
}

std::string EscapeQuoted(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

RegistryKeyFile RegistryKeyFile::Parse(std::string_view bytes, std::string_view keyPath) {
  RegistryKeyFile file;
  const std::string text = DecodeFileText(bytes);
  Scanner in(text);
  bool inKey = false;
  while (!in.AtEnd()) {
    in.SkipBlanks();
    const char c = in.Peek();
    if (IsLineBreak(c)) {
      in.Advance();
      continue;
    }
    if (c == '[') {
      std::string_view line = in.TakeLine();
      const size_t close = line.rfind(']');
      line = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
      inKey = NamesKey(line, keyPath);
      file.keyFound_ = file.keyFound_ || inKey;
      continue;
    }
    if (c != '"') {
      in.SkipLine();  // the version line, comments, default values, anything unknown
      continue;
    }
    std::string name;
    if (!in.ReadQuoted(name)) {
      in.SkipLine();
      continue;
    }
    in.SkipBlanks();
    if (in.Peek() != '=') {
      in.SkipLine();
      continue;
    }
    in.Advance();
    in.SkipBlanks();
    RegistryValue value;
    const Parsed parsed = ParseValue(in, value);
    in.SkipLine();
    if (!inKey) continue;
    if (parsed == Parsed::Deleted) {
      file.values_.erase(LowerCopy(name));
    } else {
      file.values_[LowerCopy(name)] = std::move(value);
    }
  }
  return file;
}

std::optional<RegistryValue> RegistryKeyFile::Find(std::string_view name) const {
  const auto it = values_.find(LowerCopy(name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string FormatRegistryKeyFile(
    std::string_view keyPath, const std::vector<std::pair<std::string, RegistryValue>>& values) {
  std::string out = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\";
  out += keyPath;
  out += "]\r\n";
  for (const auto& [name, value] : values) {
    out += '"' + EscapeQuoted(name) + "\"=";
    if (value.type == RegistryValue::Type::Dword) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "dword:%08x", value.dword);
      out += digits;
    } else if (value.text.find_first_of("\r\n") == std::string::npos) {
      out += '"' + EscapeQuoted(value.text) + '"';
    } else {
      // A text with a line break cannot be a quoted one-line value; the hex form of a string
      // value carries it whole.
      const std::string units = Utf8ToUtf16Le(value.text) + std::string(2, '\0');
      out += "hex(1):";
      for (size_t i = 0; i < units.size(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<uint8_t>(units[i]));
        if (i > 0) out += ',';
        out += pair;
      }
    }
    out += "\r\n";
  }
  out += "\r\n";
  return out;
}

}  // namespace qg
