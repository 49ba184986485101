// TCP sockets with time limits over the SocketCalls seam.
#include "net/Socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/Error.h"

namespace qg::net {

namespace {

std::string ErrnoText(int error) { return std::strerror(error); }

// Milliseconds left until `deadline`, never negative, capped so poll's int cannot overflow.
int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return static_cast<int>(std::min<long long>(left, 24LL * 3600 * 1000));
}

// poll on one descriptor until `events` arrive or the limit ends it, resuming after EINTR; the
// wait is cut into slices so that a stop request is seen between them. Returns the revents, or
// 0 when the time ran out.
short PollUntil(SocketCalls& calls, int fd, short events, const WaitLimit& limit) {
  for (;;) {
    if (limit.stop.StopRequested()) throw SocketError(SocketError::Kind::Stopped, "stopped");
    pollfd p{fd, events, 0};
    const int slice =
        std::min(RemainingMs(limit.deadline), static_cast<int>(kStopCheckInterval.count()));
    const int n = calls.Poll(&p, 1, slice);
    if (n > 0) return p.revents != 0 ? p.revents : events;
    if (n == 0) {
      if (Clock::now() >= limit.deadline) return 0;
      continue;  // the slice ended or poll woke early: wait out the rest
    }
    if (errno == EINTR) continue;
    throw SocketError(SocketError::Kind::Io, "poll: " + ErrnoText(errno));
  }
}

bool IsDisconnect(int error) {
  return error == EPIPE || error == ECONNRESET || error == ECONNABORTED || error == ENOTCONN;
}

// True when `address` belongs to this machine: a socket can be bound to it. Loopback addresses
// other than 127.0.0.1 (127.0.1.1 is a common name for the own host) pass as well.
bool IsOwnAddress(SocketCalls& calls, const SocketAddress& address) {
  SocketAddress probe = address;
  if (probe.family() == AF_INET) {
    reinterpret_cast<sockaddr_in*>(&probe.storage)->sin_port = 0;
  } else if (probe.family() == AF_INET6) {
    reinterpret_cast<sockaddr_in6*>(&probe.storage)->sin6_port = 0;
  } else {
    return false;
  }
  const int fd = calls.Socket(probe.family(), SOCK_STREAM, 0);
  if (fd < 0) return false;
  const bool own = calls.Bind(fd, probe.get(), probe.length) == 0;
  calls.Close(fd);
  return own;
}

}  // namespace

HostPort ParseHostPort(const std::string& text, uint16_t defaultPort) {
  HostPort out{text, defaultPort};
  std::string portText;
  bool hasPort = false;
  if (!text.empty() && text.front() == '[') {
    const size_t close = text.find(']');
    if (close != std::string::npos) {
      out.host = text.substr(1, close - 1);
      if (close + 1 < text.size() && text[close + 1] == ':') {
        portText = text.substr(close + 2);
        hasPort = true;
      }
    }
  } else if (const size_t colon = text.find(':');
             colon != std::string::npos && text.find(':', colon + 1) == std::string::npos) {
    out.host = text.substr(0, colon);
    portText = text.substr(colon + 1);
    hasPort = true;
  }
  if (!hasPort) return out;
  bool valid =
      !portText.empty() && portText.size() <= 5 &&
      std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; });
  const long port = valid ? std::stol(portText) : 0;
  if (!valid || port < 1 || port > 65535) {
    throw Error("The port in the FTP host name '" + text + "' is not a number from 1 to 65535");
  }
  out.port = static_cast<uint16_t>(port);
  return out;
}

std::string SocketAddress::HostText() const {
  char text[INET6_ADDRSTRLEN] = "";
  if (family() == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&storage)->sin_addr, text,
              sizeof text);
  } else if (family() == AF_INET6) {
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_addr, text,
              sizeof text);
  }
  return text;
}

uint16_t SocketAddress::Port() const {
  if (family() == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&storage)->sin_port);
  if (family() == AF_INET6) {
    return ntohs(reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_port);
  }
  return 0;
}

bool SocketAddress::SameHost(const SocketAddress& other) const {
  return family() == other.family() && HostText() == other.HostText();
}

Socket::Socket(Socket&& other) noexcept : calls_(other.calls_), fd_(other.fd_) { other.fd_ = -1; }

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    calls_ = other.calls_;
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

void Socket::Close() {
  if (fd_ < 0) return;
  // The descriptor is gone after close even when it reports EINTR, so it is never retried.
  calls_->Close(fd_);
  fd_ = -1;
}

