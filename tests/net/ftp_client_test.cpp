// The FTP client against a real server on 127.0.0.1, and through a socket seam that injects
// the faults real networks produce: refused connections, interrupted calls, silence, drops.
#include "net/FtpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/TestServers.h"
#include "support/TempDir.h"

namespace qg::net {
namespace {

using test::FtpServerOptions;
using test::FtpTestServer;
using test::ReadFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// Generous limits where the server behaves, so a loaded machine cannot fail a test; short ones
// only where a test waits for silence.
constexpr FtpTimeouts kPatient{Millis(10000), Millis(10000), Millis(10000)};
constexpr FtpTimeouts kShort{Millis(5000), Millis(1000), Millis(1000)};

// Runs `body` and returns the FtpError it throws; fails the test when it throws none.
template <typename Body>
FtpError ErrorOf(Body body) {
  try {
    body();
  } catch (const FtpError& e) {
    return e;
  }
  ADD_FAILURE() << "no FtpError was thrown";
  return FtpError("", -1);
}

TEST(FtpClientSession, LogsInSetsBinaryOnceAndSendsTypeOnlyOnChange) {
  FtpTestServer server;
  FtpClient client(kPatient);
  client.Connect(server.host(), server.user(), server.password());
  EXPECT_EQ(client.transferType(), TransferType::Binary);
  client.SetTransferType(TransferType::Binary);
  client.SetTransferType(TransferType::Ascii);
  client.SetTransferType(TransferType::Ascii);
  client.SetTransferType(TransferType::Binary);
  client.Disconnect();
  EXPECT_FALSE(client.connected());
  EXPECT_THAT(server.Commands(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "TYPE A", "TYPE I", "QUIT"));
}

TEST(FtpClientSession, ReadsAMultiLineGreeting) {
  FtpServerOptions options;
  options.banner = "Welcome\n220-this line looks like a reply\n 220 so does this\nready";
  FtpTestServer server(options);
  FtpClient client(kPatient);
  client.Connect(server.host(), server.user(), server.password());
  client.Disconnect();
  EXPECT_THAT(server.Commands(), ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "QUIT"));
}

TEST(FtpClientSession, StoresBinaryByteForByteAndTextWithCrLf) {
  FtpTestServer server;
  std::string binary;
  for (int i = 0; i < 256 * 40; ++i) binary += static_cast<char>(i % 256);
  FtpClient client(kPatient);
  client.Connect(server.host(), server.user(), server.password());
  client.Store("photo.jpg", binary);
  client.SetTransferType(TransferType::Ascii);
  client.Store("crlf.html", "<html>\r\n<body>\r\n</html>");
  client.Store("lf.html", "<html>\n<body>\r\n</html>\n");
  client.Store("photo.jpg", "replaced");
  client.Disconnect();
  EXPECT_EQ(ReadFile(server.root() + "/crlf.html"), "<html>\r\n<body>\r\n</html>");
  EXPECT_EQ(ReadFile(server.root() + "/lf.html"), "<html>\r\n<body>\r\n</html>\r\n");
  EXPECT_EQ(ReadFile(server.root() + "/photo.jpg"), "replaced");
  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "STOR photo.jpg", "TYPE A",
                          "STOR crlf.html", "STOR lf.html", "STOR photo.jpg", "QUIT"));
}

TEST(FtpClientSession, AnnouncesEachDataConnectionWithPortOnTheControlAddress) {
  FtpTestServer server;
  FtpClient client(kPatient);
  client.Connect(server.host(), server.user(), server.password());
  client.NameList();
  client.Store("a.jpg", "x");
  client.Disconnect();
  const std::vector<std::string> commands = server.Commands();
  ASSERT_EQ(commands.size(), 8u);
  EXPECT_THAT(commands[3], HasSubstr("PORT 127,0,0,1,"));
  EXPECT_EQ(commands[4], "NLST");
  EXPECT_THAT(commands[5], HasSubstr("PORT 127,0,0,1,"));
  EXPECT_EQ(commands[6], "STOR a.jpg");
}

