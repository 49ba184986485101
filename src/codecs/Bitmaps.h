// Windows bitmap variants that GraphicsMagick's coders do not read as Windows shows them:
// 32-bit icons whose alpha channel carries the transparency, and DIB files stored without the
// 14-byte bitmap file header.
//
// Internal to codecs/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Picture.h"

namespace qg::codecs {

// The first image of an icon (or cursor) file when it is a 32-bit uncompressed bitmap with a
// used alpha channel, laid on white. nullopt for anything else (PNG-compressed icons, fewer
// bits, an alpha channel that is all zero and leaves the transparency to the AND mask), which
// GraphicsMagick's ICO coder then reads. Throws CannotRead for an icon cut short.
std::optional<Picture> DecodeAlphaIcon(const uint8_t* data, size_t size, const std::string& path);

// When `data` starts with a bitmap information header instead of a file header, the same bitmap
// with a file header in front, for the BMP coder; otherwise nullopt.
std::optional<std::vector<uint8_t>> WithBitmapFileHeader(const uint8_t* data, size_t size);

}  // namespace qg::codecs
