// FTP, FTPS and SFTP transfers through libcurl; see RemoteSession.h.
#include "net/RemoteSession.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "net/CurlLibrary.h"
#include "net/Digest.h"
#include "net/Socket.h"

namespace qg::net {

namespace {

// Where libcurl looks for the trusted certificates by default. A machine without them (no
// ca-certificates package) must still reach the check of an unknown certificate, which shows its
// fingerprint to confirm, instead of failing on the missing file.
constexpr const char* kSystemTrustStore = "/etc/ssl/certs/ca-certificates.crt";

bool HasSystemTrustStore() { return ::access(kSystemTrustStore, R_OK) == 0; }

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// Each byte of a path but "/" that is not unreserved in a URL, percent-encoded.
std::string EncodePath(const std::string& path) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : path) {
    if (Unreserved(c) || c == '/') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
  return out;
}

std::string JoinPath(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  if (a.back() == '/') return a + b;
  return a + "/" + b;
}

// An argument of an SFTP quote command: in double quotes, with '"' and '\' escaped.
std::string QuoteArgument(const std::string& path) {
  std::string out = "\"";
  for (const char c : path) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

void CheckName(const std::string& path) {
  if (path.find_first_of("\r\n") != std::string::npos || path.find('\0') != std::string::npos) {
    throw RemoteError("The name '" + path + "' contains a line break and cannot be sent", false);
  }
}

struct Source {
  std::string_view data;
  size_t offset = 0;
};

size_t ReadSource(char* buffer, size_t size, size_t count, void* target) noexcept {
  auto* source = static_cast<Source*>(target);
  const size_t n = std::min(size * count, source->data.size() - source->offset);
  std::memcpy(buffer, source->data.data() + source->offset, n);
  source->offset += n;
  return n;
}

int SeekSource(void* target, curl_off_t offset, int origin) noexcept {
  auto* source = static_cast<Source*>(target);
  if (origin != SEEK_SET || offset < 0 || static_cast<size_t>(offset) > source->data.size())
    return CURL_SEEKFUNC_FAIL;
  source->offset = static_cast<size_t>(offset);
  return CURL_SEEKFUNC_OK;
}

size_t CollectText(char* data, size_t size, size_t count, void* target) noexcept {
  auto* text = static_cast<std::string*>(target);
  const size_t bytes = size * count;
  if (text->size() + bytes > 64u * 1024 * 1024) return 0;
  try {
    text->append(data, bytes);
  } catch (...) {
    return 0;
  }
  return bytes;
}

size_t DiscardText(char*, size_t size, size_t count, void*) noexcept { return size * count; }

int CheckStop(void* target, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept {
  return static_cast<const StopToken*>(target)->StopRequested() ? 1 : 0;
}

long Seconds(Millis limit) { return std::max<long>(1, static_cast<long>(limit.count() / 1000)); }

// Failures that another attempt may get past.
bool Transient(CURLcode rc, long responseCode) {
  switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_LOGIN_DENIED:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_USE_SSL_FAILED:
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_NOT_BUILT_IN:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_QUOTE_ERROR:
    case CURLE_FILESIZE_EXCEEDED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_AUTH_ERROR:
      return false;
    case CURLE_UPLOAD_FAILED:
      return responseCode < 500;  // 4xx: try again later; 5xx: refused for good
    default:
      return true;
  }
}

}  // namespace

const char* TransportName(Transport transport) {
  switch (transport) {
    case Transport::Ftp:
      return "ftp";
    case Transport::Ftps:
      return "ftps";
    case Transport::Sftp:
      return "sftp";
  }
  return "ftp";
}

uint16_t DefaultPort(Transport transport) { return transport == Transport::Sftp ? 22 : 21; }

std::string TemporaryUploadName(const std::string& name) {
  const size_t slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : name.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  // Hidden from listings, and within the 255 bytes a name may have.
  return folder + ".qg-" + base.substr(0, 240) + ".part";
}

struct RemoteSession::Impl {
  RemoteServer server;
  StopToken stop;
  std::string library;
  const CurlApi* api = nullptr;
  CURL* curl = nullptr;
  std::string hostPart;  // "host:port" for URLs
  std::string pin;       // FTPS with a confirmed certificate: its public key pin
  char errorText[CURL_ERROR_SIZE] = {};
  std::string entryPath;  // FTP: the login folder, as the server named it
  std::string seenKey;    // SFTP: the fingerprint of the host key the server showed
  int keyMatch = -1;      // SFTP: how it compared with known_hosts (enum curl_khmatch)

