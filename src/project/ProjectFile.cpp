// The project file: making a new project, reading a .tnp file and writing one, and the small
// texts derived from a project. The keys of the "Project" section are listed once, in the order
// they are written, so the reader and the writer cannot drift apart.
#include "project/ProjectFile.h"

#include <array>
#include <optional>
#include <vector>

#include "core/Error.h"
#include "core/FileRead.h"
#include "core/PathName.h"
#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "platform/Profile.h"
#include "project/Options.h"

namespace qg {
namespace {

constexpr const char* kProjectSection = "Project";
constexpr const char* kUntitled = "untitled.tnp";
// Picture-section values are cut to this many characters when read.
constexpr size_t kPictureValueLimit = 500;

// The six picture-section keys in the order they are written; the reader takes the entries by
// position in this order, whatever their keys.
constexpr std::array<const char*, 6> kPictureSectionKeys = {
    "Name", "ImageSize", "FileSize", "FileLocation", "ShortTitle", "LongTitle"};

std::string ProjectFileReadMessage(const std::string& path, const std::string& reason) {
  return Format("Cannot read the project file '%s': %s", path.c_str(), reason.c_str());
}

std::string PictureSectionName(size_t index) { return "PicSection" + std::to_string(index); }

// One option of the "Project" section: its key, where it lives, its default when the key is
// missing or unreadable, and how a value read from the file is applied (a range to clamp to, or
// the click reaction of its check box or radio button).
struct OptionKey {
  enum class Kind { Text, Flag, Number } kind;
  const char* key;
  std::string GalleryOptions::*text = nullptr;
  bool GalleryOptions::*flag = nullptr;
  int32_t GalleryOptions::*number = nullptr;
  const char* textDefault = "";
  int32_t numberDefault = 0;  // also the flag default (0 or 1)
  const SpinRange* range = nullptr;
  void (*setFlag)(GalleryOptions&, bool) = nullptr;
};

OptionKey Text(const char* key, std::string GalleryOptions::*member, const char* def) {
  OptionKey k{OptionKey::Kind::Text, key};
  k.text = member;
  k.textDefault = def;
  return k;
}
OptionKey Flag(const char* key, bool GalleryOptions::*member, bool def,
               void (*setFlag)(GalleryOptions&, bool) = nullptr) {
  OptionKey k{OptionKey::Kind::Flag, key};
  k.flag = member;
  k.numberDefault = def ? 1 : 0;
  k.setFlag = setFlag;
  return k;
}
OptionKey Number(const char* key, int32_t GalleryOptions::*member, int32_t def,
                 const SpinRange* range = nullptr) {
  OptionKey k{OptionKey::Kind::Number, key};
  k.number = member;
  k.numberDefault = def;
  k.range = range;
  return k;
}

using O = GalleryOptions;

// The "Project" keys after Name, DestFolder and PictureCount, in write order, with the defaults
// that reading gives a missing key (these differ from a new project's values on purpose: a cell
// padding of 1, black backgrounds, display-image shadow offsets of 6).
const std::vector<OptionKey>& OptionKeys() {
  static const std::vector<OptionKey> keys = {
      Flag("blThumbWidth", &O::blThumbWidth, true, SetThumbWidthBox),
      Flag("blThumbHeight", &O::blThumbHeight, false, SetThumbHeightBox),
      Number("iThumbWidth", &O::iThumbWidth, 120),
      Number("iThumbHeigth", &O::iThumbHeigth, 100),
      Flag("Crop", &O::Crop, false),
      Text("Prefix", &O::Prefix, ""),
      Text("Suffix", &O::Suffix, ""),
      Number("BorderWidth", &O::BorderWidth, 1, &kBorderWidthRange),
      Number("ColorBorder", &O::ColorBorder, 0),
      Flag("AddShadow", &O::AddShadow, true),
      Number("spinColumns", &O::spinColumns, 4, &kIndexGridRange),
      Number("spinRows", &O::spinRows, 3, &kIndexGridRange),
      Number("spinCellPad", &O::spinCellPad, 1, &kIndexGridRange),
      Number("spinCellSpace", &O::spinCellSpace, 1, &kIndexGridRange),
      Number("colorboxBackgroundA", &O::colorboxBackgroundA, 0),
      Text("editBackgroundAPic", &O::editBackgroundAPic, ""),
      Flag("rbUseImageFilename", &O::rbUseImageFilename, true, SetUseImageFilename),
      Text("editImageFilenameExt", &O::editImageFilenameExt, ""),
      Flag("rbUseGivenFilename", &O::rbUseGivenFilename, false, SetUseGivenFilename),
      Text("editGivenFilename", &O::editGivenFilename, ""),
      Number("colorboxBackgroundB", &O::colorboxBackgroundB, 0),
      Text("editBackgroundBPic", &O::editBackgroundBPic, ""),
      Flag("TargetThumb", &O::TargetThumb, false),
      Text("ThumbFolder", &O::ThumbFolder, "thumbs"),
      Flag("TargetImage", &O::TargetImage, false),
      Text("ImageFolder", &O::ImageFolder, "images"),
      Flag("OverwritePrompt", &O::OverwritePrompt, false),
      Text("FIndexFontFamily", &O::FIndexFontFamily, "Verdana, Arial, Helvetica, sans-serif"),
      Text("FIndexFontStyle", &O::FIndexFontStyle, "Bold"),
      Number("FIndexFontColor", &O::FIndexFontColor, 0),
      Text("FIndexFontSize", &O::FIndexFontSize, "5 (18 pt)"),
      Text("FThumbFontFamily", &O::FThumbFontFamily, "Verdana, Arial, Helvetica, sans-serif"),
      Text("FThumbFontStyle", &O::FThumbFontStyle, "Bold"),
      Number("FThumbFontColor", &O::FThumbFontColor, 0),
      Text("FThumbFontSize", &O::FThumbFontSize, "1 (8 pt)"),
      Flag("blImageResize", &O::blImageResize, false),
      Flag("blImageWidth", &O::blImageWidth, true, SetImageWidthBox),
      // The display-image height box has a key of its own, named like its thumbnail twin.
      Flag("blImageHeight", &O::blImageHeight, false, SetImageHeightBox),
      Number("iImageWidth", &O::iImageWidth, 640, &kImageSizeRange),
      Number("iImageHeigth", &O::iImageHeigth, 480, &kImageSizeRange),
      Number("BorderWidthImage", &O::BorderWidthImage, 1, &kBorderWidthRange),
      Number("ColorBorderImage", &O::ColorBorderImage, 0),
      Flag("AddShadowImage", &O::AddShadowImage, false),
      Number("iShadowColorThumb", &O::iShadowColorThumb, 0),
      Number("iShadowOffHThumb", &O::iShadowOffHThumb, 4),
      Number("iShadowOffVThumb", &O::iShadowOffVThumb, 4),
      Number("iShadowBlurThumb", &O::iShadowBlurThumb, 4),
      Number("iShadowColorImage", &O::iShadowColorImage, 0),
      Number("iShadowOffHImage", &O::iShadowOffHImage, 6),
      Number("iShadowOffVImage", &O::iShadowOffVImage, 6),
      Number("iShadowBlurImage", &O::iShadowBlurImage, 4),
      Number("iQualityImage", &O::iQualityImage, 80),
      Number("iQualityThumb", &O::iQualityThumb, 95),
      Flag("blProgressiveImage", &O::blProgressiveImage, false),
      Flag("blProgressiveThumb", &O::blProgressiveThumb, false),
      Flag("blNavShowCaptions", &O::blNavShowCaptions, false),
      Flag("blNavShowImages", &O::blNavShowImages, true),
  };
  return keys;
}

// Reading defaults of blNavShowHome ... blNavShowLast.
constexpr std::array<bool, NavItemCount> kNavShowReadDefaults = {true, false, true,
                                                                 true, true,  true};

std::string NavKey(const char* prefix, int item) {
  return std::string(prefix) + kNavItemNames[item];
}

// Reads values the way the profile functions and their callers do: a missing key gives the
// default, a number that does not parse gives the default too.
class ProjectReader {
 public:
  explicit ProjectReader(const ProfileDocument& doc) : doc_(doc) {}

