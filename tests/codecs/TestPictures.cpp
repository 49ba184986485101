#include "TestPictures.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <jpeglib.h>
#include <magick/api.h>

namespace qg {

void PrintTo(const Picture& picture, std::ostream* out) {
  *out << picture.width << "x" << picture.height << " {";
  const size_t shown = std::min<size_t>(picture.pixels.size(), 12);
  for (size_t i = 0; i < shown; ++i)
    *out << (i ? (i % 3 ? "," : " ") : "") << int{picture.pixels[i]};
  *out << (shown < picture.pixels.size() ? " ...}" : "}");
}

}  // namespace qg

namespace qg::test {

Picture PhotoLike(int width, int height, uint32_t seed) {
  Picture picture(width, height);
  uint32_t state = seed * 2654435761u + 12345u;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      const int noise = static_cast<int>((state >> 24) % 17) - 8;
      uint8_t* p = picture.at(x, y);
      const bool edge = x * height > y * width;  // a hard diagonal
      const bool block = ((x / 7) + (y / 5)) % 3 == 0;
      const int r = x * 255 / (width > 1 ? width - 1 : 1);
      const int g = y * 255 / (height > 1 ? height - 1 : 1);
      const int b = edge ? 210 : (block ? 30 : 120);
      p[0] = static_cast<uint8_t>(std::clamp(r + noise, 0, 255));
      p[1] = static_cast<uint8_t>(std::clamp(g - noise, 0, 255));
      p[2] = static_cast<uint8_t>(std::clamp(b + noise / 2, 0, 255));
    }
  }
  return picture;
}

namespace {

struct Compressor {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  Compressor() {
    cinfo.err = jpeg_std_error(&err);  // test-only: libjpeg's exit() on misuse is acceptable here
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
  }
  ~Compressor() {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
  }
  std::string Bytes() const { return std::string(reinterpret_cast<char*>(buffer), size); }
};

}  // namespace

std::string EncodeJpeg(const Picture& picture, const JpegOptions& options) {
  Compressor c;
  c.cinfo.image_width = static_cast<JDIMENSION>(picture.width);
  c.cinfo.image_height = static_cast<JDIMENSION>(picture.height);
  c.cinfo.input_components = options.grayscale ? 1 : 3;
  c.cinfo.in_color_space = options.grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c.cinfo);
  jpeg_set_quality(&c.cinfo, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&c.cinfo);
  if (options.arithmetic) c.cinfo.arith_code = TRUE;
  c.cinfo.restart_in_rows = options.restartRows;
  jpeg_start_compress(&c.cinfo, TRUE);
  std::vector<uint8_t> gray(static_cast<size_t>(picture.width));
  while (c.cinfo.next_scanline < c.cinfo.image_height) {
    const int y = static_cast<int>(c.cinfo.next_scanline);
    JSAMPROW row = const_cast<JSAMPROW>(picture.row(y));
    if (options.grayscale) {
      for (int x = 0; x < picture.width; ++x) gray[x] = picture.at(x, y)[1];
      row = gray.data();
    }
    jpeg_write_scanlines(&c.cinfo, &row, 1);
  }
  jpeg_finish_compress(&c.cinfo);
  return c.Bytes();
}

std::string EncodeCmykJpeg(int width, int height, const std::vector<uint8_t>& cmyk,
                           bool adobeInverted) {
  Compressor c;
  c.cinfo.image_width = static_cast<JDIMENSION>(width);
  c.cinfo.image_height = static_cast<JDIMENSION>(height);
  c.cinfo.input_components = 4;
  c.cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c.cinfo);
  jpeg_set_quality(&c.cinfo, 100, TRUE);
  c.cinfo.write_Adobe_marker = adobeInverted ? TRUE : FALSE;
  jpeg_start_compress(&c.cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
  while (c.cinfo.next_scanline < c.cinfo.image_height) {
    const size_t y = c.cinfo.next_scanline;
    for (size_t i = 0; i < row.size(); ++i) {
      const uint8_t v = cmyk[y * row.size() + i];
      row[i] = adobeInverted ? static_cast<uint8_t>(255 - v) : v;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c.cinfo, rows, 1);
  }
  jpeg_finish_compress(&c.cinfo);
  return c.Bytes();
}

namespace {

void EnsureTestMagick() {
  static const bool initialised = [] {
    InitializeMagick(nullptr);
    return true;
  }();
  (void)initialised;
}

}  // namespace

