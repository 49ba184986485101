// One registry key kept in a file of Windows registry export syntax (.reg), the stand-in for the
// per-user registry on this system:
//
//     Windows Registry Editor Version 5.00
//
//     [HKEY_CURRENT_USER\Software\Vendor\Program]
//     "count"=dword:0000000a
//     "name"="text with \\ and \" escaped"
//
// The reader accepts what an export from another system may hold: CR LF or LF line ends, a UTF-8
// or UTF-16LE byte order mark (UTF-16 text is converted to UTF-8), comments, other keys, the
// "HKCU" abbreviation, hex(1)/hex(2) strings and hex(4) double words with continuation lines,
// and deletions ("name"=-). A quoted text must close on its own line; one that does not is a
// value of no usable type. Value names are matched without regard to ASCII case; a name given
// twice takes its last value, as an import would.
//
// Saving keeps the rest of the file: UpdateRegistryKeyFile rewrites only the values it is given,
// in the key it is given, as the registry the file stands in for would.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qg {

struct RegistryValue {
  enum class Type { Dword, String, Other };  // Other: binary, quad word, malformed ...
  Type type = Type::Other;
  uint32_t dword = 0;
  std::string text;

  static RegistryValue Dword(uint32_t value) { return {Type::Dword, value, {}}; }
  static RegistryValue String(std::string value) { return {Type::String, 0, std::move(value)}; }
};

class RegistryKeyFile {
 public:
  // Parses the file's bytes and keeps the values of the key `keyPath` (a path below
  // HKEY_CURRENT_USER, such as "Software\\Vendor\\Program").
  static RegistryKeyFile Parse(std::string_view bytes, std::string_view keyPath);

  // True when the file names the key.
  bool KeyFound() const { return keyFound_; }
  // The line (from 1) of the key's first header; 0 when the key is not named.
  int KeyLine() const { return keyLine_; }
  // The value of that name, or nothing when it is missing.
  std::optional<RegistryValue> Find(std::string_view name) const;
  // The line (from 1) on which the value of that name starts; 0 when it is missing.
  int LineOf(std::string_view name) const;

 private:
  struct Stored {
    RegistryValue value;
    int line = 0;
  };
  bool keyFound_ = false;
  int keyLine_ = 0;
  std::unordered_map<std::string, Stored> values_;  // lower-case name -> value
};

// The export text of one key with the values in the order given, CR LF line ends, UTF-8.
std::string FormatRegistryKeyFile(std::string_view keyPath,
                                  const std::vector<std::pair<std::string, RegistryValue>>& values);

// The file `existing` with the given values of the key set: every line that sets or deletes one
// of them in that key is dropped and the values are written, in the order given, after the key's
// first header (a new key section is appended when the file has none). Other keys, other values
// of the key, comments and unknown lines stay byte for byte; UTF-16 text becomes UTF-8. An empty
// file gives FormatRegistryKeyFile's text.
std::string UpdateRegistryKeyFile(std::string_view existing, std::string_view keyPath,
                                  const std::vector<std::pair<std::string, RegistryValue>>& values);

}  // namespace qg
