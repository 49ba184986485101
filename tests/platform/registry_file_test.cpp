// The preferences file must read exports made on other systems and keep every value type apart,
// because the preferences reader stops at the first value of the wrong type.
#include "platform/RegistryFile.h"

#include <gtest/gtest.h>

namespace qg {
namespace {

constexpr const char* kKey = "Software\\Vendor\\Program";

RegistryKeyFile ParseKey(std::string_view text) { return RegistryKeyFile::Parse(text, kKey); }

TEST(RegistryRead, ReadsTypedValuesOfItsKeyOnly) {
  const auto key = ParseKey(
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Vendor\\Other]\n"
      "\"count\"=dword:00000099\n"
      "\n"
      "[hkey_current_user\\software\\vendor\\program]\n"
      "\"Count\"=dword:0000000A\n"
      "\"Name\"=\"C:\\\\temp \\\"quoted\\\"\"\n"
      "; a comment\n"
      "@=\"default value\"\n");
  EXPECT_TRUE(key.KeyFound());
  ASSERT_TRUE(key.Find("count").has_value());
  EXPECT_EQ(key.Find("count")->type, RegistryValue::Type::Dword);
  EXPECT_EQ(key.Find("COUNT")->dword, 10u);
  EXPECT_EQ(key.Find("name")->type, RegistryValue::Type::String);
  EXPECT_EQ(key.Find("name")->text, "C:\\temp \"quoted\"");
  EXPECT_FALSE(key.Find("missing").has_value());
}

TEST(RegistryRead, KeyAbsentWhenOnlyOtherKeysAreNamed) {
  EXPECT_FALSE(ParseKey("REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Vendor]\r\n\"a\"=dword:1\r\n")
                   .KeyFound());
  EXPECT_FALSE(ParseKey("").KeyFound());
  EXPECT_TRUE(ParseKey("[HKCU\\Software\\Vendor\\Program]").KeyFound());
}

TEST(RegistryRead, CrLfAndUtf16ExportsReadAlike) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Vendor\\Program]\r\n"
      "\"a\"=dword:00000001\r\n"
      "\"s\"=\"caf\xC3\xA9\"\r\n";
  std::string utf16 = "\xFF\xFE";
  // The test text is ASCII apart from the "é", which is U+00E9 in UTF-16.
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) == 0xC3) {
      utf16 += std::string("\xE9\x00", 2);
      ++i;
      continue;
    }
    utf16 += text[i];
    utf16 += '\0';
  }
  for (const std::string& bytes : {text, std::string("\xEF\xBB\xBF") + text, utf16}) {
    const auto key = ParseKey(bytes);
    ASSERT_TRUE(key.KeyFound());
    EXPECT_EQ(key.Find("a")->dword, 1u);
    EXPECT_EQ(key.Find("s")->text, "caf\xC3\xA9");
  }
}

TEST(RegistryRead, HexFormsAndDeletions) {
  const auto key = ParseKey(
      "[HKEY_CURRENT_USER\\Software\\Vendor\\Program]\n"
      "\"dw\"=hex(4):2a,00,00,00\n"
      "\"expand\"=hex(2):41,00,\\\n"
      "  42,00,00,00\n"
      "\"binary\"=hex:01,02\n"
      "\"quad\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"gone\"=\"x\"\n"
      "\"gone\"=-\n"
      "\"twice\"=\"first\"\n"
      "\"twice\"=\"last\"\n");
  EXPECT_EQ(key.Find("dw")->type, RegistryValue::Type::Dword);
  EXPECT_EQ(key.Find("dw")->dword, 42u);
  EXPECT_EQ(key.Find("expand")->text, "AB");
  EXPECT_EQ(key.Find("binary")->type, RegistryValue::Type::Other);
  EXPECT_EQ(key.Find("quad")->type, RegistryValue::Type::Other);
  EXPECT_FALSE(key.Find("gone").has_value());
  EXPECT_EQ(key.Find("twice")->text, "last");
}

TEST(RegistryRead, MalformedValuesAreOfNoUsableType) {
  const auto key = ParseKey(
      "[HKEY_CURRENT_USER\\Software\\Vendor\\Program]\n"
      "\"long\"=dword:123456789\n"
      "\"empty\"=dword:\n"
      "\"junk\"=dword:12 34\n"
      "\"open\"=\"no closing quote\n"
      "\"bare\"=word\n"
      "\"after\"=dword:00000002\n");
  for (const char* name : {"long", "empty", "junk", "open", "bare"}) {
    ASSERT_TRUE(key.Find(name).has_value()) << name;
    EXPECT_EQ(key.Find(name)->type, RegistryValue::Type::Other) << name;
  }
  EXPECT_EQ(key.Find("after")->dword, 2u);
}