  ~Impl() {
    if (curl != nullptr) api->easyCleanup(curl);
  }

  bool sftp() const { return server.transport == Transport::Sftp; }

  std::string Scheme() const { return sftp() ? "sftp" : "ftp"; }

  // The SFTP path of `relative` below the folder ("/~/" is the home folder), not encoded.
  std::string SftpPlainPath(const std::string& relative) const {
    const std::string& folder = server.folder;
    if (!folder.empty() && folder.front() == '/') return JoinPath(folder, relative);
    return JoinPath("/~/" + folder, relative);
  }

  // The URL of the folder's sub folder `subfolder` ("" for the folder): a folder URL ends in "/".
  std::string FolderUrl(const std::string& subfolder) const {
    std::string url = Url(subfolder);
    if (url.back() != '/') url += '/';
    return url;
  }

  std::string Url(const std::string& relative) const {
    const std::string base = Scheme() + "://" + hostPart;
    if (sftp()) return base + EncodePath(SftpPlainPath(relative));
    // FTP paths are relative to the login folder; "%2F" makes the first step absolute.
    const std::string& folder = server.folder;
    if (!folder.empty() && folder.front() == '/')
      return base + "/%2F" + EncodePath(JoinPath(folder.substr(1), relative));
    return base + "/" + EncodePath(JoinPath(folder, relative));
  }

  // An SFTP quote argument for `relative` below the folder ("/~/" is the home folder).
  std::string SftpPath(const std::string& relative) const {
    return QuoteArgument(SftpPlainPath(relative));
  }

  void Start() {
    if (curl != nullptr) return;
    const CurlApi& loaded = LoadCurl(library);
    if (!loaded.error.empty()) {
      throw RemoteError(
          "The network library " + library + " could not be loaded (" + loaded.error + ")", false);
    }
    api = &loaded;
    curl = api->easyInit();
    if (curl == nullptr) throw RemoteError("The network library could not start a session", false);
    if (server.host.empty()) throw RemoteError("No server name is set", false);
    HostPort target = ParseHostPort(server.host, DefaultPort(server.transport));
    if (server.port != 0) target.port = server.port;
    const bool v6 = target.host.find(':') != std::string::npos;
    hostPart = (v6 ? "[" + target.host + "]" : target.host) + ":" + std::to_string(target.port);
  }

