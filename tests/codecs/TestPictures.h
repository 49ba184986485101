// Test pictures for the decoder tests, all made here: a photo-like pattern, writers for JPEG
// (through libjpeg, with the options the tests vary) and for every format GraphicsMagick writes,
// and a few hand-built files for formats nothing here writes (icons, Animator pictures).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/Picture.h"

namespace qg {
// Lets test failures show a picture as its size and first pixels instead of raw bytes.
void PrintTo(const Picture& picture, std::ostream* out);
}  // namespace qg

namespace qg::test {

// Gradients, hard edges and a little deterministic noise; odd sizes exercise partial blocks.
Picture PhotoLike(int width, int height, uint32_t seed = 1);

struct JpegOptions {
  int quality = 90;
  bool progressive = false;
  bool arithmetic = false;
  int restartRows = 0;  // restart interval in MCU rows, 0 = none
  bool grayscale = false;
};
std::string EncodeJpeg(const Picture& picture, const JpegOptions& options = {});

// A four-component JPEG from CMYK samples (width * height * 4 bytes). With `adobeInverted` the
// samples are stored inverted (255 = no ink), as Photoshop writes them; libjpeg adds the Adobe
// marker either way, so the non-inverted variant has its marker removed.
std::string EncodeCmykJpeg(int width, int height, const std::vector<uint8_t>& cmyk,
                           bool adobeInverted);

// Writes `picture` (and `alpha`, one byte a pixel, when given) with GraphicsMagick's coder
// `format` to `path`. `options` are extra image settings: "depth=16", "compress=RLE",
// "type=palette", "colorspace=cmyk", "interlace=line" (an interlaced PNG or GIF).
void WriteWithMagick(const Picture& picture, const std::string& path, const std::string& format,
                     const std::vector<uint8_t>& alpha = {},
                     const std::vector<std::string>& options = {});

// Several frames (pages) in one file, for the formats that hold more than one picture.
void WriteFramesWithMagick(const std::vector<Picture>& frames, const std::string& path,
                           const std::string& format);

// A Windows icon with one 32-bit image (BMP payload, alpha from `alpha`).
std::string EncodeIcon(const Picture& picture, const std::vector<uint8_t>& alpha);

// An 8-bit Animator CEL picture; `palette` holds 256 RGB triplets of 6-bit values.
std::string EncodeAnimator(int width, int height, const std::vector<uint8_t>& palette,
                           const std::vector<uint8_t>& indices);

// A Photoshop file holding only the merged picture: `planes` are the channel planes, each
// height rows of (width * depth + 7) / 8 bytes; `palette` the 768-byte planar palette of
// indexed pictures. With `packBits` the rows are run-length coded.
struct PsdImage {
  int mode = 3;  // 0 bitmap, 1 gray, 2 indexed, 3 RGB, 4 CMYK
  int depth = 8;
  int width = 0;
  int height = 0;
  std::vector<std::vector<uint8_t>> planes;
  std::vector<uint8_t> palette;
  bool packBits = false;
  int version = 1;  // 2: large document format
};
std::string EncodePsd(const PsdImage& image);

// The largest difference of any sample between two pictures of the same size (255 if the sizes
// differ).
int MaxDifference(const Picture& a, const Picture& b);

// The mean absolute difference of all samples (255 if the sizes differ).
double MeanDifference(const Picture& a, const Picture& b);

// Decodes a PPM (P6, maxval 255) as djpeg writes it.
Picture ParsePpm(const std::string& bytes);

// Runs a shell command, returns its exit status; stdout goes to `output` when given.
int RunCommand(const std::string& command, std::string* output = nullptr);

}  // namespace qg::test
