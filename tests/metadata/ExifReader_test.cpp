// The Exif reader on pictures written byte by byte: which segments it reads, how values become
// display texts, the named fields, the 35 mm estimate, and damaged or hostile files.
#include "metadata/ExifReader.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include <string>
#include <vector>

#include "metadata/ExifBuilder.h"
#include "metadata/TagFormat.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::ExifPayload;
using test::JpegFile;
using test::Segment;
using test::TiffBuilder;

// The example photograph's camera data: IFD0 with make, model and a link to the Exif directory.
TiffBuilder ExampleCamera(bool bigEndian = false) {
  TiffBuilder b(bigEndian);
  const int exif = b.AddDirectory();
  b.Ascii(0, 0x010F, "ACME").Ascii(0, 0x0110, "ACME Z1").Link(0, 0x8769, exif);
  b.Rational(exif, 0x829A, {{1, 125}})
      .Rational(exif, 0x829D, {{28, 10}})
      .Short(exif, 0x8827, {100})
      .Ascii(exif, 0x9003, "2004:08:15 14:03:22")
      .Short(exif, 0x9209, {0})
      .Rational(exif, 0x920A, {{78, 10}})
      .Short(exif, 0xA002, {1600})
      .Short(exif, 0xA003, {1200});
  return b;
}

std::string ExifJpeg(const TiffBuilder& b) {
  return JpegFile({{test::kApp1, ExifPayload(b.Build())}});
}

// Reads JPEG bytes; the record must exist.
const TImageInfo& ReadJpeg(TimgData& data, const std::string& bytes) {
  data.ReadPictureBytes(bytes, PictureKind::Jpeg);
  if (data.exif() == nullptr) throw std::runtime_error("no Exif record");
  return *data.exif();
}

// One directory entry of the Exif directory, read back as its display text.
std::string ExifText(void (*fill)(TiffBuilder&, int), const char* name, bool bigEndian = false) {
  TiffBuilder b(bigEndian);
  const int exif = b.AddDirectory();
  b.Link(0, 0x8769, exif);
  fill(b, exif);
  TimgData data;
  return ReadJpeg(data, ExifJpeg(b)).TagText(name);
}

std::vector<std::string> TagLines(const TImageInfo& info) {
  std::vector<std::string> lines;
  for (const TTagEntry& e : info.tags) lines.push_back(e.name + "\t" + e.displayText);
  return lines;
}

TEST(ExifReaderValues, ExamplePhotographFieldsAndTexts) {
  TimgData data;
  const TImageInfo& info = ReadJpeg(data, ExifJpeg(ExampleCamera()));
  EXPECT_TRUE(data.HasData());
  EXPECT_EQ(data.errorText, "<none>");
  EXPECT_EQ(info.cameraMake, "ACME");
  EXPECT_EQ(info.cameraModel, "ACME Z1");
  EXPECT_EQ(info.photoDate, "2004:08:15 14:03:22");
  EXPECT_EQ(info.width, 1600);
  EXPECT_EQ(info.height, 1200);
  EXPECT_EQ(info.flashValue, 0);
  EXPECT_EQ(info.TagText("exposuretime"), "1/125 sec");
  EXPECT_EQ(info.TagText("FNumber"), "F2.8");
  EXPECT_EQ(info.TagText("FocalLength"), " 7.80 mm");
  EXPECT_EQ(info.TagText("ISOSpeedRatings"), "100");
  EXPECT_EQ(info.TagText("Flash"), "Off");
  EXPECT_EQ(info.TagText("ExifImageWidth"), "1600");
  EXPECT_EQ(info.TagText("NoSuchTag"), "");
  EXPECT_EQ(info.TagIndex("NoSuchTag"), -1);
  EXPECT_DOUBLE_EQ(info.TagValue("FNUMBER"), 2.8);
  EXPECT_EQ(info.TagValue("NoSuchTag"), 0);
}

TEST(ExifReaderValues, BigEndianTwinGivesTheSameTexts) {
  TimgData little, big;
  const TImageInfo& le = ReadJpeg(little, ExifJpeg(ExampleCamera(false)));
  const TImageInfo& be = ReadJpeg(big, ExifJpeg(ExampleCamera(true)));
  EXPECT_EQ(be.byteOrder, ByteOrder::BigEndian);
  EXPECT_EQ(TagLines(le), TagLines(be));
  EXPECT_EQ(be.width, 1600);
  EXPECT_EQ(be.cameraModel, "ACME Z1");
}

