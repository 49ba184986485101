// The camera data texts: the summary shown beside the picture list and the values of the image
// details window's labels. They read the picture through the Exif reader each time; nothing is
// cached. Month names are English whatever the machine's locale.
#pragma once

#include <ctime>
#include <functional>
#include <string>

namespace qg {

class TImageInfo;
class TimgData;

inline constexpr char kNoImageData[] = "No image data available";
// The details window's note for a picture without an Exif section.
inline constexpr char kNoAdditionalImageData[] =
    "There is no additional image data stored within the selected image.";

// Turns the file's last-write time into the "File Date: " text.
using DateFormatter = std::function<std::string(std::time_t)>;

// The local date alone in the short date format of the process's LC_TIME locale ("%x"); a
// program calls setlocale(LC_TIME, "") first so that this is the user's format.
std::string ShortDateText(std::time_t time);

// The summary of the picture at `path`, lines separated by CR LF.
std::string CameraDataSummary(const std::string& path,
                              const DateFormatter& formatDate = ShortDateText);
// The same for a picture already read.
std::string CameraDataSummary(const TimgData& data,
                              const DateFormatter& formatDate = ShortDateText);

// "January" .. "December"; "unknown" for any other number.
std::string MonthText(int month);
// "2005:07:04 09:30:00" -> "04 July 2005"; empty for an empty date.
std::string PhotoDateText(const std::string& photoDate);
// "2005:07:04 09:30:00" -> "09:30:00" (characters 12 to 19).
std::string PhotoTimeText(const std::string& photoDate);
// ExifImageWidth " x " ExifImageLength, as their display texts.
std::string ImageSizeText(const TImageInfo& info);

// The values the details window puts into its labels, by label.
struct CameraDataLabels {
  std::string lblCameraMake;
  std::string lblModel;
  std::string lblImageDate;
  std::string lblImageTime;
  std::string lblImageName;
  std::string lblImageSize;
  std::string lblAperture;
  std::string lblShutterSpeed;
  std::string lblFlash;
};

// The labels for a picture whose reading found an Exif section (data.HasExif()); every label
// stays "..." otherwise.
CameraDataLabels ShowCameraData(const TimgData& data);

}  // namespace qg
