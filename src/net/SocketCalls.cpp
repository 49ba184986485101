// Forwarding of the socket seam to the system calls.
#include "net/SocketCalls.h"

#include <fcntl.h>
#include <unistd.h>

namespace qg::net {

int SocketCalls::GetAddrInfo(const char* node, const char* service, const addrinfo* hints,
                             addrinfo** result) {
  return ::getaddrinfo(node, service, hints, result);
}

void SocketCalls::FreeAddrInfo(addrinfo* list) { ::freeaddrinfo(list); }

int SocketCalls::Socket(int domain, int type, int protocol) {
  return ::socket(domain, type | SOCK_CLOEXEC, protocol);
}

int SocketCalls::Connect(int fd, const sockaddr* address, socklen_t length) {
  return ::connect(fd, address, length);
}

int SocketCalls::Bind(int fd, const sockaddr* address, socklen_t length) {
  return ::bind(fd, address, length);
}

int SocketCalls::Listen(int fd, int backlog) { return ::listen(fd, backlog); }

int SocketCalls::Accept(int fd, sockaddr* address, socklen_t* length) {
  return ::accept4(fd, address, length, SOCK_CLOEXEC);
}

int SocketCalls::GetSockName(int fd, sockaddr* address, socklen_t* length) {
  return ::getsockname(fd, address, length);
}

int SocketCalls::GetPeerName(int fd, sockaddr* address, socklen_t* length) {
  return ::getpeername(fd, address, length);
}

int SocketCalls::GetSockOpt(int fd, int level, int name, void* value, socklen_t* length) {
  return ::getsockopt(fd, level, name, value, length);
}

int SocketCalls::SetNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return -1;
  return ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

int SocketCalls::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
  return ::poll(fds, count, timeoutMs);
}

ssize_t SocketCalls::Send(int fd, const void* data, size_t size) {
  return ::send(fd, data, size, MSG_NOSIGNAL);
}

ssize_t SocketCalls::Recv(int fd, void* buffer, size_t size) { return ::recv(fd, buffer, size, 0); }

int SocketCalls::Shutdown(int fd, int how) { return ::shutdown(fd, how); }

int SocketCalls::Close(int fd) { return ::close(fd); }

SocketCalls& SystemSocketCalls() {
  static SocketCalls calls;
  return calls;
}

}  // namespace qg::net
