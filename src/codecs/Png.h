// PNG sources through libpng: the full decode, and the pass over the chunk structure that
// measures a picture when it is added to the list.
//
// Internal to codecs/ (and its tests and fuzz target).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Picture.h"

namespace qg::codecs {

struct PngLayout {
  int64_t width = 0;
  int64_t height = 0;
  int bitDepth = 0;
  int colourType = 0;
  bool interlaced = false;
};

// Walks the chunks from the signature to IEND without inflating any data: the header gives the
// size; every chunk must lie inside the data, IHDR must come first and at least one IDAT before
// IEND. Catches truncated files and damaged headers at the speed of reading the chunk lengths.
// Returns false with `problem` set when the data is damaged. Never reads outside
// [data, data + size).
bool ScanPngStructure(const uint8_t* data, size_t size, PngLayout& layout, std::string& problem);

// The most memory DecodePng takes for a picture of this layout, the picture included.
uint64_t PngDecodeBytes(const PngLayout& layout);

// Decodes the whole picture into RGB: palettes, gray levels and bit depths below 8 are expanded,
// opaque 16-bit samples are cut to 8 bits, and transparent areas (an alpha channel or a tRNS
// entry) are laid on white at 16-bit precision, rounded once: the pixels GraphicsMagick gave,
// except that a transparent colour of an RGB picture (its tRNS chunk) is honoured, which
// GraphicsMagick ignored. Throws CannotRead(path, ...) for a damaged file.
Picture DecodePng(const uint8_t* data, size_t size, const std::string& path);

}  // namespace qg::codecs
