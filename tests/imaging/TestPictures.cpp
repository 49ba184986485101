#include "TestPictures.h"

#include <algorithm>

namespace qg::test {

Picture RandomPicture(int width, int height, std::mt19937& random) {
  Picture p(width, height);
  for (uint8_t& v : p.pixels) v = static_cast<uint8_t>(random() & 0xFF);
  return p;
}

Picture PhotoLikePicture(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  Picture p(width, height);
  const int edgeX = width / 3, edgeY = height / 2;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* px = p.at(x, y);
      const int noise = static_cast<int>(random() % 17) - 8;
      int r = width > 1 ? 255 * x / (width - 1) : 128;
      int g = height > 1 ? 255 * y / (height - 1) : 128;
      int b = (x / 7 + y / 5) % 2 ? 230 : 20;
      if (x > edgeX && y < edgeY) r = g = 255;
      if (x < edgeX && y > edgeY) r = g = b = 0;
      px[0] = static_cast<uint8_t>(std::clamp(r + noise, 0, 255));
      px[1] = static_cast<uint8_t>(std::clamp(g + noise, 0, 255));
      px[2] = static_cast<uint8_t>(std::clamp(b + noise, 0, 255));
    }
  return p;
}

Picture FlatPicture(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  Picture p(width, height);
  for (size_t i = 0; i < p.pixels.size(); i += 3) {
    p.pixels[i] = r;
    p.pixels[i + 1] = g;
    p.pixels[i + 2] = b;
  }
  return p;
}

}  // namespace qg::test
