// Whether the picture data that a header promises is all in the file, for the GraphicsMagick
// formats whose header alone does not show a file cut short (GraphicsMagick's ping reads no
// further than the header). Adding pictures to the list runs these checks instead of a decode:
// they walk the file's block or packet structure, or compare its length with what the header
// declares, without inflating anything or allocating for the pixels.
//
// Internal to codecs/ (and its tests and fuzz target).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qg::codecs {

// For the coders GIF (the first picture's blocks), PNM (binary maps), TGA (raw or run-length
// pixels), SGI (raw planes or the run-length row tables) and PCX (run-length rows): false with
// `problem` set when the data ends early or the structure is damaged. Other coders, and variants
// without a fixed data length (ASCII maps), pass. Never reads outside [data, data + size).
bool CheckPictureData(const std::string& coder, const uint8_t* data, size_t size,
                      std::string& problem);

}  // namespace qg::codecs
