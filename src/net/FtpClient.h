// Our FTP client (RFC 959) for uploading galleries: one control connection, active data
// connections announced with PORT on the control connection's local address, and the handful
// of operations an upload needs. Every wait is limited; every refusal is raised as FtpError
// carrying the server's reply text.
//
// Threading: one FtpClient belongs to one thread at a time; it keeps no global state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "net/FtpReply.h"
#include "net/Socket.h"
#include "net/SocketCalls.h"

namespace qg::net {

constexpr uint16_t kFtpDefaultPort = 21;

enum class TransferType { Ascii, Binary };

struct FtpTimeouts {
  Millis connect{30000};  // for the control connection to be accepted
  Millis reply{30000};    // for each reply on the control connection
  Millis data{30000};     // for the data connection to open and for each stalled wait on it
};

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

// In ASCII mode lines must end in CR LF: bare LFs get their CR, CR LF stays as it is, so a
// file that already uses CR LF goes out unchanged and no CR is ever doubled.
std::string ToNetworkText(std::string_view content);

class FtpClient {
 public:
  explicit FtpClient(FtpTimeouts timeouts = {}, SocketCalls& calls = SystemSocketCalls());
  ~FtpClient();  // drops the connection without QUIT; call Disconnect for a polite end
  FtpClient(const FtpClient&) = delete;
  FtpClient& operator=(const FtpClient&) = delete;

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
  // went away) it only closes. Never throws.
  void Disconnect();
  bool connected() const { return control_.IsOpen(); }

 private:
  FtpReply Command(const std::string& line);
  void SendLine(const std::string& line);
  FtpReply ReadReply();
  // Reads past preliminary (1xx) replies to the final one.
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

  FtpTimeouts timeouts_;
  SocketCalls& calls_;
  std::string host_;  // as given, for messages
  Socket control_;
  SocketAddress serverAddress_;
  FtpReplyReader reader_;
  TransferType type_ = TransferType::Binary;
};

}  // namespace qg::net
