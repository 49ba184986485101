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

// Decodes the merged picture. Extra channels (alpha, spot colours) are ignored: Photoshop
// composites the merged picture on white already. Throws CannotRead(path, ...) for damaged or
// unsupported files. Never reads outside [data, data + size).
Picture DecodePsd(const uint8_t* data, size_t size, const std::string& path);

}  // namespace qg::codecs
