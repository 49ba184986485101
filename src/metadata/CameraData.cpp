// The camera data summary and the details window's label values.
#include "metadata/CameraData.h"

#include <ctime>

#include "core/PathName.h"
#include "metadata/ExifReader.h"

namespace qg {

namespace {

const char* const kCrLf = "\r\n";
const char* const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};

// Characters `from` to `to` (1-based, inclusive) as far as the text has them.
std::string Characters(const std::string& text, size_t from, size_t to) {
  if (text.size() < from) return {};
  return text.substr(from - 1, to - from + 1);
}

// The month field's number; 0 (giving "unknown") when it is not a number.
int MonthNumber(const std::string& field) {
  int value = 0;
  size_t digits = 0;
  for (char c : field) {
    if (c == ' ' && digits == 0) continue;
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
    ++digits;
  }
  return digits > 0 ? value : 0;
}

}  // namespace

std::string ShortDateText(std::time_t time) {
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr) return {};
  char buf[128];
  const size_t n = std::strftime(buf, sizeof buf, "%x", &local);
  return std::string(buf, n);
}

std::string CameraDataSummary(const std::string& path, const DateFormatter& formatDate) {
  TimgData data;
  data.ReadPictureFile(path);
  return CameraDataSummary(data, formatDate);
}

std::string CameraDataSummary(const TimgData& data, const DateFormatter& formatDate) {
  const TImageInfo* info = data.exif();
  if (!data.HasData() || info == nullptr) return kNoImageData;
  const std::string name = FileNameOf(data.filePath);
  if (data.status != ExifStatus::Found) {
    return "File Name: " + name + kCrLf + "Exif Error: " + data.errorText;
  }

  std::string text;
  auto line = [&text](const std::string& s) {
    if (!text.empty()) text += kCrLf;
    text += s;
  };
  auto optional = [&line](const char* caption, const std::string& value) {
    if (!value.empty()) line(caption + value);
  };
  line("File Name: " + name);
  line("File Size: " + std::to_string(data.fileSize / 1024) + "k");
  line("File Date: " + (formatDate ? formatDate(data.fileDate) : ShortDateText(data.fileDate)));
  line("Photo Date: " + info->photoDate);
  line("Make (Model): " + info->cameraMake + " (" + info->cameraModel + ")");
  line("Dimensions: " + std::to_string(info->width) + " x " + std::to_string(info->height));
  optional("Exposure Time: ", info->TagIndex("ExposureTime") >= 0
                                  ? info->TagText("ExposureTime")
                                  : info->TagText("ShutterSpeedValue"));
  optional("Focal Length: ", info->TagText("FocalLength"));
  optional("Focal Length (35mm): ", info->TagText("FocalLengthin35mmFilm"));
  optional("FNumber: ", info->TagText("FNumber"));
  optional("ISO: ", info->TagText("ISOSpeedRatings"));
  line(std::string("Flash: ") + ((info->flashValue & 1) ? "Yes" : "No"));
  return text;
}

std::string MonthText(int month) {
  return month >= 1 && month <= 12 ? kMonths[month - 1] : "unknown";
}

std::string PhotoDateText(const std::string& photoDate) {
  if (photoDate.empty()) return {};
  const std::string year = Characters(photoDate, 1, 4);
  const int month = MonthNumber(Characters(photoDate, 6, 7));
  const std::string day = Characters(photoDate, 9, 10);
  return day + " " + MonthText(month) + " " + year;
}

std::string PhotoTimeText(const std::string& photoDate) { return Characters(photoDate, 12, 19); }

std::string ImageSizeText(const TImageInfo& info) {
  return info.TagText("ExifImageWidth") + " x " + info.TagText("ExifImageLength");
}

CameraDataLabels ShowCameraData(const TimgData& data) {
  const TImageInfo* info = data.exif();
  if (info == nullptr) return {"...", "...", "...", "...", "...", "...", "...", "...", "..."};
  CameraDataLabels labels;
  labels.lblCameraMake = info->cameraMake;
  labels.lblModel = info->cameraModel;
  labels.lblImageDate = PhotoDateText(info->photoDate);
  labels.lblImageTime = PhotoTimeText(info->photoDate);
  labels.lblImageName = FileNameOf(data.filePath);
  labels.lblImageSize = ImageSizeText(*info);
  labels.lblAperture = info->TagText("FNumber");
  labels.lblShutterSpeed = info->TagText("ExposureTime");
  labels.lblFlash = info->TagText("Flash");
  return labels;
}

}  // namespace qg
