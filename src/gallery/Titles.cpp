// Token substitution and font tags of the gallery titles.
//
// The substitution replaces the first bracketed token of the text, then searches again from the
// beginning, so brackets inside a substituted value are tokens in turn (a short title "Day [3]"
// comes out as "Day --"). Everything before the token just replaced holds no bracket, so the
// search can go on from there: the text is streamed once from left to right through a small stack
// of pending pieces (the rest of the template, and above it the values still to be scanned).
//
// Two guards keep hostile titles from hanging a build:
// - every pending piece remembers the tokens whose values it lies in (the token that produced it,
//   the token that produced the piece in which that token ended, and so on). A token that ends
//   inside a value of its own would substitute itself without end (a short title that is the
//   text "[ShortTitle]", or two titles naming each other): everything from that value's start up
//   to here came from that value alone, so the same steps would repeat for ever. Such a token is
//   kept as it stands. A token that only begins in its own value and ends in the text after it
//   ("[Short" followed by "Title]") consumes that text and is substituted as usual; so every
//   substitution that ends is made exactly as the plain restart-from-the-beginning loop makes it.
// - the result is capped; past the cap the rest of the text is kept unchanged.
#include "gallery/Titles.h"

#include <array>

#include "core/Error.h"
#include "core/Picture.h"

