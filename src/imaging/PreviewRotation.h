// The small preview's quarter turns: how the rotate buttons step a picture's RotateValue, and
// the preview picture for a value, always made afresh from the file so that repeated turns never
// lose quality. Rotation is a viewing aid only; nothing here touches the source file or the
// gallery.
#pragma once

#include <cstdint>
#include <string>

#include "core/Picture.h"

namespace qg {

// The small preview box on the Add Pictures step.
inline constexpr uint32_t kSmallPreviewWidth = 153;
inline constexpr uint32_t kSmallPreviewHeight = 113;

// Quarter turns to the right that a RotateValue stands for: "" 0, "1" 1, "2" 2, "3" 3. Any other
// text (the value is never stored, so only a fault could make one) counts as unturned.
int QuarterTurnsOf(const std::string& rotateValue);
// The value for a number of quarter turns to the right, taken modulo 4 ("" for none).
std::string RotateValueOf(int quarterTurns);

// The value after "Rotate right" ("" -> "1" -> "2" -> "3" -> "") and after "Rotate left"
// ("" -> "3" -> "2" -> "1" -> ""). The preview then shows the new value's turn.
std::string RotateValueRight(const std::string& rotateValue);
std::string RotateValueLeft(const std::string& rotateValue);

// The picture at `path` decoded, fitted to exactly width x height and turned by the value's
// quarter turns (a quarter turn swaps the sides: 153 x 113 becomes 113 x 153). Throws what
// LoadSourcePicture throws for a file it cannot decode.
Picture MakeRotatedPreview(const std::string& path, const std::string& rotateValue,
                           uint32_t width = kSmallPreviewWidth,
                           uint32_t height = kSmallPreviewHeight);

}  // namespace qg