  std::optional<std::string> Raw(const char* key) const {
    return doc_.ReadString(kProjectSection, key);
  }
  std::string Text(const char* key, const char* def) const { return Raw(key).value_or(def); }
  int32_t Number(const char* key, int32_t def) const {
    const std::optional<std::string> text = Raw(key);
    int32_t value = 0;
    return text && ParseFileInteger(*text, value) ? value : def;
  }
  bool Flag(const char* key, bool def) const { return Number(key, def ? 1 : 0) != 0; }

 private:
  const ProfileDocument& doc_;
};

void ReadOptions(const ProjectReader& in, GalleryOptions& o) {
  for (const OptionKey& k : OptionKeys()) {
    switch (k.kind) {
      case OptionKey::Kind::Text:
        o.*k.text = in.Text(k.key, k.textDefault);
        break;
      case OptionKey::Kind::Flag: {
        const bool value = in.Flag(k.key, k.numberDefault != 0);
        if (k.setFlag != nullptr) {
          k.setFlag(o, value);
        } else {
          o.*k.flag = value;
        }
        break;
      }
      case OptionKey::Kind::Number: {
        const int32_t value = in.Number(k.key, k.numberDefault);
        o.*k.number = k.range != nullptr ? ClampSpin(value, *k.range) : value;
        break;
      }
    }
  }
  for (int i = 0; i < NavItemCount; ++i)
    o.blNavShow[i] = in.Flag(NavKey("blNavShow", i).c_str(), kNavShowReadDefaults[i]);
  for (int i = 0; i < NavItemCount; ++i) o.sNav[i] = in.Text(NavKey("sNav", i).c_str(), "");
  for (int i = 0; i < NavItemCount; ++i) o.sNavALT[i] = in.Text(NavKey("sNavALT", i).c_str(), "");
  for (int i = 0; i < NavItemCount; ++i)
    o.sNavImage[i] = in.Text(NavKey("sNavImage", i).c_str(), "");
}

// A picture section's value: the text after the entry's first "=", read like every other value
// of the file (blanks around it and one pair of enclosing quotes dropped), then cut to 500
// characters; an entry without "=" has no value.
std::string PictureValue(const std::string& entry) {
  const size_t equals = entry.find('=');
  if (equals == std::string::npos) return {};
  return CutText(StripEnclosingQuotes(std::string_view(entry).substr(equals + 1)),
                 kPictureValueLimit);
}

void ReadPictures(const ProfileDocument& doc, int32_t count, Project& project) {
  for (int32_t i = 0; i < count; ++i) {
    const auto entries = doc.SectionEntries(PictureSectionName(static_cast<size_t>(i)));
    const size_t available = entries ? entries->size() : 0;
    if (available < kPictureSectionKeys.size())
      throw Error(Format("List index out of bounds (%d)", static_cast<int>(available)));
    const std::vector<std::string>& e = *entries;
    PictureRecord record;
    record.FileName = PictureValue(e[0]);
    record.ImageSize = PictureValue(e[1]);
    record.FileSize = PictureValue(e[2]);
    record.FilenameAndPath = PictureValue(e[3]);
    record.ShortTitle = PictureValue(e[4]);
    record.LongTitle = PictureValue(e[5]);
    project.pictures.push_back(std::move(record));
  }
}

void LoadFromDocument(Project& project, const ProfileDocument& doc, const std::string& path) {
  const ProjectReader in(doc);
  // The picture count is read first and strictly: a count that is not a number stops the load
  // before anything else changes.
  const std::string countText = in.Text("PictureCount", "0");
  int32_t count = 0;
  if (!ParseFileInteger(countText, count))
    throw Error(Format("'%s' is not a valid integer value", countText.c_str()));

  GalleryOptions& o = project.options;
  o.editDestFolder = in.Text("DestFolder", "");
  o.editIndexCaption = in.Text("Name", "untitled");
  project.FProjectFileName = path;
  ReadOptions(in, o);
  ReadPictures(doc, count, project);
}

std::string FlagText(bool value) { return value ? "1" : "0"; }

void WriteProject(ProfileDocument& doc, const Project& project) {
  const GalleryOptions& o = project.options;
  auto put = [&](const std::string& key, const std::string& value) {
    doc.WriteString(kProjectSection, key, value);
  };
  put("Name", o.editIndexCaption);
  put("DestFolder", o.editDestFolder);
  put("PictureCount", std::to_string(project.pictures.size()));
  for (const OptionKey& k : OptionKeys()) {
    switch (k.kind) {
      case OptionKey::Kind::Text:
        put(k.key, o.*k.text);
        break;
      case OptionKey::Kind::Flag:
        put(k.key, FlagText(o.*k.flag));
        break;
      case OptionKey::Kind::Number:
        put(k.key, std::to_string(o.*k.number));
        break;
    }
  }
  for (int i = 0; i < NavItemCount; ++i) put(NavKey("blNavShow", i), FlagText(o.blNavShow[i]));
  for (int i = 0; i < NavItemCount; ++i) put(NavKey("sNav", i), o.sNav[i]);
  for (int i = 0; i < NavItemCount; ++i) put(NavKey("sNavALT", i), o.sNavALT[i]);
  for (int i = 0; i < NavItemCount; ++i) put(NavKey("sNavImage", i), o.sNavImage[i]);

  for (size_t i = 0; i < project.pictures.size(); ++i) {
    const PictureRecord& p = project.pictures[i];
    const std::string section = PictureSectionName(i);
    const std::array<const std::string*, 6> values = {
        &p.FileName, &p.ImageSize, &p.FileSize, &p.FilenameAndPath, &p.ShortTitle, &p.LongTitle};
    for (size_t k = 0; k < kPictureSectionKeys.size(); ++k)
      doc.WriteString(section, kPictureSectionKeys[k], *values[k]);
  }
}

// Halves round up: 2560 bytes are 3 KB.
int64_t RoundedQuotient(int64_t value, int64_t divisor) {
  const int64_t quotient = value / divisor;
  return (value % divisor) * 2 >= divisor ? quotient + 1 : quotient;
}

}  // namespace

bool ParseFileInteger(std::string_view text, int32_t& value) {
  // Leading blanks are allowed (a quoted value keeps them), trailing ones are not.
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  uint64_t magnitude = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    if (digit < 0) return false;
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (magnitude > 0xFFFFFFFFull) return false;
  }
  if (base == 16) {
    // Hexadecimal gives the 32-bit pattern: $FFFFFFFF is -1.
    uint32_t bits = static_cast<uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    value = static_cast<int32_t>(bits);
    return true;
  }
  if (negative ? magnitude > 2147483648ull : magnitude > 2147483647ull) return false;
  value = static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude)
                                        : static_cast<int64_t>(magnitude));
  return true;
}

