// The FTP client: control-connection dialogue, active data connections, upload operations.
#include "net/FtpClient.h"

#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace qg::net {

namespace {

constexpr size_t kReceiveBufferSize = 1024;
// A name listing larger than this is not a listing of a gallery's folder.
constexpr size_t kMaxListingSize = 64 * 1024 * 1024;
constexpr int kMaxPreliminaryReplies = 32;

std::string Seconds(Millis limit) {
  const long long ms = limit.count();
  if (ms % 1000 == 0) return std::to_string(ms / 1000);
  return Format("%.1f", static_cast<double>(ms) / 1000.0);
}

// Names are sent inside command lines; a line break in one would end the command early and
// smuggle in another.
bool HasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

// The stall limit of a data transfer: each wait ends when less than kFtpStallBytes moved within
// the data time limit, counted from the last time that much had moved.
class StallWatch {
 public:
  StallWatch(Millis limit, StopToken stop) : limit_(limit), stop_(std::move(stop)) {}
  WaitLimit Limit() const { return {windowStart_ + limit_, stop_}; }
  void CheckStop() const {
    if (stop_.StopRequested()) throw SocketError(SocketError::Kind::Stopped, "stopped");
  }
  void Moved(size_t bytes) {
    moved_ += bytes;
    if (moved_ >= kFtpStallBytes) {
      moved_ = 0;
      windowStart_ = Clock::now();
    }
  }

 private:
  Millis limit_;
  StopToken stop_;
  Clock::time_point windowStart_ = Clock::now();
  size_t moved_ = 0;
};

void CheckArgument(const std::string& text) {
  if (HasLineBreak(text)) {
    throw FtpError(
        "The name '" + text + "' contains a line break and cannot be sent to the FTP server", 0);
  }
}

}  // namespace

std::string ToNetworkText(std::string_view content) {
  std::string out;
  out.reserve(content.size() + content.size() / 32);
  for (size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\n' && (i == 0 || content[i - 1] != '\r')) out += '\r';
    out += content[i];
  }
  return out;
}

FtpClient::FtpClient(FtpTimeouts timeouts, SocketCalls& calls)
    : timeouts_(timeouts), calls_(calls) {}

FtpClient::~FtpClient() = default;

void FtpClient::Connect(const std::string& host, const std::string& user,
                        const std::string& password) {
  CheckArgument(user);
  // The password itself never goes into a message.
  if (HasLineBreak(password)) {
    throw FtpError("The password contains a line break and cannot be sent to the FTP server", 0);
  }
  control_.Close();
  reader_ = FtpReplyReader();
  host_ = host;
  if (host.empty()) throw FtpError("No FTP server name is set", 0);
  const HostPort target = ParseHostPort(host, kFtpDefaultPort);
  try {
    control_ =
        Socket::Connect(calls_, target.host, target.port, WaitLimit::In(timeouts_.connect, stop_));
    serverAddress_ = control_.PeerAddress();
  } catch (const SocketError& e) {
    control_.Close();
    switch (e.kind()) {
      case SocketError::Kind::Stopped:
        throw FtpStopped();
      case SocketError::Kind::Resolve:
        throw FtpError("Could not find the FTP server '" + host + "' (" + e.what() + ")", 0);
      case SocketError::Kind::Timeout:
        throw FtpError("The FTP server '" + host + "' did not answer within " +
                           Seconds(timeouts_.connect) + " seconds",
                       0);
      default:
        throw FtpError("Could not connect to the FTP server '" + host + "' (" + e.what() + ")", 0);
    }
  }

  // A server that is not ready yet says so with 120 and greets later.
  FtpReply reply = ReadFinalReply();
  if (reply.code != 220) Refused(reply);

  reply = Command("USER " + user);
  if (reply.code == 331) reply = Command("PASS " + password);
  if (reply.code != 230 && reply.code != 202) Refused(reply);

  reply = Command("TYPE I");
  if (reply.code != 200) Refused(reply);
  type_ = TransferType::Binary;
}

void FtpClient::RequireConnection() const {
  if (!control_.IsOpen()) throw FtpError("Not connected to the FTP server", 0);
}

void FtpClient::Refused(const FtpReply& reply) { throw FtpError(reply.text, reply.code); }

void FtpClient::ControlBroken(const SocketError& e) {
  control_.Close();
  if (e.kind() == SocketError::Kind::Stopped) throw FtpStopped();
  if (e.kind() == SocketError::Kind::Timeout) {
    throw FtpError("The FTP server did not reply within " + Seconds(timeouts_.reply) + " seconds",
                   0);
  }
  if (e.kind() == SocketError::Kind::Closed) {
    throw FtpError("The FTP server closed the connection", 0);
  }
  throw FtpError(std::string("The connection to the FTP server failed (") + e.what() + ")", 0);
}

void FtpClient::SendLine(const std::string& line, const WaitLimit& limit) {
  RequireConnection();
  try {
    control_.SendAll(line + "\r\n", limit);
  } catch (const SocketError& e) {
    ControlBroken(e);
  }
}

