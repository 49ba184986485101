// Real servers for the network tests, started on 127.0.0.1 by the test itself and stopped when
// the owning object goes out of scope (also when the test fails): an FTP server that logs the
// commands it receives and can be told to misbehave, and an HTTP server that answers from a
// table of routes and logs the requests. Both are small Python scripts beside this file, run
// by the system Python that has pyftpdlib.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace qg::test {

// A child process that prints its port on its first output line; killed in the destructor.
// It also dies with the test process, however that ends.
class ServerProcess {
 public:
  explicit ServerProcess(const std::vector<std::string>& argv);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  uint16_t port() const { return port_; }

 private:
  void Stop();

  pid_t pid_ = -1;
  uint16_t port_ = 0;
};

struct FtpServerOptions {
  std::string user = "qguser";
  std::string password = "qgpass";
  std::string banner;  // "\n" in it makes a multi-line greeting
  int failStor = 0;    // answer the Nth STOR with failReply
  std::string failReply = "552 Quota exceeded on the test server.";
  int dropData = 0;              // drop the data connection of the Nth STOR halfway
  std::string silentOn;          // "N:CMD": stop answering at the Nth CMD
  bool caseInsensitive = false;  // match path names without regard to case
  std::string nlstEmptyReply;    // answer NLST of a folder without entries with this
  int giveUpData = 0;            // never connect for the Nth PORT: 150, then giveUpReply
  std::string giveUpReply = "425 Can't open data connection.";
  std::string listen = "127.0.0.1";  // the address the server listens on (and host() names)
  bool unboundData = false;          // data connections from whatever address the system picks
  // Explicit TLS (AUTH TLS) required on both connections, with this certificate and key.
  std::string tlsCertificate, tlsKey;
  bool refuseRename = false;  // answer every RNFR with 550
};

class FtpTestServer {
 public:
  explicit FtpTestServer(const FtpServerOptions& options = {});
  ~FtpTestServer();
  FtpTestServer(const FtpTestServer&) = delete;
  FtpTestServer& operator=(const FtpTestServer&) = delete;

  // "ADDRESS:PORT" (127.0.0.1 unless told otherwise), as a user would type a host with a port.
  std::string host() const;
  const std::string& user() const { return options_.user; }
  const std::string& password() const { return options_.password; }
  // The login folder: tests put folders there before and read uploads from it after.
  std::string root() const { return dir_.file("root"); }
  // Every command line received so far, in order.
  std::vector<std::string> Commands() const;
  // The same without PORT commands, whose arguments change from run to run.
  std::vector<std::string> CommandsWithoutPort() const;

 private:
  FtpServerOptions options_;
  TempDir dir_;
  std::unique_ptr<ServerProcess> process_;
};

struct HttpRoute {
  int status = 200;
  std::string body;  // bytes
  std::map<std::string, std::string> headers;
  std::string requireCookie;  // "name=value"
  double delay = 0;           // seconds before answering
  // After the headers, `body` again and again until the client gives up (at most a minute). A
  // Content-Length in `headers` is sent as given; otherwise the body has no stated length.
  bool endless = false;
};

struct HttpRequestSeen {
  std::string path;
  std::map<std::string, std::string> headers;  // names as sent
};

class HttpTestServer {
 public:
  explicit HttpTestServer(const std::map<std::string, HttpRoute>& routes);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  // "http://127.0.0.1:PORT", no trailing slash.
  std::string base() const;
  std::vector<HttpRequestSeen> Requests() const;

 private:
  TempDir dir_;
  std::unique_ptr<ServerProcess> process_;
};

// A port on 127.0.0.1 that nothing listens on (bound, then released).
uint16_t UnusedPort();

// What a test server needs that a machine may lack; the text says what is missing, empty when
// nothing is.
std::string MissingForFtps();  // python3-openssl (pyftpdlib's TLS) and openssl
std::string MissingForSftp();  // sshd and ssh-keygen

// Runs `command` with the shell; its standard output, or throws when it fails.
std::string CommandOutput(const std::string& command);

// A throw-away certificate for 127.0.0.1 and its key, made with openssl in `folder`.
struct TestCertificate {
  std::string certificate, key;
  std::string fingerprint;  // "SHA256:" + base64 (no padding) of the DER encoding
};
TestCertificate MakeTestCertificate(const std::string& folder);

// OpenSSH's sshd on 127.0.0.1 with a throw-away host key, letting in the current user by a
// throw-away key only.
class SshTestServer {
 public:
  SshTestServer();
  ~SshTestServer();
  SshTestServer(const SshTestServer&) = delete;
  SshTestServer& operator=(const SshTestServer&) = delete;

  std::string host() const;  // "127.0.0.1:PORT"
  uint16_t port() const { return process_->port(); }
  std::string user() const;  // the current user
  std::string userKey() const { return dir_.file("user_key"); }
  // The host key's line for a known_hosts file, and its fingerprint as ssh-keygen prints it.
  std::string knownHostsLine() const;
  std::string hostKeyFingerprint() const;

 private:
  TempDir dir_;
  std::unique_ptr<ServerProcess> process_;
};

}  // namespace qg::test