TEST(ExifReaderValues, RationalsShowAsStoredAndMultipleValuesJoin) {
  EXPECT_EQ(ExifText(
                [](TiffBuilder& b, int d) {
                  b.Rational(d, 0x829A, {{10, 1250}});
                },
                "ExposureTime"),
            "10/1250 sec");
  EXPECT_EQ(ExifText(
                [](TiffBuilder& b, int d) {
                  b.Short(d, 0x8827, {100, 100});
                },
                "ISOSpeedRatings"),
            "100, 100");
  // At most eight values are shown.
  EXPECT_EQ(ExifText(
                [](TiffBuilder& b, int d) {
                  b.Short(d, 0x8827, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
                },
                "ISOSpeedRatings"),
            "1, 2, 3, 4, 5, 6, 7, 8");
  // A stored 35 mm focal length as an integer, five characters wide.
  EXPECT_EQ(
      ExifText([](TiffBuilder& b, int d) { b.Short(d, 0xA405, {38}); }, "FocalLengthin35mmFilm"),
      "38.00 mm");
  // A zero denominator formats as 0.
  EXPECT_EQ(ExifText(
                [](TiffBuilder& b, int d) {
                  b.Rational(d, 0x829D, {{28, 0}});
                },
                "FNumber"),
            "F0.0");
  // SRATIONAL keeps its sign; a row without a format text shows the fraction as stored.
  EXPECT_EQ(ExifText(
                [](TiffBuilder& b, int d) {
                  b.SRational(d, 0x9204, {{-1, 3}});
                },
                "ExposureBiasValue"),
            "-1/3");
}

TEST(ExifReaderValues, SignedIntegersShowTheirBytesWithoutSignExtension) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  b.Link(0, 0x8769, exif);
  b.Raw(exif, 0x8822, 8, 2, 0xFFFEFFFF);  // SSHORT -1, -2
  b.Raw(exif, 0x9207, 6, 1, 0x000000FF);  // SBYTE -1: no label for 255
  b.Raw(exif, 0xA002, 9, 1, 0xFFFFFFFE);  // SLONG -2
  TimgData data;
  const TImageInfo& info = ReadJpeg(data, ExifJpeg(b));
  EXPECT_EQ(info.TagText("ExposureProgram"), "65535, 65534");
  EXPECT_EQ(info.TagText("MeteringMode"), "");
  EXPECT_EQ(info.TagText("ExifImageWidth"), "4294967294");
  EXPECT_EQ(info.width, 4294967294);
  EXPECT_EQ(info.TagValue("ExposureProgram"), 4294901759.0);  // the integer of all four bytes
}

TEST(ExifReaderValues, ShutterSpeedValueBecomesSeconds) {
  EXPECT_EQ(ExifText(
                [](TiffBuilder& b, int d) {
                  b.SRational(d, 0x9201, {{7, 1}});
                },
                "ShutterSpeedValue"),
            "0.0078 sec (1/128)");
  EXPECT_EQ(ExifText(
                [](TiffBuilder& b, int d) {
                  b.SRational(d, 0x9201, {{-1, 1}});
                },
                "ShutterSpeedValue"),
            "2.0000 sec");
  EXPECT_EQ(ExifText(
                [](TiffBuilder& b, int d) {
                  b.SRational(d, 0x9201, {{1, 1}});
                },
                "ShutterSpeedValue"),
            "0.5000 sec (1/2)");
  // A zero denominator is no number: Tv 0, one second.
  EXPECT_EQ(ExifText(
                [](TiffBuilder& b, int d) {
                  b.SRational(d, 0x9201, {{7, 0}});
                },
                "ShutterSpeedValue"),
            "1.0000 sec");
}

TEST(ExifReaderValues, FlashValueTexts) {
  TTagEntry none;
  EXPECT_EQ(FlashText("25", none), "On, auto mode");
  EXPECT_EQ(FlashText("16", none), "Off, surpressed");
  EXPECT_EQ(FlashText("0", none), "Off");
  EXPECT_EQ(FlashText("2", none), "Off, UNKNOWN");
  EXPECT_EQ(FlashText("13", none), "On, no strobe return, forced");
  EXPECT_EQ(FlashText("127", none),
            "On, strobe return, auto mode, no flash function, red-eye reduction");
  EXPECT_EQ(ExifText([](TiffBuilder& b, int d) { b.Short(d, 0x9209, {25}); }, "Flash"),
            "On, auto mode");
}

TEST(ExifReaderValues, TextValuesArePrintableAndCut) {
  // 'NIKON' and three zeros: the last byte goes, the other zeros show as dots.
  TiffBuilder b;
  b.Bytes(0, 0x010F, std::string("NIKON\0\0\0", 8), 2);
  b.Ascii(0, 0x010E, std::string(60, 'x') + "\tend");
  b.Ascii(0, 0x0131, std::string("a\nb", 3));
  b.Undefined(0, 0x9000, "0220");
  b.Ascii(0, 0x0110, std::string(45, 'M'));
  TimgData data;
  const TImageInfo& info = ReadJpeg(data, ExifJpeg(b));
  EXPECT_EQ(info.TagText("Make"), "NIKON..");
  EXPECT_EQ(info.cameraMake, "NIKON..");
  EXPECT_EQ(info.TagText("ImageDescription"), std::string(50, 'x'));
  EXPECT_EQ(info.TagText("Software"), "a.b");
  EXPECT_EQ(info.TagText("ExifVersion"), "\"0220\"");
  EXPECT_EQ(info.exifVersion, "0220");
  EXPECT_EQ(info.TagText("Model"), std::string(45, 'M'));
  EXPECT_EQ(info.cameraModel, std::string(40, 'M'));
}

