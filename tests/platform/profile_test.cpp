// The profile layer must read hand-written and Windows-written project files exactly as the
// Windows profile functions did, and must change nothing in a file but the lines it writes.
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <string>

namespace qg {
namespace {

std::optional<std::string> Read(std::string_view file, std::string_view section,
                                std::string_view key) {
  return ProfileDocument::Parse(file).ReadString(section, key);
}

std::string Written(std::string_view file, std::string_view section, std::string_view key,
                    std::string_view value) {
  ProfileDocument doc = ProfileDocument::Parse(file);
  doc.WriteString(section, key, value);
  return doc.Serialize();
}

TEST(ProfileRead, NamesMatchWithoutRegardToCase) {
  const std::string file = "[project]\r\nNAME=Holiday\r\n";
  EXPECT_EQ(Read(file, "Project", "Name"), "Holiday");
  EXPECT_EQ(Read(file, "PROJECT", "name"), "Holiday");
  EXPECT_EQ(Read(file, "Projects", "Name"), std::nullopt);
  EXPECT_EQ(Read(file, "Project", "Nam"), std::nullopt);
}

TEST(ProfileRead, BlanksAroundNamesAndValuesDoNotCount) {
  const std::string file = "  [ Project ]  \n\t Name \t=\t  two  words \t\n";
  EXPECT_EQ(Read(file, "Project", "Name"), "two  words");
}

TEST(ProfileRead, OnePairOfEnclosingQuotesIsRemoved) {
  const std::string file =
      "[P]\n"
      "a=\"quoted\"\n"
      "b='single'\n"
      "c=\"\"twice\"\"\n"
      "d=\"open\n"
      "e=\"mixed'\n"
      "f=\"\n"
      "g=  \"  padded  \"  \n"
      "h=\"\"\n";
  EXPECT_EQ(Read(file, "P", "a"), "quoted");
  EXPECT_EQ(Read(file, "P", "b"), "single");
  EXPECT_EQ(Read(file, "P", "c"), "\"twice\"");
  EXPECT_EQ(Read(file, "P", "d"), "\"open");
  EXPECT_EQ(Read(file, "P", "e"), "\"mixed'");
  EXPECT_EQ(Read(file, "P", "f"), "\"");
  EXPECT_EQ(Read(file, "P", "g"), "  padded  ");
  EXPECT_EQ(Read(file, "P", "h"), "");
}

TEST(ProfileRead, ValuesAreCutTo2047Characters) {
  const std::string longValue(3000, 'x');
  EXPECT_EQ(Read("[P]\nk=" + longValue + "\n", "P", "k"), std::string(2047, 'x'));
  EXPECT_EQ(Read("[P]\nk=" + std::string(2047, 'y') + "\n", "P", "k"), std::string(2047, 'y'));
  // The quotes come off before the cut.
  EXPECT_EQ(Read("[P]\nk=\"" + std::string(2047, 'z') + "\"\n", "P", "k"), std::string(2047, 'z'));
}

TEST(ProfileRead, CutNeverSplitsAUtf8Sequence) {
  // 2046 ASCII characters and an "é" (two bytes) would be cut in the middle of the "é".
  const std::string value = std::string(2046, 'a') + "\xC3\xA9" + "tail";
  EXPECT_EQ(Read("[P]\nk=" + value + "\n", "P", "k"), std::string(2046, 'a'));
  EXPECT_EQ(CutText("ab\xE2\x82\xAC", 4), "ab");  // a three-byte euro sign
  EXPECT_EQ(CutText("ab\xE2\x82\xAC", 5), "ab\xE2\x82\xAC");
  EXPECT_EQ(CutText("ab\x80\x80\x80\x80", 3), "ab\x80");  // not UTF-8: a plain byte cut
}

TEST(ProfileRead, FirstSectionAndFirstKeyOfANameWin) {
  const std::string file =
      "[P]\n"
      "k=first\n"
      "K=second\n"
      "[Q]\n"
      "only=q\n"
      "[p]\n"
      "k=third\n"
      "later=invisible\n";
  EXPECT_EQ(Read(file, "P", "k"), "first");
  EXPECT_EQ(Read(file, "P", "later"), std::nullopt);
}

TEST(ProfileRead, CommentsBlankLinesAndLinesWithoutEquals) {
  const std::string file =
      "top=outside any section\n"
      "[P]\n"
      "; k=commented out\n"
      "   ;also a comment\n"
      "\n"
      "# k=not a comment marker\n"
      "bare\n"
      "bare=after the bare line\n"
      "k=value\n";
  EXPECT_EQ(Read(file, "P", "k"), "value");
  EXPECT_EQ(Read(file, "P", "# k"), "not a comment marker");
  // A key line without "=" is found first and has no value, so it hides the later one.
  EXPECT_EQ(Read(file, "P", "bare"), std::nullopt);
  EXPECT_EQ(Read(file, "P", "top"), std::nullopt);
}

TEST(ProfileRead, LineBreaksOfEveryKindAndNoFinalBreak) {
  EXPECT_EQ(Read("[P]\r\nk=crlf\r\nz=1", "P", "k"), "crlf");
  EXPECT_EQ(Read("[P]\nk=lf\nz=1", "P", "k"), "lf");
  EXPECT_EQ(Read("[P]\rk=cr\rz=1", "P", "k"), "cr");
  EXPECT_EQ(Read("[P]\r\nk=last line", "P", "k"), "last line");
  EXPECT_EQ(Read("\xEF\xBB\xBF[P]\nk=after a byte order mark", "P", "k"),
            "after a byte order mark");
}

TEST(ProfileRead, SectionHeaderNameEndsAtTheLastBracket) {
  EXPECT_EQ(Read("[a]b]\nk=1\n", "a]b", "k"), "1");
  EXPECT_EQ(Read("[open\nk=1\n", "open", "k"), std::nullopt);
}

TEST(ProfileSectionEntries, ListsEveryEntryInFileOrder) {
  const std::string file =
      "[PicSection0]\r\n"
      "LongTitle = moved first \r\n"
      "; a comment\r\n"
      "\r\n"
      "Name=a=b.jpg\r\n"
      "  bare line  \r\n"
      "ShortTitle=\"kept quotes\"\r\n"
      "Name=duplicate\r\n"
      "[PicSection1]\r\n"
      "Name=next\r\n";
  const auto entries = ProfileDocument::Parse(file).SectionEntries("picsection0");
  ASSERT_TRUE(entries.has_value());
  EXPECT_EQ(*entries,
            (std::vector<std::string>{"LongTitle=moved first", "Name=a=b.jpg", "bare line",
                                      "ShortTitle=\"kept quotes\"", "Name=duplicate"}));
  EXPECT_FALSE(ProfileDocument::Parse(file).SectionEntries("PicSection2").has_value());
  EXPECT_TRUE(ProfileDocument::Parse("[Empty]\n").SectionEntries("Empty")->empty());
}

TEST(ProfileWrite, UnchangedDocumentKeepsEveryByte) {
  const std::string file = "\xEF\xBB\xBF; c\r\n[P]\n  k = v  \r\n\r\n[Q]\rx";
  EXPECT_EQ(ProfileDocument::Parse(file).Serialize(), file);
}

TEST(ProfileWrite, NewFileStartsWithTheSectionWritten) {
  EXPECT_EQ(Written("", "Project", "Name", "My Gallery 1"), "[Project]\r\nName=My Gallery 1\r\n");
}

TEST(ProfileWrite, UpdateInPlaceKeepsTheRestOfTheFile) {
  const std::string file =
      "; my notes\n"
      "[Project]\n"
      "  NAME = old  \n"
      "Other=1\r\n"
      "\n"
      "[Extra]\n"
      "Name=untouched\n";
  // The key keeps its spelling from the file and the line keeps its LF.
  EXPECT_EQ(Written(file, "project", "Name", "new"),
            "; my notes\n"
            "[Project]\n"
            "NAME=new\n"
            "Other=1\r\n"
            "\n"
            "[Extra]\n"
            "Name=untouched\n");
}

TEST(ProfileWrite, OnlyTheFirstMatchingKeyAndSectionChange) {
  const std::string file = "[P]\nk=1\nk=2\n[P]\nk=3\n";
  EXPECT_EQ(Written(file, "P", "k", "x"), "[P]\nk=x\nk=2\n[P]\nk=3\n");
}

TEST(ProfileWrite, LineWithoutEqualsGetsTheValue) {
  EXPECT_EQ(Written("[P]\r\nbare\r\n", "P", "bare", "v"), "[P]\r\nbare=v\r\n");
}

TEST(ProfileWrite, NewKeyGoesAfterTheSectionsLastLineBeforeBlankLines) {
  const std::string file =
      "[P]\n"
      "a=1\n"
      "; trailing comment\n"
      "\n"
      "\n"
      "[Q]\n"
      "b=2\n";
  EXPECT_EQ(Written(file, "P", "new", "x"),
            "[P]\n"
            "a=1\n"
            "; trailing comment\n"
            "new=x\r\n"
            "\n"
            "\n"
            "[Q]\n"
            "b=2\n");
  EXPECT_EQ(Written("[P]\r\n[Q]\r\n", "P", "k", "v"), "[P]\r\nk=v\r\n[Q]\r\n");
}

TEST(ProfileWrite, NewSectionIsAppendedAfterAFinalLineBreak) {
  EXPECT_EQ(Written("[P]\r\na=1\r\n", "Q", "k", "v"), "[P]\r\na=1\r\n[Q]\r\nk=v\r\n");
  EXPECT_EQ(Written("[P]\na=1", "Q", "k", "v"), "[P]\na=1\r\n[Q]\r\nk=v\r\n");
  EXPECT_EQ(Written("[P]\na=1", "P", "b", "2"), "[P]\na=1\r\nb=2\r\n");
  // A section that only exists before the first header does not count.
  EXPECT_EQ(Written("k=loose\n", "P", "k", "v"), "k=loose\n[P]\r\nk=v\r\n");
}

TEST(ProfileWrite, ValuesAreWrittenAsTheyAreExceptLineBreaks) {
  EXPECT_EQ(Written("", "P", "k", " a=b \"c\" "), "[P]\r\nk= a=b \"c\" \r\n");
  EXPECT_EQ(Written("", "P", "k", "two\r\nlines\n"), "[P]\r\nk=two  lines \r\n");
}

TEST(ProfileWrite, WrittenValueReadsBack) {
  ProfileDocument doc = ProfileDocument::Parse("[P]\nk\n;x\n[Q]\n");
  doc.WriteString("P", "k", "one");
  doc.WriteString("Q", "k", "two");
  doc.WriteString("R", "k", "three");
  const ProfileDocument again = ProfileDocument::Parse(doc.Serialize());
  EXPECT_EQ(again.ReadString("P", "k"), "one");
  EXPECT_EQ(again.ReadString("Q", "k"), "two");
  EXPECT_EQ(again.ReadString("R", "k"), "three");
}

}  // namespace
}  // namespace qg
