// Pictures the dialogs draw with: the core's Picture shown as a QImage, and the small landscape
// the shadow dialog composes its live sample from (drawn here, so it ships with the code).
#pragma once

#include <QImage>

#include "core/Picture.h"

namespace qg::app {

// A deep copy of the picture as a 24-bit QImage.
QImage PictureToImage(const qg::Picture& picture);

// The sample picture: 135 x 101 pixels, a little landscape with sky, sun, hills and a lake.
const qg::Picture& ShadowSamplePicture();

}  // namespace qg::app
