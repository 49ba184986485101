// Draws the pictures that ship beside the executables, all of them our own: the navigation
// buttons (Buttons/*.gif), background tiles (Backgrounds/) and photo-like sample pictures
// (Samples/). Everything is computed from fixed seeds, so every build writes the same bytes.
//
//   qg-pictures assets BIN_DIR      writes the pictures into BIN_DIR/{Buttons,Backgrounds,Samples}
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <magick/api.h>

namespace {

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(Rgb a, double f) { return {a.r * f, a.g * f, a.b * f}; }
Rgb Hex(uint32_t v) {
  return {double((v >> 16) & 0xFF), double((v >> 8) & 0xFF), double(v & 0xFF)};
}
double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
double Smooth(double e0, double e1, double x) {
  const double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// An RGB raster with 8-bit samples plus a coverage mask for the transparent parts of buttons.
struct Raster {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> alpha;  // empty: opaque
  Raster(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3) {}
  void Set(int x, int y, Rgb c) {
    uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    p[0] = static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0, 255.0)));
    p[1] = static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0, 255.0)));
    p[2] = static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0, 255.0)));
  }
};

// Deterministic hashing noise: no library random generator, whose sequences differ between
// standard libraries.
uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^
               seed * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return h;
}
double Random01(int32_t x, int32_t y, uint32_t seed) {
  return (Hash(x, y, seed) & 0xFFFFFF) / 16777216.0;
}

// Value noise on a lattice; with periods > 0 (in lattice cells) it wraps, so tiles join
// without seams.
double ValueNoise(double x, double y, uint32_t seed, int periodX = 0, int periodY = 0) {
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  auto corner = [&](int cx, int cy) {
    if (periodX > 0) cx = ((cx % periodX) + periodX) % periodX;
    if (periodY > 0) cy = ((cy % periodY) + periodY) % periodY;
    return Random01(cx, cy, seed);
  };
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double top = corner(x0, y0) + (corner(x0 + 1, y0) - corner(x0, y0)) * sx;
  const double bottom = corner(x0, y0 + 1) + (corner(x0 + 1, y0 + 1) - corner(x0, y0 + 1)) * sx;
  return top + (bottom - top) * sy;
}

double Fbm(double x, double y, uint32_t seed, int octaves, int periodX = 0, int periodY = -1) {
  if (periodY < 0) periodY = periodX;
  double sum = 0, amplitude = 0.5, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u, periodX, periodY);
    total += amplitude;
    x *= 2;
    y *= 2;
    amplitude *= 0.5;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / total;
}

// ---------------------------------------------------------------------------------- writers

