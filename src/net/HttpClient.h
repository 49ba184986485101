// HTTP GET through libcurl for the hosting service's plain-text pages: fixed request headers,
// no credentials, redirects followed, cookies kept for as long as the client lives (the
// program keeps one for the whole run), the body handed back byte for byte up to a size that
// no service page comes near.
//
// libcurl is loaded when the first page is requested, not when the program starts: most runs
// never ask for a page, and the library brings TLS, SSH, LDAP and Kerberos libraries with it.
//
// Threading: a client may be shared between threads; its requests run one at a time.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "core/StopToken.h"

namespace qg::net {

struct HttpTimeouts {
  std::chrono::milliseconds connect{30000};
  std::chrono::milliseconds total{60000};
};

// The service pages are a few dozen bytes; a body larger than this is not one of them.
constexpr size_t kHttpMaxBody = 64 * 1024;
// The libcurl the network clients load at their first request.
constexpr const char* kCurlLibrary = "libcurl.so.4";

class HttpClient {
 public:
  static constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Tarvex)";

  // `library` is the libcurl to load at the first request (tests name a missing one).
  explicit HttpClient(HttpTimeouts timeouts = {}, std::string library = kCurlLibrary);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // The body of `url`, or empty text on any failure: an unreachable server, an error status,
  // a broken transfer, a malformed address, a stop request of `stop` (seen within about a
  // second). Throws qg::Error only where "no answer" would mislead: when the body is larger
  // than kHttpMaxBody, or libcurl cannot be loaded.
  std::string Get(const std::string& url, const StopToken& stop = {});

 private:
  struct Handle;
  HttpTimeouts timeouts_;
  std::string library_;
  std::mutex mutex_;
  std::unique_ptr<Handle> handle_;  // made at the first request
};

// The client that keeps the run's cookies.
HttpClient& RunHttpClient();

}  // namespace qg::net