TEST(ExifReaderValues, DecodeListsAndFormats) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  b.Short(0, 0x0128, {2})
      .Rational(0, 0x011A, {{72, 1}})
      .Short(0, 0x0112, {3})
      .Link(0, 0x8769, exif);
  b.Short(exif, 0x9207, {5})
      .Short(exif, 0x9208, {3})
      .Undefined(exif, 0x9101, std::string("\1\2\3\0", 4));
  b.Rational(exif, 0xA20E, {{2272000, 280}}).Short(exif, 0xA210, {3}).Short(exif, 0xA401, {1});
  TimgData data;
  const TImageInfo& info = ReadJpeg(data, ExifJpeg(b));
  EXPECT_EQ(info.TagText("ResolutionUnit"), "Inch");
  EXPECT_EQ(info.TagText("XResolution"), "72.00");
  EXPECT_EQ(info.TagText("Orientation"), "Rotated 180\xC2\xB0");
  EXPECT_EQ(info.TagText("MeteringMode"), "MultiSegment");
  EXPECT_EQ(info.TagText("FocalPlaneResolutionUnit"), "Centimeter");
  // Rows without a decode list or format text show the values as stored.
  EXPECT_EQ(info.TagText("LightSource"), "3");
  EXPECT_EQ(info.TagText("CustomRendered"), "1");
  EXPECT_EQ(info.TagText("FocalPlaneXResolution"), "2272000/280");
  EXPECT_EQ(info.TagText("ComponentsConfiguration"), "YCbCr");
  EXPECT_EQ(DecodeLabel("1:a,11:b", 11), "b");
  EXPECT_EQ(DecodeLabel("1:a,11:b", 2), "");
}

TEST(ExifReaderValues, DescriptionsAreMadeFromNames) {
  EXPECT_EQ(DescriptionFromName("ExposureTime"), "Exposure Time");
  EXPECT_EQ(DescriptionFromName("ISOSpeedRatings"), "ISOSpeed Ratings");
  const TTagEntry* row = MainTagDictionary().Find(0x829A);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->description, "Exposure Time");
  EXPECT_EQ(MainTagDictionary().Find(0xA405)->description, "Focal Length in 35mm Film");
  EXPECT_EQ(MainTagDictionary().Find(0x1234), MainTagDictionary().unknown());
  EXPECT_EQ(MainTagDictionary().rows().size(), 251u);
  EXPECT_EQ(GpsTagDictionary().Find(0x001E), nullptr);  // only the first 30 rows are searched
}

TEST(ExifReaderWalk, ListOrderSubDirectoriesAndUnknownTags) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  const int interop = b.AddDirectory();
  const int gps = b.AddDirectory();
  b.Ascii(0, 0x010F, "ACME").Short(0, 0x7777, {1}).Link(0, 0x8769, exif).Link(0, 0x8825, gps);
  b.Rational(exif, 0x829A, {{1, 60}}).Link(exif, 0xA005, interop);
  b.Ascii(interop, 0x0001, "R98");
  b.Bytes(gps, 0x0000, std::string("\2\2\0\0", 4))
      .Rational(gps, 0x0002, {{50, 1}, {30, 1}, {12, 1}})
      .Rational(gps, 0x0007, {{14, 1}, {3, 1}, {22, 1}})
      .Short(gps, 0x001E, {1});
  TimgData data;
  const TImageInfo& info = ReadJpeg(data, ExifJpeg(b));
  // A directory's entries come before the entry that points to it; 0x7777 and GPSDifferential
  // are in no dictionary and are left out.
  std::vector<std::string> names;
  for (const TTagEntry& e : info.tags) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Make", "ExposureTime", "InteroperabilityIndex",
                                             "InteroperabilityOffset", "ExifOffset", "GPSVersionID",
                                             "GPSLatitude", "GPSTimeStamp", "GPSInfo"}));
  EXPECT_EQ(info.TagText("GPSVersionID"), "2, 2, 0, 0");
  EXPECT_EQ(info.TagText("GPSLatitude"), "50 Degrees 30 Minutes 12 Seconds");
  EXPECT_EQ(info.TagText("GPSTimeStamp"), "14:3:22");
}

TEST(ExifReaderWalk, PhotoDateIsTheLastDateMet) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  b.Ascii(0, 0x0132, "2001:01:01 00:00:00").Link(0, 0x8769, exif);
  b.Ascii(exif, 0x9003, "2004:08:15 14:03:22 and more");
  TimgData data;
  EXPECT_EQ(ReadJpeg(data, ExifJpeg(b)).photoDate, "2004:08:15 14:03:22 ");
}

TEST(ExifReaderWalk, UserCommentAndMakerNote) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  b.Link(0, 0x8769, exif);
  b.Undefined(exif, 0x9286, std::string("ASCII\0\0\0  hello there \0\0", 24));
  b.Undefined(exif, 0x927C, std::string("MAKER\0\x01\x02\x03", 9));
  b.Bytes(exif, 0x9C9B, std::string("T\0i\0t\0l\0e\0\0\0", 12));
  TimgData data;
  const TImageInfo& info = ReadJpeg(data, ExifJpeg(b));
  EXPECT_EQ(info.userComment, "hello there");
  EXPECT_EQ(info.TagText("UserComment"), "hello there");
  const int note = info.TagIndex("MakerNote");
  ASSERT_GE(note, 0);
  EXPECT_EQ(info.tags[static_cast<size_t>(note)].raw, std::string_view("MAKER\0\x01\x02\x03", 9));
  EXPECT_EQ(info.TagText("Title"), "Title");
}

