// Target sizes and the picture pipeline of the two sides.
//
// The size arithmetic runs in long double (80-bit extended) with the percentage stored as a
// double between the two steps and the result truncated, never rounded: that is what decides
// exact ratios (120 x 90 at width 100 gives 74, not 75).
#include "imaging/Pipeline.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "codecs/Decode.h"
#include "codecs/JpegInput.h"
#include "codecs/JpegOutput.h"
#include "core/Error.h"
#include "core/MemoryBudget.h"
#include "imaging/Border.h"
#include "imaging/Kernels.h"
#include "imaging/Resample.h"
#include "imaging/Shadow.h"

namespace qg {

namespace {

const char* SideName(Side side) { return side == Side::Thumb ? "thumbnail" : "display image"; }

// Whole-number conversion: leading blanks, an optional sign, decimal digits and nothing else;
// the value must fit 32 bits.
bool ParseInteger(const std::string& text, int64_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    v = v * 10 + (text[i] - '0');
    if (v > int64_t{INT32_MAX} + 1) return false;
  }
  value = negative ? -v : v;
  return value >= INT32_MIN && value <= INT32_MAX;
}

// The source width is the text before " x" (all but the last two characters before the first
// "x"), the height up to 100 characters after it.
void ParseSizeText(const std::string& sizeText, int64_t& sw, int64_t& sh) {
  const size_t x = sizeText.find('x');
  const bool ok = x != std::string::npos && x >= 1 && ParseInteger(sizeText.substr(0, x - 1), sw) &&
                  ParseInteger(sizeText.substr(x + 1, 100), sh);
  if (!ok) throw Error(Format("'%s' is not a valid picture size", sizeText.c_str()));
  if (sw <= 0 || sh <= 0)
    throw Error(Format("'%s' is not a valid picture size: a side is %s", sizeText.c_str(),
                       sw == 0 || sh == 0 ? "zero" : "negative"));
}

// trunc(P / 100 * length) with P = spin / other * 100 stored as a double.
long double Proportional(int64_t spin, int64_t other, int64_t length) {
  const auto percent = static_cast<double>(static_cast<long double>(spin) / other * 100.0L);
  return truncl(static_cast<long double>(percent) / 100.0L * length);
}

}  // namespace

TargetSize GetTargetSize(const std::string& sizeText, const SizeBox& box, Side side) {
  const bool widthBox = box.fixWidth;
  const bool heightBox = box.fixHeight;
  const int64_t spinWidth = box.width;
  const int64_t spinHeight = box.height;

  int64_t sw = 0, sh = 0;
  ParseSizeText(sizeText, sw, sh);
  long double width = 0, height = 0;
  if (widthBox) {
    width = static_cast<long double>(spinWidth);
  } else {
    height = static_cast<long double>(spinHeight);
    width = Proportional(spinHeight, sh, sw);
  }
  if (heightBox) {
    height = static_cast<long double>(spinHeight);
  } else {
    width = static_cast<long double>(spinWidth);
    height = Proportional(spinWidth, sw, sh);
  }
  if (!(width >= 0 && width <= 65535 && height >= 0 && height <= 65535))
    throw Error(Format("The %s size %.0Lf x %.0Lf for a picture of %s is outside 0 to 65535 pixels",
                       SideName(side), width, height, sizeText.c_str()));
  return TargetSize{static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
}

namespace {

void CheckTargetSize(uint32_t width, uint32_t height, Side side, const std::string& name) {
  if (width != 0 && height != 0) return;
  throw Error(Format("Cannot make the %s %s: its size %u x %u has no pixels", SideName(side),
                     name.c_str(), width, height));
}

}  // namespace

namespace {

std::vector<std::pair<uint32_t, uint32_t>> Pairs(const std::vector<TargetSize>& sizes) {
  std::vector<std::pair<uint32_t, uint32_t>> pairs;
  for (const TargetSize& t : sizes) pairs.emplace_back(t.width, t.height);
  return pairs;
}

std::vector<Picture> ResamplePicture(const Picture& source, const std::vector<TargetSize>& sizes) {
  RowResampler resampler(source.width, source.height, Pairs(sizes));
  const uint8_t* rows[detail::kBlockRows];
  for (int y = 0; y < source.height; y += detail::kBlockRows) {
    const int count = std::min(detail::kBlockRows, source.height - y);
    for (int r = 0; r < count; ++r) rows[r] = source.row(y + r);
    resampler.AddRows(rows, count);
  }
  return resampler.Finish();
}

}  // namespace

namespace {

// The most memory resampling a source of sourceWidth x sourceHeight to `sizes` takes, with a
// margin for what the steps around it allocate.
uint64_t ResampleBytes(int sourceWidth, int sourceHeight, const std::vector<TargetSize>& sizes) {
  return RowResampler::MemoryBytes(sourceWidth, sourceHeight, Pairs(sizes)) + (1 << 20);
}

// Resampler errors (a target too large for memory, say) do not know the picture; this names it.
template <class Work>
auto NamingThePicture(const std::string& sourcePath, Work&& work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    throw Error(NotEnoughMemoryMessage(sourcePath));
  } catch (const Error& e) {
    throw Error(Format("%s: %s", sourcePath.c_str(), e.what()));
  }
}

// Refuses, naming the picture, a decode or a decode and resizing that alone would need more than
// the whole memory budget.
void CheckResizeMemory(const std::string& sourcePath, int width, int height, uint64_t decodeBytes,
                       uint64_t resizeBytes) {
  CheckDecodeMemory(sourcePath, width, height, decodeBytes);
  const uint64_t budget = ProcessMemoryBudget().total();
  if (decodeBytes + resizeBytes <= budget) return;
  throw Error(
      Format("Cannot resize picture \"%s\" (%d x %d pixels): with its resized pictures it "
             "needs %s of memory; the limit is %s",
             sourcePath.c_str(), width, height, ByteCountText(decodeBytes + resizeBytes).c_str(),
             ByteCountText(budget).c_str()));
}

}  // namespace

