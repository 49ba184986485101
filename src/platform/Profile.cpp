// INI profile files; the rules are listed in Profile.h.
#include "platform/Profile.h"
#include "core/Text.h"

#include <algorithm>
#include <cstdint>

namespace qg {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

enum class Kind { Blank, Comment, Header, Entry };

struct ParsedLine {
  Kind kind = Kind::Blank;
  std::string_view name;   // section name for a header, key for an entry
  bool hasValue = false;   // an entry with "="
  std::string_view value;  // trimmed value of an entry
};

ParsedLine ParseLine(std::string_view raw) {
  ParsedLine out;
  const std::string_view line = Trim(raw);
  if (line.empty()) return out;
  if (line.front() == ';') {
    out.kind = Kind::Comment;
    return out;
  }
  if (line.front() == '[') {
    const size_t close = line.rfind(']');
    if (close != std::string_view::npos) {
      out.kind = Kind::Header;
      out.name = Trim(line.substr(1, close - 1));
      return out;
    }
  }
  out.kind = Kind::Entry;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    out.name = line;
    return out;
  }
  out.name = Trim(line.substr(0, equals));
  out.hasValue = true;
  out.value = Trim(line.substr(equals + 1));
  return out;
}

std::string WritableValue(std::string_view value) {
  std::string out(value);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

}  // namespace

namespace detail {

size_t NoCaseHash::operator()(std::string_view text) const {
  size_t hash = 1469598103934665603ull;  // FNV-1a over the lower-cased bytes
  for (const char c : text) hash = (hash ^ static_cast<uint8_t>(AsciiLower(c))) * 1099511628211ull;
  return hash;
}

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const {
  return EqualNoCase(a, b);
}

}  // namespace detail

std::string_view StripEnclosingQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

std::string CutText(std::string_view text, size_t limit) {
  if (text.size() <= limit) return std::string(text);
  size_t cut = limit;
  // text[cut] is the first byte left out; if it continues a sequence, drop the whole sequence.
  size_t lead = cut;
  for (int steps = 0; lead > 0 && steps < 3 && (static_cast<uint8_t>(text[lead]) & 0xC0) == 0x80;
       ++steps)
    --lead;
  if (lead < cut) {
    const auto first = static_cast<uint8_t>(text[lead]);
    const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (length > 1 && lead + length > cut) cut = lead;
  }
  return std::string(text.substr(0, cut));
}

ProfileDocument ProfileDocument::Parse(std::string_view bytes) {
  ProfileDocument doc;
  if (bytes.substr(0, kBom.size()) == kBom) {
    doc.prefix_ = std::string(kBom);
    bytes.remove_prefix(kBom.size());
  }
  doc.sections_.emplace_back();  // the lines before the first header
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    Line line;
    line.text = std::string(bytes.substr(pos, end - pos));
    if (end < bytes.size()) {
      const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
      line.eol = crlf ? "\r\n" : std::string(1, bytes[end]);
    }
    pos = end + line.eol.size();
    const ParsedLine parsed = ParseLine(line.text);
    if (parsed.kind == Kind::Header) {
      Section section;
      section.hasHeader = true;
      section.name = std::string(parsed.name);
      doc.sections_.push_back(std::move(section));
      doc.IndexSection(doc.sections_.size() - 1);
    }
    Section& section = doc.sections_.back();
    section.lines.push_back(std::move(line));
    IndexLine(section, section.lines.size() - 1);
  }
  return doc;
}

void ProfileDocument::IndexLine(Section& section, size_t index) {
  if (index == 0 && section.hasHeader) return;
  const ParsedLine parsed = ParseLine(section.lines[index].text);
  if (parsed.kind != Kind::Blank) section.lastContent = std::max(section.lastContent, index);
  if (parsed.kind == Kind::Entry) section.firstEntry.try_emplace(std::string(parsed.name), index);
}

void ProfileDocument::IndexSection(size_t position) {
  firstSection_.try_emplace(sections_[position].name, position);
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view name) const {
  const auto it = firstSection_.find(Trim(name));
  return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

ProfileDocument::Section* ProfileDocument::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const ProfileDocument*>(this)->FindSection(name));
}

std::optional<std::string> ProfileDocument::ReadString(std::string_view section,
                                                       std::string_view key) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return std::nullopt;
  const auto entry = found->firstEntry.find(Trim(key));
  if (entry == found->firstEntry.end()) return std::nullopt;
  const ParsedLine parsed = ParseLine(found->lines[entry->second].text);
  if (!parsed.hasValue) return std::nullopt;
  return CutText(StripEnclosingQuotes(parsed.value), kProfileValueLimit);
}

std::optional<std::vector<std::string>> ProfileDocument::SectionEntries(
    std::string_view section) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return std::nullopt;
  std::vector<std::string> entries;
  for (size_t i = 1; i < found->lines.size(); ++i) {
    const ParsedLine parsed = ParseLine(found->lines[i].text);
    if (parsed.kind != Kind::Entry) continue;
    std::string entry(parsed.name);
    if (parsed.hasValue) {
      entry += '=';
      entry += parsed.value;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

void ProfileDocument::WriteString(std::string_view sectionName, std::string_view key,
                                  std::string_view value) {
  sectionName = Trim(sectionName);
  key = Trim(key);
  const std::string text = WritableValue(value);

  Section* section = FindSection(sectionName);
  if (section == nullptr) {
    // Give the file's last line its break before anything is appended after it.
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
      if (it->lines.empty()) continue;
      if (it->lines.back().eol.empty()) it->lines.back().eol = "\r\n";
      break;
    }
    Section added;
    added.hasHeader = true;
    added.name = std::string(sectionName);
    added.lines.push_back({"[" + added.name + "]", "\r\n"});
    added.lines.push_back({std::string(key) + "=" + text, "\r\n"});
    IndexLine(added, 1);
    sections_.push_back(std::move(added));
    IndexSection(sections_.size() - 1);
    return;
  }

  const auto entry = section->firstEntry.find(key);
  if (entry != section->firstEntry.end()) {
    Line& line = section->lines[entry->second];
    line.text = std::string(ParseLine(line.text).name) + "=" + text;
    return;
  }
  const size_t at = section->lastContent + 1;
  Line& before = section->lines[section->lastContent];
  if (before.eol.empty()) before.eol = "\r\n";
  section->lines.insert(section->lines.begin() + static_cast<std::ptrdiff_t>(at),
                        Line{std::string(key) + "=" + text, "\r\n"});
  IndexLine(*section, at);
}

std::string ProfileDocument::Serialize() const {
  size_t size = prefix_.size();
  for (const Section& section : sections_)
    for (const Line& line : section.lines) size += line.text.size() + line.eol.size();
  std::string out;
  out.reserve(size);
  out += prefix_;
  for (const Section& section : sections_)
    for (const Line& line : section.lines) {
      out += line.text;
      out += line.eol;
    }
  return out;
}

}  // namespace qg