TEST(ExifReaderWalk, LongCommentsStayWhole) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  b.Link(0, 0x8769, exif);
  b.Undefined(exif, 0x9286, std::string("ASCII\0\0\0", 8) + std::string(6000, 'c'));
  std::string title;
  for (int i = 0; i < 5000; ++i) title += std::string("w\0", 2);
  b.Bytes(0, 0x9C9B, title + std::string("\0\0", 2));
  TimgData data;
  const TImageInfo& info = ReadJpeg(data, ExifJpeg(b));
  EXPECT_EQ(info.TagText("UserComment"), std::string(6000, 'c'));
  EXPECT_EQ(info.TagText("Title"), std::string(5000, 'w'));
}

TEST(ExifReaderWalk, ThumbnailDirectoryOffsetIsRecorded) {
  TiffBuilder b;
  b.Ascii(0, 0x010F, "ACME").NextIfd(0x1234);
  TimgData data;
  EXPECT_EQ(ReadJpeg(data, ExifJpeg(b)).thumbnailDirectory, 0x1234u);
}

TEST(ExifReaderFocal35, EstimatedFromTheFocalPlane) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  b.Link(0, 0x8769, exif);
  b.Rational(exif, 0x920A, {{78, 10}})
      .Rational(exif, 0x920E, {{3085, 1}})
      .Rational(exif, 0x920F, {{3085, 1}})
      .Short(exif, 0x9210, {2})
      .Long(exif, 0xA002, {2048})
      .Long(exif, 0xA003, {1536});
  TimgData data;
  const TImageInfo& info = ReadJpeg(data, ExifJpeg(b));
  ASSERT_FALSE(info.tags.empty());
  const TTagEntry& last = info.tags.back();
  EXPECT_EQ(last.name, "FocalLengthin35mmFilm");
  EXPECT_EQ(last.displayText, "16.01");
  EXPECT_EQ(last.formatText, "%s mm");
}

TEST(ExifReaderFocal35, NoEstimateWhenStoredOrUnitless) {
  TiffBuilder stored;
  stored.Rational(0, 0x920A, {{78, 10}})
      .Rational(0, 0x920E, {{3085, 1}})
      .Rational(0, 0x920F, {{3085, 1}});
  stored.Short(0, 0x9210, {2})
      .Short(0, 0x0100, {2048})
      .Short(0, 0x0101, {1536})
      .Short(0, 0xA405, {38});
  TimgData a;
  EXPECT_EQ(ReadJpeg(a, ExifJpeg(stored)).TagText("FocalLengthin35mmFilm"), "38.00 mm");

  TiffBuilder unitless;  // unit 1 ("None Specified") gives no millimetres
  unitless.Rational(0, 0x920A, {{78, 10}})
      .Rational(0, 0x920E, {{3085, 1}})
      .Rational(0, 0x920F, {{3085, 1}});
  unitless.Short(0, 0x9210, {1}).Short(0, 0x0100, {2048}).Short(0, 0x0101, {1536});
  TimgData b;
  EXPECT_EQ(ReadJpeg(b, ExifJpeg(unitless)).TagIndex("FocalLengthin35mmFilm"), -1);

  TiffBuilder centimetres;  // falls back to ResolutionUnit; 3 is centimetres
  centimetres.Rational(0, 0x920A, {{78, 10}})
      .Rational(0, 0x920E, {{1215, 1}})
      .Rational(0, 0x920F, {{1215, 1}});
  centimetres.Short(0, 0x0128, {3}).Short(0, 0x0100, {2048}).Short(0, 0x0101, {1536});
  TimgData c;
  EXPECT_EQ(ReadJpeg(c, ExifJpeg(centimetres)).TagText("FocalLengthin35mmFilm"), "16.02");
}

TEST(ExifReaderScan, ExifFollowedByXmpIsRead) {
  TimgData data;
  const std::string file = JpegFile({{test::kApp0, "JFIF"},
                                     {test::kApp1, ExifPayload(ExampleCamera().Build())},
                                     {test::kApp1, test::XmpPayload()}});
  const TImageInfo& info = ReadJpeg(data, file);
  EXPECT_EQ(data.errorText, "<none>");
  EXPECT_EQ(info.cameraMake, "ACME");
  EXPECT_EQ(data.exifSection, 1);
  EXPECT_EQ(data.sections.size(), 4u);  // APP0, APP1, APP1, SOS
}

TEST(ExifReaderScan, XmpOnlyHasNoExif) {
  TimgData data;
  EXPECT_FALSE(
      data.ReadPictureBytes(JpegFile({{test::kApp1, test::XmpPayload()}}), PictureKind::Jpeg));
  EXPECT_FALSE(data.HasExif());
  EXPECT_FALSE(data.HasData());
  EXPECT_EQ(data.errorText, "Not an EXIF file");
}

