// The tag dictionaries of the Exif reader: one row per known tag with its name, description,
// decode list ("value:label,value:label"), format text and formatting routine. A row copied into
// the tag list and filled with the value found becomes a tag list entry, so both are TTagEntry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qg {

struct TTagEntry;

// Makes a display text from the text the value formatting produced (and the raw bytes).
using TagRoutine = std::string (*)(const std::string& text, const TTagEntry& entry);

struct TTagEntry {
  uint16_t tag = 0;
  std::string name;
  std::string description;
  std::string decodeList;
  std::string displayText;
  std::string_view raw;       // the value bytes found, a view into the owning record's bytes
  uint64_t byteCount = 0;     // count x type size, as the entry declares it (raw may be shorter)
  int64_t valuePosition = 0;  // where the value starts, as an index into the record's bytes
  uint16_t type = 0;          // TIFF value type
  std::string formatText;     // "%s" pattern or a printf number format with one placeholder
  TagRoutine routine = nullptr;
};

class TagDictionary {
 public:
  // `searchable` rows take part in the lookup; `unknown` (may be null) stands for any other tag.
  TagDictionary(std::vector<TTagEntry> rows, size_t searchable, bool lastRowIsUnknown);

  // The row with this tag number (the last one when several carry it); the "Unknown" row, or
  // null when the dictionary has none, for any other number.
  const TTagEntry* Find(uint16_t tag) const;
  const TTagEntry* unknown() const { return unknown_; }
  const std::vector<TTagEntry>& rows() const { return rows_; }

 private:
  std::vector<TTagEntry> rows_;
  size_t searchable_;
  const TTagEntry* unknown_ = nullptr;
  std::vector<int32_t> index_;  // tag number -> row, -1 for none
};

// IFD0, Exif, interoperability and sub-IFD directories; its last row is "Unknown" (tag 0).
const TagDictionary& MainTagDictionary();
// The GPS directory; only its first 30 rows are searched.
const TagDictionary& GpsTagDictionary();

// "ExposureTime" -> "Exposure Time": a space before every capital that follows a non-capital.
std::string DescriptionFromName(std::string_view name);

}  // namespace qg
