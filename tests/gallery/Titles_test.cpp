// Caption templates: token substitution in both modes, the font tags, and the guards that keep
// odd or hostile titles from stopping a build.
#include "gallery/Titles.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <random>

#include "core/Error.h"

namespace qg {
namespace {

PictureRecord Sunset() {
  PictureRecord p;
  p.FileName = "Sunset.JPG";
  p.ImageSize = "1600 x 1200";
  p.FileSize = "245 KB";
  p.FilenameAndPath = "/photos/Sunset.JPG";
  p.ShortTitle = "Sunset";
  p.LongTitle = "Sunset over the bay";
  return p;
}

const char kDefaultFace[] = "Verdana, Arial, Helvetica, sans-serif";

TEST(TokenSubstitution, ReplacesEveryKnownTokenWithThePicturesValues) {
  EXPECT_EQ(
      RenderPictureTitle(Sunset(), "[ShortTitle]|[LongTitle]|[Filename]|[FileSize]|[ImageSize]"),
      "Sunset|Sunset over the bay|Sunset.JPG|245 KB|1600 x 1200");
  EXPECT_EQ(RenderPictureTitle(Sunset(), "[Filename]<br>[ImageSize]"), "Sunset.JPG<br>1600 x 1200");
}

TEST(TokenSubstitution, ReplacesEveryKnownTokenWithSampleValues) {
  EXPECT_EQ(RenderSampleTitle("[ShortTitle]|[LongTitle]|[Filename]|[FileSize]|[ImageSize]"),
            "Short Title Sample|Long Title Sample|Filename.sample|200 kb|640 x 480");
}

TEST(TokenSubstitution, UnknownTokensGiveDashesOnPagesAndOneInPreviews) {
  EXPECT_EQ(RenderPictureTitle(Sunset(), "[shorttitle] [Date] []"), "-- -- --");
  EXPECT_EQ(RenderSampleTitle("[shorttitle] [Date] []"), "1 1 1");
  EXPECT_EQ(RenderSampleTitle("[IndexPageTitle] [ImageIndex] of [ImageCount]"), "1 1 of 1");
}

TEST(TokenSubstitution, ThePicturePageDialogsSampleNamesTheIndexPageTitle) {
  EXPECT_EQ(RenderImagePageSampleTitle("[IndexPageTitle] [ImageIndex] of [ImageCount]"),
            "My Gallery 1 of 1");
  EXPECT_EQ(RenderImagePageSampleTitle("[ShortTitle] [indexpagetitle]"), "Short Title Sample 1");
  // The token is the text from the first "[" to the first "]", as everywhere else.
  EXPECT_EQ(RenderImagePageSampleTitle("[a[IndexPageTitle]"), "1");
  EXPECT_EQ(RenderPictureTitle(Sunset(), "[IndexPageTitle]"), "--");
}

TEST(TokenSubstitution, TextWithoutBracketsIsReturnedUnchanged) {
  EXPECT_EQ(RenderPictureTitle(Sunset(), "plain <b>html</b> & text"), "plain <b>html</b> & text");
  EXPECT_EQ(RenderPictureTitle(Sunset(), ""), "");
}

TEST(TokenSubstitution, BracketsInsideAValueAreTokensInTurn) {
  PictureRecord p = Sunset();
  p.ShortTitle = "Day [3] at sea";
  EXPECT_EQ(RenderPictureTitle(p, "[ShortTitle]!"), "Day -- at sea!");
  p.ShortTitle = "[LongTitle] again";
  EXPECT_EQ(RenderPictureTitle(p, "[ShortTitle]"), "Sunset over the bay again");
}

TEST(TokenSubstitution, TheClosingBracketIsTheFirstOneInTheText) {
  // The token runs from the first "[" to the first "]", whatever lies between.
  EXPECT_EQ(RenderPictureTitle(Sunset(), "a[b[ShortTitle]c"), "a--c");
  // A value's opening bracket can pair with a closing bracket of the template.
  PictureRecord p = Sunset();
  p.ShortTitle = "x[Long";
  EXPECT_EQ(RenderPictureTitle(p, "[ShortTitle]Title]y"), "xSunset over the bayy");
}

TEST(TokenSubstitution, AClosingBracketBeforeTheFirstOpeningOneKeepsTheRestUnchanged) {
  EXPECT_EQ(RenderPictureTitle(Sunset(), "a] [ShortTitle]"), "a] [ShortTitle]");
  EXPECT_EQ(RenderSampleTitle("]["), "][");
  // Once the leading tokens are substituted, the same rule holds for the rest.
  EXPECT_EQ(RenderPictureTitle(Sunset(), "[ShortTitle] :] [Filename]"), "Sunset :] [Filename]");
  PictureRecord p = Sunset();
  p.ShortTitle = "a]b";
  EXPECT_EQ(RenderPictureTitle(p, "[ShortTitle] [Filename]"), "a]b [Filename]");
}

TEST(TokenSubstitution, AnOpeningBracketWithoutAClosingOneKeepsTheRestUnchanged) {
  EXPECT_EQ(RenderPictureTitle(Sunset(), "[ShortTitle] [Filename"), "Sunset [Filename");
  EXPECT_EQ(RenderSampleTitle("50% [off"), "50% [off");
}

TEST(TokenSubstitution, AValueThatNamesItselfIsKeptAsItStands) {
  PictureRecord p = Sunset();
  p.ShortTitle = "[ShortTitle]";
  EXPECT_EQ(RenderPictureTitle(p, "<[ShortTitle]>"), "<[ShortTitle]>");
  p.ShortTitle = "x[ShortTitle]y";
  EXPECT_EQ(RenderPictureTitle(p, "[ShortTitle] [Filename]"), "x[ShortTitle]y Sunset.JPG");
}

TEST(TokenSubstitution, ATokenBeginningInItsOwnValueAndEndingAfterItIsSubstituted) {
  // Each round takes more of the text after the value, so the substitution ends by itself and
  // gives what restarting from the beginning gives.
  PictureRecord p = Sunset();
  p.ShortTitle = "[Short";
  EXPECT_EQ(RenderPictureTitle(p, "[ShortTitle]Title]x"), "[Shortx");
  EXPECT_EQ(RenderPictureTitle(p, "[ShortTitle]Title]Title]Title]!"), "[Short!");
  p.ShortTitle = "[Long";
  p.LongTitle = "[ShortTitle]";
  EXPECT_EQ(RenderPictureTitle(p, "[LongTitle]Title]"), "[Long");
  // Ending inside its own value again, on the other hand, would repeat for ever.
  p.ShortTitle = "[LongTitle]Title]";
  p.LongTitle = "[Short";
  EXPECT_EQ(RenderPictureTitle(p, "<[ShortTitle]>"), "<[ShortTitle]>");
}

// The substitution as users read it: replace the text from the first "[" to the first "]" and
// start again from the beginning. Gives up (nullopt) after `maxSteps` rounds.
std::optional<std::string> RestartingSubstitution(const PictureRecord& p, std::string text,
                                                  int maxSteps) {
  for (int step = 0; step < maxSteps; ++step) {
    const size_t open = text.find('[');
    if (open == std::string::npos) return text;
    const size_t close = text.find(']');
    if (close == std::string::npos || close < open) return text;
    const std::string token = text.substr(open, close + 1 - open);
    std::string value = "--";
    if (token == "[ShortTitle]") value = p.ShortTitle;
    if (token == "[LongTitle]") value = p.LongTitle;
    if (token == "[Filename]") value = p.FileName;
    if (token == "[FileSize]") value = p.FileSize;
    if (token == "[ImageSize]") value = p.ImageSize;
    text.replace(open, close + 1 - open, value);
  }
  return std::nullopt;
}

TEST(TokenSubstitution, AgreesWithRestartingFromTheBeginningWheneverThatEnds) {
  // Random titles made of token fragments and stray brackets, so that tokens form across values
  // and the text after them.
  const char* const kParts[] = {"[",      "]",     "[ShortTitle]", "[LongTitle]", "[Filename]",
                                "[Short", "[Long", "Title]",       "Title",       "name]",
                                "[File",  "x",     "<b>",          "[]"};
  std::mt19937 random(12345);
  auto make = [&](int maxParts) {
    std::string s;
    const int n = static_cast<int>(random() % (maxParts + 1));
    for (int i = 0; i < n; ++i) s += kParts[random() % std::size(kParts)];
    return s;
  };
  int compared = 0;
  for (int round = 0; round < 20000; ++round) {
    PictureRecord p;
    p.ShortTitle = make(4);
    p.LongTitle = make(4);
    p.FileName = make(2);
    const std::string templ = make(6);
    const std::string ours = RenderPictureTitle(p, templ);
    const std::optional<std::string> expected = RestartingSubstitution(p, templ, 2000);
    if (!expected || expected->size() > 100000) continue;  // would not end
    ++compared;
    ASSERT_EQ(ours, *expected) << "template '" << templ << "', short '" << p.ShortTitle
                               << "', long '" << p.LongTitle << "', file '" << p.FileName << "'";
  }
  EXPECT_GT(compared, 10000);
}

TEST(TokenSubstitution, TitlesThatNameEachOtherEndAfterOneRound) {
  PictureRecord p = Sunset();
  p.ShortTitle = "S([LongTitle])";
  p.LongTitle = "L([ShortTitle])";
  EXPECT_EQ(RenderPictureTitle(p, "[ShortTitle]"), "S(L([ShortTitle]))");
  EXPECT_EQ(RenderPictureTitle(p, "[LongTitle]"), "L(S([LongTitle]))");
}

TEST(TokenSubstitution, ExplosiveTitlesAreCutShortInsteadOfExhaustingMemory) {
  PictureRecord p = Sunset();
  std::string many;
  for (int i = 0; i < 2000; ++i) many += "[LongTitle]";
  p.ShortTitle = many;
  p.LongTitle.clear();
  for (int i = 0; i < 2000; ++i) p.LongTitle += "[Filename]";
  p.FileName = std::string(1000, 'f');
  const std::string out = RenderPictureTitle(p, "[ShortTitle]");
  EXPECT_LT(out.size(), size_t{3} << 20);
  EXPECT_GT(out.size(), size_t{1} << 20);
}

TEST(HtmlColour, WritesRedGreenBlueInUpperCaseHex) {
  EXPECT_EQ(HtmlColour(0x000000), "#000000");
  EXPECT_EQ(HtmlColour(0xFFFFFF), "#FFFFFF");
  EXPECT_EQ(HtmlColour(0x0000FF), "#FF0000");                 // red sits in the low byte
  EXPECT_EQ(HtmlColour(0x800000), "#000080");                 // navy
  EXPECT_EQ(HtmlColour(0x00A0B0C0 | 0x01000000), "#C0B0A0");  // the top byte is not a colour
}

TEST(FormatTitle, WrapsTheDefaultCaptionInBoldAndFontTags) {
  EXPECT_EQ(FormatTitle({Sunset()}, 0, "[ShortTitle]", kDefaultFace, "Bold", "1 (8 pt)", 0),
            "<b><font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"1\" color=\"#000000\">"
            "Sunset</font></b>");
}

TEST(FormatTitle, StylesGiveTheirTagsInNestingOrder) {
  const std::vector<PictureRecord> list = {Sunset()};
  EXPECT_EQ(FormatTitle(list, 0, "t", "Times", "Regular", "3 (12 pt)", 0x0000FF),
            "<font face=\"Times\" size=\"3\" color=\"#FF0000\">t</font>");
  EXPECT_EQ(FormatTitle(list, 0, "t", "Times", "Italic", "3 (12 pt)", 0),
            "<i><font face=\"Times\" size=\"3\" color=\"#000000\">t</font></i>");
  EXPECT_EQ(FormatTitle(list, 0, "t", "Times", "Bold Italic", "7 (36 pt)", 0xFFFFFF),
            "<b><i><font face=\"Times\" size=\"7\" color=\"#FFFFFF\">t</font></i></b>");
  // The comparison is exact: anything else gives no style tags.
  EXPECT_EQ(FormatTitle(list, 0, "t", "Times", "bold", "3", 0),
            "<font face=\"Times\" size=\"3\" color=\"#000000\">t</font>");
}

TEST(FormatTitle, EmptyTemplateAndEmptySizeStillGiveTheTags) {
  EXPECT_EQ(FormatTitle({Sunset()}, 0, "", kDefaultFace, "Bold", "", 0),
            "<b><font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"\" color=\"#000000\">"
            "</font></b>");
}

TEST(FormatTitle, NegativeIndexRendersTheSampleValues) {
  EXPECT_EQ(FormatTitle({}, -1, "[ShortTitle] [Date]", "F", "Regular", "5 (18 pt)", 0),
            "<font face=\"F\" size=\"5\" color=\"#000000\">Short Title Sample 1</font>");
}

TEST(FormatTitle, AnIndexBeyondTheListIsAnError) {
  EXPECT_THROW(FormatTitle({Sunset()}, 1, "x", "F", "Bold", "1", 0), Error);
}

}  // namespace
}  // namespace qg