  void Set(CURLoption option, long value) { api->easySetopt(curl, option, value); }
  // No default certificate file or folder: nothing is trusted but a confirmed certificate.
  void ForgetTrustStore(CURL* handle) const {
    api->easySetopt(handle, CURLOPT_CAINFO, static_cast<const char*>(nullptr));
    api->easySetopt(handle, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
  }
  void Set(CURLoption option, const char* value) { api->easySetopt(curl, option, value); }
  void Set(CURLoption option, void* value) { api->easySetopt(curl, option, value); }
  void SetOff(CURLoption option, curl_off_t value) { api->easySetopt(curl, option, value); }

  static int KeyCheck(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match,
                      void* target) noexcept {
    auto* self = static_cast<Impl*>(target);
    (void)known;
    try {
      const std::string blob =
          found->len > 0 ? std::string(found->key, found->len) : Base64Decode(found->key);
      self->seenKey = Fingerprint(blob);
    } catch (...) {
      self->seenKey.clear();
      return CURLKHSTAT_REJECT;
    }
    self->keyMatch = static_cast<int>(match);
    if (!self->server.trustedFingerprint.empty())
      return self->seenKey == self->server.trustedFingerprint ? CURLKHSTAT_FINE : CURLKHSTAT_REJECT;
    return match == CURLKHMATCH_OK ? CURLKHSTAT_FINE : CURLKHSTAT_REJECT;
  }

  // The options every request of the session has.
  void Common(const std::string& url) {
    errorText[0] = '\0';
    Set(CURLOPT_URL, url.c_str());
    Set(CURLOPT_ERRORBUFFER, static_cast<void*>(errorText));
    Set(CURLOPT_PROTOCOLS_STR, sftp() ? "sftp" : "ftp");
    Set(CURLOPT_USERNAME, server.user.c_str());
    Set(CURLOPT_NOSIGNAL, 1L);
    Set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(server.timeouts.connect.count()));
    Set(CURLOPT_SERVER_RESPONSE_TIMEOUT, Seconds(server.timeouts.reply));
    Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    Set(CURLOPT_LOW_SPEED_TIME, Seconds(server.timeouts.data));
    Set(CURLOPT_NOPROGRESS, 0L);
    api->easySetopt(curl, CURLOPT_XFERINFOFUNCTION, CheckStop);
    Set(CURLOPT_XFERINFODATA, const_cast<StopToken*>(&stop));
    Set(CURLOPT_UPLOAD, 0L);
    Set(CURLOPT_NOBODY, 0L);
    Set(CURLOPT_DIRLISTONLY, 0L);
    SetOff(CURLOPT_RESUME_FROM_LARGE, 0);
    // Every upload replaces its temporary file unless it continues a broken one.
    Set(CURLOPT_APPEND, 0L);
    Set(CURLOPT_QUOTE, static_cast<void*>(nullptr));
    Set(CURLOPT_POSTQUOTE, static_cast<void*>(nullptr));
    api->easySetopt(curl, CURLOPT_WRITEFUNCTION, DiscardText);
    Set(CURLOPT_WRITEDATA, static_cast<void*>(nullptr));
    if (sftp()) {
      if (!server.identityFile.empty()) {
        Set(CURLOPT_SSH_AUTH_TYPES, static_cast<long>(CURLSSH_AUTH_PUBLICKEY));
        Set(CURLOPT_SSH_PRIVATE_KEYFILE, server.identityFile.c_str());
        Set(CURLOPT_KEYPASSWD, server.password.c_str());
      } else {
        Set(CURLOPT_SSH_AUTH_TYPES,
            static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
        Set(CURLOPT_PASSWORD, server.password.c_str());
      }
      // Without a file the key check would not run at all; one that is missing knows no host.
      Set(CURLOPT_SSH_KNOWNHOSTS,
          server.knownHostsFile.empty() ? "/dev/null" : server.knownHostsFile.c_str());
      api->easySetopt(curl, CURLOPT_SSH_KEYFUNCTION, KeyCheck);
      Set(CURLOPT_SSH_KEYDATA, static_cast<void*>(this));
      Set(CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
      return;
    }
    Set(CURLOPT_PASSWORD, server.password.c_str());
    Set(CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
    Set(CURLOPT_FTPPORT, server.passive ? nullptr : "-");
    Set(CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(server.timeouts.data.count()));
    Set(CURLOPT_TRANSFERTEXT, 0L);
    if (server.transport == Transport::Ftps) {
      Set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
      Set(CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
      const bool pinned = !pin.empty();
      Set(CURLOPT_SSL_VERIFYPEER, pinned ? 0L : 1L);
      Set(CURLOPT_SSL_VERIFYHOST, pinned ? 0L : 2L);
      Set(CURLOPT_PINNEDPUBLICKEY, pinned ? pin.c_str() : nullptr);
      if (!HasSystemTrustStore()) ForgetTrustStore(curl);
    }
  }

  std::string Reason(CURLcode rc) const {
    std::string reason = api->easyStrerror(rc);
    if (errorText[0] != '\0' && reason != errorText) reason += ": " + std::string(errorText);
    return reason;
  }

  // Runs the request set up; throws for a stop and for every failure but those `allowed`.
  CURLcode Perform(const std::string& what, CURLcode allowed = CURLE_OK) {
    const CURLcode rc = api->easyPerform(curl);
    if (rc == CURLE_OK || rc == allowed) return rc;
    if (rc == CURLE_ABORTED_BY_CALLBACK || stop.StopRequested()) throw RemoteStopped();
    if (rc == CURLE_PEER_FAILED_VERIFICATION || rc == CURLE_SSL_PINNEDPUBKEYNOTMATCH) Untrusted(rc);
    long code = 0;
    api->easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    if (rc == CURLE_LOGIN_DENIED) {
      throw RemoteError("The server " + Describe() + " refused the login (" + Reason(rc) + ")",
                        false);
    }
    throw RemoteError(what + " failed (" + Reason(rc) + ")", Transient(rc, code));
  }

  [[noreturn]] void Untrusted(CURLcode rc) {
    const std::string where = Describe();
    if (sftp()) {
      const std::string fingerprint = seenKey;
      if (!server.trustedFingerprint.empty()) {
        throw UntrustedServer("The SFTP server " + where + " presented the host key " +
                                  fingerprint + ", not the trusted " + server.trustedFingerprint +
                                  "; nothing was sent",
                              fingerprint);
      }
      if (keyMatch == CURLKHMATCH_MISMATCH) {
        throw UntrustedServer("The SFTP server " + where +
                                  " presented a host key that differs from the one known for it "
                                  "in " +
                                  server.knownHostsFile + " (host key fingerprint " + fingerprint +
                                  "); nothing was sent",
                              fingerprint);
      }
      throw UntrustedServer("The SFTP server " + where + " presented an unknown host key " +
                                "(fingerprint " + fingerprint + "); nothing was sent",
                            fingerprint);
    }
    const std::string reason = Reason(rc);
    const std::string fingerprint = CertificateFingerprint(nullptr);
    if (!server.trustedFingerprint.empty()) {
      throw UntrustedServer("The FTPS server " + where + " presented the certificate " +
                                fingerprint + ", not the trusted " + server.trustedFingerprint +
                                "; nothing was sent",
                            fingerprint);
    }
    throw UntrustedServer("The FTPS server " + where +
                              " presented a certificate that could not be verified (" + reason +
                              "; certificate fingerprint " + fingerprint + "); nothing was sent",
                          fingerprint);
  }

  // Connects once more without trusting anything and without logging in as the user, only to
  // see the server's certificate. Returns its fingerprint, and its DER bytes in `der`.
  std::string CertificateFingerprint(std::string* der) {
    CURL* probe = api->easyInit();
    if (probe == nullptr) return {};
    char probeError[CURL_ERROR_SIZE] = {};
    const std::string url = "ftp://" + hostPart + "/";
    api->easySetopt(probe, CURLOPT_URL, url.c_str());
    api->easySetopt(probe, CURLOPT_ERRORBUFFER, probeError);
    api->easySetopt(probe, CURLOPT_PROTOCOLS_STR, "ftp");
    api->easySetopt(probe, CURLOPT_NOSIGNAL, 1L);
    api->easySetopt(probe, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    api->easySetopt(probe, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
    api->easySetopt(probe, CURLOPT_SSL_VERIFYPEER, 0L);
    api->easySetopt(probe, CURLOPT_SSL_VERIFYHOST, 0L);
    if (!HasSystemTrustStore()) ForgetTrustStore(probe);
    api->easySetopt(probe, CURLOPT_CERTINFO, 1L);
    // The login that follows the handshake must fail: no name or password of the user's goes
    // to a server that is not known yet.
    api->easySetopt(probe, CURLOPT_USERNAME, "quillon-certificate-check");
    api->easySetopt(probe, CURLOPT_PASSWORD, "");
    api->easySetopt(probe, CURLOPT_NOBODY, 1L);
    api->easySetopt(probe, CURLOPT_CONNECTTIMEOUT_MS,
                    static_cast<long>(server.timeouts.connect.count()));
    api->easySetopt(probe, CURLOPT_SERVER_RESPONSE_TIMEOUT, Seconds(server.timeouts.reply));
    api->easySetopt(probe, CURLOPT_NOPROGRESS, 0L);
    api->easySetopt(probe, CURLOPT_XFERINFOFUNCTION, CheckStop);
    api->easySetopt(probe, CURLOPT_XFERINFODATA, const_cast<StopToken*>(&stop));
    api->easyPerform(probe);
    std::string fingerprint;
    curl_certinfo* chain = nullptr;
    if (api->easyGetinfo(probe, CURLINFO_CERTINFO, &chain) == CURLE_OK && chain != nullptr &&
        chain->num_of_certs > 0) {
      for (curl_slist* field = chain->certinfo[0]; field != nullptr; field = field->next) {
        if (std::strncmp(field->data, "Cert:", 5) != 0) continue;
        const std::string bytes = PemToDer(field->data + 5);
        if (!bytes.empty()) {
          fingerprint = Fingerprint(bytes);
          if (der != nullptr) *der = bytes;
        }
        break;
      }
    }
    api->easyCleanup(probe);
    if (stop.StopRequested()) throw RemoteStopped();
    return fingerprint;
  }

  std::string Describe() const {
    std::string text = std::string(TransportName(server.transport)) + "://" + hostPart;
    if (server.folder.empty()) return text + "/";
    return text + (server.folder.front() == '/' ? "" : "/") + server.folder;
  }

  // An FTP command's path for `relative` below the folder: absolute, since a reused connection
  // may stand in any folder when the commands run.
  std::string FtpPath(const std::string& relative) const {
    const std::string path = JoinPath(server.folder, relative);
    if (!path.empty() && path.front() == '/') return path;
    return JoinPath(entryPath.empty() ? "/" : entryPath, path);
  }

  // A request that only runs `commands` (quote commands, sent right after the login, with
  // absolute paths).
  void Commands(const std::vector<std::string>& commands, const std::string& what) {
    CurlList list(*api);
    for (const std::string& command : commands) {
      if (!list.Append(command)) throw RemoteError("Out of memory", false);
    }
    Common(LoginUrl());
    NoTransfer();
    Set(CURLOPT_QUOTE, static_cast<void*>(list.get()));
    Perform(what);
  }

  // A request without a transfer: over FTP the login alone (no data connection); over SFTP,
  // where such a request is not defined, a name listing whose text is dropped.
  void NoTransfer() { Set(sftp() ? CURLOPT_DIRLISTONLY : CURLOPT_NOBODY, 1L); }

  std::string LoginUrl() const {
    return sftp() ? "sftp://" + hostPart + "/~/" : "ftp://" + hostPart + "/";
  }
};

RemoteSession::RemoteSession(RemoteServer server, StopToken stop, std::string library)
    : impl_(std::make_unique<Impl>()) {
  impl_->server = std::move(server);
  impl_->stop = std::move(stop);
  impl_->library = std::move(library);
}

RemoteSession::~RemoteSession() = default;

std::string RemoteSession::Describe() const {
  if (impl_->hostPart.empty()) {
    try {
      impl_->Start();
    } catch (const Error&) {
      return std::string(TransportName(impl_->server.transport)) + "://" + impl_->server.host;
    }
  }
  return impl_->Describe();
}

void RemoteSession::Open() {
  Impl& s = *impl_;
  s.Start();
  if (s.server.transport == Transport::Ftps && !s.server.trustedFingerprint.empty()) {
    std::string der;
    const std::string fingerprint = s.CertificateFingerprint(&der);
    if (fingerprint != s.server.trustedFingerprint) {
      throw UntrustedServer("The FTPS server " + s.Describe() + " presented the certificate " +
                                (fingerprint.empty() ? "(none)" : fingerprint) +
                                ", not the trusted " + s.server.trustedFingerprint +
                                "; nothing was sent",
                            fingerprint);
    }
    s.pin = PublicKeyPin(der);
    if (s.pin.empty()) throw RemoteError("The server's certificate could not be read", false);
  }
  // The login folder: it exists, and reaching it proves the login.
  s.Common(s.LoginUrl());
  s.NoTransfer();
  s.Perform("Connecting to " + s.Describe());
  char* entry = nullptr;
  if (!s.sftp() && s.api->easyGetinfo(s.curl, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK &&
      entry != nullptr) {
    s.entryPath = entry;
  }
}

void RemoteSession::Replace(const std::string& path, std::string_view content, bool resume) {
  Impl& s = *impl_;
  s.Start();
  CheckName(path);
  const std::string temporary = TemporaryUploadName(path);
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

  CurlList rename(*s.api);
  if (s.sftp()) {
    rename.Append("rename " + s.SftpPath(temporary) + " " + s.SftpPath(path));
  } else {
    // After the transfer the client is in the file's folder.
    rename.Append("RNFR " + TemporaryUploadName(name));
    rename.Append("RNTO " + name);
  }
  Source source{content, 0};
  s.Common(s.Url(temporary));
  s.Set(CURLOPT_UPLOAD, 1L);
  s.api->easySetopt(s.curl, CURLOPT_READFUNCTION, ReadSource);
  s.Set(CURLOPT_READDATA, static_cast<void*>(&source));
  s.api->easySetopt(s.curl, CURLOPT_SEEKFUNCTION, SeekSource);
  s.Set(CURLOPT_SEEKDATA, static_cast<void*>(&source));
  s.SetOff(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(content.size()));
  s.SetOff(CURLOPT_RESUME_FROM_LARGE, resume ? -1 : 0);
  s.Set(CURLOPT_POSTQUOTE, static_cast<void*>(rename.get()));
  const CURLcode rc = s.Perform("The upload of '" + path + "'", CURLE_QUOTE_ERROR);
  s.Set(CURLOPT_READDATA, static_cast<void*>(nullptr));
  s.Set(CURLOPT_SEEKDATA, static_cast<void*>(nullptr));
  if (rc == CURLE_OK) return;

  // The file arrived under its temporary name, but the rename was refused.
  const std::string renameFailure = s.Reason(rc);
  if (s.sftp()) {
    // Many SFTP servers rename only onto a free name: the old file goes just before.
    try {
      s.Commands(
          {"rm " + s.SftpPath(path), "rename " + s.SftpPath(temporary) + " " + s.SftpPath(path)},
          "Replacing '" + path + "'");
      return;
    } catch (const RemoteStopped&) {
      throw;
    } catch (const Error& e) {
      // The temporary file stays: once the old file is gone it is the only copy there.
      throw RemoteError("The server refused to put the uploaded '" + path +
                            "' in place of the old one (" + renameFailure + "; " + e.what() + ")",
                        false);
    }
  }
  try {
    s.Commands({"*DELE " + s.FtpPath(temporary)}, "Removing the temporary file of '" + path + "'");
  } catch (const RemoteStopped&) {
    throw;
  } catch (const Error&) {
    // The server refuses to tidy up too; the temporary file is hidden and is replaced next time.
  }
  throw RemoteError("The server refused to put the uploaded '" + path +
                        "' in place of the old one (" + renameFailure +
                        "); the file on the server was left as it was",
                    false);
}

void RemoteSession::Remove(const std::string& path) {
  Impl& s = *impl_;
  s.Start();
  CheckName(path);
  s.Commands({s.sftp() ? "rm " + s.SftpPath(path) : "DELE " + s.FtpPath(path)},
             "Removing '" + path + "'");
}

std::vector<std::string> RemoteSession::List(const std::string& subfolder) {
  Impl& s = *impl_;
  s.Start();
  std::string text;
  s.Common(s.FolderUrl(subfolder));
  s.Set(CURLOPT_DIRLISTONLY, 1L);
  s.api->easySetopt(s.curl, CURLOPT_WRITEFUNCTION, CollectText);
  s.Set(CURLOPT_WRITEDATA, static_cast<void*>(&text));
  s.Perform("Listing " + s.Describe());
  s.Set(CURLOPT_WRITEDATA, static_cast<void*>(nullptr));
  std::vector<std::string> names;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) names.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

}  // namespace qg::net
