// RotateValue steps and the turned small preview.
#include "imaging/PreviewRotation.h"

#include "codecs/Decode.h"
#include "imaging/Rotate.h"

namespace qg {

int QuarterTurnsOf(const std::string& rotateValue) {
  if (rotateValue == "1") return 1;
  if (rotateValue == "2") return 2;
  if (rotateValue == "3") return 3;
  return 0;
}

std::string RotateValueOf(int quarterTurns) {
  const int turns = ((quarterTurns % 4) + 4) % 4;
  return turns == 0 ? std::string() : std::to_string(turns);
}

std::string RotateValueRight(const std::string& rotateValue) {
  return RotateValueOf(QuarterTurnsOf(rotateValue) + 1);
}

std::string RotateValueLeft(const std::string& rotateValue) {
  return RotateValueOf(QuarterTurnsOf(rotateValue) + 3);
}

Picture MakeRotatedPreview(const std::string& path, const std::string& rotateValue, uint32_t width,
                           uint32_t height) {
  // Fitted before it is turned, so the turned picture has the box's sides swapped.
  const Picture fitted = FitPictureToBox(LoadSourcePicture(path), width, height);
  return RotatePicture(fitted, QuarterTurnsOf(rotateValue));
}

}  // namespace qg
