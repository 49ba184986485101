// Quarter-turn remappings, pixel by pixel; preview pictures are small, so plain loops do.
#include "imaging/Rotate.h"

#include <cstring>

#include "imaging/Resample.h"

namespace qg {

Picture RotateQuarterRight(const Picture& picture) {
  const int w = picture.width, h = picture.height;
  Picture out(h, w);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) std::memcpy(out.at(h - 1 - y, x), picture.at(x, y), 3);
  return out;
}

Picture RotateHalfTurn(const Picture& picture) {
  const int w = picture.width, h = picture.height;
  Picture out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) std::memcpy(out.at(w - 1 - x, h - 1 - y), picture.at(x, y), 3);
  return out;
}

Picture RotateQuarterLeft(const Picture& picture) {
  const int w = picture.width, h = picture.height;
  Picture out(h, w);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) std::memcpy(out.at(y, w - 1 - x), picture.at(x, y), 3);
  return out;
}

Picture RotatePicture(const Picture& picture, int quarterTurns) {
  switch (((quarterTurns % 4) + 4) % 4) {
    case 1:
      return RotateQuarterRight(picture);
    case 2:
      return RotateHalfTurn(picture);
    case 3:
      return RotateQuarterLeft(picture);
    default:
      return picture;
  }
}

Picture FitPictureToBox(const Picture& picture, uint32_t width, uint32_t height) {
  return StretchPicture(picture, width, height);
}

}  // namespace qg