void NewProjectDefaults(Project& project, const Preferences& prefs) {
  project.FProjectFileName = kUntitled;
  project.FProjectSaved = true;
  project.LastProjectFolder.clear();
  project.pictures.clear();

  GalleryOptions& o = project.options;
  o.editIndexCaption = "My Gallery " + std::to_string(prefs.iGalleryNumber);
  o.editDestFolder = DocumentsFolder() + "/My Web Galleries/" + o.editIndexCaption;

  // Options that New keeps (the target folders, the title templates, most display-image
  // settings, the picture-page navigation boxes, the Create boxes) are not touched.
  o.FIndexFontFamily = "Verdana, Arial, Helvetica, sans-serif";
  o.FIndexFontStyle = "Bold";
  o.FIndexFontColor = kBlack;
  o.FIndexFontSize = "5 (18 pt)";
  o.FThumbFontFamily = "Verdana, Arial, Helvetica, sans-serif";
  o.FThumbFontStyle = "Bold";
  o.FThumbFontColor = kBlack;
  o.FThumbFontSize = "1 (8 pt)";

  SetThumbWidthBox(o, true);
  o.iThumbWidth = 120;
  SetThumbHeightBox(o, false);
  o.iThumbHeigth = 100;
  o.BorderWidth = 1;
  o.ColorBorder = kSilver;
  o.AddShadow = true;
  o.iShadowColorThumb = kBlack;
  o.iShadowOffHThumb = 4;
  o.iShadowOffVThumb = 4;
  o.iShadowBlurThumb = 4;
  o.iQualityThumb = 95;
  o.blProgressiveThumb = false;
  o.Prefix = "tn_";
  o.Suffix = "";
  o.Crop = false;

  o.spinColumns = 4;
  o.spinRows = 3;
  o.spinCellPad = 2;
  o.spinCellSpace = 2;
  o.colorboxBackgroundA = kWhite;
  o.editBackgroundAPic = "";
  o.chkNavTop = true;
  o.chkNavBottom = false;

  o.blImageResize = false;
  o.iShadowColorImage = kBlack;
  o.iShadowOffHImage = 4;
  o.iShadowOffVImage = 4;
  o.iShadowBlurImage = 4;
  o.iQualityImage = 80;
  o.blProgressiveImage = false;

  SetUseImageFilename(o, true);
  o.editImageFilenameExt = ".html";
  SetUseGivenFilename(o, false);
  o.editGivenFilename = "image.html";
  o.colorboxBackgroundB = kWhite;
  o.editBackgroundBPic = "";

  o.blNavShowCaptions = false;
  o.blNavShowImages = true;
  o.blNavShow = {true, false, true, true, true, true};
  o.sNav = prefs.sDefNav;
  o.sNavALT = prefs.sDefNavALT;
  // The Index link uses the Home picture.
  static constexpr std::array<const char*, NavItemCount> kButtons = {
      "bhome.gif", "bhome.gif", "bfirst.gif", "bprev.gif", "bnext.gif", "blast.gif"};
  const std::string buttons = AppFolder() + "/Buttons/";
  for (int i = 0; i < NavItemCount; ++i) o.sNavImage[i] = buttons + kButtons[i];
}

