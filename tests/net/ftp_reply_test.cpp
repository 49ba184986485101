// Reply assembly on the control connection and the line-end rule of ASCII transfers.
#include "net/FtpReply.h"

#include <gtest/gtest.h>

#include "core/Error.h"
#include "net/FtpClient.h"

namespace qg::net {
namespace {

std::vector<FtpReply> ReadAll(const std::string& bytes, size_t chunk) {
  FtpReplyReader reader;
  std::vector<FtpReply> replies;
  for (size_t at = 0; at < bytes.size(); at += chunk) {
    reader.Feed(std::string_view(bytes).substr(at, chunk));
    FtpReply reply;
    while (reader.Next(reply)) replies.push_back(reply);
  }
  return replies;
}

TEST(FtpReplyReader, MultiLineReplyEndsOnlyAtItsOwnCodeFollowedByABlank) {
  const std::string bytes =
      "230-Welcome\r\n"
      "230-still the greeting\r\n"
      " 230 indented, not the end\r\n"
      "231 another code, not the end\r\n"
      "230 Logged in.\r\n"
      "200 Type set to I.\r\n";
  // Byte by byte and all at once must agree: replies may arrive split anywhere.
  for (size_t chunk : {size_t{1}, size_t{7}, bytes.size()}) {
    const std::vector<FtpReply> replies = ReadAll(bytes, chunk);
    ASSERT_EQ(replies.size(), 2u) << "chunk " << chunk;
    EXPECT_EQ(replies[0].code, 230);
    EXPECT_EQ(replies[0].text,
              "230-Welcome\n230-still the greeting\n 230 indented, not the end\n"
              "231 another code, not the end\n230 Logged in.");
    EXPECT_EQ(replies[1].code, 200);
    EXPECT_EQ(replies[1].text, "200 Type set to I.");
  }
}

TEST(FtpReplyReader, AcceptsBareLineFeedsAndCodeOnlyLines) {
  const std::vector<FtpReply> replies = ReadAll("226\n150-a\n150\n", 3);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].code, 226);
  EXPECT_EQ(replies[0].text, "226");
  EXPECT_EQ(replies[1].code, 150);
  EXPECT_EQ(replies[1].text, "150-a\n150");
}

TEST(FtpReplyReader, WaitsForTheRestOfAnIncompleteReply) {
  FtpReplyReader reader;
  FtpReply reply;
  reader.Feed("220-Hello\r\n220 Rea");
  EXPECT_FALSE(reader.Next(reply));
  reader.Feed("dy\r\n");
  ASSERT_TRUE(reader.Next(reply));
  EXPECT_EQ(reply.text, "220-Hello\n220 Ready");
  EXPECT_FALSE(reader.HasPendingBytes());
}

TEST(FtpReplyReader, RejectsTextThatIsNoFtpReply) {
  for (const char* bytes : {"HTTP/1.0 400 Bad Request\r\n", "22 short\r\n", "2200 long\r\n",
                            "019 no such class\r\n", "620 nor this\r\n", "\r\n"}) {
    FtpReplyReader reader;
    reader.Feed(bytes);
    FtpReply reply;
    EXPECT_THROW(reader.Next(reply), Error) << bytes;
  }
}

TEST(FtpReplyReader, RejectsAReplyThatNeverEnds) {
  FtpReplyReader reader;
  reader.Feed("220-start\r\n");
  FtpReply reply;
  const std::string line(1000, 'x');
  EXPECT_THROW(
      {
        for (int i = 0; i < 100; ++i) {
          reader.Feed(line + "\r\n");
          reader.Next(reply);
        }
      },
      Error);
}

TEST(ToNetworkText, AddsCarriageReturnsOnlyWhereMissing) {
  EXPECT_EQ(ToNetworkText("a\r\nb\r\n"), "a\r\nb\r\n");  // already CR LF: unchanged
  EXPECT_EQ(ToNetworkText("a\nb\n"), "a\r\nb\r\n");
  EXPECT_EQ(ToNetworkText("\na\r\n\nb"), "\r\na\r\n\r\nb");
  EXPECT_EQ(ToNetworkText("lone\rcr"), "lone\rcr");
  EXPECT_EQ(ToNetworkText(""), "");
}

}  // namespace
}  // namespace qg::net
