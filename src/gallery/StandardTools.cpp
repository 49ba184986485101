// The imaging steps of a real build: the codecs' decoder and the imaging pipeline. Kept apart
// from the driver so that tests of the driver can link without them.
#include "codecs/Decode.h"
#include "gallery/GalleryBuilder.h"
#include "imaging/Pipeline.h"

namespace qg {

PictureTools PictureTools::Standard() {
  PictureTools tools;
  tools.thumbnailSize = [](const std::string& sizeText, const GalleryOptions& options) {
    return GetThumbnailSize(sizeText, options);
  };
  tools.displayImageSize = [](const std::string& sizeText, const GalleryOptions& options) {
    return GetDisplayImageSize(sizeText, options);
  };
  tools.load = [](const std::string& path) { return LoadSourcePicture(path); };
  tools.makeThumbnail = [](const Picture& source, const std::string& outputPath, uint16_t width,
                           uint16_t height, const GalleryOptions& options) {
    MakeThumbnail(source, outputPath, width, height, options);
  };
  tools.makeDisplayImage = [](const Picture& source, const std::string& outputPath, uint16_t width,
                              uint16_t height, bool addShadow, const GalleryOptions& options) {
    MakeDisplayImage(source, outputPath, width, height, addShadow, options);
  };
  return tools;
}

}  // namespace qg