void LoadProjectText(Project& project, std::string_view bytes, const std::string& path) {
  LoadFromDocument(project, ProfileDocument::Parse(bytes), path);
}

void LoadProjectFile(Project& project, const std::string& path) {
  // A file that does not exist or cannot be opened has no keys: every value takes its default.
  // Anything but a regular file of sensible size is refused, so a FIFO or a device under the
  // project's name cannot hang the program or exhaust its memory.
  std::string bytes;
  try {
    bytes = ReadWholeFile(path, kTextFileCap);
  } catch (const FileReadError& e) {
    if (e.problem() != FileReadProblem::Missing && e.problem() != FileReadProblem::CannotOpen)
      throw Error(ProjectFileReadMessage(path, e.reason()));
  }
  LoadProjectText(project, bytes, path);
}

std::string UpdatedProjectFileText(std::string_view existing, const Project& project) {
  ProfileDocument doc = ProfileDocument::Parse(existing);
  WriteProject(doc, project);
  return doc.Serialize();
}

std::string ProjectFileText(const Project& project) { return UpdatedProjectFileText({}, project); }

void SaveProjectFile(Project& project) {
  const std::string& path = project.FProjectFileName;
  const std::string failure = Format("Unable to write to %s", path.c_str());
  const SaveTarget target = ResolveSaveTarget(path);
  if (!target.problem.empty()) throw Error(failure + ": " + target.problem);
  // The existing file is updated, not replaced by a fresh one: keys keep their places, and
  // whatever else it holds (other sections, picture sections beyond the count) stays.
  std::string bytes;
  try {
    bytes = ReadWholeFile(path, kTextFileCap);
  } catch (const FileReadError& e) {
    if (e.problem() != FileReadProblem::Missing) throw Error(failure);  // there, but not readable
  }
  if (!WriteFileAtomically(path, UpdatedProjectFileText(bytes, project))) throw Error(failure);
  project.FProjectSaved = true;
}

