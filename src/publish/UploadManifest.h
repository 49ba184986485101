// The record of what an upload put on a server: per server and folder, one line per file with
// its content hash, size, modification time and name. A later upload sends only the files whose
// content differs from the record, and may remove from the server exactly the files recorded
// here that the new gallery no longer has, never any other.
//
// The records live in the user's cache folder ($XDG_CACHE_HOME, default ~/.cache), under
// Corvane-Soft/quillon-gallery/uploads/, one file per server and folder, replaced atomically.
// Losing them costs only a full upload, so a damaged record is read as far as it makes sense
// and never stops an upload.
//
// File format (UTF-8, LF line ends):
//     Quillon Gallery upload manifest 1
//     <server description>
//     <sha-256, 64 hex digits> <size> <modification time, ns> <name>
// Names are relative to the gallery folder, sub folders joined by "/".
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace qg {

struct ManifestEntry {
  std::string hash;        // SHA-256 of the content, lower-case hex
  uint64_t size = 0;       // bytes
  int64_t modifiedNs = 0;  // the local file's modification time when it was sent

  friend bool operator==(const ManifestEntry&, const ManifestEntry&) = default;
};

struct UploadManifest {
  std::string server;                            // what the record is about, for people
  std::map<std::string, ManifestEntry> entries;  // by name

  friend bool operator==(const UploadManifest&, const UploadManifest&) = default;
};

// True for a name a record may hold: relative, no "." or ".." part, no empty part, no control
// character. A line with another name is dropped on reading, so no hand-edited record can make
// an upload touch anything outside the gallery's folder.
bool IsManifestName(std::string_view name);

// Reads a record's text; lines that are not well-formed are skipped. A text without the
// header line reads as an empty record.
UploadManifest ParseUploadManifest(std::string_view text);
std::string FormatUploadManifest(const UploadManifest& manifest);

// The record file for `serverKey` (the transport, user, host, port and folder in one text).
std::string UploadManifestPath(const std::string& serverKey);
// The record at `path`; an empty one when it is missing or unreadable.
UploadManifest LoadUploadManifest(const std::string& path);
// Replaces the record at `path`, making its folders; false when it could not be written.
bool SaveUploadManifest(const std::string& path, const UploadManifest& manifest);

}  // namespace qg
