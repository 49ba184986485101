// From a source file to a finished thumbnail or display image: target sizes, resampling, border,
// drop shadow and the JPEG file. What differs between the two sides comes in a SizeBox and an
// ImageStyle (imaging/ImageStyle.h), which the gallery fills from its options.
//
// Threading: every routine here is reentrant; the build calls them from worker threads, each on
// its own pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Picture.h"
#include "imaging/ImageStyle.h"

namespace qg {

enum class Side { Thumb, Image };

struct TargetSize {
  uint16_t width = 0;
  uint16_t height = 0;
  friend bool operator==(const TargetSize&, const TargetSize&) = default;
};

// Target size of a picture from its size text ("800 x 600") and the side's size box. Throws
// qg::Error naming the size text when it has no usable numbers, a zero dimension or a result
// outside 0..65535 (`side` names the side in that message).
TargetSize GetTargetSize(const std::string& sizeText, const SizeBox& box, Side side);

// Decodes a source file once and resamples it to the sizes that `sizesFor` gives for its pixel
// size, in that order; JPEG sources are streamed into the resampler, so the full-size picture is
// never held in memory. Holds a share of the
// process's memory budget for the decode and the resizing. Throws what LoadSourcePicture throws
// for a file it cannot decode, and refuses (naming the picture) work that alone would need more
// than the whole memory budget.
std::vector<Picture> ResampleSourceFile(
    const std::string& sourcePath,
    const std::function<std::vector<TargetSize>(int width, int height)>& sizesFor);

// Border and, when the style asks for it, drop shadow on a resampled picture.
Picture FinishSide(Picture resized, const ImageStyle& style);

// The rest of a side's pipeline on a picture resampled to the side's target size (by
// ResampleSourceFile): FinishSide, then the JPEG file with the style's quality and progressive
// flag. A picture without pixels (a target size with a zero side) is refused, naming the side.
void SaveResampledSide(Picture resized, const std::string& outputPath, const ImageStyle& style,
                       Side side);

// One side of one source file: refuses a target size without pixels before decoding (naming the
// source), then ResampleSourceFile and SaveResampledSide.
void MakeSideFile(const std::string& sourcePath, const std::string& outputPath, TargetSize size,
                  const ImageStyle& style, Side side);

}  // namespace qg
