// Fuzz target for the camera data reader: the bytes are read both as a JPEG file and as a TIFF
// file (each reader turns away what does not start like its format), and every text the
// program makes from the result is built.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "metadata/CameraData.h"
#include "metadata/ExifReader.h"

namespace {

void Exercise(std::string_view bytes, qg::PictureKind kind) {
  qg::TimgData data;
  data.ReadPictureBytes(bytes, kind);
  const std::string summary =
      qg::CameraDataSummary(data, [](std::time_t) { return std::string("2000-01-01"); });
  const qg::CameraDataLabels labels = qg::ShowCameraData(data);
  volatile size_t sink = summary.size() + labels.lblImageDate.size() + labels.lblImageTime.size();
  if (const qg::TImageInfo* info = data.exif()) {
    for (const qg::TTagEntry& entry : info->tags) {
      sink = sink + entry.displayText.size() + entry.raw.size();
      // Raw bytes are views into the record: touching every byte proves they stay inside it.
      for (char c : entry.raw) sink = sink + static_cast<unsigned char>(c);
      sink = sink + static_cast<size_t>(info->EntryValue(entry) != 0);
    }
  }
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Exercise(bytes, qg::PictureKind::Jpeg);
  Exercise(bytes, qg::PictureKind::Tiff);
  return 0;
}