TEST(FtpClientSession, ListsMakesAndEntersFolders) {
  FtpTestServer server;
  std::filesystem::create_directory(server.root() + "/Existing");
  test::WriteFile(server.root() + "/file.txt", "x");
  FtpClient client(kPatient);
  client.Connect(server.host(), server.user(), server.password());
  EXPECT_THAT(client.NameList(), UnorderedElementsAre("Existing", "file.txt"));
  client.MakeDirectory("made");
  client.ChangeDirectory("made");
  EXPECT_THAT(client.NameList(), IsEmpty());
  client.Store("in.txt", "inside");
  client.ChangeToParent();
  client.ChangeDirectory("Existing");
  client.Disconnect();
  EXPECT_EQ(ReadFile(server.root() + "/made/in.txt"), "inside");
}

TEST(FtpClientSession, RefusedListingOfAnEmptyFolderReadsAsEmpty) {
  for (const char* reply : {"450 No files found.", "550 No files found."}) {
    FtpServerOptions options;
    options.nlstEmptyReply = reply;
    FtpTestServer server(options);
    FtpClient client(kPatient);
    client.Connect(server.host(), server.user(), server.password());
    EXPECT_THAT(client.NameList(), IsEmpty()) << reply;
    client.MakeDirectory("made");
    EXPECT_THAT(client.NameList(), ElementsAre("made")) << reply;
    client.ChangeDirectory("made");
    EXPECT_THAT(client.NameList(), IsEmpty()) << reply;
    client.Store("in.txt", "inside");
    client.Disconnect();
    EXPECT_EQ(ReadFile(server.root() + "/made/in.txt"), "inside");
    EXPECT_THAT(server.CommandsWithoutPort(),
                ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "NLST", "MKD made", "NLST",
                            "CWD made", "NLST", "STOR in.txt", "QUIT"));
  }
}

TEST(FtpClientSession, TakesDataConnectionsFromAnotherAddressOfThisMachine) {
  // Reached at 127.0.0.2, the server connects back from 127.0.0.1, the address the system
  // picks for it.
  FtpServerOptions options;
  options.listen = "127.0.0.2";
  options.unboundData = true;
  FtpTestServer server(options);
  FtpClient client({Millis(10000), Millis(10000), Millis(3000)});
  client.Connect(server.host(), server.user(), server.password());
  client.Store("a.jpg", "x");
  EXPECT_THAT(client.NameList(), ElementsAre("a.jpg"));
  client.Disconnect();
  EXPECT_EQ(ReadFile(server.root() + "/a.jpg"), "x");
}

TEST(FtpClientRefusals, ServerThatGivesUpOnTheDataConnectionIsHeardAtOnce) {
  // The server announces the transfer with 150, never connects and says why on the control
  // connection: its text is the error, well before the data time limit, and the session
  // stays usable.
  FtpServerOptions options;
  options.giveUpData = 2;
  options.giveUpReply = "425 Can't open data connection.";
  FtpTestServer server(options);
  FtpClient client({Millis(10000), Millis(10000), Millis(60000)});
  client.Connect(server.host(), server.user(), server.password());
  client.Store("one.jpg", "1");
  FtpError e = ErrorOf([&] { client.Store("two.jpg", "2"); });
  EXPECT_EQ(e.code(), 425);
  EXPECT_STREQ(e.what(), "425 Can't open data connection.");
  client.Store("three.jpg", "3");
  client.Disconnect();
  EXPECT_EQ(ReadFile(server.root() + "/three.jpg"), "3");
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/two.jpg"));
  EXPECT_EQ(server.CommandsWithoutPort().back(), "QUIT");
}

