// Fuzz target for our own picture parsers: the JPEG and PNG structure passes (and, for inputs
// they accept with a modest size, the full libjpeg and libpng decodes behind our error
// handling), the Photoshop header pass and reader, the Animator and icon readers, the data
// checks of GraphicsMagick's formats, the DIB header repair and the signature sniffing. Each turns
// away what does not start like its format; none may crash, hang or read outside the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "codecs/Animator.h"
#include "codecs/Bitmaps.h"
#include "codecs/Formats.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"
#include "codecs/Psd.h"
#include "codecs/Structure.h"
#include "core/Error.h"

namespace {

template <class F>
void Tolerate(F&& decode) {
  try {
    decode();
  } catch (const qg::Error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qg::codecs;
  const std::string path = "fuzz-input";
  volatile size_t sink = 0;

  JpegLayout layout;
  std::string problem;
  if (ScanJpegStructure(data, size, layout, problem)) {
    // Bounded so that a header claiming a huge picture does not make every run slow.
    if (static_cast<int64_t>(layout.width) * layout.height <= (1 << 20)) {
      Tolerate([&] { sink = sink + DecodeJpeg(data, size, path).pixels.size(); });
    }
  } else {
    sink = sink + problem.size();
  }
  PngLayout png;
  if (ScanPngStructure(data, size, png, problem)) {
    if (png.width * png.height <= (1 << 20)) {
      Tolerate([&] { sink = sink + DecodePng(data, size, path).pixels.size(); });
    }
  } else {
    sink = sink + problem.size();
  }
  for (const char* coder : {"GIF", "PNM", "TGA", "SGI", "PCX"}) {
    sink = sink + CheckPictureData(coder, data, size, problem);
  }
  Tolerate([&] { sink = sink + ReadPsdLayout(data, size, path).decodeBytes; });
  Tolerate([&] { sink = sink + DecodePsd(data, size, path).pixels.size(); });
  Tolerate([&] { sink = sink + DecodeAnimator(data, size, path).pixels.size(); });
  Tolerate([&] {
    if (auto icon = DecodeAlphaIcon(data, size, path)) sink = sink + icon->pixels.size();
  });
  if (auto bitmap = WithBitmapFileHeader(data, size)) sink = sink + bitmap->size();
  for (const char* extension : {"jpg", "png", "tga", "eps", "cel"}) {
    sink = sink + ChooseRoute(extension, data, std::min(size, kSniffBytes)).coder.size();
  }
  (void)sink;
  return 0;
}
