// From a decoded source to a finished thumbnail or display image: target sizes, resampling,
// border, drop shadow and the JPEG file. The routines of the two sides are twins that differ only
// in which options they read.
//
// Threading: every routine here is reentrant; the build calls them from worker threads, each on
// its own pictures. Progress goes through the callback, which may be empty.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Picture.h"
#include "project/Project.h"

namespace qg {

enum class Side { Thumb, Image };

struct TargetSize {
  uint16_t width = 0;
  uint16_t height = 0;
  friend bool operator==(const TargetSize&, const TargetSize&) = default;
};

// Receives the progress texts ("Resizing thumb... ", "Resizing image... ").
using ProgressText = std::function<void(const std::string&)>;

// Target size of a picture from its size text ("800 x 600") and the side's size options.
// Throws qg::Error naming the size text when it has no usable numbers, a zero dimension or a
// result outside 0..65535.
TargetSize GetThumbnailSize(const std::string& sizeText, const GalleryOptions& options);
TargetSize GetDisplayImageSize(const std::string& sizeText, const GalleryOptions& options);
TargetSize GetTargetSize(const std::string& sizeText, const GalleryOptions& options, Side side);
// The same from a picture record's ImageSize, naming the record's file in the error message.
TargetSize GetTargetSize(const PictureRecord& picture, const GalleryOptions& options, Side side);

// The finished picture of a side from an already decoded source: resampled to width x height,
// bordered, and with the side's drop shadow when `addShadow` is set (48 pixels larger).
Picture RenderSide(const Picture& source, uint16_t width, uint16_t height, bool addShadow,
                   const GalleryOptions& options, Side side, const ProgressText& progress = {});

// Encodes with libjpeg at the given quality (0 is encoded as 1) and writes exactly `outputPath`.
void SaveAsJpeg(const Picture& picture, const std::string& outputPath, int quality,
                bool progressive);
// The side's quality and progressive flag.
void SaveAsJpeg(const Picture& picture, const std::string& outputPath,
                const GalleryOptions& options, Side side);

// The whole pipeline on a decoded source. The thumbnail's shadow follows AddShadow; the display
// image's follows `addShadow`, as the callers pass it.
void MakeThumbnail(const Picture& source, const std::string& outputPath, uint16_t width,
                   uint16_t height, const GalleryOptions& options,
                   const ProgressText& progress = {});
void MakeDisplayImage(const Picture& source, const std::string& outputPath, uint16_t width,
                      uint16_t height, bool addShadow, const GalleryOptions& options,
                      const ProgressText& progress = {});

// The same, decoding the source file first (JPEG sources are streamed into the resampler, so the
// full-size picture is never held in memory).
void MakeThumbnail(const std::string& sourcePath, const std::string& outputPath, uint16_t width,
                   uint16_t height, const GalleryOptions& options,
                   const ProgressText& progress = {});
void MakeDisplayImage(const std::string& sourcePath, const std::string& outputPath, uint16_t width,
                      uint16_t height, bool addShadow, const GalleryOptions& options,
                      const ProgressText& progress = {});

// Both sides of one source file from a single decode and a single pass over its rows: the
// thumbnail (shadow per AddShadow) and the display image (shadow per `addShadow`). An empty
// output path leaves that side out. The files are the ones MakeThumbnail and MakeDisplayImage
// write; this is only faster. Reports "Resizing thumb... " before the resampling and
// "Resizing image... " before the display image is finished.
void MakeThumbnailAndDisplayImage(const std::string& sourcePath, const std::string& thumbnailPath,
                                  TargetSize thumbnailSize, const std::string& displayImagePath,
                                  TargetSize displayImageSize, bool addShadow,
                                  const GalleryOptions& options, const ProgressText& progress = {});

// Both finished pictures of a decoded source, with one pass over its rows for the two sizes.
struct SidePictures {
  Picture thumbnail;
  Picture displayImage;
};
SidePictures RenderSides(const Picture& source, TargetSize thumbnailSize,
                         TargetSize displayImageSize, bool addShadow, const GalleryOptions& options,
                         const ProgressText& progress = {});

// Whether a streamed JPEG source is resampled on a helper thread while libjpeg decodes the next
// rows. Worth it for a single picture (one command, one preview); a build already keeps every
// core busy with one picture per worker.
enum class Overlap { None, DecodeWithResampling };

// Decodes a source file once and resamples it to the sizes that `sizesFor` gives for its pixel
// size, in that order; the pictures are the same with either Overlap. Holds a share of the
// process's memory budget for the decode and the resizing. Throws what LoadSourcePicture throws
// for a file it cannot decode, and refuses (naming the picture) work that alone would need more
// than the whole memory budget.
std::vector<Picture> ResampleSourceFile(
    const std::string& sourcePath,
    const std::function<std::vector<TargetSize>(int width, int height)>& sizesFor,
    Overlap overlap = Overlap::None);

// Border and, when asked, drop shadow on a resampled picture, with the side's settings.
Picture FinishSide(Picture resized, bool addShadow, const GalleryOptions& options, Side side);

// The rest of a side's pipeline on a picture already resampled to the side's target size (by
// ResampleSourceFile, say): border, drop shadow when `addShadow` is set, and the JPEG file with
// the side's quality. After the same resampling it writes exactly the file of MakeThumbnail or
// MakeDisplayImage. A picture without pixels (a target size with a zero side) is refused with
// the message RenderSide gives.
void SaveResampledSide(Picture resized, const std::string& outputPath, bool addShadow,
                       const GalleryOptions& options, Side side);

}  // namespace qg
