// File transfers to an FTP server (passive or active data connections), an FTPS server
// (explicit TLS: AUTH TLS, PBSZ 0, PROT P) or an SFTP server, through libcurl (CurlLibrary.h).
// The session keeps one connection open across its operations.
//
// Who the server is gets checked before anything secret is sent: an FTPS certificate against
// the system's trust store, an SSH host key against the user's known_hosts file, or either one
// against a fingerprint the user confirmed ("SHA256:" + base64 without padding: of the
// certificate's DER encoding, of the host key's blob). A server that fails the check is refused
// with UntrustedServer, which carries the fingerprint it presented.
//
// Every file is stored under a temporary name beside its final one and then renamed over it, so
// a reader of the folder sees the old file or the new one, never a part. Where an SFTP server
// cannot rename over an existing file, the old one is removed just before the rename.
//
// Threading: one session belongs to one thread at a time. A stop request of the token ends any
// wait within about a second (RemoteStopped).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "core/StopToken.h"
#include "net/FtpClient.h"

namespace qg::net {

enum class Transport { Ftp, Ftps, Sftp };

// "ftp", "ftps", "sftp".
const char* TransportName(Transport transport);
// The usual port of a transport: 21 for FTP and FTPS, 22 for SFTP.
uint16_t DefaultPort(Transport transport);

struct RemoteServer {
  Transport transport = Transport::Ftp;
  bool passive = true;  // FTP and FTPS: the client opens the data connections
  std::string host;     // "name", "name:port", "[v6]:port", as the user typed it
  uint16_t port = 0;    // when not 0, replaces the port of `host`
  std::string user;
  std::string password;
  std::string identityFile;  // SFTP: log in with this private key instead of the password
  // The folder that receives the files, below the login folder; one starting with "/" is
  // absolute. Empty: the login folder.
  std::string folder;
  std::string trustedFingerprint;  // the only certificate or host key accepted; empty: see top
  std::string knownHostsFile;      // SFTP; usually ~/.ssh/known_hosts
  FtpTimeouts timeouts;
};

// The server could not be shown to be the one meant. `fingerprint` is what it presented
// (empty when it presented nothing usable).
class UntrustedServer : public Error {
 public:
  UntrustedServer(const std::string& message, std::string fingerprint)
      : Error(message), fingerprint_(std::move(fingerprint)) {}
  const std::string& fingerprint() const { return fingerprint_; }

 private:
  std::string fingerprint_;
};

// A failed operation. `transient` failures (a dropped connection, a time limit, a busy server)
// may go well when tried again; the others (a refused login, a refused name) will not.
class RemoteError : public Error {
 public:
  RemoteError(const std::string& message, bool transient) : Error(message), transient_(transient) {}
  bool transient() const { return transient_; }

 private:
  bool transient_;
};

class RemoteStopped : public Error {
 public:
  RemoteStopped() : Error("The transfer was stopped") {}
};

// The temporary name a file is sent under before it is renamed to `name`.
std::string TemporaryUploadName(const std::string& name);

class RemoteSession {
 public:
  explicit RemoteSession(RemoteServer server, StopToken stop = {},
                         std::string library = "libcurl.so.4");
  ~RemoteSession();
  RemoteSession(const RemoteSession&) = delete;
  RemoteSession& operator=(const RemoteSession&) = delete;

  // Connects, checks the server's identity and logs in (the folder need not exist yet).
  void Open();
  // Stores `content` as `path` (relative to the folder, sub folders joined by "/" and made when
  // missing) through its temporary name. With `resume` the temporary file that a broken
  // attempt left is continued from its end, where the server allows it.
  void Replace(const std::string& path, std::string_view content, bool resume = false);
  // Removes the file `path` (relative to the folder).
  void Remove(const std::string& path);
  // The names in the folder's sub folder `subfolder` ("" for the folder itself).
  std::vector<std::string> List(const std::string& subfolder = "");

  // "ftps://host:port/folder", for messages and for naming what was uploaded where.
  std::string Describe() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qg::net
