// The FTP client's time limits against hostile peers on 127.0.0.1 that a stock server cannot
// play: replies dripped a byte at a time, endless preliminary replies, listings that trickle,
// and silence in every phase while the user asks to stop.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/FtpClient.h"

namespace qg::net {
namespace {

using namespace std::chrono_literals;
using Seconds = std::chrono::duration<double>;

// An FTP peer driven by a script: it accepts one control connection and runs the script on its
// own thread. The script ends early once the test is over (the peer is destroyed) or the client
// has gone.
class ScriptedPeer {
 public:
  using Script = std::function<void(ScriptedPeer&)>;

  explicit ScriptedPeer(Script script) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 1);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, script = std::move(script)] {
      const int fd = accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      control_ = fd;
      script(*this);
    });
  }
  ~ScriptedPeer() {
    ending_ = true;
    shutdown(listener_, SHUT_RDWR);  // wakes a waiting accept
    thread_.join();
    if (control_ >= 0) close(control_);
    if (data_ >= 0) close(data_);
    close(listener_);
  }

  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
  bool ending() const { return ending_; }

  void Send(std::string_view bytes) { SendOn(control_, bytes); }
  // Sends `bytes` one at a time, `gap` apart, until all are out or the test is over.
  void Drip(std::string_view bytes, std::chrono::milliseconds gap) { DripOn(control_, bytes, gap); }
  void DripData(std::string_view bytes, std::chrono::milliseconds gap) {
    DripOn(data_, bytes, gap);
  }

  // Waits `gap`, or less when the test is over.
  void Pause(std::chrono::milliseconds gap) {
    for (auto waited = 0ms; waited < gap && !ending_; waited += 50ms) {
      std::this_thread::sleep_for(50ms);
    }
  }

  // The next command line without its line end; empty when the client has gone.
  std::string ReadLine() {
    std::string line;
    char c;
    while (!ending_) {
      if (!Readable(control_)) continue;
      if (read(control_, &c, 1) != 1) return {};
      if (c == '\n') break;
      if (c != '\r') line += c;
    }
    return line;
  }

  // Answers the login: greeting, USER, PASS, TYPE I.
  void Login() {
    Send("220 Scripted peer.\r\n");
    ReadLine();
    Send("331 Password please.\r\n");
    ReadLine();
    Send("230 Logged in.\r\n");
    ReadLine();
    Send("200 Type set to I.\r\n");
  }

  // Reads PORT and accepts it, then reads the transfer command; the data connection is not
  // opened yet.
  void ExpectTransfer() {
    port_command_ = ReadLine();
    Send("200 PORT command successful.\r\n");
    ReadLine();
  }
  // Opens the data connection that the last PORT command announced.
  void ConnectData() {
    unsigned h1, h2, h3, h4, p1, p2;
    std::sscanf(port_command_.c_str(), "PORT %u,%u,%u,%u,%u,%u", &h1, &h2, &h3, &h4, &p1, &p2);
    data_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl((h1 << 24) | (h2 << 16) | (h3 << 8) | h4);
    address.sin_port = htons(static_cast<uint16_t>((p1 << 8) | p2));
    connect(data_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }

  // Says nothing until the test is over or the client has gone.
  void KeepQuiet() {
    char buffer[256];
    while (!ending_) {
      if (Readable(control_) && read(control_, buffer, sizeof buffer) <= 0) return;
    }
  }

 private:
  bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 50) > 0;
  }
  void SendOn(int fd, std::string_view bytes) {
    (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
  void DripOn(int fd, std::string_view bytes, std::chrono::milliseconds gap) {
    for (char c : bytes) {
      if (send(fd, &c, 1, MSG_NOSIGNAL) != 1) return;
      Pause(gap);
      if (ending_) return;
    }
  }

  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<int> control_{-1};
  int data_ = -1;
  std::string port_command_;
  std::atomic<bool> ending_{false};
  std::thread thread_;
};

// Runs `body`, returns the FtpError it throws (failing the test when none) and how long it ran.
template <typename Body>
std::pair<std::string, Seconds> Failure(Body body) {
  const auto start = std::chrono::steady_clock::now();
  try {
    body();
  } catch (const FtpError& e) {
    return {e.what(), std::chrono::steady_clock::now() - start};
  }
  ADD_FAILURE() << "no FtpError was thrown";
  return {"", std::chrono::steady_clock::now() - start};
}

TEST(FtpDeadlines, AReplyDrippedSlowlyIsCutAtTheReplyDeadline) {
  struct Case {
    const char* what;
    ScriptedPeer::Script script;
  };
  const Case cases[] = {
      // One byte every 2.5 s: no single wait reaches 3 s, the reply as a whole does.
      {"dripped greeting",
       [](ScriptedPeer& peer) { peer.Drip("220 Welcome to a very slow server.\r\n", 2500ms); }},
      {"dripped reply after login",
       [](ScriptedPeer& peer) {
         peer.Send("220 Ready.\r\n");
         peer.ReadLine();
         peer.Drip("331 Password please, slowly.\r\n", 2500ms);
       }},
      // A preliminary reply every 1.5 s, each complete: the final reply has one deadline.
      {"preliminary replies without end",
       [](ScriptedPeer& peer) {
         while (!peer.ending()) {
           peer.Send("120 Ready in a moment.\r\n");
           peer.Pause(1500ms);
         }
       }},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer(c.script);
    FtpClient client({Millis(5000), Millis(3000), Millis(3000)});
    const auto [message, took] = Failure([&] { client.Connect(peer.host(), "u", "p"); });
    EXPECT_EQ(message, "The FTP server did not reply within 3 seconds") << c.what;
    EXPECT_LT(took.count(), 5.0) << c.what;
    EXPECT_FALSE(client.connected()) << c.what;
  }
}

TEST(FtpDeadlines, ATricklingListingStallsAtTheDataLimit) {
  // A byte every 0.3 s keeps every single wait short, but the transfer hardly moves.
  ScriptedPeer server([](ScriptedPeer& peer) {
    peer.Login();
    peer.ExpectTransfer();
    peer.Send("150 Here it comes.\r\n");
    peer.ConnectData();
    peer.DripData("a.jpg\r\nb.jpg\r\nc.jpg\r\nd.jpg\r\ne.jpg\r\nf.jpg\r\n", 300ms);
    peer.KeepQuiet();
  });
  FtpClient client({Millis(5000), Millis(5000), Millis(1500)});
  client.Connect(server.host(), "u", "p");
  const auto [message, took] = Failure([&] { client.NameList(); });
  EXPECT_EQ(message, "The folder listing stalled for 1.5 seconds");
  EXPECT_LT(took.count(), 4.0);
  EXPECT_FALSE(client.connected());
}

TEST(FtpDeadlines, AStopRequestEndsEveryWaitWithinASecond) {
  struct Case {
    const char* what;
    ScriptedPeer::Script script;
    std::function<void(FtpClient&)> operation;  // runs after Connect unless it is Connect
    bool duringConnect;
  };
  const Case cases[] = {
      {"silent greeting", [](ScriptedPeer& peer) { peer.KeepQuiet(); }, [](FtpClient&) {}, true},
      {"dripped greeting", [](ScriptedPeer& peer) { peer.Drip("220 Slow.\r\n", 200ms); },
       [](FtpClient&) {}, true},
      {"no reply to a command",
       [](ScriptedPeer& peer) {
         peer.Login();
         peer.KeepQuiet();
       },
       [](FtpClient& client) { client.MakeDirectory("d"); }, false},
      {"no data connection after 150",
       [](ScriptedPeer& peer) {
         peer.Login();
         peer.ExpectTransfer();
         peer.Send("150 Opening data connection.\r\n");
         peer.KeepQuiet();
       },
       [](FtpClient& client) { client.Store("a.jpg", "x"); }, false},
      {"silent listing",
       [](ScriptedPeer& peer) {
         peer.Login();
         peer.ExpectTransfer();
         peer.Send("150 Here it comes.\r\n");
         peer.ConnectData();
         peer.KeepQuiet();
       },
       [](FtpClient& client) { client.NameList(); }, false},
      {"no final reply after the upload",
       [](ScriptedPeer& peer) {
         peer.Login();
         peer.ExpectTransfer();
         peer.Send("150 Send it.\r\n");
         peer.ConnectData();
         peer.KeepQuiet();
       },
       [](FtpClient& client) { client.Store("a.jpg", "x"); }, false},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer(c.script);
    FtpClient client({Millis(60000), Millis(60000), Millis(60000)});
    StopSource stop;
    client.SetStopToken(stop.Token());
    if (!c.duringConnect) client.Connect(peer.host(), "u", "p");
    std::chrono::steady_clock::time_point stopped;
    std::thread user([&] {
      std::this_thread::sleep_for(500ms);
      stopped = std::chrono::steady_clock::now();
      stop.Stop();
    });
    bool threwStopped = false;
    try {
      if (c.duringConnect) {
        client.Connect(peer.host(), "u", "p");
      } else {
        c.operation(client);
      }
    } catch (const FtpStopped& e) {
      threwStopped = true;
      EXPECT_STREQ(e.what(), kFtpStoppedMessage);
    } catch (const std::exception& e) {
      ADD_FAILURE() << c.what << ": " << e.what();
    }
    const auto end = std::chrono::steady_clock::now();
    user.join();
    EXPECT_TRUE(threwStopped) << c.what;
    EXPECT_LT(Seconds(end - stopped).count(), 1.0) << c.what;
    EXPECT_FALSE(client.connected()) << c.what;
    client.Disconnect();  // nothing left to say goodbye on; returns at once
  }
}

TEST(FtpDeadlines, QuitAfterAStopIsBrief) {
  // Stopped between two operations, the client still says QUIT, but waits for the answer no
  // longer than a second.
  ScriptedPeer server([](ScriptedPeer& peer) {
    peer.Login();
    peer.KeepQuiet();
  });
  FtpClient client({Millis(60000), Millis(60000), Millis(60000)});
  StopSource stop;
  client.SetStopToken(stop.Token());
  client.Connect(server.host(), "u", "p");
  stop.Stop();
  const auto start = std::chrono::steady_clock::now();
  client.Disconnect();
  EXPECT_LT(Seconds(std::chrono::steady_clock::now() - start).count(), 2.0);
  EXPECT_FALSE(client.connected());
}

}  // namespace
}  // namespace qg::net
