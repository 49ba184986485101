// LoadSourcePicture and ReadPictureInfo: read the file once, pick the decoder from the extension
// and the file's signature (Formats.cpp), read the picture's header, and only then (with the
// memory for it set aside) hand the bytes to the decoder.
//
// ReadPictureInfo is what adding pictures to the list costs, so it stops after the header: for
// JPEG, by far the most common source, a walk over the marker structure, for PNG one over the
// chunks, so that truncation and broken headers are still caught without decoding.
#include "codecs/Decode.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "codecs/Animator.h"
#include "codecs/Bitmaps.h"
#include "codecs/Formats.h"
#include "codecs/Jpeg.h"
#include "codecs/Magick.h"
#include "codecs/Png.h"
#include "codecs/Psd.h"
#include "codecs/Structure.h"
#include "core/Error.h"
#include "core/FileRead.h"
#include "core/MemoryBudget.h"
#include "core/PathName.h"

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

// What GraphicsMagick's coders get: the file's bytes, or for a DIB stored without its file
// header the same bitmap with one in front. Checked here, too, is what libwmf would otherwise
// print its complaint about on the terminal.
struct MagickInput {
  const uint8_t* data;
  size_t size;
  std::vector<uint8_t> repaired;
};

MagickInput PrepareMagickInput(const SourceFile& source, const std::string& path) {
  MagickInput input{source.data(), source.bytes.size(), {}};
  const std::string& coder = source.route.coder;
  if (coder == "BMP") {
    if (auto bitmap = WithBitmapFileHeader(input.data, input.size)) {
      input.repaired = std::move(*bitmap);
      input.data = input.repaired.data();
      input.size = input.repaired.size();
    }
  } else if (coder == "WMF" && !LooksLikeMetafile(input.data, input.size)) {
    throw CannotRead(path, "not a Windows metafile");
  }
  return input;
}

// GraphicsMagick holds a decoded frame as 16-bit samples with opacity (8 bytes a pixel), and
// several coders hold the file's own rows beside it; ours is the 3-byte picture.
constexpr uint64_t kMagickBytesPerPixel = 8 + 8 + 3;
// libjpeg's coefficient arrays of a progressive picture: two bytes per sample and component.
constexpr uint64_t kJpegCoefficientBytes = 2;
// Decoders' tables and row buffers beyond the per-pixel amounts.
constexpr uint64_t kDecoderOverhead = 1 << 20;

uint64_t Pixels(int64_t width, int64_t height) {
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
}

struct Header {
  int64_t width = 0;
  int64_t height = 0;
  uint64_t decodeBytes = 0;
};

// The picture's size and the memory its decode needs, from its header. Throws for a damaged
// header or a file cut short (as far as the header's format shows it).
Header ReadHeader(const SourceFile& source, const std::string& path) {
  const uint8_t* data = source.data();
  const size_t size = source.bytes.size();
  std::string problem;
  Header header;
  switch (source.route.decoder) {
    case Decoder::Jpeg: {
      JpegLayout layout;
      if (!ScanJpegStructure(data, size, layout, problem)) throw CannotRead(path, problem);
      header.width = layout.width;
      header.height = layout.height;
      header.decodeBytes = Pixels(layout.width, layout.height) * 3;
      if (layout.progressive) {
        header.decodeBytes += Pixels(layout.width, layout.height) *
                              static_cast<uint64_t>(layout.components) * kJpegCoefficientBytes;
      }
      break;
    }
    case Decoder::Png: {
      PngLayout layout;
      if (!ScanPngStructure(data, size, layout, problem)) throw CannotRead(path, problem);
      header.width = layout.width;
      header.height = layout.height;
      header.decodeBytes = PngDecodeBytes(layout);
      break;
    }
    case Decoder::Animator: {
      AnimatorHeader layout;
      if (!ReadAnimatorHeader(data, size, layout, problem)) throw CannotRead(path, problem);
      header.width = layout.width;
      header.height = layout.height;
      header.decodeBytes = Pixels(layout.width, layout.height) * 3;
      break;
    }
    case Decoder::Psd: {
      const PsdLayout layout = ReadPsdLayout(data, size, path);
      header.width = layout.width;
      header.height = layout.height;
      header.decodeBytes = layout.decodeBytes;
      break;
    }
    case Decoder::Magick:
    case Decoder::None: {
      const MagickInput input = PrepareMagickInput(source, path);
      PingWithMagick(input.data, input.size, source.route.coder, path, header.width, header.height);
      if (!CheckPictureData(source.route.coder, input.data, input.size, problem)) {
        throw CannotRead(path, problem);
      }
      header.decodeBytes = Pixels(header.width, header.height) * kMagickBytesPerPixel;
      break;
    }
  }
  CheckPictureSize(path, header.width, header.height);
  header.decodeBytes += kDecoderOverhead;
  CheckDecodeMemory(path, header.width, header.height, header.decodeBytes);
  return header;
}

