// The seam between the network clients and the operating system: every socket call that the
// FTP client makes goes through one SocketCalls object. The default object calls the system;
// tests derive from it to inject refused connections, dropped links, silence and interrupted
// calls (EINTR) without needing a misbehaving server for each case.
#pragma once

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>

namespace qg::net {

// Each member has the signature and the error convention (-1 and errno) of the system call it
// is named after. The base class forwards to the system; override only what a test must fake.
class SocketCalls {
 public:
  virtual ~SocketCalls() = default;

  virtual int GetAddrInfo(const char* node, const char* service, const addrinfo* hints,
                          addrinfo** result);
  virtual void FreeAddrInfo(addrinfo* list);
  virtual int Socket(int domain, int type, int protocol);
  virtual int Connect(int fd, const sockaddr* address, socklen_t length);
  virtual int Bind(int fd, const sockaddr* address, socklen_t length);
  virtual int Listen(int fd, int backlog);
  virtual int Accept(int fd, sockaddr* address, socklen_t* length);
  virtual int GetSockName(int fd, sockaddr* address, socklen_t* length);
  virtual int GetPeerName(int fd, sockaddr* address, socklen_t* length);
  virtual int GetSockOpt(int fd, int level, int name, void* value, socklen_t* length);
  virtual int SetNonBlocking(int fd);  // fcntl(F_SETFL, flags | O_NONBLOCK)
  virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs);
  virtual ssize_t Send(int fd, const void* data, size_t size);  // never raises SIGPIPE
  virtual ssize_t Recv(int fd, void* buffer, size_t size);
  virtual int Shutdown(int fd, int how);
  virtual int Close(int fd);
};

// The process-wide object that forwards to the system.
SocketCalls& SystemSocketCalls();

}  // namespace qg::net
