// The terminal filter on hostile texts: every control and escape sequence goes whole, printable
// text in any encoding stays byte for byte.
#include "core/DisplayText.h"

#include <gtest/gtest.h>

#include <string>

namespace qg {
namespace {

struct Case {
  const char* what;
  std::string in;
  std::string out;
};

std::string WithNul() { return std::string("a\0b", 3); }

TEST(PlainDisplayText, RemovesControlsAndWholeSequences) {
  const Case cases[] = {
      // Printable text, in UTF-8 or a single-byte code page, is untouched.
      {"plain", "550 No such file or directory.", "550 No such file or directory."},
      {"utf-8", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7 \xC5\x9C",
       "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7 \xC5\x9C"},
      {"latin-1", "Caf\xE9 \xA9 \xFF", "Caf\xE9 \xA9 \xFF"},
      {"tab and line feed", "line 1\n\tline 2", "line 1\n\tline 2"},
      // C0 controls and DEL.
      {"carriage return", "safe\rEVIL", "safeEVIL"},
      {"nul, bell, backspace", WithNul() + "\x07\x08x", "abx"},
      {"del",
       "a\x7F"
       "b",
       "ab"},
      {"form feed, vertical tab",
       "a\x0C\x0B"
       "b",
       "ab"},
      // CSI sequences go whole, with their parameters and final byte.
      {"clear screen", "\x1B[2J\x1B[Hhello", "hello"},
      {"colour", "\x1B[1;31mred\x1B[0m", "red"},
      {"private mode", "\x1B[?1049hx\x1B[?25l", "x"},
      {"intermediate", "a\x1B[1 qb", "ab"},
      {"cut-off csi", "a\x1B[12;", "a"},
      {"csi broken by a letter outside", "a\x1B[1\xC3\xA9z", "a\xC3\xA9z"},
      // Control strings up to BEL or ST.
      {"title by osc and bel", "\x1B]0;pwned\x07rest", "rest"},
      {"title by osc and st", "\x1B]2;pwned\x1B\\rest", "rest"},
      {"hyperlink", "\x1B]8;;http://x\x1B\\link\x1B]8;;\x1B\\", "link"},
      {"dcs", "\x1BPq#0;2;0;0;0\x1B\\after", "after"},
      {"apc, pm, sos", "\x1B_a\x07\x1B^b\x07\x1BXc\x07ok", "ok"},
      {"unterminated osc swallows the rest", "ok\x1B]0;title without end", "ok"},
      {"esc inside a string starts a new sequence", "\x1B]0;t\x1B[31mx", "x"},
      {"utf-8 inside a string is skipped whole", "\x1B]0;\xC5\x9C\x07z", "z"},
      // Other escape sequences.
      {"reset",
       "\x1B"
       "cclean",
       "clean"},
      {"save cursor",
       "\x1B"
       "7a\x1B"
       "8",
       "a"},
      {"charset", "\x1B(0lqk\x1B(B", "lqk"},
      {"lone esc at the end", "end\x1B", "end"},
      {"esc before a control", "a\x1B\x1B[Kb", "ab"},
      // C1 controls, as UTF-8 and as raw bytes.
      {"utf-8 c1",
       "a\xC2\x85"
       "b\xC2\x80"
       "c",
       "abc"},
      {"utf-8 csi",
       "\xC2\x9B"
       "2Jx",
       "x"},
      {"utf-8 osc to utf-8 st",
       "\xC2\x9D"
       "0;t\xC2\x9Cy",
       "y"},
      {"raw csi",
       "\x9B"
       "31mx",
       "x"},
      {"raw osc to raw st",
       "\x9D"
       "0;t\x9Cy",
       "y"},
      {"raw c1 next to latin-1", "\xE9\x85\xE9", "\xE9\xE9"},
      {"stray continuation",
       "a\x80"
       "b",
       "ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlainDisplayText(c.in), c.out) << c.what;
  }
}

TEST(PlainDisplayText, LeavesEveryPrintableByteAlone) {
  std::string printable;
  for (int c = 0x20; c < 0x7F; ++c) printable += static_cast<char>(c);
  for (int c = 0xA0; c <= 0xFF; ++c) printable += static_cast<char>(c);  // single-byte page
  EXPECT_EQ(PlainDisplayText(printable), printable);
  EXPECT_EQ(PlainDisplayText(""), "");
}

TEST(PlainDisplayText, NothingThatSteersATerminalSurvives) {
  // Every byte pair, and every byte before a CSI: no ESC, C0 other than tab and line feed, DEL
  // or C1 (raw or as UTF-8) is left in the output.
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      std::string in;
      in += static_cast<char>(a);
      in += static_cast<char>(b);
      in +=
          "\x9B"
          "1m";
      const std::string out = PlainDisplayText(in);
      for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        ASSERT_FALSE((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) << a << " " << b;
        ASSERT_FALSE(c == 0xC2 && i + 1 < out.size() &&
                     static_cast<unsigned char>(out[i + 1]) <= 0x9F &&
                     static_cast<unsigned char>(out[i + 1]) >= 0x80)
            << a << " " << b;
      }
      // A raw 0x80..0x9F may remain only inside a multi-byte character, and filtering again
      // changes nothing.
      for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        const size_t more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : 0;
        if (more > 0 && i + more < out.size() &&
            (static_cast<unsigned char>(out[i + 1]) & 0xC0) == 0x80) {
          i += more;
          continue;
        }
        ASSERT_FALSE(c >= 0x80 && c <= 0x9F) << a << " " << b;
      }
      ASSERT_EQ(PlainDisplayText(out), out) << a << " " << b;
    }
  }
}

}  // namespace
}  // namespace qg
