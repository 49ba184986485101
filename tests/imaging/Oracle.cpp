// The plain model: straight loops, no tables shared between sizes, no vectors. Quad precision
// (libquadmath) stands in for "the exact value" wherever a result is rounded to single precision,
// so the model rounds once where the rules round once.
#include "Oracle.h"

#include <quadmath.h>

#include <cmath>

namespace qg::oracle {
namespace {

const __float128 kPi = 4 * atanq(1);

float Sinc(float t) {
  if (t == 0.0f) return 1.0f;
  const float pt = static_cast<float>(kPi * static_cast<__float128>(t));
  const __float128 q = sinq(static_cast<__float128>(pt)) / static_cast<__float128>(pt);
  return static_cast<float>(q);
}

int RoundHalfEven(double v) {
  // The default rounding mode of the machine is to nearest, halves to even.
  return static_cast<int>(std::nearbyint(v));
}

int Fold(long long j, long long s) {
  long long k = j;
  if (k < 0)
    k = -k;
  else if (k >= s)
    k = 2 * s - 1 - k;
  if (k < 0) k = 0;
  if (k > s - 1) k = s - 1;
  return static_cast<int>(k);
}

uint8_t Apply(const std::vector<Tap>& taps, const int* cache) {
  int32_t total = 0, acc = 0;
  for (const Tap& tap : taps) {
    total += tap.weight;
    acc += cache[tap.index] * tap.weight;
  }
  int32_t v;
  if (total != 0)
    v = acc / total;
  else
    v = static_cast<int32_t>(static_cast<uint32_t>(acc) >> 8);
  if (v < 0) v = 0;
  if (v > 255) v = 255;
  return static_cast<uint8_t>(v);
}

}  // namespace

float Lanczos3(float x) {
  const float a = std::fabs(x);
  if (a >= 3.0f) return 0.0f;
  const float third = static_cast<float>(static_cast<__float128>(a) / 3);
  return static_cast<float>(static_cast<double>(Sinc(a)) * static_cast<double>(Sinc(third)));
}

std::vector<std::vector<Tap>> Contributors(uint32_t s, uint32_t t) {
  const float R = 3.0f;
  float scale;
  if (s == 1 || t == 1)
    scale = static_cast<float>(static_cast<__float128>(t) / static_cast<__float128>(s));
  else
    scale = static_cast<float>(static_cast<__float128>(t - 1) / static_cast<__float128>(s - 1));
  std::vector<std::vector<Tap>> list(t);
  for (uint32_t i = 0; i < t; ++i) {
    const float c = static_cast<float>(static_cast<__float128>(i) / static_cast<__float128>(scale));
    std::vector<Tap>& taps = list[i];
    if (scale >= 1.0f) {
      const long long left = static_cast<long long>(std::floor(static_cast<double>(c) - R));
      const long long right = static_cast<long long>(std::ceil(static_cast<double>(c) + R));
      for (long long j = left; j <= right; ++j) {
        const float arg = static_cast<float>(static_cast<__float128>(c) - j);
        const int w = RoundHalfEven(static_cast<double>(Lanczos3(arg)) * 256.0);
        if (w != 0) taps.push_back({Fold(j, s), w});
      }
    } else {
      const float W =
          static_cast<float>(static_cast<__float128>(R) / static_cast<__float128>(scale));
      const long long left =
          static_cast<long long>(std::floor(static_cast<double>(c) - static_cast<double>(W)));
      const long long right =
          static_cast<long long>(std::ceil(static_cast<double>(c) + static_cast<double>(W)));
      for (long long j = left; j <= right; ++j) {
        const float arg = static_cast<float>((static_cast<__float128>(c) - j) * scale);
        const double product = static_cast<double>(Lanczos3(arg)) * scale * 256.0;
        const int w = RoundHalfEven(product);
        if (w != 0) taps.push_back({Fold(j, s), w});
      }
    }
    if (taps.empty()) {
      const long long nearest = static_cast<long long>(std::floor(static_cast<double>(c) + 0.5));
      taps.push_back({Fold(nearest, s), 256});
    }
  }
  return list;
}

Picture Stretch(const Picture& source, uint32_t tw, uint32_t th) {
  const uint32_t sw = static_cast<uint32_t>(source.width),
                 sh = static_cast<uint32_t>(source.height);
  Picture target(static_cast<int>(tw), static_cast<int>(th));
  if (sw == 0 || sh == 0 || tw == 0 || th == 0) return target;
  Picture middle(static_cast<int>(tw), static_cast<int>(sh));
  const auto horizontal = Contributors(sw, tw);
  std::vector<int> cache[3];
  for (auto& c : cache) c.resize(sw);
  for (uint32_t y = 0; y < sh; ++y) {
    for (uint32_t x = 0; x < sw; ++x)
      for (int ch = 0; ch < 3; ++ch)
        cache[ch][x] = source.at(static_cast<int>(x), static_cast<int>(y))[ch];
    for (uint32_t i = 0; i < tw; ++i)
      for (int ch = 0; ch < 3; ++ch)
        middle.at(static_cast<int>(i), static_cast<int>(y))[ch] =
            Apply(horizontal[i], cache[ch].data());
  }
  const auto vertical = Contributors(sh, th);
  for (auto& c : cache) c.assign(sh, 0);
  for (uint32_t x = 0; x < tw; ++x) {
    for (uint32_t y = 0; y < sh; ++y)
      for (int ch = 0; ch < 3; ++ch)
        cache[ch][y] = middle.at(static_cast<int>(x), static_cast<int>(y))[ch];
    for (uint32_t j = 0; j < th; ++j)
      for (int ch = 0; ch < 3; ++ch)
        target.at(static_cast<int>(x), static_cast<int>(j))[ch] =
            Apply(vertical[j], cache[ch].data());
  }
  return target;
}

Kernel GaussKernel(double radius) {
  Kernel k;
  for (int j = -100; j <= 100; ++j) {
    const __float128 q = static_cast<__float128>(j) / static_cast<__float128>(radius);
    k.weights[j + 100] = static_cast<float>(expq(-(q * q) / 2));
  }
  double sum = 0;
  for (int j = -100; j <= 100; ++j) sum += k.weights[j + 100];
  for (int j = -100; j <= 100; ++j)
    k.weights[j + 100] = static_cast<float>(static_cast<__float128>(k.weights[j + 100]) / sum);
  int size = 100;
  double tail = 0;
  const double delta = 1.0 / (2.0 * 255.0);
  while (tail < delta && size > 1) {
    tail += 2.0 * static_cast<double>(k.weights[size + 100]);
    --size;
  }
  k.size = size;
  double sum2 = 0;
  for (int j = -size; j <= size; ++j) sum2 += k.weights[j + 100];
  for (int j = -size; j <= size; ++j)
    k.weights[j + 100] = static_cast<float>(static_cast<__float128>(k.weights[j + 100]) / sum2);
  return k;
}

void BlurLine(std::vector<uint8_t>& line, const Kernel& kernel) {
  const int n = static_cast<int>(line.size() / 3);
  std::vector<uint8_t> scratch(line.size());
  for (int p = 0; p < n; ++p) {
    for (int ch = 0; ch < 3; ++ch) {
      double acc = 0;
      for (int m = -kernel.size; m <= kernel.size; ++m) {
        int q = p - m;
        if (q < 0) q = 0;
        if (q > n - 1) q = n - 1;
        acc += static_cast<double>(kernel.w(m)) * line[static_cast<size_t>(q) * 3 + ch];
      }
      uint8_t v;
      if (acc < 0)
        v = 0;
      else if (acc >= 255)
        v = 255;
      else
        v = static_cast<uint8_t>(static_cast<int>(acc));
      scratch[static_cast<size_t>(p) * 3 + ch] = v;
    }
  }
  line = scratch;
}

void Blur(Picture& picture, double radius) {
  const Kernel k = GaussKernel(radius);
  for (int y = 0; y < picture.height; ++y) {
    std::vector<uint8_t> line(picture.row(y), picture.row(y) + picture.stride());
    BlurLine(line, k);
    std::copy(line.begin(), line.end(), picture.row(y));
  }
  for (int x = 0; x < picture.width; ++x) {
    std::vector<uint8_t> line(static_cast<size_t>(picture.height) * 3);
    for (int y = 0; y < picture.height; ++y)
      for (int ch = 0; ch < 3; ++ch) line[static_cast<size_t>(y) * 3 + ch] = picture.at(x, y)[ch];
    BlurLine(line, k);
    for (int y = 0; y < picture.height; ++y)
      for (int ch = 0; ch < 3; ++ch) picture.at(x, y)[ch] = line[static_cast<size_t>(y) * 3 + ch];
  }
}

namespace {
void Put(Picture& p, int x, int y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return;
  uint8_t* px = p.at(x, y);
  px[0] = colour & 0xFF;
  px[1] = (colour >> 8) & 0xFF;
  px[2] = (colour >> 16) & 0xFF;
}
}  // namespace

void Border(Picture& picture, int width, uint32_t colour) {
  const int W = picture.width, H = picture.height;
  for (int i = 0; i < width; ++i) {
    for (int x = 0; x < W; ++x) Put(picture, x, i, colour);
    for (int y = 0; y < H; ++y) Put(picture, i, y, colour);
    for (int y = 0; y < H; ++y) Put(picture, W - 1 - i, y, colour);
    for (int x = 0; x < W; ++x) Put(picture, x, H - 1 - i, colour);
  }
}

Picture Shadow(const Picture& picture, int margin, uint32_t background, uint32_t shadow, int dx,
               int dy, int blur) {
  const int W = picture.width, H = picture.height;
  Picture canvas(W + margin, H + margin);
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) Put(canvas, x, y, background);
  const int half = margin / 2;
  for (int y = half + dy; y < half + dy + H; ++y)
    for (int x = half + dx; x < half + dx + W; ++x) Put(canvas, x, y, shadow);
  if (blur > 0) Blur(canvas, blur);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      for (int ch = 0; ch < 3; ++ch) canvas.at(x + half, y + half)[ch] = picture.at(x, y)[ch];
  return canvas;
}