TEST(ExifReaderScan, CommentAndIptcCountAsDataButNotExif) {
  TimgData comment;
  EXPECT_TRUE(comment.ReadPictureBytes(JpegFile({{test::kCom, "first"}, {test::kCom, "second"}}),
                                       PictureKind::Jpeg));
  EXPECT_TRUE(comment.HasData());
  EXPECT_FALSE(comment.HasExif());
  EXPECT_EQ(comment.commentSection, 1);  // the last comment wins
  EXPECT_EQ(comment.errorText, "<none>");

  TimgData iptc;
  EXPECT_TRUE(iptc.ReadPictureBytes(JpegFile({{test::kApp13, "a"}, {test::kApp13, "b"}}),
                                    PictureKind::Jpeg));
  EXPECT_EQ(iptc.iptcSection, 0);  // the first APP13 wins
}

TEST(ExifReaderScan, ExifMustComeWithinTheFirstFiveSections) {
  const std::string exif = ExifPayload(ExampleCamera().Build());
  // APP1 as the fourth section: read.
  TimgData fourth;
  EXPECT_TRUE(fourth.ReadPictureBytes(
      JpegFile({{test::kApp0, "J"}, {test::kApp2, "a"}, {test::kApp2, "b"}, {test::kApp1, exif}}),
      PictureKind::Jpeg));
  EXPECT_TRUE(fourth.HasExif());
  // After four other sections: the scan gives up at the fifth.
  TimgData fifth;
  EXPECT_FALSE(fifth.ReadPictureBytes(JpegFile({{test::kApp0, "J"},
                                                {test::kApp2, "a"},
                                                {test::kApp2, "b"},
                                                {test::kDqt, "q"},
                                                {test::kApp1, exif}}),
                                      PictureKind::Jpeg));
  EXPECT_FALSE(fifth.HasData());
  EXPECT_EQ(fifth.errorText, "Not an EXIF file");
  // A comment early keeps the scan going, but an Exif APP1 after the fifth section is dropped.
  TimgData late;
  EXPECT_TRUE(late.ReadPictureBytes(JpegFile({{test::kCom, "c"},
                                              {test::kApp2, "a"},
                                              {test::kApp2, "b"},
                                              {test::kDqt, "q"},
                                              {test::kApp2, "d"},
                                              {test::kApp1, exif}}),
                                    PictureKind::Jpeg));
  EXPECT_FALSE(late.HasExif());
  EXPECT_EQ(late.sections.size(), 6u);  // the dropped APP1's slot went to SOS
  EXPECT_EQ(late.sections.back().marker, 0xDA);
}

TEST(ExifReaderScan, SecondExifSectionReplacesTheFirst) {
  TiffBuilder other;
  other.Ascii(0, 0x010F, "OTHER");
  TimgData data;
  const TImageInfo& info =
      ReadJpeg(data, JpegFile({{test::kApp1, ExifPayload(ExampleCamera().Build())},
                               {test::kApp1, ExifPayload(other.Build())}}));
  EXPECT_EQ(info.cameraMake, "OTHER");
  EXPECT_EQ(data.exifSection, 1);
}

TEST(ExifReaderScan, FillBytesAndStopMarkers) {
  // Fill bytes before a marker are skipped; nothing after SOS is looked at.
  std::string file = "\xFF\xD8\xFF\xFF\xFF" + test::SegmentBytes({test::kCom, "c"}) +
                     test::SegmentBytes({0xDA, "x"}) +
                     test::SegmentBytes({test::kApp1, ExifPayload(ExampleCamera().Build())});
  TimgData data;
  EXPECT_TRUE(data.ReadPictureBytes(file, PictureKind::Jpeg));
  EXPECT_FALSE(data.HasExif());
  EXPECT_EQ(data.sections.size(), 2u);
}

TEST(ExifReaderScan, HeaderErrorsAreReplacedWhenTheScanSucceeds) {
  std::string badOrder = ExifPayload(ExampleCamera().Build());
  badOrder[6] = 'X';
  badOrder[7] = 'X';
  TimgData data;
  EXPECT_TRUE(data.ReadPictureBytes(JpegFile({{test::kApp1, badOrder}}), PictureKind::Jpeg));
  EXPECT_TRUE(data.HasExif());
  EXPECT_EQ(data.errorText, "<none>");
  EXPECT_TRUE(data.exif()->tags.empty());
}

