// The dialogs' pictures; see SamplePicture.h.
#include "dialogs/SamplePicture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qg::app {
namespace {

void Put(qg::Picture& p, int x, int y, int r, int g, int b) {
  uint8_t* px = p.at(x, y);
  px[0] = static_cast<uint8_t>(std::clamp(r, 0, 255));
  px[1] = static_cast<uint8_t>(std::clamp(g, 0, 255));
  px[2] = static_cast<uint8_t>(std::clamp(b, 0, 255));
}

qg::Picture DrawLandscape() {
  constexpr int kW = 135, kH = 101;
  qg::Picture p(kW, kH);
  const double sunX = 98, sunY = 24, sunR = 10;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const double far = 58 + 9 * std::sin(x / 17.0) + 4 * std::sin(x / 5.3);
      const double near = 70 + 7 * std::sin(x / 23.0 + 2.0);
      const double shore = 80 + 2 * std::sin(x / 9.0);
      const double sun = std::hypot(x - sunX, y - sunY);
      if (y < far) {
        // Sky: deep blue at the top to a warm haze at the horizon, with the sun's glow.
        const double t = y / far;
        int r = static_cast<int>(70 + 150 * t), g = static_cast<int>(120 + 95 * t),
            b = static_cast<int>(200 + 30 * t);
        if (sun < sunR) {
          r = 255, g = 236, b = 150;
        } else if (sun < 3 * sunR) {
          const double glow = 1 - (sun - sunR) / (2 * sunR);
          r += static_cast<int>(60 * glow), g += static_cast<int>(40 * glow);
        }
        Put(p, x, y, r, g, b);
      } else if (y < near) {
        const int shade = static_cast<int>(20 * (y - far) / (near - far + 1));
        Put(p, x, y, 70 - shade, 110 - shade, 120);  // far hills, hazy blue-green
      } else if (y < shore) {
        const int grain = ((x * 7 + y * 13) % 5) * 3;
        Put(p, x, y, 60 + grain, 125 + grain, 50);  // meadow
      } else {
        // Lake: the sky mirrored and darkened, with ripples.
        const int ripple = ((y % 4) == 0 && ((x + y) / 6) % 3 == 0) ? 35 : 0;
        Put(p, x, y, 40 + ripple, 85 + ripple, 150 + ripple / 2);
      }
    }
  }
  // A small tree on the meadow.
  for (int y = 62; y < 78; ++y)
    for (int x = 24; x < 40; ++x)
      if (std::hypot(x - 32, y - 68) < 7) Put(p, x, y, 30, 85, 35);
  for (int y = 72; y < 82; ++y) Put(p, 32, y, 90, 60, 30);
  return p;
}

}  // namespace

QImage PictureToImage(const qg::Picture& picture) {
  if (picture.empty()) return {};
  QImage image(picture.width, picture.height, QImage::Format_RGB888);
  for (int y = 0; y < picture.height; ++y)
    std::memcpy(image.scanLine(y), picture.row(y), picture.stride());
  return image;
}

const qg::Picture& ShadowSamplePicture() {
  static const qg::Picture sample = DrawLandscape();
  return sample;
}

}  // namespace qg::app
