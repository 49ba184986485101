// HTTP GET through libcurl for the hosting service's plain-text pages: fixed request headers,
// no credentials, redirects followed, cookies kept for as long as the client lives (the
// program keeps one for the whole run), the body handed back byte for byte.
//
// Threading: a client may be shared between threads; its requests run one at a time.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

namespace qg::net {

struct HttpTimeouts {
  std::chrono::milliseconds connect{30000};
  std::chrono::milliseconds total{60000};
};

class HttpClient {
 public:
  static constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Tarvex)";

  explicit HttpClient(HttpTimeouts timeouts = {});
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // The body of `url`, or empty text on any failure: an unreachable server, an error status,
  // a broken transfer, a malformed address. Never throws.
  std::string Get(const std::string& url);

 private:
  struct Handle;
  HttpTimeouts timeouts_;
  std::mutex mutex_;
  std::unique_ptr<Handle> handle_;
};

// The client that keeps the run's cookies.
HttpClient& RunHttpClient();

}  // namespace qg::net
