// GraphicsMagick decoding through its C interface, which reports problems as values (severity,
// reason) rather than printing or throwing, so we choose which of them make a file unreadable.
#include <magick/api.h>

#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

#include "codecs/Formats.h"
#include "codecs/Magick.h"
#include "core/Error.h"

namespace qg::codecs {

namespace {

// The name GraphicsMagick sees for the data: the coder prefix pins the format, and a fixed file
// name keeps characters of the real path (brackets, percent signs) from being read as frame
// ranges or patterns.
constexpr const char* kBlobName = "picture";

struct ExceptionHolder {
  ExceptionInfo info;
  ExceptionHolder() { GetExceptionInfo(&info); }
  ~ExceptionHolder() { DestroyExceptionInfo(&info); }
  ExceptionHolder(const ExceptionHolder&) = delete;
  ExceptionHolder& operator=(const ExceptionHolder&) = delete;
};

struct ImageInfoDeleter {
  void operator()(ImageInfo* info) const { DestroyImageInfo(info); }
};
struct ImageListDeleter {
  void operator()(Image* image) const { DestroyImageList(image); }
};

// GraphicsMagick's reason, with its description unless that only names our stand-in file name.
std::string Describe(const ExceptionInfo& exception) {
  std::string text = exception.reason ? exception.reason : "";
  if (exception.description && *exception.description &&
      std::strcmp(exception.description, kBlobName) != 0) {
    text += text.empty() ? std::string(exception.description)
                         : " (" + std::string(exception.description) + ")";
  }
  if (text.empty()) text = "the picture could not be decoded";
  return text;
}

bool ProgramOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::stringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    std::error_code ec;
    const auto candidate = std::filesystem::path(folder) / name;
    if (std::filesystem::is_regular_file(candidate, ec) && access(candidate.c_str(), X_OK) == 0) {
      return true;
    }
  }
  return false;
}

// A damaged file shows up as an error, or as a corrupt-image warning beside a picture that was
// filled in as far as the data went: both mean the file is damaged. Other warnings (an unknown
// TIFF tag, a profile GraphicsMagick cannot use) leave a good picture.
bool IsFailure(ExceptionType severity) {
  return severity >= ErrorException || severity == CorruptImageWarning;
}

}  // namespace

void EnsureMagick() {
  static std::once_flag once;
  std::call_once(once, [] {
    ExceptionHolder exception;
    InitializeMagickEx(nullptr, MAGICK_OPT_NO_SIGNAL_HANDER, &exception.info);
    SetMagickResourceLimit(PixelsResource, kMaxPixels);
  });
}

Picture DecodeWithMagick(const uint8_t* data, size_t size, const std::string& coder,
                         const std::string& path) {
  EnsureMagick();
  ExceptionHolder exception;
  if (GetMagickInfo(coder.c_str(), &exception.info) == nullptr) {
    throw CannotRead(path, coder + " pictures cannot be decoded on this system");
  }
  if ((coder == "EPS" || coder == "EPT") && !ProgramOnPath("gs")) {
    throw CannotRead(path,
                     "EPS pictures need the Ghostscript interpreter (gs), which is not installed");
  }

  std::unique_ptr<ImageInfo, ImageInfoDeleter> info(CloneImageInfo(nullptr));
  std::snprintf(info->filename, MaxTextExtent, "%s:%s", coder.c_str(), kBlobName);
  std::snprintf(info->magick, MaxTextExtent, "%s", coder.c_str());
  // The first frame only. Photo CD files hold one picture at several resolutions instead, and
  // the coder's default is the base resolution (768 x 512), the one meant for screens.
  if (coder != "PCD") {
    info->subimage = 0;
    info->subrange = 1;
  }

  std::unique_ptr<Image, ImageListDeleter> image(
      BlobToImage(info.get(), data, size, &exception.info));
  if (!image || IsFailure(exception.info.severity)) {
    throw CannotRead(path, Describe(exception.info));
  }

  Image* frame = image.get();
  CheckPictureSize(path, static_cast<int64_t>(frame->columns), static_cast<int64_t>(frame->rows));
  if (!IsRGBColorspace(frame->colorspace)) {  // CMYK, YCC (Photo CD), ...
    if (!TransformColorspace(frame, RGBColorspace)) {
      throw CannotRead(path, Describe(frame->exception));
    }
  }

  const int width = static_cast<int>(frame->columns);
  const int height = static_cast<int>(frame->rows);
  Picture picture(width, height);
  if (!frame->matte) {
    if (!DispatchImage(frame, 0, 0, frame->columns, frame->rows, "RGB", CharPixel,
                       picture.pixels.data(), &exception.info)) {
      throw CannotRead(path, Describe(exception.info));
    }
    return picture;
  }

  // With transparency: take 16-bit samples and lay each pixel over white at full precision,
  // rounding once at the end.
  std::vector<uint16_t> rgba(static_cast<size_t>(width) * 4);
  for (int y = 0; y < height; ++y) {
    if (!DispatchImage(frame, 0, y, frame->columns, 1, "RGBA", ShortPixel, rgba.data(),
                       &exception.info)) {
      throw CannotRead(path, Describe(exception.info));
    }
    uint8_t* out = picture.row(y);
    for (int x = 0; x < width; ++x) {
      const uint64_t alpha = rgba[4 * x + 3];
      for (int c = 0; c < 3; ++c) {
        const uint64_t mixed = rgba[4 * x + c] * alpha + 65535ull * (65535ull - alpha);
        constexpr uint64_t kScale = 65535ull * 257ull;  // to 16 bits, then 16 to 8 bits
        out[3 * x + c] = static_cast<uint8_t>((mixed + kScale / 2) / kScale);
      }
    }
  }
  return picture;
}

}  // namespace qg::codecs
