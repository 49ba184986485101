// Caption templates: free text with bracketed tokens ("[ShortTitle]", "[Filename]", ...) that
// stand for a picture's data, and the font tags every title of the gallery pages is wrapped in.
// The same substitution serves the pages (values of one picture) and the title dialogs' previews
// (fixed sample values).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/Project.h"

namespace qg {

// The four values of a font setting, as the project keeps them.
struct FontSetting {
  std::string family;  // text of the face attribute
  std::string style;   // "Regular", "Italic", "Bold" or "Bold Italic"
  std::string size;    // "5 (18 pt)": the first character is the HTML font size
  Colour colour = kBlack;
};

// The heading font (FIndexFont*) and the caption font (FThumbFont*) of the options.
FontSetting HeadingFont(const GalleryOptions& options);
FontSetting CaptionFont(const GalleryOptions& options);

// "#RRGGBB", upper-case hexadecimal, from a 0x00BBGGRR colour value.
std::string HtmlColour(Colour colour);

// The template with the sample values ("Short Title Sample", ...; "1" for unknown tokens).
std::string RenderSampleTitle(std::string_view templ);

// The sample values of the picture-page titles dialog: those of RenderSampleTitle, and
// "[IndexPageTitle]" giving "My Gallery".
std::string RenderImagePageSampleTitle(std::string_view templ);

// The template with the values of `picture` ("--" for unknown tokens).
std::string RenderPictureTitle(const PictureRecord& picture, std::string_view templ);

// `body` wrapped in the style tags ("<b>", "<i>" for "Bold", "Italic", "Bold Italic") and the
// font tag of the family, the first character of the size text and the HTML colour.
std::string WrapInFontTags(std::string_view body, std::string_view family, std::string_view style,
                           std::string_view size, Colour colour);

// The template rendered for the picture at `index` of `pictures` (sample values when `index` is
// negative) and wrapped in the style and font tags of `font`. Throws qg::Error for an index
// beyond the list.
std::string FormatTitle(const std::vector<PictureRecord>& pictures, long long index,
                        std::string_view templ, const FontSetting& font);
std::string FormatTitle(const std::vector<PictureRecord>& pictures, long long index,
                        std::string_view templ, std::string_view family, std::string_view style,
                        std::string_view size, Colour colour);

}  // namespace qg