std::vector<Picture> ResampleSourceFile(
    const std::string& sourcePath,
    const std::function<std::vector<TargetSize>(int width, int height)>& sizesFor) {
  // Each way holds its share of the process's memory budget from before the decode until the
  // resampled pictures are made, so parallel workers together stay within the budget.
  MemoryBudget& budget = ProcessMemoryBudget();
  {
    std::unique_ptr<JpegRowSource> jpeg;
    try {
      jpeg = JpegRowSource::Open(sourcePath);
    } catch (const std::bad_alloc&) {
      throw Error(NotEnoughMemoryMessage(sourcePath));
    }
    if (jpeg) {
      const std::vector<TargetSize> sizes = sizesFor(jpeg->width(), jpeg->height());
      const uint64_t resize = ResampleBytes(jpeg->width(), jpeg->height(), sizes);
      CheckResizeMemory(sourcePath, jpeg->width(), jpeg->height(), jpeg->decodeBytes(), resize);
      const MemoryBudget::Share share = budget.Acquire(jpeg->decodeBytes() + resize);
      std::optional<std::vector<Picture>> streamed = NamingThePicture(sourcePath, [&] {
        RowResampler resampler(jpeg->width(), jpeg->height(), Pairs(sizes));
        if (!jpeg->Stream(
                [&](const uint8_t* const* rows, int count) { resampler.AddRows(rows, count); }))
          return std::optional<std::vector<Picture>>();
        return std::optional(resampler.Finish());
      });
      if (streamed) return std::move(*streamed);
    }
  }
  SourcePicture source(sourcePath);
  const std::vector<TargetSize> sizes = sizesFor(source.width(), source.height());
  const uint64_t resize = ResampleBytes(source.width(), source.height(), sizes);
  CheckResizeMemory(sourcePath, source.width(), source.height(), source.decodeBytes(), resize);
  const MemoryBudget::Share share = budget.Acquire(source.decodeBytes() + resize);
  const Picture picture = source.Decode();
  return NamingThePicture(sourcePath, [&] { return ResamplePicture(picture, sizes); });
}

Picture FinishSide(Picture resized, const ImageStyle& style) {
  DrawBorder(resized, style.borderWidth, style.borderColour);
  if (!style.shadow) return resized;
  return ComposeDropShadow(resized, kGalleryShadowMargin, style.background, style.shadowColour,
                           style.shadowOffsetH, style.shadowOffsetV, style.shadowBlur);
}

void SaveResampledSide(Picture resized, const std::string& outputPath, const ImageStyle& style,
                       Side side) {
  CheckTargetSize(static_cast<uint32_t>(std::max(0, resized.width)),
                  static_cast<uint32_t>(std::max(0, resized.height)), side, "picture");
  SaveAsJpeg(FinishSide(std::move(resized), style), outputPath, style.quality, style.progressive);
}

void MakeSideFile(const std::string& sourcePath, const std::string& outputPath, TargetSize size,
                  const ImageStyle& style, Side side) {
  CheckTargetSize(size.width, size.height, side, "of " + sourcePath);
  std::vector<Picture> resized =
      ResampleSourceFile(sourcePath, [&](int, int) { return std::vector<TargetSize>{size}; });
  SaveResampledSide(std::move(resized[0]), outputPath, style, side);
}

}  // namespace qg
