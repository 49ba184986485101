// The build record: what the builds of one gallery wrote into its folder, so that a later build
// can remake only what changed and remove only files that a build of ours wrote.
//
// For every file a build wrote it keeps the file's path relative to the gallery folder, the size
// and content hash of the bytes written, a key of everything those bytes were made from (the
// source's content, the options that shape the output and the program), and for pictures the
// source's path, size, modification time and content hash. It also names the sub-folders a build
// created. A build that is about to write files it has not written before first records them as
// pending, so that a build ended by force still leaves every file it may have written accounted
// for.
//
// Where it lives: in the user's cache folder (CacheFolder()/builds), one file per gallery folder,
// named after a hash of the folder's resolved path; never inside the gallery, so it is neither
// uploaded nor visible among the gallery's files. It is text, one entry a line:
//
//   quillon-gallery build record 1
//   gallery <resolved folder, ending in "/"> <device> <inode>
//   folder <relative folder, ending in "/">
//   file <path> <size> <hash> <key> <source size> <source mtime ns> <source hash> <source path>
//   pending <path> <0|1: a file was there before>
//   end
//
// Paths are escaped (%XX for bytes up to the blank, "%", DEL, and a leading "-"); a file
// without a source has "-" in the four source fields. A record that is damaged in any way, names
// another folder or a folder that was replaced since, is ignored as a whole: the build then
// remakes everything and removes nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qg {

struct RecordedSource {
  std::string path;
  uint64_t size = 0;
  int64_t mtimeNs = 0;
  uint64_t hash = 0;

  friend bool operator==(const RecordedSource&, const RecordedSource&) = default;
};

struct RecordedFile {
  bool pending = false;        // a build meant to write it; nothing else is known
  bool existedBefore = false;  // pending only: a file of that name was there already
  uint64_t size = 0;           // of the bytes written
  uint64_t hash = 0;
  uint64_t key = 0;  // what the bytes were made from
  std::optional<RecordedSource> source;

  friend bool operator==(const RecordedFile&, const RecordedFile&) = default;
};

struct BuildRecord {
  std::string gallery;  // the resolved gallery folder, ending in "/"
  uint64_t device = 0;  // and its identity, so a folder made anew under that name is not taken
  uint64_t inode = 0;   // for the one the record describes
  std::map<std::string, RecordedFile> files;  // by path relative to the gallery folder
  std::set<std::string> folders;              // created by a build, relative, ending in "/"

  friend bool operator==(const BuildRecord&, const BuildRecord&) = default;
};

std::string FormatBuildRecord(const BuildRecord& record);
// Nothing for a text that is not a whole, well-formed record.
std::optional<BuildRecord> ParseBuildRecord(std::string_view text);

// The files of the record that a build planning to write `planned` (paths relative to `folder`,
// which ends in "/") would remove as left over: not planned, still a regular file, not the same
// file as a planned one under another name, and still holding what a build of ours wrote (a
// pending entry counts only if no file was there before). Relative paths, in record order.
std::vector<std::string> LeftOverFiles(const BuildRecord& record,
                                       const std::set<std::string>& planned,
                                       const std::string& folder);

// A path relative to the gallery folder that stays inside it: not empty, not absolute, no empty,
// "." or ".." part, no NUL. Folders end in "/", files do not.
bool IsGalleryRelativePath(std::string_view path, bool folder);

// The gallery folder as the record names it: absolute, symbolic links resolved as far as the
// folder exists, ending in "/".
std::string ResolvedGalleryFolder(const std::string& folder);
// Where the record of that (resolved) folder is kept.
std::string BuildRecordPath(const std::string& resolvedFolder);

// The record of the gallery in `folder`, if there is a usable one: missing, unreadable, damaged
// and foreign records (another folder, or the folder was replaced) all give nothing.
std::optional<BuildRecord> ReadBuildRecord(const std::string& folder);
// Whether the gallery in `folder` has a record: its head names this folder (the rest is read,
// and may still turn out damaged, when a build uses it). Cheap enough to ask as a name is typed.
bool HasBuildRecord(const std::string& folder);
// Replaces the record atomically (making the cache folder when needed); false with the reason in
// `why` when it cannot be written.
bool WriteBuildRecord(const BuildRecord& record, std::string* why = nullptr);

// Removes the records of galleries that are gone: records not written for `unusedFor` whose
// folder no longer exists or was replaced by another (such a record is never used again).
// Records that cannot be judged (damaged, of another version, a folder that cannot be looked at
// now) stay. Returns how many were removed.
size_t PruneBuildRecords(std::chrono::seconds unusedFor = std::chrono::hours(24 * 30));

}  // namespace qg