std::string SaveAsFileName(const std::string& chosen) {
  const std::string_view extension = ".tnp";
  if (chosen.size() >= extension.size() &&
      std::string_view(chosen).substr(chosen.size() - extension.size()) == extension)
    return chosen;
  return chosen + ".tnp";
}

std::string WindowTitleText(const Project& project) {
  return " Quillon Gallery  [" + FileNameOf(project.FProjectFileName) + "]";
}

std::string FormatFileSize(int64_t bytes) {
  constexpr int64_t kKB = 1024;
  constexpr int64_t kMB = kKB * 1024;
  constexpr int64_t kGB = kMB * 1024;
  if (bytes <= kKB) return std::to_string(bytes) + " bytes";
  if (bytes <= kMB) return std::to_string(RoundedQuotient(bytes, kKB)) + " KB";
  if (bytes <= kGB) return std::to_string(RoundedQuotient(bytes, kMB)) + " MB";
  return std::to_string(RoundedQuotient(bytes, kGB)) + " GB";
}

std::string ImageCountText(size_t count) {
  return std::to_string(count) + (count == 1 ? " image in the list" : " images in the list");
}

int64_t IndexPageCount(size_t count, int32_t columns, int32_t rows) {
  const int64_t perPage = static_cast<int64_t>(columns) * rows;
  if (perPage <= 0) return 0;
  const auto n = static_cast<int64_t>(count);
  return n / perPage + (n % perPage != 0 ? 1 : 0);
}

}  // namespace qg