TEST(FtpClientRefusals, CarryTheServersReplyText) {
  FtpTestServer server;
  std::filesystem::create_directory(server.root() + "/there");
  FtpClient client(kPatient);
  client.Connect(server.host(), server.user(), server.password());

  FtpError mkd = ErrorOf([&] { client.MakeDirectory("there"); });
  EXPECT_EQ(mkd.code(), 550);
  EXPECT_THAT(mkd.what(), HasSubstr("550 "));
  FtpError cwd = ErrorOf([&] { client.ChangeDirectory("missing"); });
  EXPECT_EQ(cwd.code(), 550);
  EXPECT_THAT(cwd.what(), HasSubstr("No such file or directory"));
  // A refusal leaves the session usable.
  client.Store("after.txt", "ok");
  client.Disconnect();
  EXPECT_EQ(ReadFile(server.root() + "/after.txt"), "ok");
}

TEST(FtpClientRefusals, WrongPasswordEndsTheLoginWithTheServersText) {
  FtpTestServer server;
  FtpClient client(kPatient);
  FtpError e = ErrorOf([&] { client.Connect(server.host(), server.user(), "wrong"); });
  EXPECT_EQ(e.code(), 530);
  EXPECT_STREQ(e.what(), "530 Authentication failed.");
  EXPECT_THAT(server.Commands(), ElementsAre("USER qguser", "PASS wrong"));
}

TEST(FtpClientRefusals, RefusedStorCarriesTheTextAndKeepsTheSession) {
  FtpServerOptions options;
  options.failStor = 2;
  options.failReply = "552 Quota exceeded on the test server.";
  FtpTestServer server(options);
  FtpClient client(kPatient);
  client.Connect(server.host(), server.user(), server.password());
  client.Store("one.jpg", "1");
  FtpError e = ErrorOf([&] { client.Store("two.jpg", "2"); });
  EXPECT_EQ(e.code(), 552);
  EXPECT_STREQ(e.what(), "552 Quota exceeded on the test server.");
  client.Store("three.jpg", "3");
  client.Disconnect();
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/three.jpg"));
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/two.jpg"));
}

TEST(FtpClientRefusals, NamesWithLineBreaksAreNeverSent) {
  FtpTestServer server;
  FtpClient client(kPatient);
  client.Connect(server.host(), server.user(), server.password());
  ErrorOf([&] { client.Store("a\r\nDELE b", "x"); });
  ErrorOf([&] { client.MakeDirectory("x\ny"); });
  client.Disconnect();
  FtpClient other(kPatient);
  EXPECT_STREQ(ErrorOf([&] { other.Connect(server.host(), "qguser", "se\r\ncret"); }).what(),
               "The password contains a line break and cannot be sent to the FTP server");
  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "QUIT"));
}

TEST(FtpClientFaults, DataConnectionDroppedMidTransferGivesTheServersText) {
  FtpServerOptions options;
  options.dropData = 1;
  FtpTestServer server(options);
  FtpClient client(kPatient);
  client.Connect(server.host(), server.user(), server.password());
  const std::string big(8 * 1024 * 1024, 'x');
  FtpError e = ErrorOf([&] { client.Store("big.jpg", big); });
  EXPECT_EQ(e.code(), 426);
  EXPECT_THAT(e.what(), HasSubstr("dropped by the test server"));
  client.Disconnect();
  EXPECT_EQ(server.CommandsWithoutPort().back(), "QUIT");
}

TEST(FtpClientFaults, SilentServerEndsWithATimeoutAndNoQuitIsAttempted) {
  FtpServerOptions options;
  options.silentOn = "1:STOR";
  FtpTestServer server(options);
  FtpClient client(kShort);
  client.Connect(server.host(), server.user(), server.password());
  const auto start = std::chrono::steady_clock::now();
  FtpError e = ErrorOf([&] { client.Store("a.jpg", "x"); });
  EXPECT_STREQ(e.what(), "The FTP server did not reply within 1 seconds");
  client.Disconnect();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
  EXPECT_FALSE(client.connected());
  EXPECT_EQ(server.CommandsWithoutPort().back(), "STOR a.jpg");
}