bool WriteJpeg(const Raster& raster, const std::string& path, int quality) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(raster.width);
  cinfo.image_height = static_cast<JDIMENSION>(raster.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&raster.rgb[cinfo.next_scanline * raster.width * 3u]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

bool WriteGif(const Raster& raster, const std::string& path) {
  ExceptionInfo exception;
  GetExceptionInfo(&exception);
  std::vector<uint8_t> rgba;
  const void* pixels = raster.rgb.data();
  const char* map = "RGB";
  if (!raster.alpha.empty()) {
    rgba.resize(raster.alpha.size() * 4);
    for (size_t i = 0; i < raster.alpha.size(); ++i) {
      std::memcpy(&rgba[4 * i], &raster.rgb[3 * i], 3);
      rgba[4 * i + 3] = raster.alpha[i];
    }
    pixels = rgba.data();
    map = "RGBA";
  }
  Image* image = ConstituteImage(static_cast<unsigned long>(raster.width),
                                 static_cast<unsigned long>(raster.height), map, CharPixel, pixels,
                                 &exception);
  if (image == nullptr) return false;
  ImageInfo* info = CloneImageInfo(nullptr);
  std::snprintf(info->filename, MaxTextExtent, "GIF:%s", path.c_str());
  std::snprintf(image->filename, MaxTextExtent, "GIF:%s", path.c_str());
  const bool ok = WriteImage(info, image) != 0;
  DestroyImage(image);
  DestroyImageInfo(info);
  DestroyExceptionInfo(&exception);
  return ok;
}

// ---------------------------------------------------------------------------------- buttons

using Shape = std::function<bool(double, double)>;

bool InPolygon(double x, double y, const std::vector<std::pair<double, double>>& points) {
  bool inside = false;
  for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
    const auto [xi, yi] = points[i];
    const auto [xj, yj] = points[j];
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

bool InRect(double x, double y, double x0, double y0, double x1, double y1) {
  return x >= x0 && x < x1 && y >= y0 && y < y1;
}

bool InRoundedRect(double x, double y, double x0, double y0, double x1, double y1, double r) {
  if (!InRect(x, y, x0, y0, x1, y1)) return false;
  const double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// Coverage of a shape over one pixel, from 4 x 4 samples.
double Coverage(const Shape& shape, int px, int py) {
  int hits = 0;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 4; ++sx) hits += shape(px + (sx + 0.5) / 4, py + (sy + 0.5) / 4);
  }
  return hits / 16.0;
}

// A rounded blue button with a white glyph. The corners outside the button are transparent;
// the edge is hard (a GIF has no partial transparency), the glyph is anti-aliased.
Raster Button(const Shape& glyph) {
  constexpr int kSize = 32;
  Raster raster(kSize, kSize);
  raster.alpha.assign(kSize * kSize, 255);
  const Rgb top = Hex(0x6A9BD1), bottom = Hex(0x24528A), rim = Hex(0x1A3C66), white = Hex(0xFFFFFF);
  const Shape outer = [](double x, double y) { return InRoundedRect(x, y, 0, 0, 32, 32, 7); };
  const Shape inner = [](double x, double y) {
    return InRoundedRect(x, y, 1.5, 1.5, 30.5, 30.5, 5.5);
  };
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double cover = Coverage(outer, x, y);
      if (cover < 0.5) {
        raster.alpha[static_cast<size_t>(y) * kSize + x] = 0;
        raster.Set(x, y, white);
        continue;
      }
      Rgb c = Mix(rim, Mix(top, bottom, y / 31.0), Coverage(inner, x, y));
      // A soft highlight across the upper half.
      c = Mix(c, white, 0.18 * Smooth(16, 2, y) * Coverage(inner, x, y));
      c = Mix(c, white, Coverage(glyph, x, y));
      raster.Set(x, y, c);
    }
  }
  return raster;
}

std::vector<std::pair<double, double>> Triangle(double tipX, double baseX) {
  return {{tipX, 16}, {baseX, 8.5}, {baseX, 23.5}};
}

void MakeButtons(const std::filesystem::path& folder) {
  const Shape home = [](double x, double y) {
    const bool roof = InPolygon(x, y, {{16, 6.5}, {26, 15.5}, {6, 15.5}});
    const bool body = InRect(x, y, 9, 15, 23, 25);
    const bool door = InRect(x, y, 14, 18.5, 18, 25);
    const bool chimney = InRect(x, y, 20, 8, 22.5, 13);
    return (roof || body || chimney) && !door;
  };
  const Shape first = [](double x, double y) {
    return InRect(x, y, 8, 8.5, 11, 23.5) || InPolygon(x, y, Triangle(11.5, 23));
  };
  const Shape previous = [](double x, double y) { return InPolygon(x, y, Triangle(9.5, 21.5)); };
  const Shape next = [](double x, double y) { return InPolygon(x, y, Triangle(22.5, 10.5)); };
  const Shape last = [](double x, double y) {
    return InRect(x, y, 21, 8.5, 24, 23.5) || InPolygon(x, y, Triangle(20.5, 9));
  };
  const std::pair<const char*, Shape> buttons[] = {{"bhome.gif", home},
                                                   {"bfirst.gif", first},
                                                   {"bprev.gif", previous},
                                                   {"bnext.gif", next},
                                                   {"blast.gif", last}};
  for (const auto& [name, glyph] : buttons) {
    if (!WriteGif(Button(glyph), (folder / name).string())) {
      std::fprintf(stderr, "qg-pictures: cannot write %s\n", (folder / name).c_str());
      std::exit(1);
    }
  }
}

// ---------------------------------------------------------------------------------- backgrounds

Raster Tile(int size, const std::function<Rgb(double, double)>& colour) {
  Raster raster(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) raster.Set(x, y, colour(x, y));
  }
  return raster;
}