FtpReply FtpClient::ReadReply(const WaitLimit& limit) {
  RequireConnection();
  FtpReply reply;
  char buffer[kReceiveBufferSize];
  try {
    while (!reader_.Next(reply)) {
      const size_t n = control_.Receive(buffer, sizeof buffer, limit);
      if (n == 0) throw SocketError(SocketError::Kind::Closed, "closed");
      reader_.Feed(std::string_view(buffer, n));
    }
  } catch (const SocketError& e) {
    ControlBroken(e);
  } catch (const Error& e) {
    // Not an FTP reply: whatever follows cannot be trusted either.
    control_.Close();
    throw FtpError(e.what(), 0);
  }
  return reply;
}

FtpReply FtpClient::Command(const std::string& line) {
  SendLine(line, ReplyLimit());
  return ReadReply();
}

FtpReply FtpClient::ReadFinalReply() {
  const WaitLimit limit = ReplyLimit();
  FtpReply reply = ReadReply(limit);
  for (int count = 1; reply.IsPreliminary(); ++count) {
    CheckPreliminaryCount(count);
    reply = ReadReply(limit);
  }
  return reply;
}

void FtpClient::CheckPreliminaryCount(int count) {
  // A few preliminary replies before the final one are normal; an endless stream of them is
  // not a server at work, and would keep the upload waiting for ever.
  if (count > kMaxPreliminaryReplies) {
    control_.Close();
    throw FtpError("The FTP server sent preliminary replies without end", 0);
  }
}

Socket FtpClient::OpenDataListener() {
  RequireConnection();
  Socket listener;
  std::string command;
  try {
    const SocketAddress local = control_.LocalAddress();
    listener = Socket::Listen(calls_, local);
    const SocketAddress bound = listener.LocalAddress();
    const uint16_t port = bound.Port();
    if (bound.family() == AF_INET) {
      std::string host = bound.HostText();
      for (char& c : host) {
        if (c == '.') c = ',';
      }
      command =
          "PORT " + host + "," + std::to_string(port >> 8) + "," + std::to_string(port & 0xFF);
    } else {
      command = "EPRT |2|" + bound.HostText() + "|" + std::to_string(port) + "|";
    }
  } catch (const SocketError& e) {
    throw FtpError(std::string("Could not open a data connection (") + e.what() + ")", 0);
  }
  const FtpReply reply = Command(command);
  if (reply.code != 200) Refused(reply);
  return listener;
}

bool FtpClient::ReplyWaiting() const {
  FtpReplyReader copy = reader_;
  FtpReply reply;
  try {
    return copy.Next(reply);
  } catch (const Error&) {
    return true;  // ReadReply reports it
  }
}

Socket FtpClient::AcceptData(Socket& listener) {
  // The server may also answer on the control connection instead of connecting (425 when it
  // cannot reach us, 450 or 550 after a 150), so both are watched: its words end the wait at
  // once rather than a time limit later.
  const WaitLimit limit = WaitLimit::In(timeouts_.data, stop_);
  int preliminaries = 1;  // the one that announced the transfer
  try {
    for (;;) {
      if (limit.stop.StopRequested()) throw SocketError(SocketError::Kind::Stopped, "stopped");
      const bool replyWaiting = ReplyWaiting();
      pollfd fds[2] = {{listener.fd(), POLLIN, 0}, {control_.fd(), POLLIN, 0}};
      const auto left = std::chrono::duration_cast<Millis>(limit.deadline - Clock::now());
      // In slices, so that a stop request is seen while the server keeps quiet.
      const long long slice = std::clamp<long long>(left.count(), 0, kStopCheckInterval.count());
      const int n = calls_.Poll(fds, 2, replyWaiting ? 0 : static_cast<int>(slice));
      if (n < 0) {
        if (errno == EINTR) continue;  // the listener must be looked at before any reply
        throw SocketError(SocketError::Kind::Io, std::string("poll: ") + std::strerror(errno));
      }
      if (n > 0 && fds[0].revents != 0) {
        try {
          Socket data = listener.Accept(WaitLimit{Clock::now(), stop_}, serverAddress_);
          listener.Close();
          return data;
        } catch (const SocketError& e) {
          if (e.kind() != SocketError::Kind::Timeout) throw;
          // A stranger was turned away: go on waiting.
        }
      }
      if (replyWaiting || (n > 0 && fds[1].revents != 0)) {
        const FtpReply reply = ReadReply();
        if (reply.IsPreliminary()) {
          CheckPreliminaryCount(++preliminaries);
          continue;
        }
        Refused(reply);
      }
      if (Clock::now() >= limit.deadline) {  // strangers cannot keep us here
        throw SocketError(SocketError::Kind::Timeout, "no data connection arrived");
      }
    }
  } catch (const SocketError& e) {
    // The server's state is unknown now, so the control connection is not used again.
    control_.Close();
    if (e.kind() == SocketError::Kind::Stopped) throw FtpStopped();
    if (e.kind() == SocketError::Kind::Timeout) {
      throw FtpError("The FTP server did not open the data connection within " +
                         Seconds(timeouts_.data) + " seconds",
                     0);
    }
    throw FtpError(std::string("The data connection failed (") + e.what() + ")", 0);
  }
}