// A listening socket that completes connections in the kernel and never says a word.
TEST(FtpClientFaults, ServerThatNeverGreetsTimesOut) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(fd, 4), 0);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  FtpClient client({Millis(1000), Millis(300), Millis(300)});
  FtpError e = ErrorOf(
      [&] { client.Connect("127.0.0.1:" + std::to_string(ntohs(address.sin_port)), "u", "p"); });
  EXPECT_STREQ(e.what(), "The FTP server did not reply within 0.3 seconds");
  close(fd);
}

TEST(FtpClientFaults, RefusedConnectionNamesTheHost) {
  const std::string host = "127.0.0.1:" + std::to_string(test::UnusedPort());
  FtpClient client(kPatient);
  FtpError e = ErrorOf([&] { client.Connect(host, "u", "p"); });
  EXPECT_EQ(std::string(e.what()),
            "Could not connect to the FTP server '" + host + "' (Connection refused)");
  EXPECT_FALSE(client.connected());
}

TEST(FtpClientFaults, NoHostNameIsAClearError) {
  FtpClient client(kPatient);
  EXPECT_STREQ(ErrorOf([&] { client.Connect("", "", ""); }).what(), "No FTP server name is set");
}

TEST(FtpClientFaults, NonFtpPeerGivesAClearError) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(fd, 1), 0);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  std::thread peer([fd] {
    const int conn = accept(fd, nullptr, nullptr);
    const char text[] = "SSH-2.0-OpenSSH_9.2\r\n";
    (void)!write(conn, text, sizeof text - 1);
    char buffer[16];
    (void)!read(conn, buffer, sizeof buffer);  // until the client gives up
    close(conn);
  });
  FtpClient client(kPatient);
  FtpError e = ErrorOf(
      [&] { client.Connect("127.0.0.1:" + std::to_string(ntohs(address.sin_port)), "u", "p"); });
  EXPECT_THAT(e.what(), HasSubstr("SSH-2.0-OpenSSH_9.2"));
  EXPECT_FALSE(client.connected());
  peer.join();
  close(fd);
}

TEST(FtpClientFaults, EndlessPreliminaryRepliesEndTheSession) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(fd, 1), 0);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  std::thread peer([fd] {
    const int conn = accept(fd, nullptr, nullptr);
    std::string flood;
    for (int i = 0; i < 1000; ++i) flood += "120 Service ready in a moment.\r\n";
    (void)!write(conn, flood.data(), flood.size());
    char buffer[16];
    (void)!read(conn, buffer, sizeof buffer);  // until the client gives up
    close(conn);
  });
  FtpClient client(kPatient);
  FtpError e = ErrorOf(
      [&] { client.Connect("127.0.0.1:" + std::to_string(ntohs(address.sin_port)), "u", "p"); });
  EXPECT_STREQ(e.what(), "The FTP server sent preliminary replies without end");
  EXPECT_FALSE(client.connected());
  peer.join();
  close(fd);
}

TEST(HostPortParsing, ReadsTheForms) {
  auto parsed = [](const std::string& text) {
    const HostPort hp = ParseHostPort(text, 21);
    return hp.host + "|" + std::to_string(hp.port);
  };
  EXPECT_EQ(parsed("ftp.example.com"), "ftp.example.com|21");
  EXPECT_EQ(parsed("ftp.example.com:2121"), "ftp.example.com|2121");
  EXPECT_EQ(parsed("[::1]:2121"), "::1|2121");
  EXPECT_EQ(parsed("[::1]"), "::1|21");
  EXPECT_EQ(parsed("fe80::1"), "fe80::1|21");
  for (const char* bad : {"h:", "h:0", "h:65536", "h:2x", "[::1]:", "h:99999999999"}) {
    EXPECT_THROW(ParseHostPort(bad, 21), Error) << bad;
  }
}

// Forwards to the system, but every other call of each kind that may be interrupted first
// fails with EINTR, as when a signal arrives at the wrong moment.
class InterruptingCalls : public SocketCalls {
 public:
  int interruptions = 0;

