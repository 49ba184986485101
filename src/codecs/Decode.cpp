// LoadSourcePicture and ReadPictureInfo: read the file once, pick the decoder from the extension
// and the file's signature (Formats.cpp), and hand the bytes to it.
//
// ReadPictureInfo is what adding pictures to the list costs, so for JPEG, by far the most common
// source, it walks the marker structure instead of decoding: the size comes from the frame
// header and truncation or broken headers are still caught. Other formats are decoded in full.
#include "codecs/Decode.h"

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "codecs/Animator.h"
#include "codecs/Bitmaps.h"
#include "codecs/Formats.h"
#include "codecs/Jpeg.h"
#include "codecs/Magick.h"
#include "codecs/Psd.h"
#include "core/Error.h"
#include "core/FileRead.h"

namespace qg {

namespace {

using namespace codecs;

// The whole file in memory. Reading it is cheap next to decoding, lets the decoders work on
// memory, and leaves no window in which a file shrinking under a mapping could crash us. Only
// regular files are read: a pipe or a device under a picture's name would block or never end.
std::string ReadSourceBytes(const std::string& path) {
  try {
    return ReadWholeFile(path, kPictureFileCap);
  } catch (const FileReadError& e) {
    throw CannotRead(path, e.reason());
  }
}

struct SourceFile {
  std::string bytes;
  const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(bytes.data()); }
  Route route;
};

// Checks the extension before touching the file, so an unknown extension gets its own message
// even when the file is missing.
SourceFile OpenSource(const std::string& path) {
  const std::string extension = ExtensionOf(path);
  RouteForExtension(extension);  // throws for an extension outside the list
  SourceFile source;
  source.bytes = ReadSourceBytes(path);
  if (source.bytes.empty()) throw CannotRead(path, "the file is empty");
  source.route = ChooseRoute(extension, source.data(), std::min(source.bytes.size(), kSniffBytes));
  if (source.route.decoder == Decoder::None) {
    throw CannotRead(path, source.route.coder + " pictures cannot be decoded on this system");
  }
  return source;
}

bool LooksLikeMetafile(const uint8_t* data, size_t size) {
  if (size >= 4 && data[0] == 0xD7 && data[1] == 0xCD && data[2] == 0xC6 && data[3] == 0x9A) {
    return true;  // placeable metafile
  }
  // A plain metafile header: type 1 (memory) or 2 (disk), header of nine words.
  return size >= 18 && (data[0] == 1 || data[0] == 2) && data[1] == 0 && data[2] == 9 &&
         data[3] == 0;
}

// GraphicsMagick's route, with the variants its coders would get wrong handled first.
Picture DecodeMagickRoute(const uint8_t* data, size_t size, const std::string& coder,
                          const std::string& path) {
  if (coder == "ICO") {
    if (auto picture = DecodeAlphaIcon(data, size, path)) return std::move(*picture);
  } else if (coder == "BMP") {
    if (auto bitmap = WithBitmapFileHeader(data, size)) {
      return DecodeWithMagick(bitmap->data(), bitmap->size(), coder, path);
    }
  } else if (coder == "WMF" && !LooksLikeMetafile(data, size)) {
    // Checked here because libwmf prints its complaint on the terminal as well.
    throw CannotRead(path, "not a Windows metafile");
  }
  return DecodeWithMagick(data, size, coder, path);
}

int32_t ClampedSize(size_t size) {
  return size > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(size);
}

}  // namespace

Picture LoadSourcePicture(const std::string& path) {
  const SourceFile source = OpenSource(path);
  const uint8_t* data = source.data();
  const size_t size = source.bytes.size();
  switch (source.route.decoder) {
    case Decoder::Jpeg:
      return DecodeJpeg(data, size, path);
    case Decoder::Animator:
      return DecodeAnimator(data, size, path);
    case Decoder::Psd:
      return DecodePsd(data, size, path);
    case Decoder::Magick:
    case Decoder::None:
      break;
  }
  return DecodeMagickRoute(data, size, source.route.coder, path);
}

bool ReadPictureInfo(const std::string& path, int32_t& width, int32_t& height, int32_t& byteSize) {
  const SourceFile source = OpenSource(path);
  const uint8_t* data = source.data();
  const size_t size = source.bytes.size();
  std::string problem;
  switch (source.route.decoder) {
    case Decoder::Jpeg: {
      JpegLayout layout;
      if (!ScanJpegStructure(data, size, layout, problem)) throw CannotRead(path, problem);
      CheckPictureSize(path, layout.width, layout.height);
      width = layout.width;
      height = layout.height;
      break;
    }
    case Decoder::Animator: {
      AnimatorHeader header;
      if (!ReadAnimatorHeader(data, size, header, problem)) throw CannotRead(path, problem);
      CheckPictureSize(path, header.width, header.height);
      width = header.width;
      height = header.height;
      break;
    }
    case Decoder::Psd: {
      const Picture picture = DecodePsd(data, size, path);
      width = picture.width;
      height = picture.height;
      break;
    }
    case Decoder::Magick:
    case Decoder::None: {
      const Picture picture = DecodeMagickRoute(data, size, source.route.coder, path);
      width = picture.width;
      height = picture.height;
      break;
    }
  }
  // Larger than 2 GiB cannot be told in 32 bits; the largest value says "very large" rather
  // than a wrapped negative one.
  byteSize = ClampedSize(size);
  return true;
}

}  // namespace qg