void WriteFramesWithMagick(const std::vector<Picture>& frames, const std::string& path,
                           const std::string& format) {
  EnsureTestMagick();
  ExceptionInfo exception;
  GetExceptionInfo(&exception);
  Image* list = nullptr;
  for (const Picture& frame : frames) {
    Image* image = ConstituteImage(static_cast<unsigned long>(frame.width),
                                   static_cast<unsigned long>(frame.height), "RGB", CharPixel,
                                   frame.pixels.data(), &exception);
    if (image == nullptr) throw std::runtime_error("ConstituteImage failed");
    AppendImageToList(&list, image);
  }
  list = GetFirstImageInList(list);  // the append leaves the handle on the last frame
  ImageInfo* info = CloneImageInfo(nullptr);
  info->adjoin = 1;
  std::snprintf(list->filename, MaxTextExtent, "%s:%s", format.c_str(), path.c_str());
  std::snprintf(info->filename, MaxTextExtent, "%s:%s", format.c_str(), path.c_str());
  const bool ok = WriteImage(info, list) != 0;
  DestroyImageList(list);
  DestroyImageInfo(info);
  DestroyExceptionInfo(&exception);
  if (!ok) throw std::runtime_error("GraphicsMagick could not write frames as " + format);
}

void WriteWithMagick(const Picture& picture, const std::string& path, const std::string& format,
                     const std::vector<uint8_t>& alpha, const std::vector<std::string>& options) {
  EnsureTestMagick();
  ExceptionInfo exception;
  GetExceptionInfo(&exception);
  std::vector<uint8_t> rgba;
  const char* map = "RGB";
  const void* pixels = picture.pixels.data();
  if (!alpha.empty()) {
    map = "RGBA";
    rgba.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    for (size_t i = 0; i < alpha.size(); ++i) {
      std::memcpy(&rgba[4 * i], &picture.pixels[3 * i], 3);
      rgba[4 * i + 3] = alpha[i];
    }
    pixels = rgba.data();
  }
  Image* image = ConstituteImage(static_cast<unsigned long>(picture.width),
                                 static_cast<unsigned long>(picture.height), map, CharPixel, pixels,
                                 &exception);
  if (image == nullptr) throw std::runtime_error("ConstituteImage failed");
  ImageInfo* info = CloneImageInfo(nullptr);
  for (const std::string& option : options) {
    if (option == "depth=16") image->depth = 16;
    if (option == "compress=RLE") image->compression = info->compression = RLECompression;
    if (option == "compress=none") image->compression = info->compression = NoCompression;
    if (option == "type=palette") SetImageType(image, PaletteType);
    if (option == "type=gray") SetImageType(image, GrayscaleType);
    if (option == "type=bilevel") SetImageType(image, BilevelType);
    if (option == "colorspace=cmyk") TransformColorspace(image, CMYKColorspace);
    if (option == "interlace=line") image->interlace = info->interlace = LineInterlace;
  }
  std::snprintf(image->filename, MaxTextExtent, "%s:%s", format.c_str(), path.c_str());
  std::snprintf(info->filename, MaxTextExtent, "%s:%s", format.c_str(), path.c_str());
  const bool ok = WriteImage(info, image) != 0;
  const std::string reason =
      image->exception.reason ? image->exception.reason : "unknown write failure";
  DestroyImage(image);
  DestroyImageInfo(info);
  DestroyExceptionInfo(&exception);
  if (!ok) throw std::runtime_error("GraphicsMagick could not write " + format + ": " + reason);
}

namespace {

void Put16(std::string& out, unsigned v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::string EncodeIcon(const Picture& picture, const std::vector<uint8_t>& alpha) {
  const int w = picture.width, h = picture.height;
  const uint32_t maskRow = static_cast<uint32_t>(((w + 31) / 32) * 4);
  const uint32_t imageBytes = 40 + static_cast<uint32_t>(w * h * 4) + maskRow * h;
  std::string out;
  Put16(out, 0);
  Put16(out, 1);  // icon
  Put16(out, 1);  // one image
  out.push_back(static_cast<char>(w & 0xFF));
  out.push_back(static_cast<char>(h & 0xFF));
  out.push_back(0);  // colours
  out.push_back(0);  // reserved
  Put16(out, 1);     // planes
  Put16(out, 32);    // bits
  Put32(out, imageBytes);
  Put32(out, 22);  // offset
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(w));
  Put32(out, static_cast<uint32_t>(h * 2));  // colour and mask halves
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = picture.at(x, y);
      out.push_back(static_cast<char>(p[2]));
      out.push_back(static_cast<char>(p[1]));
      out.push_back(static_cast<char>(p[0]));
      out.push_back(static_cast<char>(alpha[static_cast<size_t>(y) * w + x]));
    }
  }
  out.append(static_cast<size_t>(maskRow) * h, '\0');
  return out;
}