  int Connect(int fd, const sockaddr* address, socklen_t length) override {
    // An interrupted connect goes on in the background.
    const int rc = SocketCalls::Connect(fd, address, length);
    if (Flip(connect_)) {
      ++interruptions;
      errno = EINTR;
      return -1;
    }
    return rc;
  }
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override {
    return Flip(poll_) ? Interrupt() : SocketCalls::Poll(fds, count, timeoutMs);
  }
  ssize_t Send(int fd, const void* data, size_t size) override {
    return Flip(send_) ? Interrupt() : SocketCalls::Send(fd, data, size);
  }
  ssize_t Recv(int fd, void* buffer, size_t size) override {
    return Flip(recv_) ? Interrupt() : SocketCalls::Recv(fd, buffer, size);
  }
  int Accept(int fd, sockaddr* address, socklen_t* length) override {
    return Flip(accept_) ? Interrupt() : SocketCalls::Accept(fd, address, length);
  }

 private:
  static bool Flip(bool& toggle) { return (toggle = !toggle); }
  int Interrupt() {
    ++interruptions;
    errno = EINTR;
    return -1;
  }
  bool connect_ = false, poll_ = false, send_ = false, recv_ = false, accept_ = false;
};

TEST(FtpClientSeam, InterruptedCallsAreResumedWithoutChangingTheSession) {
  FtpTestServer server;
  InterruptingCalls calls;
  FtpClient client(kPatient, calls);
  client.Connect(server.host(), server.user(), server.password());
  client.MakeDirectory("d");
  client.ChangeDirectory("d");
  EXPECT_THAT(client.NameList(), IsEmpty());
  const std::string content(300000, 'z');
  client.Store("z.jpg", content);
  client.Disconnect();
  EXPECT_GT(calls.interruptions, 10);
  EXPECT_EQ(ReadFile(server.root() + "/d/z.jpg"), content);
  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "MKD d", "CWD d", "NLST",
                          "STOR z.jpg", "QUIT"));
}

// Connections fail the way the test says, without any server.
class ScriptedCalls : public SocketCalls {
 public:
  int connectErrno = 0;     // connect fails at once with this
  bool peerCloses = false;  // every receive sees the peer's close
  bool silent = false;      // nothing ever becomes readable

  int Connect(int fd, const sockaddr* address, socklen_t length) override {
    if (connectErrno != 0) {
      errno = connectErrno;
      return -1;
    }
    return SocketCalls::Connect(fd, address, length);
  }
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override {
    if (silent && (fds[0].events & POLLIN)) return 0;
    return SocketCalls::Poll(fds, count, timeoutMs);
  }
  ssize_t Recv(int fd, void* buffer, size_t size) override {
    if (peerCloses) return 0;
    if (silent) {
      errno = EAGAIN;
      return -1;
    }
    return SocketCalls::Recv(fd, buffer, size);
  }
};

TEST(FtpClientSeam, EachFaultHasItsOwnMessage) {
  FtpTestServer server;
  {
    ScriptedCalls calls;
    calls.connectErrno = ENETUNREACH;
    FtpClient client(kPatient, calls);
    EXPECT_EQ(
        std::string(ErrorOf([&] { client.Connect(server.host(), "u", "p"); }).what()),
        "Could not connect to the FTP server '" + server.host() + "' (Network is unreachable)");
  }
  {
    ScriptedCalls calls;
    calls.peerCloses = true;
    FtpClient client(kPatient, calls);
    EXPECT_STREQ(ErrorOf([&] { client.Connect(server.host(), "u", "p"); }).what(),
                 "The FTP server closed the connection");
  }
  {
    ScriptedCalls calls;
    calls.silent = true;
    FtpClient client({Millis(1000), Millis(200), Millis(200)}, calls);
    EXPECT_STREQ(ErrorOf([&] { client.Connect(server.host(), "u", "p"); }).what(),
                 "The FTP server did not reply within 0.2 seconds");
  }
}

}  // namespace
}  // namespace qg::net
