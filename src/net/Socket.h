// A TCP socket with time limits, over the SocketCalls seam: connect to a host name, listen for
// and accept one data connection, send everything, receive what is there. Every wait ends at a
// deadline or at a stop request (looked at several times a second), interrupted calls are
// resumed, and failures are reported as SocketError with a kind the callers turn into their own
// messages.
#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Error.h"
#include "core/StopToken.h"
#include "net/SocketCalls.h"

namespace qg::net {

using Millis = std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// What ends a wait: a point in time, or a stop request. A stop is noticed within
// kStopCheckInterval however long the wait would still be.
struct WaitLimit {
  Clock::time_point deadline;
  StopToken stop;

  static WaitLimit In(Millis timeout, StopToken stop = {}) {
    return {Clock::now() + timeout, std::move(stop)};
  }
};
constexpr Millis kStopCheckInterval{100};

// A qg::Error like every failure of the core; its detail text is meant for the callers' messages
// ("Could not connect to the FTP server 'x' (<detail>)"), the kind for their choice of words.
class SocketError : public Error {
 public:
  enum class Kind {
    Resolve,  // the host name could not be resolved
    Connect,  // the connection was refused or could not be made
    Timeout,  // the peer did not act within the time limit
    Closed,   // the peer closed or reset the connection
    Io,       // any other failure of a socket call
    Stopped,  // the wait's stop token asked to stop
  };
  SocketError(Kind kind, const std::string& detail) : Error(detail), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// A server address as the user writes it: "host", "host:port", "[v6-address]:port" or a bare
// IPv6 address (which has more than one colon and so no port).
struct HostPort {
  std::string host;
  uint16_t port = 0;
};
// Throws qg::Error when the port part is not a number from 1 to 65535.
HostPort ParseHostPort(const std::string& text, uint16_t defaultPort);

// A socket address with its length, as the system calls take it.
struct SocketAddress {
  sockaddr_storage storage{};
  socklen_t length = 0;

  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
  int family() const { return storage.ss_family; }
  // The numeric host part ("127.0.0.1", "::1").
  std::string HostText() const;
  uint16_t Port() const;
  bool SameHost(const SocketAddress& other) const;
};

// Owns one socket descriptor; move-only; closing never throws.
class Socket {
 public:
  Socket() = default;
  Socket(SocketCalls& calls, int fd) : calls_(&calls), fd_(fd) {}
  ~Socket() { Close(); }
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Resolves `host` and connects to the first address that answers within `limit` (IPv4
  // addresses are tried before IPv6 ones). The name lookup itself cannot be stopped.
  static Socket Connect(SocketCalls& calls, const std::string& host, uint16_t port,
                        const WaitLimit& limit);
  // A listening socket on `local`'s host address and a port the system chooses.
  static Socket Listen(SocketCalls& calls, const SocketAddress& local);

  // Waits within `limit` for a connection from the host of `expectedPeer`; connections from any
  // other host are closed and the wait goes on. When `expectedPeer` is an address of this
  // machine, a connection from any address of this machine is taken.
  Socket Accept(const WaitLimit& limit, const SocketAddress& expectedPeer);

  // Sends all of `data` within `limit` as a whole.
  void SendAll(std::string_view data, const WaitLimit& limit);
  // Sends as much of `data` as the peer takes now, waiting within `limit` until it takes at
  // least one byte; returns the count sent.
  size_t Send(std::string_view data, const WaitLimit& limit);
  // Receives at most `size` bytes, waiting within `limit` for the first; 0 means the peer
  // closed its side.
  size_t Receive(char* buffer, size_t size, const WaitLimit& limit);

  SocketAddress LocalAddress() const;
  SocketAddress PeerAddress() const;
  void ShutdownWrite();
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }

 private:
  // Waits for `events` on the socket; false when the time ran out.
  bool Wait(short events, const WaitLimit& limit);

  SocketCalls* calls_ = nullptr;
  int fd_ = -1;
};

}  // namespace qg::net
