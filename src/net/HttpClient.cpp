// HTTP GET with libcurl.
#include "net/HttpClient.h"

#include <curl/curl.h>

namespace qg::net {

namespace {

void GlobalInit() {
  static const bool done = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    return true;
  }();
  (void)done;
}

size_t AppendBody(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

}  // namespace

// One easy handle for the client's life: its cookie engine holds the cookies that servers set,
// so later requests of the run send them back.
struct HttpClient::Handle {
  CURL* curl = nullptr;
  curl_slist* headers = nullptr;
  ~Handle() {
    if (curl != nullptr) curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
  }
};

HttpClient::HttpClient(HttpTimeouts timeouts) : timeouts_(timeouts), handle_(new Handle) {
  GlobalInit();
  handle_->curl = curl_easy_init();
  handle_->headers = curl_slist_append(handle_->headers, "Accept: text/html, */*");
  handle_->headers = curl_slist_append(handle_->headers, "Content-Type: text/html");
  if (handle_->curl != nullptr) {
    curl_easy_setopt(handle_->curl, CURLOPT_COOKIEFILE, "");  // cookies in memory only
  }
}

HttpClient::~HttpClient() = default;

std::string HttpClient::Get(const std::string& url) {
  std::lock_guard lock(mutex_);
  CURL* curl = handle_->curl;
  if (curl == nullptr || handle_->headers == nullptr) return {};
  std::string body;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, handle_->headers);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  // No credentials ever travel with these requests, not even ones written into the address.
  curl_easy_setopt(curl, CURLOPT_USERNAME, nullptr);
  curl_easy_setopt(curl, CURLOPT_PASSWORD, nullptr);
  curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_NONE);
  curl_easy_setopt(curl, CURLOPT_DISALLOW_USERNAME_IN_URL, 1L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.connect.count()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts_.total.count()));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  const CURLcode rc = curl_easy_perform(curl);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
  if (rc != CURLE_OK) return {};
  return body;
}

HttpClient& RunHttpClient() {
  static HttpClient client;
  return client;
}

}  // namespace qg::net
