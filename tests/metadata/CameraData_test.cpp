// The camera data summary and the details window's label values, on picture files written by
// the tests.
#include "metadata/CameraData.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <clocale>
#include <ctime>
#include <string>

#include "metadata/ExifBuilder.h"
#include "metadata/ExifReader.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::ExifPayload;
using test::JpegFile;
using test::TiffBuilder;

std::string FixedDate(std::time_t) { return "15.08.2004"; }

// The example photograph: ExposureTime 1/125, FNumber 28/10, FocalLength 78/10, ISO 100, the
// given flash value, 1600 x 1200, make "ACME", model "ACME Z1".
TiffBuilder Camera(bool withExposureTime = true, uint16_t flash = 0) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  b.Ascii(0, 0x010F, "ACME").Ascii(0, 0x0110, "ACME Z1").Link(0, 0x8769, exif);
  if (withExposureTime) b.Rational(exif, 0x829A, {{1, 125}});
  b.SRational(exif, 0x9201, {{7, 1}})
      .Rational(exif, 0x829D, {{28, 10}})
      .Short(exif, 0x8827, {100})
      .Ascii(exif, 0x9003, "2004:08:15 14:03:22")
      .Short(exif, 0x9209, {flash})
      .Rational(exif, 0x920A, {{78, 10}})
      .Short(exif, 0xA002, {1600})
      .Short(exif, 0xA003, {1200});
  return b;
}

// A JPEG file of exactly `size` bytes (image data fills it up).
std::string WriteJpeg(const test::TempDir& dir, const std::string& name, const TiffBuilder& b,
                      size_t size = 0) {
  std::string bytes = JpegFile({{test::kApp1, ExifPayload(b.Build())}});
  if (size > bytes.size())
    bytes = JpegFile({{test::kApp1, ExifPayload(b.Build())}}, 16 + size - bytes.size());
  const std::string path = dir.file(name);
  test::WriteFile(path, bytes);
  return path;
}

TEST(CameraDataSummary, ExamplePhotograph) {
  test::TempDir dir;
  const std::string path = WriteJpeg(dir, "IMG_0001.JPG", Camera(), 1536000);
  EXPECT_EQ(CameraDataSummary(path, FixedDate),
            "File Name: IMG_0001.JPG\r\n"
            "File Size: 1500k\r\n"
            "File Date: 15.08.2004\r\n"
            "Photo Date: 2004:08:15 14:03:22\r\n"
            "Make (Model): ACME (ACME Z1)\r\n"
            "Dimensions: 1600 x 1200\r\n"
            "Exposure Time: 1/125 sec\r\n"
            "Focal Length:  7.80 mm\r\n"
            "FNumber: F2.8\r\n"
            "ISO: 100\r\n"
            "Flash: No");
}

TEST(CameraDataSummary, ShutterSpeedStandsInForAMissingExposureTime) {
  test::TempDir dir;
  const std::string path =
      WriteJpeg(dir, "a.jpg", Camera(/*withExposureTime=*/false, /*flash=*/25));
  const std::string summary = CameraDataSummary(path, FixedDate);
  EXPECT_NE(summary.find("\r\nExposure Time: 0.0078 sec (1/128)\r\n"), std::string::npos)
      << summary;
  EXPECT_NE(summary.find("\r\nFlash: Yes"), std::string::npos) << summary;
}

TEST(CameraDataSummary, EmptyValuesLeaveTheirLinesOut) {
  test::TempDir dir;
  TiffBuilder b;
  b.Ascii(0, 0x010F, "ACME").Short(0, 0x9209, {1});
  const std::string path = WriteJpeg(dir, "bare.jpg", b, 2048);
  EXPECT_EQ(CameraDataSummary(path, FixedDate),
            "File Name: bare.jpg\r\nFile Size: 2k\r\nFile Date: 15.08.2004\r\nPhoto Date: \r\n"
            "Make (Model): ACME ()\r\nDimensions: 0 x 0\r\nFlash: Yes");
}

TEST(CameraDataSummary, FocalLength35FromTheEstimate) {
  test::TempDir dir;
  TiffBuilder b = Camera();
  b.Rational(1, 0x920E, {{3085, 1}}).Rational(1, 0x920F, {{3085, 1}}).Short(1, 0x9210, {2});
  const std::string summary = CameraDataSummary(WriteJpeg(dir, "f.jpg", b), FixedDate);
  // 1600 x 1200 at 3085 dpi: a 13.17 x 9.88 mm sensor.
  EXPECT_NE(summary.find("\r\nFocal Length (35mm): 20.49\r\n"), std::string::npos) << summary;
}

TEST(CameraDataSummary, NoCameraData) {
  test::TempDir dir;
  test::WriteFile(dir.file("comment.jpg"), JpegFile({{test::kCom, "just a comment"}}));
  EXPECT_EQ(CameraDataSummary(dir.file("comment.jpg")), "No image data available");
  test::WriteFile(dir.file("xmp.jpg"), JpegFile({{test::kApp1, test::XmpPayload()}}));
  EXPECT_EQ(CameraDataSummary(dir.file("xmp.jpg")), "No image data available");
  EXPECT_EQ(CameraDataSummary(dir.file("missing.jpg")), "No image data available");
  WriteJpeg(dir, "named.png", Camera());
  EXPECT_EQ(CameraDataSummary(dir.file("named.png")), "No image data available");
}

