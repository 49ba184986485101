// libqg_magick.so: GraphicsMagick decoding through its C interface, which reports problems as
// values (severity, reason) rather than printing or throwing, so we choose which of them make a
// file unreadable. Exported through the plain C interface of MagickPlugin.h; nothing thrown here
// leaves a function of that interface.
#include <magick/api.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "codecs/MagickPlugin.h"

#define QG_EXPORT extern "C" __attribute__((visibility("default")))

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

// A failure with its reason, carried to the interface function that reports it.
struct Failure {
  int status;
  std::string reason;
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

std::once_flag g_initialised;

void Initialise(int64_t maxPixels) {
  std::call_once(g_initialised, [maxPixels] {
    ExceptionHolder exception;
    InitializeMagickEx(nullptr, MAGICK_OPT_NO_SIGNAL_HANDER, &exception.info);
    SetMagickResourceLimit(PixelsResource, static_cast<magick_int64_t>(maxPixels));
  });
}

// The image list of the data's first frame, read whole or (with `ping`) from its header.
std::unique_ptr<Image, ImageListDeleter> Read(const uint8_t* data, size_t size,
                                              const std::string& coder, bool ping) {
  Initialise(INT64_MAX);  // a no-op after qg_magick_initialise
  ExceptionHolder exception;
  if (GetMagickInfo(coder.c_str(), &exception.info) == nullptr) {
    throw Failure{QG_MAGICK_NO_CODER, coder};
  }
  if ((coder == "EPS" || coder == "EPT") && !ProgramOnPath("gs")) {
    throw Failure{QG_MAGICK_FAILED,
                  "EPS pictures need the Ghostscript interpreter (gs), which is not installed"};
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
      ping ? PingBlob(info.get(), data, size, &exception.info)
           : BlobToImage(info.get(), data, size, &exception.info));
  if (!image || IsFailure(exception.info.severity)) {
    throw Failure{QG_MAGICK_FAILED, Describe(exception.info)};
  }
  return image;
}

void Decode(const uint8_t* data, size_t size, const std::string& coder,
            qg_magick_destination destination, void* context) {
  std::unique_ptr<Image, ImageListDeleter> image = Read(data, size, coder, /*ping=*/false);
  Image* frame = image.get();
  if (!IsRGBColorspace(frame->colorspace)) {  // CMYK, YCC (Photo CD), ...
    if (!TransformColorspace(frame, RGBColorspace)) {
      throw Failure{QG_MAGICK_FAILED, Describe(frame->exception)};
    }
  }

  const int64_t width = static_cast<int64_t>(frame->columns);
  const int64_t height = static_cast<int64_t>(frame->rows);
  uint8_t* pixels = destination(context, width, height);
  if (pixels == nullptr) throw Failure{QG_MAGICK_ABORTED, ""};
  ExceptionHolder exception;
  if (!frame->matte) {
    if (!DispatchImage(frame, 0, 0, frame->columns, frame->rows, "RGB", CharPixel, pixels,
                       &exception.info)) {
      throw Failure{QG_MAGICK_FAILED, Describe(exception.info)};
    }
    return;
  }

  // With transparency: take 16-bit samples and lay each pixel over white at full precision,
  // rounding once at the end.
  std::vector<uint16_t> rgba(static_cast<size_t>(width) * 4);
  for (int64_t y = 0; y < height; ++y) {
    if (!DispatchImage(frame, 0, y, frame->columns, 1, "RGBA", ShortPixel, rgba.data(),
                       &exception.info)) {
      throw Failure{QG_MAGICK_FAILED, Describe(exception.info)};
    }
    uint8_t* out = pixels + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
    for (int64_t x = 0; x < width; ++x) {
      const uint64_t alpha = rgba[4 * x + 3];
      for (int c = 0; c < 3; ++c) {
        const uint64_t mixed = rgba[4 * x + c] * alpha + 65535ull * (65535ull - alpha);
        constexpr uint64_t kScale = 65535ull * 257ull;  // to 16 bits, then 16 to 8 bits
        out[3 * x + c] = static_cast<uint8_t>((mixed + kScale / 2) / kScale);
      }
    }
  }
}

void Report(const std::string& text, char* message, size_t messageSize) {
  if (message != nullptr && messageSize > 0)
    std::snprintf(message, messageSize, "%s", text.c_str());
}

// Runs `work`, turning whatever it throws into a status and a message.
template <class Work>
int Guarded(char* message, size_t messageSize, Work&& work) {
  try {
    work();
    return QG_MAGICK_OK;
  } catch (const Failure& failure) {
    Report(failure.reason, message, messageSize);
    return failure.status;
  } catch (const std::bad_alloc&) {
    Report("there is not enough memory to decode it", message, messageSize);
    return QG_MAGICK_FAILED;
  } catch (const std::exception& e) {
    Report(e.what(), message, messageSize);
    return QG_MAGICK_FAILED;
  } catch (...) {
    Report("the picture could not be decoded", message, messageSize);
    return QG_MAGICK_FAILED;
  }
}

}  // namespace

QG_EXPORT int qg_magick_interface_version(void) { return QG_MAGICK_INTERFACE_VERSION; }

QG_EXPORT void qg_magick_initialise(int64_t max_pixels) { Initialise(max_pixels); }

QG_EXPORT int qg_magick_ping(const uint8_t* data, size_t size, const char* coder, int64_t* width,
                             int64_t* height, char* message, size_t message_size) {
  return Guarded(message, message_size, [&] {
    std::unique_ptr<Image, ImageListDeleter> image = Read(data, size, coder, /*ping=*/true);
    *width = static_cast<int64_t>(image->columns);
    *height = static_cast<int64_t>(image->rows);
  });
}

QG_EXPORT int qg_magick_decode(const uint8_t* data, size_t size, const char* coder,
                               qg_magick_destination destination, void* context, char* message,
                               size_t message_size) {
  return Guarded(message, message_size, [&] { Decode(data, size, coder, destination, context); });
}
