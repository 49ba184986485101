// INI profile files with the semantics of the Windows profile functions that project files were
// made with, so that files written by hand or by the Windows program read the same here.
//
// Reading
// - Lines end in CR LF, LF or a lone CR; a file may lack the final line break. A UTF-8 byte
//   order mark at the very start is skipped (and kept when the file is written back).
// - Blanks (space, tab, vertical tab, form feed, CR, Ctrl-Z) around a line, around a key name
//   and around a value are ignored. Empty lines and lines whose first non-blank character is ";"
//   are not entries.
// - A line whose first non-blank character is "[" and that contains a "]" starts a section; its
//   name is the text up to the last "]", blanks trimmed. Lines before the first section belong
//   to no section.
// - Every other line is an entry: the key is the text before the first "=", the value the text
//   after it. A line without "=" is an entry with a key and no value.
// - Section and key names are compared without regard to ASCII letter case. Only the first
//   section of a name counts (a later section of the same name is invisible), and within it
//   only the first entry of a key.
// - ReadString: a key that is missing, or whose first entry has no "=", gives nothing (callers
//   use their default). One pair of equal single or double quotes enclosing the whole value is
//   removed, then the value is cut to 2047 characters.
// - SectionEntries: every entry of the section in file order as "key=value" (key and value
//   trimmed, quotes kept) or just "key" for a line without "=".
//
// Writing (WriteString)
// - The first entry of the key in the first section of the name is replaced by "key=value",
//   the key keeping its spelling from the file; the line keeps its own line break, and every
//   other byte of the file stays as it was.
// - A new key goes after the last non-empty line of its section; a new section is appended at
//   the end of the file as "[name]" followed by "key=value". New lines end in CR LF; a file
//   whose last line lacks a line break gets one first.
// - A value is written as it is, except that CR and LF, which would split the line, are written
//   as blanks.
//
// Cuts at a character count never split a UTF-8 sequence: they step back to its start.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qg {

// The longest value ReadString returns.
inline constexpr size_t kProfileValueLimit = 2047;

namespace detail {
// Hashing and comparison of names without regard to ASCII case, usable with string_view keys.
struct NoCaseHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const;
};
struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};
using NoCaseIndex = std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual>;
}  // namespace detail

class ProfileDocument {
 public:
  ProfileDocument() = default;
  // Parses file bytes; never fails.
  static ProfileDocument Parse(std::string_view bytes);

  // The value of `key` in `section`, or nothing when it is missing.
  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
  // The entries of the section in file order; nothing when the section is missing.
  std::optional<std::vector<std::string>> SectionEntries(std::string_view section) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes.
  std::string Serialize() const;

 private:
  struct Line {
    std::string text;  // without its line break
    std::string eol;   // "\r\n", "\n", "\r" or "" for a last line without a break
  };
  struct Section {
    bool hasHeader = false;   // false only for the lines before the first header
    std::string name;         // trimmed header name
    std::vector<Line> lines;  // the header line first when hasHeader
    // Key -> line of its first entry. New keys are inserted after the last non-empty line, so
    // the lines of existing entries never move.
    detail::NoCaseIndex firstEntry;
    size_t lastContent = 0;  // the last line that is not empty (the header when there is none)
  };

  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  void IndexSection(size_t position);
  static void IndexLine(Section& section, size_t line);

  std::string prefix_;  // a UTF-8 byte order mark, kept as it was
  std::vector<Section> sections_;
  // Section name -> position of its first section.
  detail::NoCaseIndex firstSection_;
};

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 sequence.
std::string CutText(std::string_view text, size_t limit);

// `value` without one pair of equal single or double quotes enclosing all of it.
std::string_view StripEnclosingQuotes(std::string_view value);

}  // namespace qg
