// Source picture decoding: a whole picture file into the 24-bit working picture. The decoder is
// chosen by the file's extension, without regard to case; JPEG goes through libjpeg, PNG through
// libpng, the other accepted formats through GraphicsMagick (loaded the first time a picture
// needs it), with transparent areas laid on white.
//
// Memory: every decode first reads the picture's header and works out the memory the decode
// needs; a picture that needs more than the process's whole memory budget (core/MemoryBudget.h)
// is refused with a message naming it, before any of its pixels are allocated, and otherwise the
// decode takes its share of the budget first, waiting while other threads hold too much of it.
// Running out of memory anyway is a message naming the picture, never a bare std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Picture.h"

namespace qg {

// The extensions the picture list accepts, lower case, without the dot, in the order the open
// dialog lists them.
const std::vector<std::string>& AcceptedExtensions();

// True when the extension (with or without its dot, any case) is in the accepted list.
bool IsAcceptedExtension(std::string_view extension);

// Decodes the file completely, holding a share of the process's memory budget while it does.
// Throws qg::Error with "Unknown picture file extension (.%s)" for an
// extension outside the list, and with a message naming the file for a missing, damaged or
// truncated file or a format that has no decoder here.
Picture LoadSourcePicture(const std::string& path);

// Width and height of the picture and the file's length in bytes (0 when it cannot be read;
// INT32_MAX for files beyond 2 GiB). Fails like LoadSourcePicture, with the same messages, when
// the header shows that the picture cannot be decoded (a damaged header, a file cut short, a
// picture too large for the memory budget); otherwise returns true. No format is decoded: the
// size comes from the header (for JPEG the frame header, and a pass over the marker structure
// to the end marker; for PNG a pass over the chunks to IEND; for Photoshop files the header and
// the section lengths; GraphicsMagick's formats through its ping and a check that the data the
// header promises is there), so adding many pictures costs
// little more than reading them. Damage inside the coded data is left to LoadSourcePicture.
bool ReadPictureInfo(const std::string& path, int32_t& width, int32_t& height, int32_t& byteSize);

// A source file opened for decoding: read, its decoder chosen and its header read, the decode
// itself still to come, so that the caller can set aside the memory it needs first (the build
// does, for the decode and the resizing together). Not for use by several threads at once.
class SourcePicture {
 public:
  // Throws what LoadSourcePicture throws for an unknown extension, a missing or unreadable file
  // or a damaged header, and refuses a picture whose decode needs more than the whole budget.
  explicit SourcePicture(const std::string& path);
  ~SourcePicture();
  SourcePicture(const SourcePicture&) = delete;
  SourcePicture& operator=(const SourcePicture&) = delete;

  int width() const;
  int height() const;
  // The most memory the decode takes, the decoded picture included.
  uint64_t decodeBytes() const;
  // The length of the file.
  size_t fileBytes() const;
  // The whole picture. Takes no share of the budget itself (the caller holds one). Throws like
  // LoadSourcePicture.
  Picture Decode();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Refuses, naming the picture, work on a picture of width x height that needs `bytes` of memory
// when that is more than the process's whole memory budget.
void CheckDecodeMemory(const std::string& path, int64_t width, int64_t height, uint64_t bytes);

// The message of a picture whose decoding or resizing ran out of memory.
std::string NotEnoughMemoryMessage(const std::string& path);

}  // namespace qg
