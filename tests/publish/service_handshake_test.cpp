// The hosting service's pages: how the status and connection texts are read, the password
// transformation, and the whole handshake against a local web server (redirect and cookie
// included).
#include "publish/ServiceHandshake.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/HttpClient.h"
#include "net/TestServers.h"

namespace qg {
namespace {

using test::HttpRoute;
using test::HttpTestServer;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ServiceStatusText, OnlyOkRightAfterTheColonOpensTheService) {
  EXPECT_TRUE(ParseServiceStatus("SERVICE:OK").open);
  EXPECT_TRUE(ParseServiceStatus("<html>\r\nSERVICE:OK\r\n</html>").open);
  EXPECT_FALSE(ParseServiceStatus("SERVICE: OK").open);  // reads " O"
  EXPECT_FALSE(ParseServiceStatus("SERVICE:ok").open);
  EXPECT_FALSE(ParseServiceStatus("SERVICE:O").open);
}

TEST(ServiceStatusText, MessageSkipsTheColonAndOneSeparator) {
  const ServiceStatus status = ParseServiceStatus("SERVICE:NO MESSAGE: Maintenance until 6 pm");
  EXPECT_FALSE(status.open);
  EXPECT_EQ(status.message, "Maintenance until 6 pm");
  // Whatever the separator is, and leading blanks after it stay.
  EXPECT_EQ(ParseServiceStatus("SERVICE:NOMESSAGE:\n  Closed\r\n").message, "  Closed\r\n");
  EXPECT_EQ(ParseServiceStatus("SERVICE:NO MESSAGE:").message, "");
}

TEST(ServiceStatusText, MessageKeepsAtMost255Characters) {
  const std::string longText(300, 'm');
  EXPECT_EQ(ParseServiceStatus("SERVICE:NO MESSAGE: " + longText).message, std::string(255, 'm'));
}

TEST(ServiceStatusText, MissingMarkersCountAsStandingAtTheStart) {
  // Without "SERVICE:" the status is the 8th and 9th character.
  EXPECT_TRUE(ParseServiceStatus("1234567OK").open);
  EXPECT_FALSE(ParseServiceStatus("12345678OK").open);
  // Without "MESSAGE:" the message starts at the 9th character.
  EXPECT_EQ(ParseServiceStatus("SERVICE:NOthe rest").message, "NOthe rest");
  EXPECT_EQ(ParseServiceStatus("12345678the rest").message, "the rest");
  EXPECT_EQ(ParseServiceStatus("short").message, "");
}

struct Connection {
  std::string host = "keep-host", user = "keep-user", password = "keep-pass";
};

Connection Apply(const std::string& text) {
  Connection c;
  ApplyServiceConnection(text, c.host, c.user, c.password);
  return c;
}

std::string Six(const std::string& value) { return ServicePassword(value).substr(0, 6); }

TEST(ServiceConnectionText, ReadsTheThreeValuesUpToTheirMarks) {
  const Connection c =
      Apply("HOSTNAME:ftp.example.net!!!\r\nUSERNAME:gallery7!!!\r\nPASSWORD:s3cret!!!\r\n");
  EXPECT_EQ(c.host, "ftp.example.net");
  EXPECT_EQ(c.user, "gallery7");
  EXPECT_EQ(c.password, Six("s3cret"));
  EXPECT_EQ(c.password.size(), 6u);
}

TEST(ServiceConnectionText, KeepsBlanksAndLineBreaksInsideValues) {
  const Connection c = Apply("HOSTNAME: x!!!USERNAME:\r\nuser \r\n!!!PASSWORD:p!!!");
  EXPECT_EQ(c.host, " x");
  EXPECT_EQ(c.user, "\r\nuser \r\n");
}

TEST(ServiceConnectionText, MissingMarksRunOnOrEmptyTheValue) {
  // The host's "!!!" is missing: the host runs on to the user's, and the user is still found.
  Connection c = Apply("HOSTNAME:hUSERNAME:u!!!PASSWORD:p!!!");
  EXPECT_EQ(c.host, "hUSERNAME:u");
  EXPECT_EQ(c.user, "u");
  EXPECT_EQ(c.password, Six("p"));
  // No "!!!" after a marker at all: empty value.
  c = Apply("HOSTNAME:h!!!USERNAME:u!!!PASSWORD:nomark");
  EXPECT_EQ(c.user, "u");
  EXPECT_EQ(c.password, "");
}

TEST(ServiceConnectionText, MarkersOutOfOrderAreLost) {
  const Connection c = Apply("USERNAME:u!!!HOSTNAME:h!!!PASSWORD:p!!!");
  EXPECT_EQ(c.host, "h");
  EXPECT_EQ(c.user, "keep-user");  // not found after HOSTNAME: and so left as it was
  EXPECT_EQ(c.password, Six("p"));
}

TEST(ServiceConnectionText, MissingMarkersAndEmptyPagesLeaveTheValues) {
  Connection c = Apply("");
  EXPECT_EQ(c.host, "keep-host");
  EXPECT_EQ(c.user, "keep-user");
  EXPECT_EQ(c.password, "keep-pass");
  c = Apply("nothing to see");
  EXPECT_EQ(c.host, "keep-host");
  EXPECT_EQ(c.password, "keep-pass");
}

TEST(ServiceConnectionText, EachStepKeepsOnly255Characters) {
  // Everything from the host to the last "!!!" must fit in the window of the first marker.
  // After "HOSTNAME:" the window ends inside "PASSWORD:", so the password is not found.
  const std::string filler(230, 'f');
  const Connection c = Apply("HOSTNAME:h!!!" + filler + "USERNAME:u!!!PASSWORD:p!!!");
  EXPECT_EQ(c.host, "h");
  EXPECT_EQ(c.user, "u");
  EXPECT_EQ(c.password, "keep-pass");
  // Ten characters more and the user's "!!!" falls outside too: an empty user name.
  EXPECT_EQ(Apply("HOSTNAME:h!!!" + filler + std::string(10, 'f') + "USERNAME:u!!!").user, "");
}

TEST(ServicePasswordTransformation, IsFixedAndKeyed) {
  // The hosting service computes the same; these values must never change.
  EXPECT_EQ(ServicePassword("s3cret"), ServicePassword("s3cret"));
  EXPECT_EQ(ServicePassword("s3cret").size(), 12u);
  EXPECT_NE(ServicePassword("s3cret"), ServicePassword("s3creu"));
  EXPECT_EQ(ServicePassword(""), "");
  for (char c : ServicePassword("any value at all"))
    EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)));
  EXPECT_EQ(ServicePassword("s3cret"), "WOop44iYKf6p");
}

