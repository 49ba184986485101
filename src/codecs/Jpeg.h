// JPEG sources: the full decode through libjpeg and the quick structural check that measures a
// picture when it is added to the list.
//
// Internal to codecs/ (and its tests and fuzz target).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Picture.h"

namespace qg::codecs {

// Decodes a whole JPEG held in memory with libjpeg's default decompression parameters (full size,
// islow IDCT, fancy upsampling). Grayscale becomes R = G = B; CMYK and YCCK become RGB. Throws
// CannotRead(path, ...) with libjpeg's own message for a damaged file; running out of data
// ("Premature end of JPEG file") is an error, other corrupt-data warnings are tolerated, as
// viewers show such pictures with their damaged blocks.
Picture DecodeJpeg(const uint8_t* data, size_t size, const std::string& path);

struct JpegLayout {
  int width = 0;
  int height = 0;
  int components = 0;
  bool progressive = false;
};

// Walks the marker structure of a JPEG from SOI to EOI without decoding the entropy-coded data:
// the frame header gives the size; every segment length, the tables the scans use and the end
// marker are checked. Catches truncation and the header damage that libjpeg refuses, at the
// speed of reading the bytes; damage inside the coded data is left to the full decode.
// Returns false with `problem` set (in libjpeg's words where it has them) when the data is
// damaged. Never reads outside [data, data + size).
bool ScanJpegStructure(const uint8_t* data, size_t size, JpegLayout& layout, std::string& problem);

}  // namespace qg::codecs
