// JPEG output through libjpeg: default compression parameters, the side's quality with baseline
// quantisation tables forced, and the simple progressive scan script when asked for. Nothing else
// is set, so the bytes depend only on the pixels, the quality and the progressive flag.
// (SaveAsJpeg, which writes the file, is declared with the pipeline in Pipeline.h.)
#pragma once

#include <cstdint>
#include <vector>

#include "core/Picture.h"

namespace qg {

// The JPEG file's bytes. Quality below 1 is encoded as 1, above 100 as 100. Throws qg::Error
// for a picture without pixels or one libjpeg refuses (its message is kept).
std::vector<uint8_t> EncodeJpeg(const Picture& picture, int quality, bool progressive);

}  // namespace qg