namespace qg {

namespace {

enum class Mode { Sample, ImagePageSample, Picture };

// The known tokens, their sample values and the record fields they stand for.
struct TokenDef {
  std::string_view name;
  std::string_view sample;
  std::string PictureRecord::*field;
};
const std::array<TokenDef, 5> kTokens = {{
    {"[ShortTitle]", "Short Title Sample", &PictureRecord::ShortTitle},
    {"[LongTitle]", "Long Title Sample", &PictureRecord::LongTitle},
    {"[Filename]", "Filename.sample", &PictureRecord::FileName},
    {"[FileSize]", "200 kb", &PictureRecord::FileSize},
    {"[ImageSize]", "640 x 480", &PictureRecord::ImageSize},
}};

// A title longer than this is not a title any more; past it substitution stops.
constexpr size_t kMaxTitleLength = size_t{1} << 20;

bool HasBracket(std::string_view text) {
  return text.find_first_of("[]") != std::string_view::npos;
}

struct Piece {
  std::string_view text;
  size_t pos = 0;
  unsigned producers = 0;  // bit i: made by substituting kTokens[i]
  bool done() const { return pos >= text.size(); }
};

std::string Substitute(std::string_view templ, Mode mode, const PictureRecord* picture) {
  std::string out;
  std::vector<Piece> pending;  // back() is the leftmost piece
  pending.push_back({templ, 0, 0});

  // Keeps everything not yet scanned as it stands.
  auto keepRest = [&](std::string_view partialToken) {
    out.append(partialToken);
    while (!pending.empty()) {
      const Piece& piece = pending.back();
      out.append(piece.text.substr(piece.pos));
      pending.pop_back();
    }
  };

  std::string token;
  while (true) {
    while (!pending.empty() && pending.back().done()) pending.pop_back();
    if (pending.empty()) return out;
    if (out.size() > kMaxTitleLength) {
      keepRest({});
      return out;
    }

    // Copy the text before the next bracket.
    Piece& top = pending.back();
    const size_t at = top.text.find_first_of("[]", top.pos);
    if (at == std::string_view::npos) {
      out.append(top.text.substr(top.pos));
      top.pos = top.text.size();
      continue;
    }
    out.append(top.text.substr(top.pos, at - top.pos));
    top.pos = at;
    if (top.text[at] == ']') {
      // A "]" before any "[": there is no token; the rest stays as it is.
      keepRest({});
      return out;
    }

    // Collect the token up to the next "]", across pieces. The value takes the place of the
    // token in the piece where the token ends, so it lies in that piece's values.
    token.clear();
    unsigned producers = 0;
    bool closed = false;
    while (!pending.empty()) {
      Piece& piece = pending.back();
      const size_t close = piece.text.find(']', piece.pos);
      if (close != std::string_view::npos) {
        token.append(piece.text.substr(piece.pos, close + 1 - piece.pos));
        piece.pos = close + 1;
        producers = piece.producers;
        closed = true;
        break;
      }
      token.append(piece.text.substr(piece.pos));
      pending.pop_back();
    }
    if (!closed) {
      // A "[" without a "]" after it: no token; the rest stays as it is.
      keepRest(token);
      return out;
    }

    const bool sample = mode != Mode::Picture;
    std::string_view value = sample ? "1" : "--";
    unsigned valueProducers = producers;
    bool selfReference = false;
    if (mode == Mode::ImagePageSample && token == "[IndexPageTitle]") value = "My Gallery";
    for (size_t i = 0; i < kTokens.size(); ++i) {
      if (token != kTokens[i].name) continue;
      if (sample) {
        value = kTokens[i].sample;
      } else if (producers & (1u << i)) {
        // The token ends inside its own value: substituting it again would never end, so it is
        // kept as the user typed it.
        selfReference = true;
      } else {
        value = picture->*kTokens[i].field;
        valueProducers = producers | (1u << i);
      }
      break;
    }
    if (selfReference) {
      out.append(token);
    } else if (!HasBracket(value)) {
      out.append(value);
    } else {
      pending.push_back({value, 0, valueProducers});
    }
  }
}

void AppendColourByte(std::string& out, unsigned value) {
  static const char kHex[] = "0123456789ABCDEF";
  out += kHex[(value >> 4) & 0xF];
  out += kHex[value & 0xF];
}

}  // namespace

FontSetting HeadingFont(const GalleryOptions& options) {
  return {options.FIndexFontFamily, options.FIndexFontStyle, options.FIndexFontSize,
          options.FIndexFontColor};
}

FontSetting CaptionFont(const GalleryOptions& options) {
  return {options.FThumbFontFamily, options.FThumbFontStyle, options.FThumbFontSize,
          options.FThumbFontColor};
}

std::string HtmlColour(Colour colour) {
  const auto value = static_cast<uint32_t>(colour);
  std::string out = "#";
  AppendColourByte(out, RedOf(value));
  AppendColourByte(out, GreenOf(value));
  AppendColourByte(out, BlueOf(value));
  return out;
}

std::string RenderSampleTitle(std::string_view templ) {
  return Substitute(templ, Mode::Sample, nullptr);
}

std::string RenderImagePageSampleTitle(std::string_view templ) {
  return Substitute(templ, Mode::ImagePageSample, nullptr);
}

std::string RenderPictureTitle(const PictureRecord& picture, std::string_view templ) {
  return Substitute(templ, Mode::Picture, &picture);
}

std::string WrapInFontTags(std::string_view body, std::string_view family, std::string_view style,
                           std::string_view size, Colour colour) {
  const bool bold = style == "Bold" || style == "Bold Italic";
  const bool italic = style == "Italic" || style == "Bold Italic";
  std::string out;
  out.reserve(body.size() + family.size() + 64);
  if (bold) out += "<b>";
  if (italic) out += "<i>";
  out += "<font face=\"";
  out += family;
  out += "\" size=\"";
  out += size.substr(0, 1);
  out += "\" color=\"";
  out += HtmlColour(colour);
  out += "\">";
  out += body;
  out += "</font>";
  if (italic) out += "</i>";
  if (bold) out += "</b>";
  return out;
}

std::string FormatTitle(const std::vector<PictureRecord>& pictures, long long index,
                        std::string_view templ, std::string_view family, std::string_view style,
                        std::string_view size, Colour colour) {
  std::string body;
  if (index < 0) {
    body = RenderSampleTitle(templ);
  } else {
    if (static_cast<unsigned long long>(index) >= pictures.size()) {
      throw Error(Format("List index out of bounds (%lld)", index));
    }
    body = RenderPictureTitle(pictures[static_cast<size_t>(index)], templ);
  }
  return WrapInFontTags(body, family, style, size, colour);
}

std::string FormatTitle(const std::vector<PictureRecord>& pictures, long long index,
                        std::string_view templ, const FontSetting& font) {
  return FormatTitle(pictures, index, templ, font.family, font.style, font.size, font.colour);
}

}  // namespace qg