TEST(CameraDataSummary, ExifErrorNamesTheFile) {
  test::TempDir dir;
  TiffBuilder b;
  b.Ascii(0, 0x010F, "ACME").Raw(0, 0x0110, 200, 1, 0);
  WriteJpeg(dir, "broken.jpg", b);
  EXPECT_EQ(CameraDataSummary(dir.file("broken.jpg")),
            "File Name: broken.jpg\r\nExif Error: Not an EXIF file");
}

TEST(CameraDataSummary, TiffDimensionsComeFromImageWidth) {
  test::TempDir dir;
  TiffBuilder b;
  b.Short(0, 0x0100, {640}).Short(0, 0x0101, {480}).Ascii(0, 0x0132, "2005:07:04 09:30:00");
  test::WriteFile(dir.file("scan.tif"), b.Build());
  const std::string summary = CameraDataSummary(dir.file("scan.tif"), FixedDate);
  EXPECT_NE(summary.find("\r\nDimensions: 640 x 480\r\n"), std::string::npos) << summary;
  TimgData data;
  data.ReadPictureFile(dir.file("scan.tif"));
  EXPECT_EQ(ShowCameraData(data).lblImageSize, " x ");
  EXPECT_EQ(ShowCameraData(data).lblImageDate, "04 July 2005");
}

TEST(CameraDataSummary, DefaultFileDateIsTheLocalesShortDate) {
  test::TempDir dir;
  const std::string path = WriteJpeg(dir, "d.jpg", Camera());
  std::tm noon{};
  noon.tm_year = 2004 - 1900;
  noon.tm_mon = 7;
  noon.tm_mday = 15;
  noon.tm_hour = 12;
  noon.tm_isdst = -1;
  const std::time_t when = std::mktime(&noon);
  utimbuf times{when, when};
  ASSERT_EQ(utime(path.c_str(), &times), 0);
  // The short date of the LC_TIME locale in force, here the C locale's.
  const std::string before = std::setlocale(LC_TIME, nullptr);
  std::setlocale(LC_TIME, "C");
  const std::string summary = CameraDataSummary(path);
  std::setlocale(LC_TIME, before.c_str());
  EXPECT_NE(summary.find("\r\nFile Date: 08/15/04\r\n"), std::string::npos) << summary;
}

TEST(CameraDataLabels, DetailsWindowValues) {
  test::TempDir dir;
  const std::string path = WriteJpeg(dir, "IMG_0002.jpg", Camera(true, 25));
  TimgData data;
  data.ReadPictureFile(path);
  const CameraDataLabels labels = ShowCameraData(data);
  EXPECT_EQ(labels.lblCameraMake, "ACME");
  EXPECT_EQ(labels.lblModel, "ACME Z1");
  EXPECT_EQ(labels.lblImageDate, "15 August 2004");
  EXPECT_EQ(labels.lblImageTime, "14:03:22");
  EXPECT_EQ(labels.lblImageName, "IMG_0002.jpg");
  EXPECT_EQ(labels.lblImageSize, "1600 x 1200");
  EXPECT_EQ(labels.lblAperture, "F2.8");
  EXPECT_EQ(labels.lblShutterSpeed, "1/125 sec");
  EXPECT_EQ(labels.lblFlash, "On, auto mode");

  TimgData none;
  none.ReadPictureFile(dir.file("missing.jpg"));
  EXPECT_EQ(ShowCameraData(none).lblCameraMake, "...");
  EXPECT_EQ(ShowCameraData(none).lblFlash, "...");
}

TEST(CameraDataLabels, DateAndTimeTexts) {
  EXPECT_EQ(PhotoDateText("2005:07:04 09:30:00"), "04 July 2005");
  EXPECT_EQ(PhotoDateText("2004:13:01 10:00:00"), "01 unknown 2004");
  EXPECT_EQ(PhotoTimeText("2004:13:01 10:00:00"), "10:00:00");
  EXPECT_EQ(PhotoDateText("2004:xx:01 10:00:00"), "01 unknown 2004");
  EXPECT_EQ(PhotoDateText("2004:00:01"), "01 unknown 2004");
  EXPECT_EQ(PhotoDateText(""), "");
  EXPECT_EQ(PhotoDateText("2004"), " unknown 2004");
  EXPECT_EQ(PhotoTimeText("2004:08:15"), "");
  EXPECT_EQ(PhotoTimeText("2004:08:15 14:03"), "14:03");
}

TEST(CameraDataLabels, MonthNames) {
  const char* const names[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(MonthText(m), names[m - 1]);
  EXPECT_EQ(MonthText(0), "unknown");
  EXPECT_EQ(MonthText(13), "unknown");
  EXPECT_EQ(MonthText(-1), "unknown");
}

}  // namespace
}  // namespace qg