TEST(RegistryWrite, ExportTextRoundTrips) {
  const std::vector<std::pair<std::string, RegistryValue>> values = {
      {"flag", RegistryValue::Dword(1)},
      {"number", RegistryValue::Dword(0xFFFFFFFF)},
      {"path", RegistryValue::String("C:\\a \"b\"")},
      {"twoLines", RegistryValue::String("one\r\ntwo \xE2\x82\xAC")},
      {"empty", RegistryValue::String("")},
  };
  const std::string text = FormatRegistryKeyFile(kKey, values);
  const std::string head =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Vendor\\Program]\r\n"
      "\"flag\"=dword:00000001\r\n"
      "\"number\"=dword:ffffffff\r\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_NE(text.find("\"path\"=\"C:\\\\a \\\"b\\\"\"\r\n"), std::string::npos);
  const auto key = ParseKey(text);
  for (const auto& [name, value] : values) {
    ASSERT_TRUE(key.Find(name).has_value()) << name;
    EXPECT_EQ(key.Find(name)->type, value.type) << name;
    EXPECT_EQ(key.Find(name)->dword, value.dword) << name;
    EXPECT_EQ(key.Find(name)->text, value.text) << name;
  }
}

// Latin-1 text as a UTF-16LE export with its byte order mark.
std::string Utf16Le(std::string_view latin1) {
  std::string out = "\xFF\xFE";
  for (char c : latin1) {
    out += c;
    out += '\0';
  }
  return out;
}

TEST(RegistryRead, RemembersTheLineOfEveryValue) {
  const auto key = ParseKey(
      "Windows Registry Editor Version 5.00\r\n"  // 1
      "\r\n"                                      // 2
      "[HKCU\\Software\\Vendor\\Program]\r\n"     // 3
      "\"a\"=dword:1\n"                           // 4 (LF alone)
      "\"b\"=hex(1):41,00,\\\r\n"                 // 5, continued on 6
      "  00,00\r"                                 // 6 (CR alone)
      "\"c\"=\"open\n"                            // 7: does not close
      "\"a\"=dword:2\r\n");                       // 8: the last one counts
  EXPECT_EQ(key.KeyLine(), 3);
  EXPECT_EQ(key.LineOf("A"), 8);
  EXPECT_EQ(key.LineOf("b"), 5);
  EXPECT_EQ(key.LineOf("c"), 7);
  EXPECT_EQ(key.Find("c")->type, RegistryValue::Type::Other);
  EXPECT_EQ(key.LineOf("missing"), 0);
  EXPECT_EQ(ParseKey("[HKCU\\Other]\n").KeyLine(), 0);
}

TEST(RegistryWrite, UpdateRewritesOnlyTheGivenValuesOfTheKey) {
  const std::vector<std::pair<std::string, RegistryValue>> values = {
      {"Count", RegistryValue::Dword(7)}, {"Name", RegistryValue::String("new")}};
  const std::string written =
      "\"Count\"=dword:00000007\r\n"
      "\"Name\"=\"new\"\r\n";
  struct Case {
    const char* name;
    std::string existing;
    std::string expected;
  };
  const Case cases[] = {
      {"empty file", "", FormatRegistryKeyFile(kKey, values)},
      {"other keys, comments, other values and every old form of ours kept or dropped",
       "REGEDIT4\n"
       "; keep this comment\n"
       "[HKEY_CURRENT_USER\\Software\\Vendor\\Other]\n"
       "\"count\"=dword:00000099\n"
       "\n"
       "[hkcu\\software\\vendor\\program]\n"
       "\"COUNT\"=\"was text\"\n"
       "\"keep\"=dword:00000001\n"
       "  \"name\"=hex(1):41,00,\\\n"
       "    00,00\n"
       "\"Name\"=-\n"
       "@=\"default\"\n"
       "[HKCU\\Software\\Vendor\\Program]\r\n"
       "\"count\"=dword:00000003\r\n"
       "\"other\"=\"kept\"",
       "REGEDIT4\n"
       "; keep this comment\n"
       "[HKEY_CURRENT_USER\\Software\\Vendor\\Other]\n"
       "\"count\"=dword:00000099\n"
       "\n"
       "[hkcu\\software\\vendor\\program]\n" +
           written +
           "\"keep\"=dword:00000001\n"
           "@=\"default\"\n"
           "[HKCU\\Software\\Vendor\\Program]\r\n"
           "\"other\"=\"kept\""},
      {"no section of ours, no final line break",
       "[HKCU\\Software\\Vendor\\Other]\n\"x\"=hex:01,\\",
       "[HKCU\\Software\\Vendor\\Other]\n\"x\"=hex:01,\\\r\n\r\n"
       "[HKEY_CURRENT_USER\\Software\\Vendor\\Program]\r\n" +
           written},
      {"header on the last line", "[HKCU\\Software\\Vendor\\Program]",
       "[HKCU\\Software\\Vendor\\Program]\r\n" + written},
      {"UTF-16 becomes UTF-8 with its mark",
       Utf16Le("[HKCU\\Software\\Vendor\\Program]\n\"k\"=\"\xE9\"\n"),
       "\xEF\xBB\xBF[HKCU\\Software\\Vendor\\Program]\n" + written + "\"k\"=\"\xC3\xA9\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string updated = UpdateRegistryKeyFile(c.existing, kKey, values);
    EXPECT_EQ(updated, c.expected);
    const auto key = ParseKey(updated);
    EXPECT_EQ(key.Find("count")->dword, 7u);
    EXPECT_EQ(key.Find("name")->text, "new");
  }
}

}  // namespace
}  // namespace qg
