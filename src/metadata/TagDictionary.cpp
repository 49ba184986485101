// The tag dictionaries: the main one for IFD0 and the Exif, interoperability and sub-IFD
// directories, and the one for the GPS directory. Rows without a description get one made from
// the name when a dictionary is first used.
#include "metadata/TagDictionary.h"

#include "metadata/TagFormat.h"

#include <iterator>

namespace qg {

namespace {

struct Row {
  uint16_t tag;
  const char* name;
  const char* description;
  const char* decodeList;
  const char* formatText;
  TagRoutine routine;
};

// Only the few rows that carry a decode list, a format text or a routine below have them; every
// other row shows its values as stored, so the tag list never guesses at labels.
#define QG_RESOLUTION_UNITS "1:None Specified,2:Inch,3:Centimeter"

// clang-format off
const Row kMainRows[] = {
    {0x0001, "InteroperabilityIndex", nullptr, nullptr, nullptr, nullptr},
    {0x0002, "InteroperabilityVersion", nullptr, nullptr, nullptr, nullptr},
    {0x000B, "ACDComment", nullptr, nullptr, nullptr, nullptr},
    {0x00FE, "NewSubfileType", nullptr, nullptr, nullptr, nullptr},
    {0x00FF, "SubfileType", nullptr, nullptr, nullptr, nullptr},
    {0x0100, "ImageWidth", nullptr, nullptr, nullptr, nullptr},
    {0x0101, "ImageLength", nullptr, nullptr, nullptr, nullptr},
    {0x0102, "BitsPerSample", nullptr, nullptr, nullptr, nullptr},
    {0x0103, "Compression", nullptr, nullptr, nullptr, nullptr},
    {0x0106, "PhotometricInterpretation", nullptr, nullptr, nullptr, nullptr},
    {0x010A, "FillOrder", nullptr, nullptr, nullptr, nullptr},
    {0x010D, "DocumentName", nullptr, nullptr, nullptr, nullptr},
    {0x010E, "ImageDescription", nullptr, nullptr, nullptr, nullptr},
    {0x010F, "Make", nullptr, nullptr, nullptr, nullptr},
    {0x0110, "Model", nullptr, nullptr, nullptr, nullptr},
    {0x0111, "StripOffsets", nullptr, nullptr, nullptr, nullptr},
    {0x0112, "Orientation", nullptr, "1:Normal,3:Rotated 180\xC2\xB0,6:CounterClockwise 90\xC2\xB0,8:Clockwise 90\xC2\xB0", nullptr, nullptr},
    {0x0115, "SamplesPerPixel", nullptr, nullptr, nullptr, nullptr},
    {0x0116, "RowsPerStrip", nullptr, nullptr, nullptr, nullptr},
    {0x0117, "StripByteCounts", nullptr, nullptr, nullptr, nullptr},
    {0x0118, "MinSampleValue", nullptr, nullptr, nullptr, nullptr},
    {0x0119, "MaxSampleValue", nullptr, nullptr, nullptr, nullptr},
    {0x011A, "XResolution", nullptr, nullptr, "%5.2f", nullptr},
    {0x011B, "YResolution", nullptr, nullptr, "%5.2f", nullptr},
    {0x011C, "PlanarConfiguration", nullptr, nullptr, nullptr, nullptr},
    {0x011D, "PageName", nullptr, nullptr, nullptr, nullptr},
    {0x011E, "XPosition", nullptr, nullptr, nullptr, nullptr},
    {0x011F, "YPosition", nullptr, nullptr, nullptr, nullptr},
    {0x0120, "FreeOffsets", nullptr, nullptr, nullptr, nullptr},
    {0x0121, "FreeByteCounts", nullptr, nullptr, nullptr, nullptr},
    {0x0122, "GrayReponseUnit", nullptr, nullptr, nullptr, nullptr},
    {0x0123, "GrayReponseCurve", nullptr, nullptr, nullptr, nullptr},
    {0x0124, "T4Options", nullptr, nullptr, nullptr, nullptr},
    {0x0125, "T6Options", nullptr, nullptr, nullptr, nullptr},
    {0x0128, "ResolutionUnit", nullptr, QG_RESOLUTION_UNITS, nullptr, nullptr},
    {0x0129, "PageNumber", nullptr, nullptr, nullptr, nullptr},
    {0x012D, "TransferFunction", nullptr, nullptr, nullptr, nullptr},
    {0x0131, "Software", nullptr, nullptr, nullptr, nullptr},
    {0x0132, "DateTime", nullptr, nullptr, nullptr, nullptr},
    {0x013B, "Artist", nullptr, nullptr, nullptr, nullptr},
    {0x013C, "HostComputer", nullptr, nullptr, nullptr, nullptr},
    {0x013D, "Predictor", nullptr, nullptr, nullptr, nullptr},
    {0x013E, "WhitePoint", nullptr, nullptr, nullptr, nullptr},
    {0x013F, "PrimaryChromaticities", nullptr, nullptr, nullptr, nullptr},
    {0x0140, "ColorMap", nullptr, nullptr, nullptr, nullptr},
    {0x0141, "HalfToneHints", nullptr, nullptr, nullptr, nullptr},
    {0x0142, "TileWidth", nullptr, nullptr, nullptr, nullptr},
    {0x0143, "TileLength", nullptr, nullptr, nullptr, nullptr},
    {0x0144, "TileOffsets", nullptr, nullptr, nullptr, nullptr},
    {0x0145, "TileByteCounts", nullptr, nullptr, nullptr, nullptr},
    {0x014A, "SubIFDs", nullptr, nullptr, nullptr, nullptr},
    {0x014C, "InkSet", nullptr, nullptr, nullptr, nullptr},
    {0x014D, "InkNames", nullptr, nullptr, nullptr, nullptr},
    {0x014E, "NumberOfInks", nullptr, nullptr, nullptr, nullptr},
    {0x0150, "DotRange", nullptr, nullptr, nullptr, nullptr},
    {0x0151, "TargetPrinter", nullptr, nullptr, nullptr, nullptr},
    {0x0152, "ExtraSample", nullptr, nullptr, nullptr, nullptr},
    {0x0153, "SampleFormat", nullptr, nullptr, nullptr, nullptr},
    {0x0154, "SMinSampleValue", nullptr, nullptr, nullptr, nullptr},
    {0x0155, "SMaxSampleValue", nullptr, nullptr, nullptr, nullptr},
    {0x0156, "TransferRange", nullptr, nullptr, nullptr, nullptr},
    {0x0157, "ClipPath", nullptr, nullptr, nullptr, nullptr},
    {0x0158, "XClipPathUnits", nullptr, nullptr, nullptr, nullptr},
    {0x0159, "YClipPathUnits", nullptr, nullptr, nullptr, nullptr},
    {0x015A, "Indexed", nullptr, nullptr, nullptr, nullptr},
    {0x015B, "JPEGTables", nullptr, nullptr, nullptr, nullptr},
    {0x015F, "OPIProxy", nullptr, nullptr, nullptr, nullptr},
    {0x0200, "JPEGProc", nullptr, nullptr, nullptr, nullptr},
    {0x0201, "JPEGInterchangeFormat", nullptr, nullptr, nullptr, nullptr},
    {0x0202, "JPEGInterchangeFormatLength", nullptr, nullptr, nullptr, nullptr},
    {0x0203, "JPEGRestartInterval", nullptr, nullptr, nullptr, nullptr},
    {0x0205, "JPEGLosslessPredictors", nullptr, nullptr, nullptr, nullptr},
    {0x0206, "JPEGPointTransforms", nullptr, nullptr, nullptr, nullptr},
    {0x0207, "JPEGQTables", nullptr, nullptr, nullptr, nullptr},
    {0x0208, "JPEGDCTables", nullptr, nullptr, nullptr, nullptr},
    {0x0209, "JPEGACTables", nullptr, nullptr, nullptr, nullptr},
    {0x0211, "YCbCrCoefficients", nullptr, nullptr, nullptr, nullptr},
    {0x0212, "YCbCrSubSampling", nullptr, nullptr, nullptr, nullptr},
    {0x0213, "YCbCrPositioning", nullptr, nullptr, nullptr, nullptr},
    {0x0214, "ReferenceBlackWhite", nullptr, nullptr, nullptr, nullptr},
    {0x02BC, "ExtensibleMetadataPlatform", nullptr, nullptr, nullptr, nullptr},
    {0x0301, "Gamma", nullptr, nullptr, nullptr, nullptr},
    {0x0302, "ICCProfileDescriptor", nullptr, nullptr, nullptr, nullptr},
    {0x0303, "SRGBRenderingIntent", nullptr, nullptr, nullptr, nullptr},
    {0x0304, "ImageTitle", nullptr, nullptr, nullptr, nullptr},
    {0x1000, "RelatedImageFileFormat", nullptr, nullptr, nullptr, nullptr},
    {0x1001, "RelatedImageWidth", nullptr, nullptr, nullptr, nullptr},
    {0x1002, "RelatedImageHeight", nullptr, nullptr, nullptr, nullptr},
    {0x5001, "ResolutionXUnit", nullptr, nullptr, nullptr, nullptr},
    {0x5002, "ResolutionYUnit", nullptr, nullptr, nullptr, nullptr},
    {0x5003, "ResolutionXLengthUnit", nullptr, nullptr, nullptr, nullptr},
    {0x5004, "ResolutionYLengthUnit", nullptr, nullptr, nullptr, nullptr},
    {0x5005, "PrintFlags", nullptr, nullptr, nullptr, nullptr},
    {0x5006, "PrintFlagsVersion", nullptr, nullptr, nullptr, nullptr},
    {0x5007, "PrintFlagsCrop", nullptr, nullptr, nullptr, nullptr},
    {0x5008, "PrintFlagsBleedWidth", nullptr, nullptr, nullptr, nullptr},
    {0x5009, "PrintFlagsBleedWidthScale", nullptr, nullptr, nullptr, nullptr},
    {0x500A, "HalftoneLPI", nullptr, nullptr, nullptr, nullptr},
    {0x500B, "HalftoneLPIUnit", nullptr, nullptr, nullptr, nullptr},
    {0x500C, "HalftoneDegree", nullptr, nullptr, nullptr, nullptr},
    {0x500D, "HalftoneShape", nullptr, nullptr, nullptr, nullptr},
    {0x500E, "HalftoneMisc", nullptr, nullptr, nullptr, nullptr},
    {0x500F, "HalftoneScreen", nullptr, nullptr, nullptr, nullptr},
    {0x5010, "JPEGQuality", nullptr, nullptr, nullptr, nullptr},
    {0x5011, "GridSize", nullptr, nullptr, nullptr, nullptr},
    {0x5012, "ThumbnailFormat", nullptr, nullptr, nullptr, nullptr},
    {0x5013, "ThumbnailWidth", nullptr, nullptr, nullptr, nullptr},
    {0x5014, "ThumbnailHeight", nullptr, nullptr, nullptr, nullptr},
    {0x5015, "ThumbnailColorDepth", nullptr, nullptr, nullptr, nullptr},
    {0x5016, "ThumbnailPlanes", nullptr, nullptr, nullptr, nullptr},
    {0x5017, "ThumbnailRawBytes", nullptr, nullptr, nullptr, nullptr},
    {0x5018, "ThumbnailSize", nullptr, nullptr, nullptr, nullptr},
    {0x5019, "ThumbnailCompressedSize", nullptr, nullptr, nullptr, nullptr},
    {0x501A, "ColorTransferFunction", nullptr, nullptr, nullptr, nullptr},
    {0x501B, "ThumbnailData", nullptr, nullptr, nullptr, nullptr},
    {0x5020, "ThumbnailImageWidth", nullptr, nullptr, nullptr, nullptr},
    {0x5021, "ThumbnailImageHeight", nullptr, nullptr, nullptr, nullptr},
    {0x5022, "ThumbnailBitsPerSample", nullptr, nullptr, nullptr, nullptr},
    {0x5023, "ThumbnailCompression", nullptr, nullptr, nullptr, nullptr},
    {0x5024, "ThumbnailPhotometricInterp", nullptr, nullptr, nullptr, nullptr},
    {0x5025, "ThumbnailImageDescription", nullptr, nullptr, nullptr, nullptr},
    {0x5026, "ThumbnailEquipMake", nullptr, nullptr, nullptr, nullptr},
    {0x5027, "ThumbnailEquipModel", nullptr, nullptr, nullptr, nullptr},
    {0x5028, "ThumbnailStripOffsets", nullptr, nullptr, nullptr, nullptr},
    {0x5029, "ThumbnailOrientation", nullptr, nullptr, nullptr, nullptr},
    {0x502A, "ThumbnailSamplesPerPixel", nullptr, nullptr, nullptr, nullptr},
    {0x502B, "ThumbnailRowsPerStrip", nullptr, nullptr, nullptr, nullptr},
    {0x502C, "ThumbnailStripBytesCount", nullptr, nullptr, nullptr, nullptr},
    {0x502D, "ThumbnailResolutionX", nullptr, nullptr, nullptr, nullptr},
    {0x502E, "ThumbnailResolutionY", nullptr, nullptr, nullptr, nullptr},
    {0x502F, "ThumbnailPlanarConfig", nullptr, nullptr, nullptr, nullptr},
    {0x5030, "ThumbnailResolutionUnit", nullptr, nullptr, nullptr, nullptr},
    {0x5031, "ThumbnailTransferFunction", nullptr, nullptr, nullptr, nullptr},
    {0x5032, "ThumbnailSoftwareUsed", nullptr, nullptr, nullptr, nullptr},
    {0x5033, "ThumbnailDateTime", nullptr, nullptr, nullptr, nullptr},
    {0x5034, "ThumbnailArtist", nullptr, nullptr, nullptr, nullptr},
    {0x5035, "ThumbnailWhitePoint", nullptr, nullptr, nullptr, nullptr},
    {0x5036, "ThumbnailPrimaryChromaticities", nullptr, nullptr, nullptr, nullptr},
    {0x5037, "ThumbnailYCbCrCoefficients", nullptr, nullptr, nullptr, nullptr},
    {0x5038, "ThumbnailYCbCrSubsampling", nullptr, nullptr, nullptr, nullptr},
    {0x5039, "ThumbnailYCbCrPositioning", nullptr, nullptr, nullptr, nullptr},
    {0x503A, "ThumbnailRefBlackWhite", nullptr, nullptr, nullptr, nullptr},
    {0x503B, "ThumbnailCopyRight", nullptr, nullptr, nullptr, nullptr},
    {0x5090, "LuminanceTable", nullptr, nullptr, nullptr, nullptr},
    {0x5091, "ChrominanceTable", nullptr, nullptr, nullptr, nullptr},
    {0x5100, "FrameDelay", nullptr, nullptr, nullptr, nullptr},
    {0x5101, "LoopCount", nullptr, nullptr, nullptr, nullptr},
    {0x5110, "PixelUnit", nullptr, nullptr, nullptr, nullptr},
    {0x5111, "PixelPerUnitX", nullptr, nullptr, nullptr, nullptr},
    {0x5112, "PixelPerUnitY", nullptr, nullptr, nullptr, nullptr},
    {0x5113, "PaletteHistogram", nullptr, nullptr, nullptr, nullptr},
    {0x800D, "ImageID", nullptr, nullptr, nullptr, nullptr},
    {0x80E3, "Matteing", nullptr, nullptr, nullptr, nullptr},
    {0x80E4, "DataType", nullptr, nullptr, nullptr, nullptr},
    {0x80E5, "ImageDepth", nullptr, nullptr, nullptr, nullptr},
    {0x80E6, "TileDepth", nullptr, nullptr, nullptr, nullptr},
    {0x828D, "CFARepeatPatternDim", nullptr, nullptr, nullptr, nullptr},
    {0x828E, "CFAPattern", nullptr, nullptr, nullptr, nullptr},
    {0x828F, "BatteryLevel", nullptr, nullptr, nullptr, nullptr},
    {0x8298, "Copyright", nullptr, nullptr, nullptr, nullptr},
    {0x829A, "ExposureTime", nullptr, nullptr, "%s sec", nullptr},
    {0x829D, "FNumber", nullptr, nullptr, "F%0.1f", nullptr},
    {0x83BB, "IPTC/NAA", nullptr, nullptr, nullptr, nullptr},
    {0x84E3, "IT8RasterPadding", nullptr, nullptr, nullptr, nullptr},
    {0x84E5, "IT8ColorTable", nullptr, nullptr, nullptr, nullptr},
    {0x8649, "ImageResourceInformation", nullptr, nullptr, nullptr, nullptr},
    {0x8769, "ExifOffset", nullptr, nullptr, nullptr, nullptr},
    {0x8773, "InterColorProfile", nullptr, nullptr, nullptr, nullptr},
    {0x8822, "ExposureProgram", nullptr, nullptr, nullptr, nullptr},
    {0x8824, "SpectralSensitivity", nullptr, nullptr, nullptr, nullptr},
    {0x8825, "GPSInfo", nullptr, nullptr, nullptr, nullptr},
    {0x8827, "ISOSpeedRatings", nullptr, nullptr, nullptr, nullptr},
    {0x8828, "OECF", nullptr, nullptr, nullptr, nullptr},
    {0x8829, "Interlace", nullptr, nullptr, nullptr, nullptr},
    {0x882A, "TimeZoneOffset", nullptr, nullptr, nullptr, nullptr},
    {0x882B, "SelfTimerMode", nullptr, nullptr, nullptr, nullptr},
    {0x9000, "ExifVersion", nullptr, nullptr, nullptr, nullptr},
    {0x9003, "DateTimeOriginal", nullptr, nullptr, nullptr, nullptr},
    {0x9004, "DateTimeDigitized", nullptr, nullptr, nullptr, nullptr},
    {0x9101, "ComponentsConfiguration", nullptr, nullptr, nullptr, ComponentsText},
    {0x9102, "CompressedBitsPerPixel", nullptr, nullptr, nullptr, nullptr},
    {0x9201, "ShutterSpeedValue", nullptr, nullptr, nullptr, ShutterSpeedText},
    {0x9202, "ApertureValue", nullptr, nullptr, "F%0.1f", nullptr},
    {0x9203, "BrightnessValue", nullptr, nullptr, nullptr, nullptr},
    {0x9204, "ExposureBiasValue", nullptr, nullptr, nullptr, nullptr},
    {0x9205, "MaxApertureValue", nullptr, nullptr, "F%0.1f", nullptr},
    {0x9206, "SubjectDistance", nullptr, nullptr, nullptr, nullptr},
    {0x9207, "MeteringMode", nullptr, "0:Unknown,1:Average,2:Center,3:Spot,4:MultiSpot,5:MultiSegment,6:Partial", nullptr, nullptr},
    {0x9208, "LightSource", nullptr, nullptr, nullptr, nullptr},
    {0x9209, "Flash", nullptr, nullptr, nullptr, FlashText},
    {0x920A, "FocalLength", nullptr, nullptr, "%5.2f mm", nullptr},
    {0x920B, "FlashEnergy", nullptr, nullptr, nullptr, nullptr},
    {0x920C, "SpatialFrequencyResponse", nullptr, nullptr, nullptr, nullptr},
    {0x920D, "Noise", nullptr, nullptr, nullptr, nullptr},
    {0x920E, "FocalPlaneXResolution", nullptr, nullptr, nullptr, nullptr},
    {0x920F, "FocalPlaneYResolution", nullptr, nullptr, nullptr, nullptr},
    {0x9210, "FocalPlaneResolutionUnit", nullptr, QG_RESOLUTION_UNITS, nullptr, nullptr},
    {0x9211, "ImageNumber", nullptr, nullptr, nullptr, nullptr},
    {0x9212, "SecurityClassification", nullptr, nullptr, nullptr, nullptr},
    {0x9213, "ImageHistory", nullptr, nullptr, nullptr, nullptr},
    {0x9214, "SubjectLocation", nullptr, nullptr, nullptr, nullptr},
    {0x9215, "ExposureIndex", nullptr, nullptr, nullptr, nullptr},
    {0x9216, "TIFF/EPStandardID", nullptr, nullptr, nullptr, nullptr},
    {0x9217, "SensingMethod", nullptr, nullptr, nullptr, nullptr},
    {0x923F, "StoNits", nullptr, nullptr, nullptr, nullptr},
    {0x927C, "MakerNote", nullptr, nullptr, nullptr, nullptr},
    {0x9286, "UserComment", nullptr, nullptr, nullptr, UserCommentText},
    {0x9290, "SubSecTime", nullptr, nullptr, nullptr, nullptr},
    {0x9291, "SubSecTimeOriginal", nullptr, nullptr, nullptr, nullptr},
    {0x9292, "SubSecTimeDigitized", nullptr, nullptr, nullptr, nullptr},
    {0x953C, "ImageSourceData", nullptr, nullptr, nullptr, nullptr},
    {0x9C9B, "Title", nullptr, nullptr, nullptr, WindowsText},
    {0x9C9C, "Comments", nullptr, nullptr, nullptr, WindowsText},
    {0x9C9D, "Author", nullptr, nullptr, nullptr, WindowsText},
    {0x9C9E, "Keywords", nullptr, nullptr, nullptr, WindowsText},
    {0x9C9F, "Subject", nullptr, nullptr, nullptr, WindowsText},
    {0xA000, "FlashPixVersion", nullptr, nullptr, nullptr, nullptr},
    {0xA001, "ColorSpace", nullptr, nullptr, nullptr, nullptr},
    {0xA002, "ExifImageWidth", nullptr, nullptr, nullptr, nullptr},
    {0xA003, "ExifImageLength", nullptr, nullptr, nullptr, nullptr},
    {0xA004, "RelatedSoundFile", nullptr, nullptr, nullptr, nullptr},
    {0xA005, "InteroperabilityOffset", nullptr, nullptr, nullptr, nullptr},
    {0xA20B, "FlashEnergy", nullptr, nullptr, nullptr, nullptr},
    {0xA20C, "SpatialFrequencyResponse", nullptr, nullptr, nullptr, nullptr},
    {0xA20E, "FocalPlaneXResolution", nullptr, nullptr, nullptr, nullptr},
    {0xA20F, "FocalPlaneYResolution", nullptr, nullptr, nullptr, nullptr},
    {0xA210, "FocalPlaneResolutionUnit", nullptr, QG_RESOLUTION_UNITS, nullptr, nullptr},
    {0xA211, "ImageNumber", nullptr, nullptr, nullptr, nullptr},
    {0xA212, "SecurityClassification", nullptr, nullptr, nullptr, nullptr},
    {0xA213, "ImageHistory", nullptr, nullptr, nullptr, nullptr},
    {0xA214, "SubjectLocation", nullptr, nullptr, nullptr, nullptr},
    {0xA215, "ExposureIndex", nullptr, nullptr, nullptr, nullptr},
    {0xA216, "TIFF/EPStandardID", nullptr, nullptr, nullptr, nullptr},
    {0xA217, "SensingMethod", nullptr, nullptr, nullptr, nullptr},
    {0xA300, "FileSource", nullptr, nullptr, nullptr, nullptr},
    {0xA301, "SceneType", nullptr, nullptr, nullptr, nullptr},
    {0xA302, "CFAPattern", nullptr, nullptr, nullptr, nullptr},
    {0xA401, "CustomRendered", nullptr, nullptr, nullptr, nullptr},
    {0xA402, "ExposureMode", nullptr, nullptr, nullptr, nullptr},
    {0xA403, "WhiteBalance", nullptr, nullptr, nullptr, nullptr},
    {0xA404, "DigitalZoomRatio", nullptr, nullptr, nullptr, nullptr},
    {0xA405, "FocalLengthin35mmFilm", "Focal Length in 35mm Film", nullptr, "%5.2f mm", nullptr},
    {0xA406, "SceneCaptureType", nullptr, nullptr, nullptr, nullptr},
    {0xA407, "GainControl", nullptr, nullptr, nullptr, nullptr},
    {0xA408, "Contrast", nullptr, nullptr, nullptr, nullptr},
    {0xA409, "Saturation", nullptr, nullptr, nullptr, nullptr},
    {0xA40A, "Sharpness", nullptr, nullptr, nullptr, nullptr},
    {0xA40B, "DeviceSettingDescription", nullptr, nullptr, nullptr, nullptr},
    {0xA40C, "SubjectDistanceRange", nullptr, nullptr, nullptr, nullptr},
    {0xA420, "ImageUniqueID", nullptr, nullptr, nullptr, nullptr},
    {0x0000, "Unknown", nullptr, nullptr, nullptr, nullptr},
};

const Row kGpsRows[] = {
    {0x0000, "GPSVersionID", nullptr, nullptr, nullptr, nullptr},
    {0x0001, "GPSLatitudeRef", nullptr, nullptr, nullptr, nullptr},
    {0x0002, "GPSLatitude", nullptr, nullptr, nullptr, GpsPositionText},
    {0x0003, "GPSLongitudeRef", nullptr, nullptr, nullptr, nullptr},
    {0x0004, "GPSLongitude", nullptr, nullptr, nullptr, GpsPositionText},
    {0x0005, "GPSAltitudeRef", nullptr, nullptr, nullptr, nullptr},
    {0x0006, "GPSAltitude", nullptr, nullptr, nullptr, nullptr},
    {0x0007, "GPSTimeStamp", nullptr, nullptr, nullptr, GpsTimeText},
    {0x0008, "GPSSatellites", nullptr, nullptr, nullptr, nullptr},
    {0x0009, "GPSStatus", nullptr, nullptr, nullptr, nullptr},
    {0x000A, "GPSMeasureMode", nullptr, nullptr, nullptr, nullptr},
    {0x000B, "GPSDOP", nullptr, nullptr, nullptr, nullptr},
    {0x000C, "GPSSpeedRef", nullptr, nullptr, nullptr, nullptr},
    {0x000D, "GPSSpeed", nullptr, nullptr, nullptr, nullptr},
    {0x000E, "GPSTrackRef", nullptr, nullptr, nullptr, nullptr},
    {0x000F, "GPSTrack", nullptr, nullptr, nullptr, nullptr},
    {0x0010, "GPSImageDirectionRef", nullptr, nullptr, nullptr, nullptr},
    {0x0011, "GPSImageDirection", nullptr, nullptr, nullptr, nullptr},
    {0x0012, "GPSMapDatum", nullptr, nullptr, nullptr, nullptr},
    {0x0013, "GPSDestLatitudeRef", nullptr, nullptr, nullptr, nullptr},
    {0x0014, "GPSDestLatitude", nullptr, nullptr, nullptr, GpsPositionText},
    {0x0015, "GPSDestLongitudeRef", nullptr, nullptr, nullptr, nullptr},
    {0x0016, "GPSDestLongitude", nullptr, nullptr, nullptr, GpsPositionText},
    {0x0017, "GPSDestBearingkRef", nullptr, nullptr, nullptr, nullptr},
    {0x0018, "GPSDestBearing", nullptr, nullptr, nullptr, nullptr},
    {0x0019, "GPSDestDistanceRef", nullptr, nullptr, nullptr, nullptr},
    {0x001A, "GPSDestDistance", nullptr, nullptr, nullptr, nullptr},
    {0x001B, "GPSProcessingMode", nullptr, nullptr, nullptr, nullptr},
    {0x001C, "GPSAreaInformation", nullptr, nullptr, nullptr, nullptr},
    {0x001D, "GPSDateStamp", nullptr, nullptr, nullptr, nullptr},
    {0x001E, "GPSDifferential", nullptr, nullptr, nullptr, nullptr},
};
// clang-format on

// The GPS directory's own lookup leaves out its last row (GPSDifferential).
constexpr size_t kGpsSearchableRows = 30;

std::vector<TTagEntry> MakeRows(const Row* rows, size_t count) {
  std::vector<TTagEntry> out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    TTagEntry entry;
    entry.tag = rows[i].tag;
    entry.name = rows[i].name;
    entry.description =
        rows[i].description ? rows[i].description : DescriptionFromName(rows[i].name);
    if (rows[i].decodeList) entry.decodeList = rows[i].decodeList;
    if (rows[i].formatText) entry.formatText = rows[i].formatText;
    entry.routine = rows[i].routine;
    out.push_back(std::move(entry));
  }
  return out;
}

}  // namespace