Socket Socket::Connect(SocketCalls& calls, const std::string& host, uint16_t port,
                       const WaitLimit& limit) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  const int rc = calls.GetAddrInfo(host.c_str(), service.c_str(), &hints, &found);
  if (rc != 0) {
    throw SocketError(SocketError::Kind::Resolve,
                      rc == EAI_SYSTEM ? ErrnoText(errno) : gai_strerror(rc));
  }
  std::vector<const addrinfo*> candidates;
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) candidates.push_back(a);
  // Data connections are announced with PORT, which speaks IPv4, so IPv4 goes first.
  std::stable_partition(candidates.begin(), candidates.end(),
                        [](const addrinfo* a) { return a->ai_family == AF_INET; });

  SocketError last(SocketError::Kind::Connect, "no usable address");
  for (const addrinfo* a : candidates) {
    const int fd = calls.Socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (fd < 0) {
      last = SocketError(SocketError::Kind::Connect, ErrnoText(errno));
      continue;
    }
    Socket socket(calls, fd);
    if (calls.SetNonBlocking(fd) != 0) {
      last = SocketError(SocketError::Kind::Io, ErrnoText(errno));
      continue;
    }
    if (calls.Connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
      calls.FreeAddrInfo(found);
      return socket;
    }
    // An interrupted connect goes on in the background, like one in progress.
    if (errno != EINPROGRESS && errno != EINTR) {
      last = SocketError(SocketError::Kind::Connect, ErrnoText(errno));
      continue;
    }
    short revents;
    try {
      revents = PollUntil(calls, fd, POLLOUT, limit);
    } catch (const SocketError& e) {
      last = e;
      if (e.kind() == SocketError::Kind::Stopped) break;
      continue;
    }
    if (revents == 0) {
      last = SocketError(SocketError::Kind::Timeout, "connection timed out");
      break;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (calls.GetSockOpt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error == 0) {
      calls.FreeAddrInfo(found);
      return socket;
    }
    last = SocketError(SocketError::Kind::Connect, ErrnoText(error));
  }
  calls.FreeAddrInfo(found);
  throw last;
}

Socket Socket::Listen(SocketCalls& calls, const SocketAddress& local) {
  SocketAddress address = local;
  if (address.family() == AF_INET) {
    reinterpret_cast<sockaddr_in*>(&address.storage)->sin_port = 0;
  } else if (address.family() == AF_INET6) {
    reinterpret_cast<sockaddr_in6*>(&address.storage)->sin6_port = 0;
  }
  const int fd = calls.Socket(address.family(), SOCK_STREAM, 0);
  if (fd < 0) throw SocketError(SocketError::Kind::Io, ErrnoText(errno));
  Socket socket(calls, fd);
  if (calls.SetNonBlocking(fd) != 0 || calls.Bind(fd, address.get(), address.length) != 0 ||
      calls.Listen(fd, 1) != 0) {
    throw SocketError(SocketError::Kind::Io, ErrnoText(errno));
  }
  return socket;
}

Socket Socket::Accept(const WaitLimit& limit, const SocketAddress& expectedPeer) {
  for (;;) {
    if (PollUntil(*calls_, fd_, POLLIN, limit) == 0) {
      throw SocketError(SocketError::Kind::Timeout, "no data connection arrived");
    }
    SocketAddress peer;
    peer.length = sizeof peer.storage;
    const int fd = calls_->Accept(fd_, reinterpret_cast<sockaddr*>(&peer.storage), &peer.length);
    if (fd < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED) {
        continue;
      }
      throw SocketError(SocketError::Kind::Io, ErrnoText(errno));
    }
    Socket accepted(*calls_, fd);
    // Only the server we talk to may deliver or fetch data; anyone else is turned away. A
    // server on this machine may open its data connections from another of the machine's
    // addresses than the one we reached it at (a connection to 127.0.1.1 comes from
    // 127.0.0.1 unless the server binds it), so there any own address counts as the server's.
    if (!peer.SameHost(expectedPeer) &&
        !(IsOwnAddress(*calls_, expectedPeer) && IsOwnAddress(*calls_, peer))) {
      continue;
    }
    if (calls_->SetNonBlocking(fd) != 0) throw SocketError(SocketError::Kind::Io, ErrnoText(errno));
    return accepted;
  }
}

bool Socket::Wait(short events, const WaitLimit& limit) {
  return PollUntil(*calls_, fd_, events, limit) != 0;
}

size_t Socket::Send(std::string_view data, const WaitLimit& limit) {
  if (data.empty()) return 0;
  for (;;) {
    const ssize_t n = calls_->Send(fd_, data.data(), data.size());
    if (n > 0) return static_cast<size_t>(n);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!Wait(POLLOUT, limit)) {
        throw SocketError(SocketError::Kind::Timeout, "the peer stopped taking data");
      }
      continue;
    }
    const int error = n < 0 ? errno : EPIPE;
    throw SocketError(IsDisconnect(error) ? SocketError::Kind::Closed : SocketError::Kind::Io,
                      ErrnoText(error));
  }
}

void Socket::SendAll(std::string_view data, const WaitLimit& limit) {
  while (!data.empty()) data.remove_prefix(Send(data, limit));
}

size_t Socket::Receive(char* buffer, size_t size, const WaitLimit& limit) {
  for (;;) {
    const ssize_t n = calls_->Recv(fd_, buffer, size);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!Wait(POLLIN, limit)) {
        throw SocketError(SocketError::Kind::Timeout, "the peer sent nothing");
      }
      continue;
    }
    const int error = errno;
    throw SocketError(IsDisconnect(error) ? SocketError::Kind::Closed : SocketError::Kind::Io,
                      ErrnoText(error));
  }
}

SocketAddress Socket::LocalAddress() const {
  SocketAddress address;
  address.length = sizeof address.storage;
  if (calls_->GetSockName(fd_, reinterpret_cast<sockaddr*>(&address.storage), &address.length) !=
      0) {
    throw SocketError(SocketError::Kind::Io, ErrnoText(errno));
  }
  return address;
}

SocketAddress Socket::PeerAddress() const {
  SocketAddress address;
  address.length = sizeof address.storage;
  if (calls_->GetPeerName(fd_, reinterpret_cast<sockaddr*>(&address.storage), &address.length) !=
      0) {
    throw SocketError(SocketError::Kind::Io, ErrnoText(errno));
  }
  return address;
}

void Socket::ShutdownWrite() {
  if (fd_ >= 0) calls_->Shutdown(fd_, SHUT_WR);
}

}  // namespace qg::net
