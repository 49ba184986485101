// The imaging settings of the two sides, read from the gallery options: the size box the target
// sizes come from and the look of the finished pictures. Every use of the options by the
// picture pipeline goes through here.
#pragma once

#include <string>

#include "imaging/ImageStyle.h"
#include "imaging/Pipeline.h"
#include "project/Project.h"

namespace qg {

// The side's width and height check boxes and spin values.
SizeBox SideSizeBox(const GalleryOptions& options, Side side);

// The side's border, shadow (on per AddShadow or AddShadowImage; the background is the index
// pages' colour for thumbnails and the picture pages' colour for display images), quality and
// progressive flag.
ImageStyle SideStyle(const GalleryOptions& options, Side side);

// GetTargetSize with the side's size box.
TargetSize SideTargetSize(const std::string& sizeText, const GalleryOptions& options, Side side);
// The same from a picture record's ImageSize, naming the record's file in the error message.
TargetSize SideTargetSize(const PictureRecord& picture, const GalleryOptions& options, Side side);

}  // namespace qg
