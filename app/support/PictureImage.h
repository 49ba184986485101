// A core picture as a QImage for showing it (previews); the pixels are copied.
#pragma once

#include <QImage>

#include "core/Picture.h"

namespace qg::app {

QImage ToQImage(const qg::Picture& picture);

}  // namespace qg::app
