// Our reader of the merged picture that Photoshop stores after the layers of a .psd/.pdd file
// (and of large-document .psb files): bitmap, grayscale, duotone, indexed, RGB and CMYK modes,
// 1, 8 and 16 bits, raw or PackBits-compressed. GraphicsMagick on this system has no PSD coder.
//
// Internal to codecs/ (and its tests and fuzz target).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Picture.h"

namespace qg::codecs {

struct PsdLayout {
  int64_t width = 0;
  int64_t height = 0;
  uint64_t decodeBytes = 0;  // the most memory DecodePsd takes, the picture included
};

// Reads the header and the sections before the image data and checks that the data of the
// merged picture is all there, without decoding it. Throws what DecodePsd throws for a damaged
// header or a file cut short.
PsdLayout ReadPsdLayout(const uint8_t* data, size_t size, const std::string& path);

// Decodes the merged picture. Extra channels (alpha, spot colours) are ignored: Photoshop
// composites the merged picture on white already. Throws CannotRead(path, ...) for damaged or
// unsupported files. Never reads outside [data, data + size).
Picture DecodePsd(const uint8_t* data, size_t size, const std::string& path);

}  // namespace qg::codecs
