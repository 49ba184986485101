// Opens libqg_magick.so on first use and turns its C interface back into our errors. The
// plug-in is looked for beside the executable and in <executable folder>/../lib/quillon-gallery
// (the build folder's bin/ and tests/ and an installed program's bin/ all reach it so), or only
// in $QUILLON_PLUGIN_DIR when that is set. It is opened once per process; when that fails, every
// picture that needs it gets the same message, and nothing else is affected.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <exception>
#include <mutex>
#include <new>
#include <vector>

#include "codecs/Formats.h"
#include "codecs/Magick.h"
#include "codecs/MagickPlugin.h"
#include "core/Error.h"

namespace qg::codecs {

namespace {

constexpr const char* kPluginName = "libqg_magick.so";

struct Plugin {
  qg_magick_ping_fn ping = nullptr;
  qg_magick_decode_fn decode = nullptr;
  std::string problem;  // why it could not be loaded; empty when loaded
};

std::vector<std::string> SearchFolders() {
  if (const char* folder = std::getenv("QUILLON_PLUGIN_DIR"); folder != nullptr && *folder) {
    return {folder};
  }
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return {};
  std::string path(exe, static_cast<size_t>(n));
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  return {folder, folder + "/../lib/quillon-gallery"};
}

template <class Function>
Function Symbol(void* handle, const char* name, std::string& problem) {
  void* symbol = ::dlsym(handle, name);
  if (symbol == nullptr && problem.empty()) problem = std::string(kPluginName) + " lacks " + name;
  return reinterpret_cast<Function>(symbol);
}

Plugin Load() {
  Plugin plugin;
  std::string firstError;
  for (const std::string& folder : SearchFolders()) {
    const std::string path = folder + "/" + kPluginName;
    if (::access(path.c_str(), F_OK) != 0) continue;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      if (firstError.empty()) firstError = ::dlerror();
      continue;
    }
    std::string problem;
    auto version =
        Symbol<qg_magick_interface_version_fn>(handle, "qg_magick_interface_version", problem);
    auto initialise = Symbol<qg_magick_initialise_fn>(handle, "qg_magick_initialise", problem);
    plugin.ping = Symbol<qg_magick_ping_fn>(handle, "qg_magick_ping", problem);
    plugin.decode = Symbol<qg_magick_decode_fn>(handle, "qg_magick_decode", problem);
    if (problem.empty() && version() != QG_MAGICK_INTERFACE_VERSION) {
      problem = path + " is of another version of this program";
    }
    if (!problem.empty()) {
      ::dlclose(handle);
      if (firstError.empty()) firstError = problem;
      continue;
    }
    initialise(kMaxPixels);
    return plugin;  // kept open for the rest of the run
  }
  plugin.problem = firstError.empty() ? Format("%s was not found in %s", kPluginName,
                                               MagickPluginSearchText().c_str())
                                      : firstError;
  return plugin;
}

const Plugin& LoadedPlugin(const std::string& coder, const std::string& path) {
  static const Plugin plugin = Load();  // thread-safe, once
  if (!plugin.problem.empty()) {
    throw CannotRead(path, Format("%s pictures are decoded by GraphicsMagick, which could not be "
                                  "loaded (%s)",
                                  coder.c_str(), plugin.problem.c_str()));
  }
  return plugin;
}

[[noreturn]] void Fail(int status, const char* message, const std::string& coder,
                       const std::string& path) {
  if (status == QG_MAGICK_NO_CODER) {
    throw CannotRead(path, coder + " pictures cannot be decoded on this system");
  }
  throw CannotRead(path, *message ? message : "the picture could not be decoded");
}

// What the plug-in's destination callback needs; an exception thrown while making the picture
// is kept here and rethrown once the plug-in has returned, never thrown through its C frames.
struct Destination {
  Picture picture;
  const std::function<void(int64_t, int64_t)>* beforeAllocating = nullptr;
  const std::string* path = nullptr;
  std::exception_ptr error;
};

uint8_t* ProvideDestination(void* context, int64_t width, int64_t height) {
  auto* destination = static_cast<Destination*>(context);
  try {
    CheckPictureSize(*destination->path, width, height);
    if (*destination->beforeAllocating) (*destination->beforeAllocating)(width, height);
    destination->picture = Picture(static_cast<int>(width), static_cast<int>(height));
    return destination->picture.pixels.data();
  } catch (const std::bad_alloc&) {
    destination->error = std::make_exception_ptr(
        CannotRead(*destination->path, "there is not enough memory to decode it"));
  } catch (...) {
    destination->error = std::current_exception();
  }
  return nullptr;
}

}  // namespace

std::string MagickPluginSearchText() {
  std::string text;
  for (const std::string& folder : SearchFolders()) text += (text.empty() ? "" : " or ") + folder;
  return text.empty() ? "(no folder)" : text;
}

void PingWithMagick(const uint8_t* data, size_t size, const std::string& coder,
                    const std::string& path, int64_t& width, int64_t& height) {
  const Plugin& plugin = LoadedPlugin(coder, path);
  char message[1024] = "";
  const int status =
      plugin.ping(data, size, coder.c_str(), &width, &height, message, sizeof message);
  if (status != QG_MAGICK_OK) Fail(status, message, coder, path);
  CheckPictureSize(path, width, height);
}

Picture DecodeWithMagick(const uint8_t* data, size_t size, const std::string& coder,
                         const std::string& path,
                         const std::function<void(int64_t, int64_t)>& beforeAllocating) {
  const Plugin& plugin = LoadedPlugin(coder, path);
  Destination destination;
  destination.beforeAllocating = &beforeAllocating;
  destination.path = &path;
  char message[1024] = "";
  const int status = plugin.decode(data, size, coder.c_str(), ProvideDestination, &destination,
                                   message, sizeof message);
  if (destination.error) std::rethrow_exception(destination.error);
  if (status != QG_MAGICK_OK) Fail(status, message, coder, path);
  return std::move(destination.picture);
}

}  // namespace qg::codecs
