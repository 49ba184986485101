// The project: the ordered picture list and every gallery option, stored in the project file or
// not. The desktop window's controls are views of these values; the gallery build works on a
// copy. Field names follow the project-file keys where a value has one, otherwise the name of
// the control that shows it, so the file, the window and the code speak the same names.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Picture.h"

namespace qg {

// One row of the picture list. Every field is display text, as the list shows it.
struct PictureRecord {
  std::string FileName;         // file name without folder
  std::string ImageSize;        // "1600 x 1200"
  std::string FileSize;         // FormatFileSize of the byte count
  std::string FilenameAndPath;  // full path of the source picture
  std::string ShortTitle;       // FileName when added
  std::string LongTitle;        // empty when added
  std::string RotateValue;      // "", "1", "2" or "3": preview only, never stored

  friend bool operator==(const PictureRecord&, const PictureRecord&) = default;
};

// The six navigation links, always in this order.
enum NavItem { NavHome, NavIndex, NavFirst, NavPrevious, NavNext, NavLast, NavItemCount };
// "Home", "Index", "First", "Previous", "Next", "Last": the key of an item's value is the value's
// prefix followed by this name (sNavHome, blNavShowPrevious, sNavImageLast, ...).
extern const std::array<const char*, NavItemCount> kNavItemNames;

// Colours (core/Picture.h) are 0x00BBGGRR values.
constexpr Colour kBlack = 0;
constexpr Colour kSilver = 0xC0C0C0;
constexpr Colour kWhite = 0xFFFFFF;

// Every gallery option. Member initializers are the values at program start (for options that
// New keeps, the value a new run begins with); NewProjectDefaults gives the New values.
struct GalleryOptions {
  // Titles and destination.
  std::string editIndexCaption;  // key Name
  std::string editDestFolder;    // key DestFolder

  // Target folders.
  bool TargetThumb = true;             // true: thumbnails straight into the destination
  std::string ThumbFolder = "thumbs";  // editThumbnailSub
  bool TargetImage = true;
  std::string ImageFolder = "images";  // editImageSub
  bool OverwritePrompt = false;        // chkOverwritePrompt
  bool chkClearTarget = false;         // not stored

  // Title templates (not stored).
  std::string editThumbTitle = "[ShortTitle]";
  std::string editALTText = "Click to enlarge";
  std::string editPageTitleImage = "[IndexPageTitle] [ImageIndex] of [ImageCount]";
  std::string editImageTitle = "[LongTitle]";
  std::string editImageALT = "[ShortTitle]";

  // Fonts of the index page title and of the thumbnail captions.
  std::string FIndexFontFamily = "Verdana, Arial, Helvetica, sans-serif";
  std::string FIndexFontStyle = "Bold";
  Colour FIndexFontColor = kBlack;
  std::string FIndexFontSize = "5 (18 pt)";
  std::string FThumbFontFamily = "Verdana, Arial, Helvetica, sans-serif";
  std::string FThumbFontStyle = "Bold";
  Colour FThumbFontColor = kBlack;
  std::string FThumbFontSize = "1 (8 pt)";

  // Thumbnails.
  bool blThumbWidth = true;      // chkWidth
  int32_t iThumbWidth = 120;     // spinWidth, unbounded
  bool blThumbHeight = false;    // chkHeight
  int32_t iThumbHeigth = 100;    // spinHeight, unbounded
  int32_t BorderWidth = 1;       // spinBorderWidthThumb, 0..30
  Colour ColorBorder = kSilver;  // colorBorderThumb
  bool AddShadow = true;         // chkAddShadow
  Colour iShadowColorThumb = kBlack;
  int32_t iShadowOffHThumb = 4;
  int32_t iShadowOffVThumb = 4;
  int32_t iShadowBlurThumb = 4;
  int32_t iQualityThumb = 95;
  bool blProgressiveThumb = false;
  std::string Prefix = "tn_";
  std::string Suffix;
  bool Crop = false;

  // Index pages.
  int32_t spinColumns = 4;              // 0..100
  int32_t spinRows = 3;                 // 0..100
  int32_t spinCellPad = 2;              // 0..100
  int32_t spinCellSpace = 2;            // 0..100
  Colour colorboxBackgroundA = kWhite;  // colorIndexBackground
  std::string editBackgroundAPic;
  bool chkNavTop = true;      // not stored
  bool chkNavBottom = false;  // not stored

  // Display images.
  bool blImageResize = false;    // chkImageResize
  bool blImageWidth = true;      // chkWidthImage
  int32_t iImageWidth = 640;     // spinWidthImage, 0..20000
  bool blImageHeight = false;    // chkHeightImage, stored under the key blImageHeight
  int32_t iImageHeigth = 480;    // spinHeightImage, 0..20000
  int32_t BorderWidthImage = 1;  // spinBorderWidthImage, 0..30
  Colour ColorBorderImage = kSilver;
  bool AddShadowImage = false;  // chkAddShadowImage
  Colour iShadowColorImage = kBlack;
  int32_t iShadowOffHImage = 4;
  int32_t iShadowOffVImage = 4;
  int32_t iShadowBlurImage = 4;
  int32_t iQualityImage = 80;
  bool blProgressiveImage = false;

  // Picture pages.
  bool rbUseImageFilename = true;
  std::string editImageFilenameExt = ".html";
  bool rbUseGivenFilename = false;
  std::string editGivenFilename = "image.html";
  Colour colorboxBackgroundB = kWhite;  // colorImageBackgound
  std::string editBackgroundBPic;
  bool chkNavTopImage = true;      // not stored
  bool chkNavBottomImage = false;  // not stored

  // Navigation links, indexed by NavItem.
  bool blNavShowCaptions = false;
  bool blNavShowImages = true;
  std::array<bool, NavItemCount> blNavShow = {true, false, true, true, true, true};
  std::array<std::string, NavItemCount> sNav;       // link texts
  std::array<std::string, NavItemCount> sNavALT;    // ALT texts of the link pictures
  std::array<std::string, NavItemCount> sNavImage;  // full paths of the link pictures

  // Create Gallery step (not stored).
  bool chkCreateHTML = true;
  bool chkCreateThumbs = true;
  bool chkCreateImages = true;

  friend bool operator==(const GalleryOptions&, const GalleryOptions&) = default;
};

// The open project: its identity, its pictures in gallery order and its options.
struct Project {
  std::string FProjectFileName = "untitled.tnp";  // bare name until saved or opened
  bool FProjectSaved = true;
  std::string LastProjectFolder;
  std::vector<PictureRecord> pictures;
  GalleryOptions options;

  size_t PictureCount() const { return pictures.size(); }
};

}  // namespace qg
