// JPEG output through libjpeg: default compression parameters, the side's quality with baseline
// quantisation tables forced, and the simple progressive scan script when asked for. Nothing else
// is set, so the bytes depend only on the pixels, the quality and the progressive flag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Picture.h"

namespace qg {

// The JPEG file's bytes. Quality below 1 is encoded as 1, above 100 as 100. Throws qg::Error
// for a picture without pixels or one libjpeg refuses (its message is kept).
std::vector<uint8_t> EncodeJpeg(const Picture& picture, int quality, bool progressive);

// Encodes as EncodeJpeg does and writes exactly `outputPath`, replacing a file of that name.
// Throws qg::Error naming the path, with the system's reason, when it cannot be written.
void SaveAsJpeg(const Picture& picture, const std::string& outputPath, int quality,
                bool progressive);

}  // namespace qg