std::string EncodeAnimator(int width, int height, const std::vector<uint8_t>& palette,
                           const std::vector<uint8_t>& indices) {
  std::string out;
  Put16(out, 0x9119);
  Put16(out, static_cast<unsigned>(width));
  Put16(out, static_cast<unsigned>(height));
  Put16(out, 0);
  Put16(out, 0);
  out.push_back(8);  // depth
  out.push_back(0);  // no compression
  Put32(out, static_cast<uint32_t>(width * height));
  out.append(16, '\0');
  out.append(palette.begin(), palette.end());
  out.append(indices.begin(), indices.end());
  return out;
}

namespace {

void PutBE(std::string& out, uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::string PackBits(const uint8_t* in, size_t n) {
  std::string out;
  size_t i = 0;
  while (i < n) {
    size_t run = 1;
    while (i + run < n && run < 128 && in[i + run] == in[i]) ++run;
    if (run >= 3) {
      out.push_back(static_cast<char>(1 - static_cast<int>(run)));
      out.push_back(static_cast<char>(in[i]));
      i += run;
      continue;
    }
    size_t literal = 0;
    while (i + literal < n && literal < 128 &&
           !(i + literal + 2 < n && in[i + literal] == in[i + literal + 1] &&
             in[i + literal] == in[i + literal + 2])) {
      ++literal;
    }
    out.push_back(static_cast<char>(literal - 1));
    out.append(reinterpret_cast<const char*>(in + i), literal);
    i += literal;
  }
  return out;
}

}  // namespace

std::string EncodePsd(const PsdImage& image) {
  std::string out = "8BPS";
  PutBE(out, static_cast<uint64_t>(image.version), 2);
  out.append(6, '\0');
  PutBE(out, image.planes.size(), 2);
  PutBE(out, static_cast<uint64_t>(image.height), 4);
  PutBE(out, static_cast<uint64_t>(image.width), 4);
  PutBE(out, static_cast<uint64_t>(image.depth), 2);
  PutBE(out, static_cast<uint64_t>(image.mode), 2);
  PutBE(out, image.palette.size(), 4);
  out.append(image.palette.begin(), image.palette.end());
  PutBE(out, 0, 4);                           // image resources
  PutBE(out, 0, image.version == 2 ? 8 : 4);  // layers and masks
  PutBE(out, image.packBits ? 1 : 0, 2);
  const size_t rowBytes = static_cast<size_t>((image.width * image.depth + 7) / 8);
  if (!image.packBits) {
    for (const auto& plane : image.planes) out.append(plane.begin(), plane.end());
    return out;
  }
  std::vector<std::string> rows;
  for (const auto& plane : image.planes) {
    for (int y = 0; y < image.height; ++y) rows.push_back(PackBits(&plane[y * rowBytes], rowBytes));
  }
  for (const auto& row : rows) PutBE(out, row.size(), image.version == 2 ? 4 : 2);
  for (const auto& row : rows) out += row;
  return out;
}

int MaxDifference(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return 255;
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    worst = std::max(worst, std::abs(int{a.pixels[i]} - int{b.pixels[i]}));
  }
  return worst;
}

double MeanDifference(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 255;
  double total = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    total += std::abs(int{a.pixels[i]} - int{b.pixels[i]});
  return total / static_cast<double>(a.pixels.size());
}

Picture ParsePpm(const std::string& bytes) {
  std::istringstream in(bytes);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  in >> magic >> w >> h >> maxval;
  if (magic != "P6" || maxval != 255) throw std::runtime_error("not a P6 PPM");
  in.get();
  Picture picture(w, h);
  in.read(reinterpret_cast<char*>(picture.pixels.data()),
          static_cast<std::streamsize>(picture.pixels.size()));
  if (!in) throw std::runtime_error("short PPM");
  return picture;
}

int RunCommand(const std::string& command, std::string* output) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return -1;
  std::string text;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, n);
  const int status = pclose(pipe.release());
  if (output) *output = std::move(text);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace qg::test