bool TargetSize(int sw, int sh, bool widthBox, int widthSpin, bool heightBox, int heightSpin,
                long long& w, long long& h) {
  if (sw <= 0 || sh <= 0) return false;
  long double W = 0, H = 0;
  if (widthBox) {
    W = widthSpin;
  } else {
    H = heightSpin;
    long double p = static_cast<long double>(H) / static_cast<long double>(sh);
    p = p * 100.0L;
    const double P = static_cast<double>(p);
    long double v = static_cast<long double>(P) / 100.0L;
    v = v * static_cast<long double>(sw);
    W = truncl(v);
  }
  if (heightBox) {
    H = heightSpin;
  } else {
    W = widthSpin;
    long double p = static_cast<long double>(W) / static_cast<long double>(sw);
    p = p * 100.0L;
    const double P = static_cast<double>(p);
    long double v = static_cast<long double>(P) / 100.0L;
    v = v * static_cast<long double>(sh);
    H = truncl(v);
  }
  w = static_cast<long long>(W);
  h = static_cast<long long>(H);
  return w >= 0 && w <= 65535 && h >= 0 && h <= 65535;
}

Picture QuarterRight(const Picture& p) {
  Picture t(p.height, p.width);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      for (int ch = 0; ch < 3; ++ch) t.at(p.height - 1 - y, x)[ch] = p.at(x, y)[ch];
  return t;
}

Picture HalfTurn(const Picture& p) {
  Picture t(p.width, p.height);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      for (int ch = 0; ch < 3; ++ch) t.at(p.width - 1 - x, p.height - 1 - y)[ch] = p.at(x, y)[ch];
  return t;
}

Picture QuarterLeft(const Picture& p) {
  Picture t(p.height, p.width);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      for (int ch = 0; ch < 3; ++ch) t.at(y, p.width - 1 - x)[ch] = p.at(x, y)[ch];
  return t;
}

}  // namespace qg::oracle