void MakeBackgrounds(const std::filesystem::path& folder) {
  // Warm paper: soft clouding and short fibres; periods divide the tile size, so it repeats
  // without seams.
  const Raster paper = Tile(256, [](double x, double y) {
    const double cloud = Fbm(x / 32, y / 32, 11, 4, 8);
    const double fibre = ValueNoise(x / 2, y / 16, 12, 128, 16);
    const double grain = Random01(static_cast<int>(x), static_cast<int>(y), 13);
    return Scale(Hex(0xF4EBD9), 0.94 + 0.05 * cloud + 0.02 * fibre + 0.012 * grain);
  });
  // Linen: a fine weave of warp and weft threads.
  const Raster linen = Tile(128, [](double x, double y) {
    const double warp = 0.5 + 0.5 * std::sin(x * 2 * M_PI / 4);
    const double weft = 0.5 + 0.5 * std::sin(y * 2 * M_PI / 4);
    const double slub = Fbm(x / 16, y / 2, 21, 3, 8, 64);
    const double shade = 0.9 + 0.05 * warp * (1 - weft) + 0.04 * weft + 0.04 * slub;
    return Scale(Hex(0xE9E2D0), shade);
  });
  // Slate: a dark mottled stone for galleries on dark pages.
  const Raster slate = Tile(256, [](double x, double y) {
    const double mottle = Fbm(x / 64, y / 64, 31, 5, 4);
    const double vein = Smooth(0.46, 0.5, Fbm(x / 32, y / 32, 32, 3, 8));
    Rgb c = Mix(Hex(0x2B3038), Hex(0x3D444F), mottle);
    return Mix(c, Hex(0x4A525E), 0.25 * (1 - vein) * mottle);
  });
  // Dots: small grey dots on near-white, a light pattern that suits any picture.
  Raster dots = Tile(24, [](double x, double y) {
    const double d1 = std::hypot(x + 0.5 - 6, y + 0.5 - 6),
                 d2 = std::hypot(x + 0.5 - 18, y + 0.5 - 18);
    return Mix(Hex(0xFAFAF7), Hex(0xD9DCE1), Clamp01(2.5 - std::min(d1, d2)));
  });
  const bool ok = WriteJpeg(paper, (folder / "paper.jpg").string(), 88) &&
                  WriteJpeg(linen, (folder / "linen.jpg").string(), 88) &&
                  WriteJpeg(slate, (folder / "slate.jpg").string(), 88) &&
                  WriteGif(dots, (folder / "dots.gif").string());
  if (!ok) {
    std::fprintf(stderr, "qg-pictures: cannot write the backgrounds in %s\n", folder.c_str());
    std::exit(1);
  }
}

// ---------------------------------------------------------------------------------- samples

// A scene is a colour per point, with x and y from 0 to 1 over the picture's width and height.
using Scene = std::function<Rgb(double x, double y)>;

Raster Render(int width, int height, const Scene& scene, uint32_t grainSeed) {
  Raster raster(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = scene((x + 0.5) / width, (y + 0.5) / height);
      // Sensor grain, a little in every channel.
      const double n = (Random01(x, y, grainSeed) + Random01(x, y, grainSeed + 1) - 1) * 5;
      raster.Set(x, y, {c.r + n, c.g + n, c.b + n});
    }
  }
  return raster;
}

Rgb Sky(double y, Rgb zenith, Rgb horizon) {
  return Mix(zenith, horizon, std::pow(Clamp01(y), 0.8));
}