void FtpClient::DataBroken(Socket& data, const SocketError& e, const std::string& stalledMessage) {
  data.Close();
  if (e.kind() == SocketError::Kind::Stopped) {
    control_.Close();
    throw FtpStopped();
  }
  if (e.kind() == SocketError::Kind::Timeout) {
    control_.Close();
    throw FtpError(stalledMessage, 0);
  }
}

std::vector<std::string> FtpClient::NameList() {
  Socket listener = OpenDataListener();
  FtpReply reply = Command("NLST");
  // Some servers answer a folder without entries with 450 or 550 ("No files found") instead of
  // an empty listing; an upload into a new folder must not fail on that. Should the refusal
  // mean something else, making or entering the folder next brings the server's own words.
  if (reply.code == 450 || reply.code == 550) return {};
  if (!reply.IsPreliminary()) Refused(reply);
  Socket data = AcceptData(listener);

  std::string listing;
  char buffer[kReceiveBufferSize];
  StallWatch stall(timeouts_.data, stop_);
  try {
    for (;;) {
      stall.CheckStop();  // also while the data flows without a wait
      const size_t n = data.Receive(buffer, sizeof buffer, stall.Limit());
      if (n == 0) break;
      stall.Moved(n);
      listing.append(buffer, n);
      if (listing.size() > kMaxListingSize) {
        throw SocketError(SocketError::Kind::Io, "the folder listing is too large");
      }
    }
  } catch (const SocketError& e) {
    DataBroken(data, e, "The folder listing stalled for " + Seconds(timeouts_.data) + " seconds");
    reply = ReadFinalReply();
    if (!reply.IsCompletion()) Refused(reply);
    throw FtpError(std::string("The folder listing broke off (") + e.what() + ")", 0);
  }
  data.Close();
  reply = ReadFinalReply();
  if (!reply.IsCompletion()) Refused(reply);

  // Lines end in CR LF, LF or CR alone.
  std::vector<std::string> names;
  size_t start = 0;
  while (start < listing.size()) {
    size_t end = listing.find_first_of("\r\n", start);
    if (end == std::string::npos) end = listing.size();
    if (end > start) names.push_back(listing.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

void FtpClient::MakeDirectory(const std::string& name) {
  CheckArgument(name);
  const FtpReply reply = Command("MKD " + name);
  if (reply.code != 257) Refused(reply);
}

void FtpClient::ChangeDirectory(const std::string& name) {
  CheckArgument(name);
  const FtpReply reply = Command("CWD " + name);
  if (reply.code != 200 && reply.code != 250) Refused(reply);
}

void FtpClient::ChangeToParent() {
  const FtpReply reply = Command("CDUP");
  if (reply.code != 200 && reply.code != 250) Refused(reply);
}

void FtpClient::SetTransferType(TransferType type) {
  if (type == type_) return;
  const FtpReply reply = Command(type == TransferType::Ascii ? "TYPE A" : "TYPE I");
  if (reply.code != 200) Refused(reply);
  type_ = type;
}

void FtpClient::Store(const std::string& name, std::string_view content) {
  CheckArgument(name);
  std::string converted;
  if (type_ == TransferType::Ascii) {
    converted = ToNetworkText(content);
    content = converted;
  }
  Socket listener = OpenDataListener();
  FtpReply reply = Command("STOR " + name);
  if (!reply.IsPreliminary()) Refused(reply);
  Socket data = AcceptData(listener);
  StallWatch stall(timeouts_.data, stop_);
  try {
    while (!content.empty()) {
      stall.CheckStop();
      const size_t n = data.Send(content, stall.Limit());
      stall.Moved(n);
      content.remove_prefix(n);
    }
  } catch (const SocketError& e) {
    DataBroken(data, e,
               "The upload of '" + name + "' stalled for " + Seconds(timeouts_.data) + " seconds");
    // The server usually says why it dropped the data connection; its words come first.
    reply = ReadFinalReply();
    if (!reply.IsCompletion()) Refused(reply);
    throw FtpError(
        "The data connection broke off during the upload of '" + name + "' (" + e.what() + ")", 0);
  }
  data.Close();
  reply = ReadFinalReply();
  if (!reply.IsCompletion()) Refused(reply);
}

void FtpClient::Disconnect() {
  if (!control_.IsOpen()) return;
  try {
    // After a stop the goodbye is short and not itself stoppable, so that it is said at all.
    const WaitLimit limit = stop_.StopRequested()
                                ? WaitLimit::In(std::min(timeouts_.reply, kQuitAfterStop))
                                : ReplyLimit();
    SendLine("QUIT", limit);
    const FtpReply reply = ReadReply(limit);
    (void)reply;
  } catch (const std::exception&) {
    // The session ends either way.
  }
  control_.Close();
}

}  // namespace qg::net
