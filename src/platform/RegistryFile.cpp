// Reading and writing one registry key in .reg export syntax; see RegistryFile.h.
#include "platform/RegistryFile.h"

#include <algorithm>
#include <cstdio>

#include "core/Text.h"
#include "core/Utf16.h"

namespace qg {
namespace {

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
  size_t Pos() const { return pos_; }
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

  // Steps over one line break (CR LF, LF or CR) if one is here.
  void SkipLineBreak() {
    if (Peek() == '\r') {
      Advance();
      if (Peek() == '\n') Advance();
    } else if (Peek() == '\n') {
      Advance();
    }
  }

  // The line number (from 1) of a position; positions must be asked in rising order.
  int LineAt(size_t position) {
    for (; countedTo_ < position && countedTo_ < text_.size(); ++countedTo_) {
      const char c = text_[countedTo_];
      if (c == '\n' ||
          (c == '\r' && (countedTo_ + 1 >= text_.size() || text_[countedTo_ + 1] != '\n')))
        ++line_;
    }
    return line_;
  }

  // Only blanks or a comment may follow a value on its line.
  bool LineEndsHere() {
    SkipBlanks();
    return AtEnd() || IsLineBreak(Peek()) || Peek() == ';';
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t countedTo_ = 0;
  int line_ = 1;
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

// Where things stand in the file text, as the walk over it reports them.
struct HeaderSeen {
  bool ours = false;  // names the key asked for
  size_t after = 0;   // just past the header line and its line break
  int line = 0;
};
struct EntrySeen {
  std::string name;
  Parsed parsed = Parsed::Value;
  RegistryValue value;
  size_t begin = 0;  // the start of its first line
  size_t end = 0;    // just past its last line and that line's break
  int line = 0;
};

// The one reading of the file text, shared by the parser and the updater: headers of every key
// and the entries that belong to the key asked for, in file order.
template <typename OnHeader, typename OnEntry>
void WalkKeyFile(std::string_view text, std::string_view keyPath, OnHeader onHeader,
                 OnEntry onEntry) {
  Scanner in(text);
  bool inKey = false;
  while (!in.AtEnd()) {
    const size_t begin = in.Pos();
    in.SkipBlanks();
    const char c = in.Peek();
    if (IsLineBreak(c)) {
      in.Advance();
      continue;
    }
    if (c == '[') {
      HeaderSeen header;
      header.line = in.LineAt(begin);
      std::string_view line = in.TakeLine();
      const size_t close = line.rfind(']');
      line = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
      inKey = NamesKey(line, keyPath);
      in.SkipLineBreak();
      header.ours = inKey;
      header.after = in.Pos();
      onHeader(header);
      continue;
    }
    if (c != '"') {
      in.SkipLine();  // the version line, comments, default values, anything unknown
      continue;
    }
    EntrySeen entry;
    if (!in.ReadQuoted(entry.name)) {
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
    entry.parsed = ParseValue(in, entry.value);
    in.SkipLine();
    if (!inKey) continue;
    entry.begin = begin;
    entry.line = in.LineAt(begin);
    in.SkipLineBreak();
    entry.end = in.Pos();
    onEntry(entry);
  }
}

std::string FormatValueLine(const std::string& name, const RegistryValue& value) {
  std::string out = '"' + EscapeQuoted(name) + "\"=";
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
  return out + "\r\n";
}

}  // namespace

RegistryKeyFile RegistryKeyFile::Parse(std::string_view bytes, std::string_view keyPath) {
  RegistryKeyFile file;
  const std::string text = DecodeFileText(bytes);
  WalkKeyFile(
      text, keyPath,
      [&](const HeaderSeen& header) {
        if (header.ours && !file.keyFound_) {
          file.keyFound_ = true;
          file.keyLine_ = header.line;
        }
      },
      [&](EntrySeen& entry) {
        if (entry.parsed == Parsed::Deleted) {
          file.values_.erase(AsciiLower(entry.name));
        } else {
          file.values_[AsciiLower(entry.name)] = Stored{std::move(entry.value), entry.line};
        }
      });
  return file;
}

std::optional<RegistryValue> RegistryKeyFile::Find(std::string_view name) const {
  const auto it = values_.find(AsciiLower(name));
  if (it == values_.end()) return std::nullopt;
  return it->second.value;
}

int RegistryKeyFile::LineOf(std::string_view name) const {
  const auto it = values_.find(AsciiLower(name));
  return it == values_.end() ? 0 : it->second.line;
}

std::string FormatRegistryKeyFile(
    std::string_view keyPath, const std::vector<std::pair<std::string, RegistryValue>>& values) {
  std::string out = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\";
  out += keyPath;
  out += "]\r\n";
  for (const auto& [name, value] : values) out += FormatValueLine(name, value);
  out += "\r\n";
  return out;
}

std::string UpdateRegistryKeyFile(
    std::string_view existing, std::string_view keyPath,
    const std::vector<std::pair<std::string, RegistryValue>>& values) {
  const bool hadMark = (existing.size() >= 2 && static_cast<uint8_t>(existing[0]) == 0xFF &&
                        static_cast<uint8_t>(existing[1]) == 0xFE) ||
                       existing.substr(0, 3) == "\xEF\xBB\xBF";
  const std::string text = DecodeFileText(existing);
  if (text.empty() && !hadMark) return FormatRegistryKeyFile(keyPath, values);

  std::vector<std::string> ours;
  for (const auto& entry : values) ours.push_back(AsciiLower(entry.first));
  std::string lines;
  for (const auto& [name, value] : values) lines += FormatValueLine(name, value);

  // Every line that sets or deletes one of our values in our key goes; the new values go right
  // after the key's first header. Everything else stays byte for byte.
  std::optional<size_t> insertAt;
  std::vector<std::pair<size_t, size_t>> drop;
  WalkKeyFile(
      text, keyPath,
      [&](const HeaderSeen& header) {
        if (header.ours && !insertAt) insertAt = header.after;
      },
      [&](const EntrySeen& entry) {
        if (std::find(ours.begin(), ours.end(), AsciiLower(entry.name)) != ours.end())
          drop.emplace_back(entry.begin, entry.end);
      });

  std::string out = hadMark ? "\xEF\xBB\xBF" : "";
  if (!insertAt) {
    out += text;
    if (!text.empty() && !IsLineBreak(text.back())) out += "\r\n";
    out += "\r\n[HKEY_CURRENT_USER\\";
    out += keyPath;
    out += "]\r\n" + lines;
    return out;
  }
  size_t copied = 0;
  auto copyUpTo = [&](size_t position) {
    if (position > copied) out.append(text, copied, position - copied);
    copied = std::max(copied, position);
  };
  bool inserted = false;
  for (const auto& [begin, end] : drop) {
    if (!inserted && *insertAt <= begin) {
      copyUpTo(*insertAt);
      if (*insertAt > 0 && !IsLineBreak(text[*insertAt - 1])) out += "\r\n";
      out += lines;
      inserted = true;
    }
    copyUpTo(begin);
    copied = end;
  }
  if (!inserted) {
    copyUpTo(*insertAt);
    if (*insertAt > 0 && !IsLineBreak(text[*insertAt - 1])) out += "\r\n";
    out += lines;
  }
  copyUpTo(text.size());
  return out;
}

}  // namespace qg
