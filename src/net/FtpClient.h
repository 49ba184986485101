// Our FTP client (RFC 959) for uploading galleries: one control connection, active data
// connections announced with PORT on the control connection's local address, and the handful
// of operations an upload needs. Every wait is limited: each reply as a whole by the reply time
// limit, each transfer by a stall limit, and any wait by a stop request. Every refusal is raised
// as FtpError carrying the server's reply text.
//
// Threading: one FtpClient belongs to one thread at a time; it keeps no global state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "core/StopToken.h"
#include "net/FtpReply.h"
#include "net/Socket.h"
#include "net/SocketCalls.h"

namespace qg::net {

constexpr uint16_t kFtpDefaultPort = 21;

enum class TransferType { Ascii, Binary };

struct FtpTimeouts {
  Millis connect{30000};  // for the control connection to be accepted
  // For each reply on the control connection as a whole, from the moment the client waits for
  // it: a server that drips a reply byte by byte cannot hold the client past it. A command
  // waiting for preliminary replies (1xx) has this time for all of them and the final one.
  Millis reply{30000};
  // For the data connection to open, and the stall limit of a transfer: a transfer that moves
  // less than kFtpStallBytes within this time has stalled.
  Millis data{30000};
};
constexpr size_t kFtpStallBytes = 16 * 1024;
// How long a polite QUIT may take after a stop request.
constexpr Millis kQuitAfterStop{1000};

// A failure of an FTP operation. When the server refused, the message is its reply text as it
// arrived (code included, lines joined by "\n") and `code` is the reply code; otherwise the
// message says what went wrong and `code` is 0.
class FtpError : public Error {
 public:
  FtpError(const std::string& message, int code) : Error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

constexpr const char* kFtpStoppedMessage = "The FTP session was stopped";

// The stop token asked the client to stop while it waited. The control connection is closed
// then, since the server's state is unknown.
class FtpStopped : public FtpError {
 public:
  FtpStopped() : FtpError(kFtpStoppedMessage, 0) {}
};

// In ASCII mode lines must end in CR LF: bare LFs get their CR, CR LF stays as it is, so a
// file that already uses CR LF goes out unchanged and no CR is ever doubled.
std::string ToNetworkText(std::string_view content);

class FtpClient {
 public:
  explicit FtpClient(FtpTimeouts timeouts = {}, SocketCalls& calls = SystemSocketCalls());
  ~FtpClient();  // drops the connection without QUIT; call Disconnect for a polite end
  FtpClient(const FtpClient&) = delete;
  FtpClient& operator=(const FtpClient&) = delete;

  // From now on every wait of the client also ends at a stop request of `stop`, within
  // kStopCheckInterval; the operation then throws FtpStopped. The name lookup of Connect is
  // the one wait that cannot be cut short.
  void SetStopToken(StopToken stop) { stop_ = std::move(stop); }

  // Connects to `host` ("name", "name:port", "[v6]:port"; port 21 when none), reads the
  // greeting, logs in with USER and PASS, and sets binary mode with TYPE I.
  void Connect(const std::string& host, const std::string& user, const std::string& password);

  // NLST of the current folder: one name a line, line ends removed, empty lines skipped. A
  // 450 or 550 reply reads as an empty folder (some servers say "No files found" that way).
  std::vector<std::string> NameList();
  void MakeDirectory(const std::string& name);    // MKD, expects 257
  void ChangeDirectory(const std::string& name);  // CWD, expects 200 or 250
  void ChangeToParent();                          // CDUP, expects 200 or 250
  // Sends TYPE A or TYPE I when `type` differs from the current one.
  void SetTransferType(TransferType type);
  TransferType transferType() const { return type_; }
  // STOR of `content` under `name` in the current folder, replacing a file of that name. In
  // ASCII mode the content goes through ToNetworkText.
  void Store(const std::string& name, std::string_view content);

  // QUIT and close. When the connection is already broken (a time limit ran out, the server
  // went away, a stop ended a wait) it only closes. After a stop request the reply to QUIT is
  // awaited for at most kQuitAfterStop. Never throws.
  void Disconnect();
  bool connected() const { return control_.IsOpen(); }

 private:
  // The limit of a wait for one reply, or for one command line to be taken.
  WaitLimit ReplyLimit() const { return WaitLimit::In(timeouts_.reply, stop_); }
  FtpReply Command(const std::string& line);
  void SendLine(const std::string& line, const WaitLimit& limit);
  FtpReply ReadReply(const WaitLimit& limit);
  FtpReply ReadReply() { return ReadReply(ReplyLimit()); }
  // Reads past preliminary (1xx) replies to the final one, all within one reply time limit.
  FtpReply ReadFinalReply();
  // Ends the session when the server has sent more than a sane number of preliminary replies.
  void CheckPreliminaryCount(int count);
  // Opens a listening socket and announces it with PORT (EPRT on IPv6).
  Socket OpenDataListener();
  // Accepts the server's data connection after a preliminary reply; a final reply that comes
  // instead ends the wait as a refusal.
  Socket AcceptData(Socket& listener);
  // True when the bytes received so far hold a whole reply (or bytes that cannot be one).
  bool ReplyWaiting() const;
  void RequireConnection() const;
  [[noreturn]] void Refused(const FtpReply& reply);
  // Turns a control-connection failure into an FtpError, closing the broken connection.
  [[noreturn]] void ControlBroken(const SocketError& e);
  // Ends a data transfer that `e` broke off: a stop or stall closes the control connection too
  // and throws; any other failure returns, so that the server's reply can be read.
  void DataBroken(Socket& data, const SocketError& e, const std::string& stalledMessage);

  FtpTimeouts timeouts_;
  SocketCalls& calls_;
  StopToken stop_;
  std::string host_;  // as given, for messages
  Socket control_;
  SocketAddress serverAddress_;
  FtpReplyReader reader_;
  TransferType type_ = TransferType::Binary;
};

}  // namespace qg::net