Picture DecodeSource(const SourceFile& source, const std::string& path) {
  const uint8_t* data = source.data();
  const size_t size = source.bytes.size();
  switch (source.route.decoder) {
    case Decoder::Jpeg:
      return DecodeJpeg(data, size, path);
    case Decoder::Png:
      return DecodePng(data, size, path);
    case Decoder::Animator:
      return DecodeAnimator(data, size, path);
    case Decoder::Psd:
      return DecodePsd(data, size, path);
    case Decoder::Magick:
    case Decoder::None:
      break;
  }
  const std::string& coder = source.route.coder;
  if (coder == "ICO") {
    if (auto picture = DecodeAlphaIcon(data, size, path)) return std::move(*picture);
  }
  const MagickInput input = PrepareMagickInput(source, path);
  // The header was read with the same coder; a decode that comes out larger than the header
  // said is held to the budget all the same.
  return DecodeWithMagick(input.data, input.size, coder, path, [&](int64_t width, int64_t height) {
    CheckDecodeMemory(path, width, height, Pixels(width, height) * kMagickBytesPerPixel);
  });
}

int32_t ClampedSize(size_t size) {
  return size > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(size);
}

}  // namespace

struct SourcePicture::State {
  std::string path;
  SourceFile source;
  Header header;
};

SourcePicture::SourcePicture(const std::string& path) : state_(std::make_unique<State>()) {
  state_->path = path;
  try {
    state_->source = OpenSource(path);
    state_->header = ReadHeader(state_->source, path);
  } catch (const std::bad_alloc&) {
    throw Error(NotEnoughMemoryMessage(path));
  }
}

SourcePicture::~SourcePicture() = default;

int SourcePicture::width() const { return static_cast<int>(state_->header.width); }
int SourcePicture::height() const { return static_cast<int>(state_->header.height); }
uint64_t SourcePicture::decodeBytes() const { return state_->header.decodeBytes; }
size_t SourcePicture::fileBytes() const { return state_->source.bytes.size(); }

Picture SourcePicture::Decode() {
  try {
    return DecodeSource(state_->source, state_->path);
  } catch (const std::bad_alloc&) {
    throw Error(NotEnoughMemoryMessage(state_->path));
  }
}

void CheckDecodeMemory(const std::string& path, int64_t width, int64_t height, uint64_t bytes) {
  const uint64_t budget = ProcessMemoryBudget().total();
  if (bytes <= budget) return;
  throw CannotRead(path, Format("the picture is too large to decode (%lld x %lld pixels need %s "
                                "of memory; the limit is %s)",
                                static_cast<long long>(width), static_cast<long long>(height),
                                ByteCountText(bytes).c_str(), ByteCountText(budget).c_str()));
}

std::string NotEnoughMemoryMessage(const std::string& path) {
  return CannotRead(path, "there is not enough memory to decode it").what();
}

Picture LoadSourcePicture(const std::string& path) {
  SourcePicture source(path);
  const MemoryBudget::Share share = ProcessMemoryBudget().Acquire(source.decodeBytes());
  return source.Decode();
}

bool ReadPictureInfo(const std::string& path, int32_t& width, int32_t& height, int32_t& byteSize) {
  const SourcePicture source(path);
  width = source.width();
  height = source.height();
  // Larger than 2 GiB cannot be told in 32 bits; the largest value says "very large" rather
  // than a wrapped negative one.
  byteSize = ClampedSize(source.fileBytes());
  return true;
}

}  // namespace qg