// Answers the refusal as a test says and records what the core asked for.
class ScriptedPrompts : public ServicePrompts {
 public:
  bool wantMoreInfo = false;
  std::vector<std::string> messages;
  std::vector<std::string> opened;

  bool ServiceRefused(const std::string& message) override {
    messages.push_back(message);
    return wantMoreInfo;
  }
  void OpenInBrowser(const std::string& url) override { opened.push_back(url); }
};

TEST(ServiceHandshake, OpenServiceGoesOnAndTheConnectionPageIsApplied) {
  HttpTestServer server({
      {"/quillon/ftpservice.htm", HttpRoute{200, "SERVICE:OK"}},
      {"/quillon/ftpconnect.htm", HttpRoute{200, "HOSTNAME:h!!!USERNAME:u!!!PASSWORD:p!!!"}},
  });
  net::HttpClient http;
  ScriptedPrompts prompts;
  EXPECT_TRUE(CheckUploadService(http, server.base(), prompts));
  std::string host, user, password;
  EXPECT_TRUE(GetServiceConnection(http, server.base(), host, user, password));
  EXPECT_EQ(host, "h");
  EXPECT_EQ(user, "u");
  EXPECT_EQ(password, Six("p"));
  EXPECT_THAT(prompts.messages, IsEmpty());
}

TEST(ServiceHandshake, RefusalShowsTheMessageAndOpensTheInfoPageOnlyWhenAsked) {
  HttpTestServer server(
      {{"/quillon/ftpservice.htm", HttpRoute{200, "SERVICE:NO MESSAGE: Maintenance until 6 pm"}}});
  net::HttpClient http;
  ScriptedPrompts closeOnly;
  EXPECT_FALSE(CheckUploadService(http, server.base(), closeOnly));
  EXPECT_THAT(closeOnly.messages, ElementsAre("Maintenance until 6 pm"));
  EXPECT_THAT(closeOnly.opened, IsEmpty());

  ScriptedPrompts moreInfo;
  moreInfo.wantMoreInfo = true;
  EXPECT_FALSE(CheckUploadService(http, server.base(), moreInfo));
  EXPECT_THAT(moreInfo.opened, ElementsAre(server.base() + "/quillon/ftpinfo.htm"));
}

TEST(ServiceHandshake, UnreachableSiteCountsAsOpenAndChangesNothing) {
  const std::string site = "http://127.0.0.1:" + std::to_string(test::UnusedPort());
  net::HttpClient http;
  ScriptedPrompts prompts;
  EXPECT_TRUE(CheckUploadService(http, site, prompts));
  std::string host = "h0", user = "u0", password = "p0";
  EXPECT_TRUE(GetServiceConnection(http, site, host, user, password));
  EXPECT_EQ(host + user + password, "h0u0p0");
}

TEST(ServiceHandshake, FollowsRedirectsAndSendsBackTheCookie) {
  HttpTestServer server({
      {"/quillon/ftpservice.htm",
       HttpRoute{302, "", {{"Location", "/status/now.htm"}, {"Set-Cookie", "svc=abc; Path=/"}}}},
      {"/status/now.htm", HttpRoute{200, "SERVICE:OK"}},
      {"/quillon/ftpconnect.htm",
       HttpRoute{200, "HOSTNAME:h!!!USERNAME:u!!!PASSWORD:p!!!", {}, "svc=abc"}},
  });
  net::HttpClient http;
  ScriptedPrompts prompts;
  EXPECT_TRUE(CheckUploadService(http, server.base(), prompts));
  std::string host, user, password;
  GetServiceConnection(http, server.base(), host, user, password);
  EXPECT_EQ(host, "h");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].path, "/status/now.htm");
  EXPECT_EQ(requests[2].path, "/quillon/ftpconnect.htm");
  EXPECT_EQ(requests[2].headers.at("Cookie"), "svc=abc");
}

}  // namespace
}  // namespace qg