Rgb LakeAtDawn(double x, double y) {
  const double horizon = 0.58;
  const Rgb zenith = Hex(0x2F4C7E), glow = Hex(0xF2A65A);
  auto sky = [&](double sx, double sy) {
    Rgb c = Sky(sy / horizon, zenith, glow);
    const double sun = std::hypot((sx - 0.68) * 1.33, sy - 0.47);
    c = Mix(c, Hex(0xFFE9B0), Smooth(0.06, 0.035, sun));
    c = Mix(c, Hex(0xFFD08A), 0.35 * Smooth(0.3, 0.0, sun));
    const double cloud = Smooth(0.55, 0.75, Fbm(sx * 6, sy * 18, 41, 5));
    return Mix(c, Mix(Hex(0x8A5A6B), Hex(0xF5B98A), 1 - sy / horizon), 0.6 * cloud);
  };
  const double ridge = horizon - 0.05 - 0.12 * Fbm(x * 4, 0.5, 42, 5);
  const double nearRidge = horizon - 0.015 - 0.06 * Fbm(x * 9, 1.5, 43, 4);
  if (y < horizon) {
    if (y > nearRidge) return Mix(Hex(0x1C2433), Hex(0x2A3346), Fbm(x * 40, y * 40, 44, 3));
    if (y > ridge) return Mix(Hex(0x3A3F5C), sky(x, y), 0.35);
    return sky(x, y);
  }
  // Water: the sky mirrored, darker, broken by ripples.
  const double depth = (y - horizon) / (1 - horizon);
  const double ripple = 0.012 * std::sin(y * 900 + 6 * Fbm(x * 8, y * 30, 45, 3));
  Rgb mirrored = sky(x + ripple, horizon - (y - horizon) * 1.6);
  if (horizon - (y - horizon) * 1.6 > nearRidge - 0.02) mirrored = Hex(0x1A2030);
  return Scale(Mix(mirrored, Hex(0x14233A), 0.25 + 0.5 * depth), 0.92);
}

Rgb Dunes(double x, double y) {
  const double horizon = 0.42;
  if (y < horizon) {
    Rgb c = Sky(y / horizon, Hex(0x3E7CC4), Hex(0xCFE3F2));
    return Mix(c, Hex(0xFFFFFF), 0.5 * Smooth(0.6, 0.8, Fbm(x * 5, y * 14, 51, 4)));
  }
  // Layered dune crests: each ridge is lit on one side and shaded on the other.
  double shade = 0.0;
  Rgb sand = Hex(0xE0A96D);
  for (int layer = 0; layer < 4; ++layer) {
    const double crest = horizon + 0.08 + layer * 0.15 +
                         0.06 * std::sin(x * (5 + layer) + layer * 1.7) +
                         0.03 * Fbm(x * 3, layer, 52, 3);
    if (y > crest) {
      const double slope = std::cos(x * (5 + layer) + layer * 1.7);
      shade = 0.75 + 0.25 * slope;
      sand = Mix(Hex(0xE7B57A), Hex(0xB9763F), layer / 4.0);
    }
  }
  if (shade == 0.0) shade = 0.85;
  const double ripples = 0.04 * std::sin((x * 220 + y * 60) + 4 * Fbm(x * 10, y * 10, 53, 3));
  return Scale(sand, shade + ripples);
}

Rgb Meadow(double x, double y) {
  const double hill = 0.55 + 0.08 * std::sin(x * 3.1 + 0.4) + 0.03 * Fbm(x * 6, 0, 61, 3);
  if (y < hill) {
    Rgb c = Sky(y / hill, Hex(0x4F8FD6), Hex(0xDDEBF5));
    const double cloud = Smooth(0.5, 0.72, Fbm(x * 4, y * 9, 62, 6));
    return Mix(c, Mix(Hex(0xFFFFFF), Hex(0xC9D2DC), Smooth(0.2, 0.05, y - hill + 0.3)), cloud);
  }
  const double depth = (y - hill) / (1 - hill);
  Rgb grass = Mix(Hex(0x7FA84A), Hex(0x3E6B25), depth);
  grass = Scale(grass, 0.85 + 0.3 * Fbm(x * 60, y * 25, 63, 3));
  // Flowers: small discs scattered on a jittered grid, larger near the front.
  const double cells = 30 + 50 * (1 - depth);
  const double gx = x * cells, gy = y * cells * 1.3;
  const int cx = static_cast<int>(gx), cy = static_cast<int>(gy);
  const double fx = cx + 0.2 + 0.6 * Random01(cx, cy, 64),
               fy = cy + 0.2 + 0.6 * Random01(cx, cy, 65);
  if (Random01(cx, cy, 66) < 0.35 && std::hypot(gx - fx, gy - fy) < 0.12 + 0.1 * depth) {
    return Random01(cx, cy, 67) < 0.5 ? Hex(0xF4E04D) : Hex(0xE8ECF2);
  }
  return grass;
}

