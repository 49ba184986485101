#include "gallery/SideStyle.h"

#include "core/Error.h"

namespace qg {

SizeBox SideSizeBox(const GalleryOptions& options, Side side) {
  if (side == Side::Thumb)
    return {options.blThumbWidth, options.iThumbWidth, options.blThumbHeight, options.iThumbHeigth};
  return {options.blImageWidth, options.iImageWidth, options.blImageHeight, options.iImageHeigth};
}

ImageStyle SideStyle(const GalleryOptions& options, Side side) {
  ImageStyle style;
  if (side == Side::Thumb) {
    style.borderWidth = options.BorderWidth;
    style.borderColour = options.ColorBorder;
    style.shadow = options.AddShadow;
    style.background = options.colorboxBackgroundA;
    style.shadowColour = options.iShadowColorThumb;
    style.shadowOffsetH = options.iShadowOffHThumb;
    style.shadowOffsetV = options.iShadowOffVThumb;
    style.shadowBlur = options.iShadowBlurThumb;
    style.quality = options.iQualityThumb;
    style.progressive = options.blProgressiveThumb;
  } else {
    style.borderWidth = options.BorderWidthImage;
    style.borderColour = options.ColorBorderImage;
    style.shadow = options.AddShadowImage;
    style.background = options.colorboxBackgroundB;
    style.shadowColour = options.iShadowColorImage;
    style.shadowOffsetH = options.iShadowOffHImage;
    style.shadowOffsetV = options.iShadowOffVImage;
    style.shadowBlur = options.iShadowBlurImage;
    style.quality = options.iQualityImage;
    style.progressive = options.blProgressiveImage;
  }
  return style;
}

TargetSize SideTargetSize(const std::string& sizeText, const GalleryOptions& options, Side side) {
  return GetTargetSize(sizeText, SideSizeBox(options, side), side);
}

TargetSize SideTargetSize(const PictureRecord& picture, const GalleryOptions& options, Side side) {
  try {
    return SideTargetSize(picture.ImageSize, options, side);
  } catch (const Error& e) {
    throw Error(Format("%s: %s", picture.FileName.c_str(), e.what()));
  }
}

}  // namespace qg
