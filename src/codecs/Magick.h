// Sources decoded through GraphicsMagick. GraphicsMagick is reached through our plug-in
// libqg_magick.so (MagickPlugin.h), loaded the first time a picture needs it; when it cannot be
// loaded, that picture fails with a message saying so and everything else works as before.
//
// Internal to codecs/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Picture.h"

namespace qg::codecs {

// Width and height of the first frame from the picture's header (GraphicsMagick's ping), without
// decoding pixels. Throws CannotRead(path, ...) like DecodeWithMagick.
void PingWithMagick(const uint8_t* data, size_t size, const std::string& coder,
                    const std::string& path, int64_t& width, int64_t& height);

// Decodes the first frame (page, icon, layer composite) of the file held in memory with the
// named coder, converts it to RGB, lays transparent areas on white and scales 16-bit samples to
// 8 bits. `beforeAllocating`, when given, is called with the decoded size before the picture's
// memory is taken and may throw to refuse it. Safe to call from several threads at once. Throws
// CannotRead(path, ...) with GraphicsMagick's reason when the data is damaged, the coder is
// missing or the plug-in cannot be loaded.
Picture DecodeWithMagick(
    const uint8_t* data, size_t size, const std::string& coder, const std::string& path,
    const std::function<void(int64_t width, int64_t height)>& beforeAllocating = {});

// The folders searched for the plug-in, in order: $QUILLON_PLUGIN_DIR alone when it is set,
// otherwise the executable's own folder and <executable folder>/../lib/quillon-gallery.
std::string MagickPluginSearchText();

}  // namespace qg::codecs