Rgb CityAtNight(double x, double y) {
  Rgb c = Sky(y, Hex(0x0A1026), Hex(0x3B2F4F));
  const int sx = static_cast<int>(x * 800), sy = static_cast<int>(y * 600);
  if (Random01(sx, sy, 71) > 0.9993 && y < 0.5) c = Hex(0xF0F0FF);
  // Buildings: columns of random width and height, windows lit at random.
  const int column = static_cast<int>(x * 26);
  const double top = 0.35 + 0.4 * Random01(column, 0, 72);
  if (y > top) {
    Rgb wall = Mix(Hex(0x14161E), Hex(0x23262F), Random01(column, 1, 73));
    const double wx = x * 26 * 6, wy = y * 90;
    const int ix = static_cast<int>(wx), iy = static_cast<int>(wy);
    const bool window = wx - ix > 0.3 && wx - ix < 0.75 && wy - iy > 0.35 && wy - iy < 0.8;
    if (window && Random01(ix, iy, 74) < 0.42) {
      wall = Mix(Hex(0xF6C766), Hex(0xFFF1C4), Random01(ix, iy, 75));
    }
    c = wall;
  }
  // Reflections on the river in the lowest tenth.
  if (y > 0.9) c = Scale(CityAtNight(x, 1.8 - y - 0.01 * std::sin(y * 700)), 0.45);
  return c;
}

Rgb Lighthouse(double x, double y) {
  const double horizon = 0.62;
  Rgb c = y < horizon ? Sky(y / horizon, Hex(0x5C8FC9), Hex(0xEAD9C0))
                      : Mix(Hex(0x3C6E8F), Hex(0x1F3F5A), (y - horizon) / (1 - horizon));
  if (y >= horizon) c = Scale(c, 0.9 + 0.12 * Fbm(x * 30, y * 120, 81, 3));
  // Rocks in the foreground, the tower on them.
  const double rock =
      0.8 + 0.06 * Fbm(x * 5, 0.3, 82, 4) - 0.1 * std::exp(-std::pow((x - 0.5) * 5, 2));
  const double towerHalf = 0.07 - 0.02 * (y - 0.25) / 0.5;
  if (y > 0.25 && y < rock && std::abs(x - 0.5) < towerHalf) {
    const bool stripe = static_cast<int>((y - 0.25) / 0.08) % 2 == 0;
    const double light = 0.7 + 0.3 * Clamp01(1 - (x - 0.5 + towerHalf) / (2 * towerHalf));
    c = Scale(stripe ? Hex(0xE8E4DC) : Hex(0xB8302A), light);
  }
  if (y > 0.17 && y <= 0.25 && std::abs(x - 0.5) < 0.05) c = Hex(0x2B2B2B);
  if (y > 0.19 && y < 0.24 && std::abs(x - 0.5) < 0.035) c = Hex(0xFFE7A0);
  if (y > 0.12 && y <= 0.17 && std::abs(x - 0.5) < 0.06 - (0.17 - y)) c = Hex(0x8E1F1B);
  if (y >= rock) c = Scale(Mix(Hex(0x5A5049), Hex(0x2E2925), Fbm(x * 20, y * 20, 83, 4)), 1.0);
  return c;
}

void MakeSamples(const std::filesystem::path& folder) {
  struct Sample {
    const char* name;
    int width, height;
    Scene scene;
  };
  const Sample samples[] = {
      {"lake-at-dawn.jpg", 800, 600, LakeAtDawn}, {"dunes.jpg", 800, 600, Dunes},
      {"meadow.jpg", 800, 600, Meadow},           {"city-at-night.jpg", 800, 600, CityAtNight},
      {"lighthouse.jpg", 600, 800, Lighthouse},
  };
  uint32_t seed = 90;
  for (const Sample& s : samples) {
    if (!WriteJpeg(Render(s.width, s.height, s.scene, seed++), (folder / s.name).string(), 90)) {
      std::fprintf(stderr, "qg-pictures: cannot write %s\n", (folder / s.name).c_str());
      std::exit(1);
    }
  }
}

int Usage() {
  std::fprintf(stderr, "usage: qg-pictures assets BIN_DIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "assets") == 0) {
    InitializeMagick(nullptr);
    const std::filesystem::path bin = argv[2];
    for (const char* sub : {"Buttons", "Backgrounds", "Samples"})
      std::filesystem::create_directories(bin / sub);
    MakeButtons(bin / "Buttons");
    MakeBackgrounds(bin / "Backgrounds");
    MakeSamples(bin / "Samples");
    DestroyMagick();
    return 0;
  }
  return Usage();
}
