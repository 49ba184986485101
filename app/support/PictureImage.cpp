// Picture to QImage; see PictureImage.h.
#include "support/PictureImage.h"

#include <cstring>

namespace qg::app {

QImage ToQImage(const qg::Picture& picture) {
  if (picture.empty()) return QImage();
  QImage image(picture.width, picture.height, QImage::Format_RGB888);
  if (image.isNull()) return image;  // too large to show
  for (int y = 0; y < picture.height; ++y)
    std::memcpy(image.scanLine(y), picture.row(y), picture.stride());
  return image;
}

}  // namespace qg::app