TagDictionary::TagDictionary(std::vector<TTagEntry> rows, size_t searchable, bool lastRowIsUnknown)
    : rows_(std::move(rows)),
      searchable_(searchable < rows_.size() ? searchable : rows_.size()),
      index_(65536, -1) {
  if (lastRowIsUnknown && !rows_.empty()) unknown_ = &rows_.back();
  // Later rows overwrite earlier ones: the last row carrying a number is the one found.
  for (size_t i = 0; i < searchable_; ++i) index_[rows_[i].tag] = static_cast<int32_t>(i);
}

const TTagEntry* TagDictionary::Find(uint16_t tag) const {
  const int32_t row = index_[tag];
  return row >= 0 ? &rows_[static_cast<size_t>(row)] : unknown_;
}

const TagDictionary& MainTagDictionary() {
  static const TagDictionary dictionary(MakeRows(kMainRows, std::size(kMainRows)),
                                        std::size(kMainRows), /*lastRowIsUnknown=*/true);
  return dictionary;
}

const TagDictionary& GpsTagDictionary() {
  static const TagDictionary dictionary(MakeRows(kGpsRows, std::size(kGpsRows)), kGpsSearchableRows,
                                        /*lastRowIsUnknown=*/false);
  return dictionary;
}

std::string DescriptionFromName(std::string_view name) {
  auto isCapital = [](char c) { return c >= 'A' && c <= 'Z'; };
  std::string out;
  out.reserve(name.size() + 8);
  for (size_t i = 0; i < name.size(); ++i) {
    if (i > 0 && isCapital(name[i]) && !isCapital(name[i - 1])) out += ' ';
    out += name[i];
  }
  return out;
}

}  // namespace qg
