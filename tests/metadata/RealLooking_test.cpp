// Pictures made the way real ones are: GraphicsMagick writes the picture, exiftool or exiv2 add
// camera data the way editors do (Exif APP1 followed by an XMP packet, JPEG comments, TIFF
// directories). Also runs quillon-cli exif on them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "metadata/CameraData.h"
#include "metadata/ExifReader.h"
#include "support/TempDir.h"

namespace qg {
namespace {

bool HaveTool(const char* name) {
  return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_TOOLS()                                               \
  if (!HaveTool("gm") || !HaveTool("exiftool") || !HaveTool("exiv2")) \
  GTEST_SKIP() << "needs gm, exiftool and exiv2 (scripts/deps.sh test)"

void Shell(const std::string& command) {
  ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::string Output(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  *status = pclose(pipe);
  return out;
}

const char kExampleTags[] =
    "-Make=ACME -Model='ACME Z1' -ExposureTime=1/125 -FNumber=2.8 -ISO=100 -EXIF:Flash#=25 "
    "-FocalLength=7.8 -DateTimeOriginal='2004:08:15 14:03:22' -ExifImageWidth=1600 "
    "-ExifImageHeight=1200";

std::string ExpectedSummary(const std::string& name) {
  return "File Name: " + name +
         "\r\nFile Size: 3k\r\nFile Date: D\r\nPhoto Date: 2004:08:15 14:03:22\r\n"
         "Make (Model): ACME (ACME Z1)\r\nDimensions: 1600 x 1200\r\nExposure Time: 1/125 sec\r\n"
         "Focal Length:  7.80 mm\r\nFNumber: F2.8\r\nISO: 100\r\nFlash: Yes";
}

std::string NoDate(std::time_t) { return "D"; }

TEST(RealLookingPictures, EditorSavedJpegWithXmpInBothByteOrders) {
  REQUIRE_TOOLS();
  test::TempDir dir;
  for (const char* order : {"MM", "II"}) {
    const std::string path = dir.file(std::string("photo-") + order + ".jpg");
    Shell("gm convert -size 64x48 xc:red -quality 90 " + Quote(path));
    Shell(std::string("exiftool -q -overwrite_original -ExifByteOrder=") + order + " " +
          kExampleTags + " -XMP:Title=Hello " + Quote(path));
    TimgData data;
    ASSERT_TRUE(data.ReadPictureFile(path)) << order;
    // exiftool puts the XMP packet in a second APP1 after the Exif one.
    ASSERT_GE(data.sections.size(), 3u);
    EXPECT_EQ(data.sections[data.exifSection + 1].marker, 0xE1);
    EXPECT_EQ(data.exif()->byteOrder,
              order[0] == 'M' ? ByteOrder::BigEndian : ByteOrder::LittleEndian);
    std::string summary = CameraDataSummary(data, NoDate);
    // The size line depends on the encoder; the rest is fixed.
    const size_t size = summary.find("File Size: ");
    summary.replace(size, summary.find("\r\n", size) - size, "File Size: 3k");
    EXPECT_EQ(summary, ExpectedSummary(std::filesystem::path(path).filename().string()));
    EXPECT_EQ(ShowCameraData(data).lblFlash, "On, auto mode");
  }
}

TEST(RealLookingPictures, CommentOnlyJpegHasNoImageData) {
  REQUIRE_TOOLS();
  test::TempDir dir;
  const std::string path = dir.file("comment.jpg");
  Shell("gm convert -size 32x32 xc:green " + Quote(path));
  Shell("exiv2 -c 'just a comment' " + Quote(path));
  TimgData data;
  EXPECT_TRUE(data.ReadPictureFile(path));
  EXPECT_TRUE(data.HasData());
  EXPECT_FALSE(data.HasExif());
  EXPECT_EQ(CameraDataSummary(path), "No image data available");
}

TEST(RealLookingPictures, TiffFiles) {
  REQUIRE_TOOLS();
  test::TempDir dir;
  // GraphicsMagick writes IFD0 after the pixels; offset 8 then holds no directory of ours.
  const std::string plain = dir.file("plain.tif");
  Shell("gm convert -size 64x48 xc:blue " + Quote(plain));
  TimgData gmOnly;
  gmOnly.ReadPictureFile(plain);
  EXPECT_TRUE(gmOnly.HasExif());
  EXPECT_EQ(gmOnly.exif()->width, 0);

  // exiftool rewrites the file with IFD0 at offset 8.
  const std::string tagged = dir.file("tagged.TIFF");
  Shell("gm convert -size 64x48 xc:blue " + Quote(tagged));
  Shell("exiftool -q -overwrite_original -Make=ACME -Model=Scanner -ExposureTime=1/60 " +
        Quote(tagged));
  TimgData data;
  ASSERT_TRUE(data.ReadPictureFile(tagged));
  EXPECT_EQ(data.exif()->cameraMake, "ACME");
  EXPECT_EQ(data.exif()->width, 64);
  EXPECT_EQ(data.exif()->height, 48);
  EXPECT_EQ(data.exif()->TagText("ExposureTime"), "1/60 sec");
  EXPECT_EQ(ShowCameraData(data).lblImageSize, " x ");
}

TEST(RealLookingPictures, CommandLine) {
  REQUIRE_TOOLS();
  const std::string cli = std::string(QG_BIN_DIR) + "/quillon-cli";
  if (!std::filesystem::exists(cli)) GTEST_SKIP() << "quillon-cli is not built";
  test::TempDir dir;
  const std::string path = dir.file("cli.jpg");
  Shell("gm convert -size 64x48 xc:red -quality 90 " + Quote(path));
  Shell(std::string("exiftool -q -overwrite_original ") + kExampleTags + " " + Quote(path));

  int status = -1;
  const std::string summary = Output(Quote(cli) + " exif " + Quote(path), &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(summary.rfind("File Name: cli.jpg\n", 0), 0u) << summary;
  EXPECT_NE(summary.find("\nFocal Length:  7.80 mm\nFNumber: F2.8\nISO: 100\nFlash: Yes\n"),
            std::string::npos)
      << summary;
  EXPECT_EQ(summary.find('\r'), std::string::npos);

  const std::string tags = Output(Quote(cli) + " exif " + Quote(path) + " --tags", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(tags.find("Make\tACME\nModel\tACME Z1\n"), std::string::npos) << tags;
  EXPECT_NE(tags.find("\nFlash\tOn, auto mode\n"), std::string::npos) << tags;

  const std::string comment = dir.file("plain.jpg");
  Shell("gm convert -size 8x8 xc:red " + Quote(comment));
  EXPECT_EQ(Output(Quote(cli) + " exif " + Quote(comment), &status), "No image data available\n");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Output(Quote(cli) + " exif " + Quote(comment) + " --tags", &status), "");
  EXPECT_EQ(status, 0);

  Output(Quote(cli) + " exif " + Quote(dir.file("missing.jpg")) + " 2>/dev/null", &status);
  EXPECT_NE(status, 0);
  Output(Quote(cli) + " exif 2>/dev/null", &status);
  EXPECT_NE(status, 0);
}

// A compact camera's tag set with GPS, interoperability and thumbnail directories, big-endian:
// the whole summary and the whole tag list, in walk order, as the command line prints them.
TEST(RealLookingPictures, CommandLineWholeTexts) {
  REQUIRE_TOOLS();
  const std::string cli = std::string(QG_BIN_DIR) + "/quillon-cli";
  if (!std::filesystem::exists(cli)) GTEST_SKIP() << "quillon-cli is not built";
  test::TempDir dir;
  const std::string thumb = dir.file("thumb.jpg");
  const std::string path = dir.file("IMG_0001.jpg");
  Shell("gm convert -size 16x12 xc:green " + Quote(thumb));
  Shell("gm convert -size 64x48 xc:red -quality 90 " + Quote(path));
  Shell(
      "exiftool -q -overwrite_original -ExifByteOrder=MM -Make=Canon "
      "-Model='Canon PowerShot A520 ' -Orientation#=6 -XResolution=180 -YResolution=180 "
      "-ResolutionUnit#=2 -ExposureTime=1/60 -FNumber=2.8 -ExposureCompensation=-1/3 "
      "-MaxApertureValue=2.8 -MeteringMode#=5 -EXIF:Flash#=24 -FocalLength=5.8 "
      "-ExifImageWidth=2272 -ExifImageHeight=1704 -FocalPlaneXResolution=2272000/280 "
      "-FocalPlaneYResolution=1704000/210 -FocalPlaneResolutionUnit#=2 "
      "-DateTimeOriginal='2005:07:04 09:30:00' -WhiteBalance#=1 -InteropIndex=R98 "
      "-GPSLatitude=48.5 -GPSLatitudeRef=N -GPSAltitude=35.5 '-ThumbnailImage<=" +
      thumb + "' " + Quote(path));
  Shell("touch -d '2005-07-04 12:00' " + Quote(path));
  const std::string size = std::to_string(std::filesystem::file_size(path) / 1024);

  int status = -1;
  EXPECT_EQ(Output("LC_ALL=C " + Quote(cli) + " exif " + Quote(path), &status),
            "File Name: IMG_0001.jpg\nFile Size: " + size +
                "k\nFile Date: 07/04/05\nPhoto Date: 2005:07:04 09:30:00\n"
                "Make (Model): Canon (Canon PowerShot A520 )\nDimensions: 2272 x 1704\n"
                "Exposure Time: 1/60 sec\nFocal Length:  5.80 mm\nFocal Length (35mm): 28.23\n"
                "FNumber: F2.8\nFlash: No\n");
  EXPECT_EQ(status, 0);

  std::string tags = Output(Quote(cli) + " exif " + Quote(path) + " --tags", &status);
  EXPECT_EQ(status, 0);
  // Directory offsets depend on how exiftool lays the block out.
  for (const char* link : {"\nExifOffset\t", "\nInteroperabilityOffset\t", "\nGPSInfo\t"}) {
    const size_t at = tags.find(link);
    ASSERT_NE(at, std::string::npos) << link;
    const size_t value = at + std::strlen(link);
    tags.replace(value, tags.find('\n', value) - value, "#");
  }
  EXPECT_EQ(tags,
            "Make\tCanon\nModel\tCanon PowerShot A520 \nOrientation\tCounterClockwise 90\xC2\xB0\n"
            "XResolution\t180.00\nYResolution\t180.00\nResolutionUnit\tInch\nYCbCrPositioning\t1\n"
            "ExposureTime\t1/60 sec\nFNumber\tF2.8\nExifVersion\t\"0232\"\n"
            "DateTimeOriginal\t2005:07:04 09:30:00\nComponentsConfiguration\tYCbCr\n"
            "ExposureBiasValue\t-1/3\nMaxApertureValue\tF3.0\nMeteringMode\tMultiSegment\n"
            "Flash\tOff, auto mode\nFocalLength\t 5.80 mm\nFlashPixVersion\t\"0100\"\n"
            "ColorSpace\t65535\nExifImageWidth\t2272\nExifImageLength\t1704\n"
            "InteroperabilityIndex\tR98\nInteroperabilityVersion\t\"0100\"\n"
            "InteroperabilityOffset\t#\nFocalPlaneXResolution\t2272000/280\n"
            "FocalPlaneYResolution\t1704000/210\nFocalPlaneResolutionUnit\tInch\nWhiteBalance\t1\n"
            "ExifOffset\t#\nGPSVersionID\t2, 3, 0, 0\nGPSLatitudeRef\tN\n"
            "GPSLatitude\t48 Degrees 30 Minutes 0 Seconds\nGPSAltitude\t71/2\nGPSInfo\t#\n"
            "FocalLengthin35mmFilm\t28.23\n");
}

}  // namespace
}  // namespace qg