TEST(ExifReaderFiles, ExtensionsChooseTheReader) {
  test::TempDir dir;
  const std::string jpeg = ExifJpeg(ExampleCamera());
  for (const char* name : {"a.JPG", "b.jpeg", "c.Jpe"}) {
    test::WriteFile(dir.file(name), jpeg);
    TimgData data;
    EXPECT_TRUE(data.ReadPictureFile(dir.file(name))) << name;
    EXPECT_EQ(data.errorText, "<none>");
    EXPECT_EQ(data.fileSize, jpeg.size());
    EXPECT_EQ(data.filePath, dir.file(name));
  }
  test::WriteFile(dir.file("d.png"), jpeg);
  TimgData png;
  EXPECT_FALSE(png.ReadPictureFile(dir.file("d.png")));
  EXPECT_FALSE(png.HasData());
  EXPECT_EQ(png.errorText, "Not an EXIF file");

  test::WriteFile(dir.file("e.NEF"), ExampleCamera().Build());
  TimgData nef;
  EXPECT_TRUE(nef.ReadPictureFile(dir.file("e.NEF")));

  TimgData missing;
  EXPECT_FALSE(missing.ReadPictureFile(dir.file("missing.jpg")));
  EXPECT_EQ(missing.errorText, "");
  TimgData folder;
  std::filesystem::create_directory(dir.file("folder.jpg"));
  EXPECT_FALSE(folder.ReadPictureFile(dir.file("folder.jpg")));
  EXPECT_EQ(folder.errorText, "");
}

