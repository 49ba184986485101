// Which decoder reads a source file. The extension (any case) decides whether the file is
// accepted at all and gives the default decoder; a recognised signature in the file's first bytes
// overrides that default, so a PNG saved under .jpg or a JPEG saved under .png still decodes.
// Formats without a signature (Targa, raw G3 fax, DR Halo, ...) follow their extension.
//
// Internal to codecs/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Error.h"

namespace qg::codecs {

enum class Decoder {
  Jpeg,      // our libjpeg reader
  Png,       // our libpng reader
  Magick,    // GraphicsMagick with the coder named in Route::coder
  Animator,  // our reader of the 8-bit Animator CEL/PIC pictures
  Psd,       // our reader of Photoshop's merged picture
  None,      // accepted extension without a decoder on this system
};

struct Route {
  Decoder decoder = Decoder::None;
  std::string coder;  // GraphicsMagick coder name when decoder == Magick
};

// The default route of an accepted extension (lower case, no dot). Throws qg::Error with
// "Unknown picture file extension (.%s)" when the extension is not accepted.
Route RouteForExtension(const std::string& extension);

// The route for a file with this extension whose first bytes are `head` (as many as the file
// has, up to kSniffBytes): a signature we recognise wins over the extension's default.
constexpr size_t kSniffBytes = 4096;
Route ChooseRoute(const std::string& extension, const uint8_t* head, size_t length);

// The error of a picture that cannot be read: names the file and says what is wrong with it.
Error CannotRead(const std::string& path, const std::string& reason);

// Pictures larger than this many pixels are refused before any memory is taken for them (a
// damaged header can claim billions). Half a gigapixel holds any camera's or panorama's picture.
constexpr int64_t kMaxPixels = 500'000'000;
void CheckPictureSize(const std::string& path, int64_t width, int64_t height);

}  // namespace qg::codecs
