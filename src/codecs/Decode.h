// Source picture decoding: a whole picture file into the 24-bit working picture. The decoder is
// chosen by the file's extension, without regard to case; JPEG goes through libjpeg, the other
// accepted formats through GraphicsMagick, with transparent areas laid on white.
#pragma once

#include <cstdint>
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

// Decodes the file completely. Throws qg::Error with "Unknown picture file extension (.%s)" for an
// extension outside the list, and with a message naming the file for a missing, damaged or
// truncated file or a format that has no decoder here.
Picture LoadSourcePicture(const std::string& path);

// Width and height of the picture and the file's length in bytes (0 when it cannot be read;
// INT32_MAX for files beyond 2 GiB). Fails like LoadSourcePicture, with the same messages, when
// the picture cannot be decoded; otherwise returns true. JPEG files, the common case when many
// pictures are added at once, are not decoded: the size comes from the frame header and a pass
// over the marker structure to the end marker catches truncated files and damaged headers.
// Damage inside JPEG coded data is left to LoadSourcePicture, which tolerates it as viewers do.
bool ReadPictureInfo(const std::string& path, int32_t& width, int32_t& height, int32_t& byteSize);

}  // namespace qg
