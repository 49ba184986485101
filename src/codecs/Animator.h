// Our reader of Animator CEL/PIC pictures: a 32-byte header (signature 0x9119, width, height,
// position, depth 8, no compression), a 256-colour palette of 6-bit values and one byte per pixel,
// rows from the top. No library on this system reads them.
//
// Internal to codecs/ (and its tests and fuzz target).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Picture.h"

namespace qg::codecs {

struct AnimatorHeader {
  int width = 0;
  int height = 0;
};

// Checks the header and that the file holds the whole palette and every pixel. Returns false
// with `problem` set otherwise. Never reads outside [data, data + size).
bool ReadAnimatorHeader(const uint8_t* data, size_t size, AnimatorHeader& header,
                        std::string& problem);

// The whole picture; throws CannotRead(path, problem) when ReadAnimatorHeader fails.
Picture DecodeAnimator(const uint8_t* data, size_t size, const std::string& path);

}  // namespace qg::codecs
