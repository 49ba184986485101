// Sources decoded through GraphicsMagick, and the one-time set-up of the library.
//
// Internal to codecs/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Picture.h"

namespace qg::codecs {

// Initialises GraphicsMagick once per process (thread-safe; without its signal handlers).
void EnsureMagick();

// Decodes the first frame (page, icon, layer composite) of the file held in memory with the
// named coder, converts it to RGB, lays transparent areas on white and scales 16-bit samples to
// 8 bits. Safe to call from several threads at once. Throws CannotRead(path, ...) with
// GraphicsMagick's reason when the data is damaged or the coder is missing.
Picture DecodeWithMagick(const uint8_t* data, size_t size, const std::string& coder,
                         const std::string& path);

}  // namespace qg::codecs
