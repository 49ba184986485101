// The imaging steps of a real build: the imaging pipeline's source resampling (JPEG rows streamed
// from the decoder into the resampler, other formats through the codecs' decoder) and its side
// finishing. Kept apart from the driver so that tests of the driver can link without them.
#include "gallery/GalleryBuilder.h"
#include "gallery/SideStyle.h"
#include "imaging/Pipeline.h"

namespace qg {

PictureTools PictureTools::Standard() {
  PictureTools tools;
  tools.thumbnailSize = [](const std::string& sizeText, const GalleryOptions& options) {
    return SideTargetSize(sizeText, options, Side::Thumb);
  };
  tools.displayImageSize = [](const std::string& sizeText, const GalleryOptions& options) {
    return SideTargetSize(sizeText, options, Side::Image);
  };
  tools.resample = [](const std::string& sourcePath, const std::vector<TargetSize>& sizes) {
    return ResampleSourceFile(sourcePath, [&](int, int) { return sizes; });
  };
  tools.finish = [](Picture resized, const std::string& outputPath, bool addShadow,
                    const GalleryOptions& options, Side side) {
    ImageStyle style = SideStyle(options, side);
    style.shadow = addShadow;
    SaveResampledSide(std::move(resized), outputPath, style, side);
  };
  return tools;
}

}  // namespace qg