// The status tells a file without camera data from one that could not be read: a read error is
// not the end of the file.
TEST(ExifReaderFiles, TheStatusSaysHowTheReadingEnded) {
  test::TempDir dir;
  test::WriteFile(dir.file("camera.jpg"), ExifJpeg(ExampleCamera()));
  test::WriteFile(dir.file("plain.jpg"), JpegFile({{test::kCom, "just a comment"}}));
  test::WriteFile(dir.file("camera.png"), ExifJpeg(ExampleCamera()));
  test::WriteFile(dir.file("empty.jpg"), "");
  // Reading this file's first bytes fails with an input/output error.
  std::filesystem::create_symlink("/proc/self/mem", dir.file("failing.jpg"));
  const std::pair<const char*, ExifStatus> cases[] = {
      {"camera.jpg", ExifStatus::Found},   {"plain.jpg", ExifStatus::Found},
      {"camera.png", ExifStatus::NoData},  {"empty.jpg", ExifStatus::NoData},
      {"missing.jpg", ExifStatus::NoFile}, {"failing.jpg", ExifStatus::Unreadable},
  };
  for (const auto& [name, status] : cases) {
    TimgData data;
    data.ReadPictureFile(dir.file(name));
    EXPECT_EQ(data.status, status) << name;
  }
  TimgData bytes;
  bytes.ReadPictureBytes("not a picture", PictureKind::Jpeg);
  EXPECT_EQ(bytes.status, ExifStatus::NoData);

  // quillon-cli exif fails on the unreadable file instead of saying it has no camera data.
  const std::string cli = std::string(QG_BIN_DIR) + "/quillon-cli";
  if (!std::filesystem::exists(cli)) GTEST_SKIP() << "quillon-cli is not built";
  const std::string quiet = " >/dev/null 2>&1";
  int status =
      std::system(("'" + cli + "' exif '" + dir.file("failing.jpg") + "'" + quiet).c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  status = std::system(("'" + cli + "' exif '" + dir.file("plain.jpg") + "'" + quiet).c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(ExifReaderFiles, OnlyTheSectionsBeforeTheImageDataAreRead) {
  test::TempDir dir;
  const std::string file =
      JpegFile({{test::kApp1, ExifPayload(ExampleCamera().Build())}}, 20u << 20);
  test::WriteFile(dir.file("big.jpg"), file);
  TimgData data;
  EXPECT_TRUE(data.ReadPictureFile(dir.file("big.jpg")));
  EXPECT_EQ(data.fileSize, file.size());
  EXPECT_LT(data.bytesRead(), 1024u);

  // A TIFF file gives the walk its first 256000 bytes after the header, no more.
  std::string tiff = ExampleCamera().Build() + std::string(1u << 20, '\0');
  TimgData t;
  EXPECT_TRUE(t.ReadPictureBytes(tiff, PictureKind::Tiff));
  EXPECT_EQ(t.bytesRead(), 8u + 256000u);
}

TEST(ExifReaderTiff, DirectoryAtOffsetEightIsIfd0) {
  TimgData data;
  EXPECT_TRUE(data.ReadPictureBytes(ExampleCamera(true).Build(), PictureKind::Tiff));
  ASSERT_TRUE(data.HasExif());
  EXPECT_EQ(data.errorText, "<none>");
  EXPECT_EQ(data.exif()->cameraMake, "ACME");
  EXPECT_EQ(data.exif()->TagText("FocalLength"), " 7.80 mm");

  // The header names another directory; the one at offset 8 is read all the same.
  TiffBuilder b;
  b.Ascii(0, 0x010F, "AT EIGHT").HeaderIfd0(0x400);
  TimgData moved;
  EXPECT_TRUE(moved.ReadPictureBytes(b.Build() + std::string(0x400, '\0'), PictureKind::Tiff));
  EXPECT_EQ(moved.exif()->cameraMake, "AT EIGHT");

  // IFD0 written further on: offset 8 holds other bytes, which are no directory of ours.
  TiffBuilder far;
  far.Ascii(0, 0x010F, "FAR").GapBeforeIfd0(64);
  TimgData elsewhere;
  elsewhere.ReadPictureBytes(far.Build(), PictureKind::Tiff);
  ASSERT_TRUE(elsewhere.HasExif());
  EXPECT_EQ(elsewhere.exif()->cameraMake, "");

  TimgData notTiff;
  EXPECT_FALSE(notTiff.ReadPictureBytes("XX*\0\x08\0\0\0", PictureKind::Tiff));
  EXPECT_FALSE(notTiff.HasExif());
}

// Damaged and hostile files: each must end cleanly, with the failure rules of the walk.
TEST(ExifReaderHostile, BadTypeInIfd0EndsTheReading) {
  TiffBuilder b;
  b.Ascii(0, 0x010F, "ACME").Raw(0, 0x0110, 13, 1, 0).Ascii(0, 0x0131, "never");
  TimgData data;
  EXPECT_FALSE(data.ReadPictureBytes(ExifJpeg(b), PictureKind::Jpeg));
  EXPECT_TRUE(data.HasExif());
  EXPECT_EQ(data.errorText, "Not an EXIF file");
  EXPECT_EQ(data.exif()->cameraMake, "ACME");
  EXPECT_EQ(data.exif()->TagIndex("Software"), -1);
}

TEST(ExifReaderHostile, BadTypeInSubDirectoryEndsOnlyThatWalk) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  b.Link(0, 0x8769, exif).Ascii(0, 0x0131, "after");
  b.Rational(exif, 0x829A, {{1, 4}}).Raw(exif, 0x829D, 99, 1, 0).Short(exif, 0x8827, {100});
  TimgData data;
  EXPECT_TRUE(data.ReadPictureBytes(ExifJpeg(b), PictureKind::Jpeg));
  EXPECT_EQ(data.exif()->TagText("ExposureTime"), "1/4 sec");
  EXPECT_EQ(data.exif()->TagIndex("ISOSpeedRatings"), -1);
  EXPECT_EQ(data.exif()->TagText("Software"), "after");
}

TEST(ExifReaderHostile, DirectoryLoopsEnd) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  const int interop = b.AddDirectory();
  b.Link(0, 0x8769, exif).Ascii(0, 0x0131, "ok");
  b.Link(exif, 0xA005, interop).Link(exif, 0x8825, 0);  // back to IFD0
  b.Link(interop, 0xA005, exif);                        // back to the Exif directory
  TimgData data;
  EXPECT_TRUE(data.ReadPictureBytes(ExifJpeg(b), PictureKind::Jpeg));
  EXPECT_EQ(data.exif()->TagText("Software"), "ok");
  // The same in a TIFF file, where IFD0 links to itself.
  TiffBuilder self;
  self.Link(0, 0x014A, 0).Ascii(0, 0x010F, "SELF");
  TimgData tiff;
  EXPECT_TRUE(tiff.ReadPictureBytes(self.Build(), PictureKind::Tiff));
  EXPECT_EQ(tiff.exif()->cameraMake, "SELF");
}

TEST(ExifReaderHostile, DeepNestingIsBounded) {
  TiffBuilder b;
  int previous = 0;
  for (int i = 0; i < 200; ++i) {
    const int next = b.AddDirectory();
    b.Link(previous, 0x8769, next);
    previous = next;
  }
  b.Ascii(previous, 0x010F, "DEEP");
  TimgData data;
  EXPECT_TRUE(data.ReadPictureBytes(b.Build(), PictureKind::Tiff));
  EXPECT_EQ(data.exif()->cameraMake, "");
  EXPECT_LT(data.exif()->tags.size(), 20u);
}

TEST(ExifReaderHostile, OffsetsAndCountsOutsideTheData) {
  TiffBuilder b;
  const int exif = b.AddDirectory();
  b.Raw(0, 0x010E, 2, 40, 0xFFFFFFF0u)    // text far outside: empty
      .Raw(0, 0x829A, 5, 0xFFFFFFFFu, 8)  // count x 8 overflows 32 bits: cut to the data
      .Raw(0, 0x8827, 3, 0x80000000u, 0xFFFFFFFFu)
      .Raw(0, 0x8825, 4, 1, 0x7FFFFFFFu)  // GPS directory outside: that walk ends
      .Link(0, 0x8769, exif);
  b.Ascii(exif, 0x0131, "still read");
  TimgData data;
  EXPECT_TRUE(data.ReadPictureBytes(ExifJpeg(b), PictureKind::Jpeg));
  const TImageInfo& info = *data.exif();
  EXPECT_EQ(info.TagText("ImageDescription"), "");
  const int exposure = info.TagIndex("ExposureTime");
  ASSERT_GE(exposure, 0);
  EXPECT_EQ(info.tags[static_cast<size_t>(exposure)].byteCount, 0xFFFFFFFFull * 8);
  EXPECT_LE(info.tags[static_cast<size_t>(exposure)].raw.size(), info.bytes().size());
  EXPECT_EQ(info.TagText("Software"), "still read");
}

TEST(ExifReaderHostile, IfdOutsideOrTruncatedEndsTheReading) {
  // IFD0 offset past the segment.
  std::string tiff = ExampleCamera().Build();
  tiff[4] = '\xFF';
  tiff[5] = '\xFF';
  TimgData outside;
  EXPECT_FALSE(
      outside.ReadPictureBytes(JpegFile({{test::kApp1, ExifPayload(tiff)}}), PictureKind::Jpeg));
  EXPECT_TRUE(outside.HasExif());

  // A segment cut inside IFD0's entries (long enough to pass the directory size test).
  TimgData cut;
  EXPECT_FALSE(cut.ReadPictureBytes(
      JpegFile({{test::kApp1, ExifPayload(ExampleCamera().Build()).substr(0, 40)}}),
      PictureKind::Jpeg));
  EXPECT_TRUE(cut.HasExif());

  // Too short to hold the IFD0 offset.
  TimgData tiny;
  EXPECT_FALSE(tiny.ReadPictureBytes(JpegFile({{test::kApp1, std::string("Exif\0\0II*\0", 10)}}),
                                     PictureKind::Jpeg));

  // An entry count far beyond the segment is an illegally sized directory, not a failure.
  TiffBuilder huge;
  huge.Ascii(0, 0x010F, "X");
  std::string hugeTiff = huge.Build();
  hugeTiff[8] = '\xFF';
  hugeTiff[9] = '\x7F';
  TimgData sized;
  EXPECT_TRUE(
      sized.ReadPictureBytes(JpegFile({{test::kApp1, ExifPayload(hugeTiff)}}), PictureKind::Jpeg));
  EXPECT_EQ(sized.errorText, "<none>");
  EXPECT_TRUE(sized.exif()->tags.empty());
}

TEST(ExifReaderHostile, MalformedJpegSegments) {
  const std::vector<std::string> files = {
      "",
      "\xFF",
      "\xFF\xD9",
      "\xFF\xD8",
      "\xFF\xD8\xFF",
      "\xFF\xD8\xFF\xE1",
      "\xFF\xD8\xFF\xE1\x00",
      std::string("\xFF\xD8\xFF\xE1\x00\x00", 6),  // length below 2
      std::string("\xFF\xD8\xFF\xE1\x00\x01\xFF\xFE\x00\x03x", 11),
      "\xFF\xD8\xFF\xE1\xFF\xFF" + std::string("Exif\0\0II*\0", 10),  // longer than the file
      "\xFF\xD8" + std::string(200000, '\xFF'),                       // fill bytes only
  };
  for (const std::string& file : files) {
    TimgData data;
    data.ReadPictureBytes(file, PictureKind::Jpeg);
    EXPECT_FALSE(data.HasExif());
    EXPECT_LE(data.bytesRead(), file.size());
  }
  // A comment followed by a section whose length is too small still reports the comment.
  TimgData data;
  EXPECT_TRUE(data.ReadPictureBytes(std::string("\xFF\xD8\xFF\xFE\x00\x03x\xFF\xE2\x00\x00", 11),
                                    PictureKind::Jpeg));
}

TEST(ExifReaderHostile, EntryBudgetBoundsOverlappingDirectories) {
  // Every entry links to the next entry's start, which reads as a directory of 330 entries (the
  // tag 0x014A taken as a count) overlapping the others: without a bound on the entries one
  // reading visits, the walk would go through more than a million of them.
  constexpr uint32_t kEntries = 5000;
  TiffBuilder b;
  for (uint32_t i = 0; i < kEntries; ++i) b.Long(0, 0x014A, {8 + 2 + 12 * ((i + 1) % kEntries)});
  TimgData data;
  EXPECT_FALSE(data.ReadPictureBytes(b.Build() + std::string(64, '\0'), PictureKind::Tiff));
  ASSERT_TRUE(data.HasExif());
  EXPECT_EQ(data.errorText, "Not an EXIF file");
  EXPECT_LE(data.exif()->tags.size(), 4096u);
}

TEST(ExifReaderHostile, TextBudgetBoundsEntriesSharingOneLongValue) {
  // One 200000-byte comment, and 199 more entries pointing at the same bytes: each would make a
  // display text of that size. The reading ends once the texts fill their budget.
  constexpr uint32_t kEntries = 200;
  constexpr uint32_t kCommentBytes = 200000;
  const uint32_t commentOffset = 8 + 2 + 12 * kEntries + 4;
  TiffBuilder b;
  b.Undefined(0, 0x9286, std::string("ASCII\0\0\0", 8) + std::string(kCommentBytes - 8, 'c'));
  for (uint32_t i = 1; i < kEntries; ++i) b.Raw(0, 0x9286, 7, kCommentBytes, commentOffset);
  TimgData data;
  EXPECT_FALSE(data.ReadPictureBytes(b.Build(), PictureKind::Tiff));
  ASSERT_TRUE(data.HasExif());
  EXPECT_EQ(data.errorText, "Not an EXIF file");
  ASSERT_GE(data.exif()->tags.size(), 1u);
  EXPECT_LT(data.exif()->tags.size(), 100u);
  EXPECT_EQ(data.exif()->tags[0].displayText.size(), kCommentBytes - 8);
}

}  // namespace
}  // namespace qg
