// HTTP GET with libcurl, loaded at the first request (CurlLibrary.h).
#include "net/HttpClient.h"

#include "core/Error.h"
#include "net/CurlLibrary.h"

namespace qg::net {

namespace {

// Where one request's body goes. libcurl's callbacks run inside its C frames, so they never
// throw: a failure is noted here and ends the transfer, and Get reports it after curl returns.
struct BodySink {
  enum class Failure { None, TooLarge, OutOfMemory };
  std::string body;
  Failure failure = Failure::None;
  const StopToken* stop = nullptr;
};

size_t AppendBody(char* data, size_t size, size_t count, void* target) noexcept {
  auto* sink = static_cast<BodySink*>(target);
  const size_t bytes = size * count;
  if (bytes > kHttpMaxBody - sink->body.size()) {
    sink->failure = BodySink::Failure::TooLarge;
    return 0;  // anything but `bytes` ends the transfer
  }
  try {
    sink->body.append(data, bytes);
  } catch (...) {
    sink->failure = BodySink::Failure::OutOfMemory;
    return 0;
  }
  return bytes;
}

// Called about once a second, also while curl waits; non-zero ends the transfer.
int CheckStop(void* target, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept {
  return static_cast<BodySink*>(target)->stop->StopRequested() ? 1 : 0;
}

}  // namespace

// One easy handle for the client's life: its cookie engine holds the cookies that servers set,
// so later requests of the run send them back.
struct HttpClient::Handle {
  const CurlApi* api = nullptr;
  CURL* curl = nullptr;
  curl_slist* headers = nullptr;
  ~Handle() {
    if (curl != nullptr) api->easyCleanup(curl);
    if (headers != nullptr) api->slistFreeAll(headers);
  }
};

HttpClient::HttpClient(HttpTimeouts timeouts, std::string library)
    : timeouts_(timeouts), library_(std::move(library)) {}

HttpClient::~HttpClient() = default;

std::string HttpClient::Get(const std::string& url, const StopToken& stop) {
  std::lock_guard lock(mutex_);
  if (handle_ == nullptr) {
    const CurlApi& api = LoadCurl(library_);
    if (!api.error.empty()) {
      throw Error("Cannot read the page " + url + ": the HTTP library " + library_ +
                  " could not be loaded (" + api.error + ")");
    }
    auto handle = std::make_unique<Handle>();
    handle->api = &api;
    handle->curl = api.easyInit();
    handle->headers = api.slistAppend(nullptr, "Accept: text/html, */*");
    if (handle->headers != nullptr) {
      curl_slist* more = api.slistAppend(handle->headers, "Content-Type: text/html");
      if (more != nullptr) handle->headers = more;
    }
    if (handle->curl != nullptr) {
      api.easySetopt(handle->curl, CURLOPT_COOKIEFILE, "");  // cookies in memory only
    }
    handle_ = std::move(handle);
  }
  const CurlApi& api = *handle_->api;
  CURL* curl = handle_->curl;
  if (curl == nullptr || handle_->headers == nullptr) return {};
  BodySink sink;
  sink.stop = &stop;
  api.easySetopt(curl, CURLOPT_URL, url.c_str());
  api.easySetopt(curl, CURLOPT_HTTPGET, 1L);
  api.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  api.easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  api.easySetopt(curl, CURLOPT_HTTPHEADER, handle_->headers);
  api.easySetopt(curl, CURLOPT_USERAGENT, kUserAgent);
  // No credentials ever travel with these requests, not even ones written into the address.
  api.easySetopt(curl, CURLOPT_USERNAME, nullptr);
  api.easySetopt(curl, CURLOPT_PASSWORD, nullptr);
  api.easySetopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_NONE);
  api.easySetopt(curl, CURLOPT_DISALLOW_USERNAME_IN_URL, 1L);
  api.easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  api.easySetopt(curl, CURLOPT_MAXREDIRS, 10L);
  api.easySetopt(curl, CURLOPT_FAILONERROR, 1L);
  api.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
  api.easySetopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.connect.count()));
  api.easySetopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts_.total.count()));
  // A body announced as too large is refused before it comes; one that does not say its size
  // is cut by AppendBody.
  api.easySetopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kHttpMaxBody));
  api.easySetopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
  api.easySetopt(curl, CURLOPT_WRITEDATA, &sink);
  api.easySetopt(curl, CURLOPT_NOPROGRESS, 0L);
  api.easySetopt(curl, CURLOPT_XFERINFOFUNCTION, CheckStop);
  api.easySetopt(curl, CURLOPT_XFERINFODATA, &sink);
  const CURLcode rc = api.easyPerform(curl);
  api.easySetopt(curl, CURLOPT_WRITEDATA, nullptr);
  api.easySetopt(curl, CURLOPT_XFERINFODATA, nullptr);
  api.easySetopt(curl, CURLOPT_NOPROGRESS, 1L);
  if (sink.failure == BodySink::Failure::TooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
    throw Error(Format("The page %s is larger than %zu KB and was not read", url.c_str(),
                       kHttpMaxBody / 1024));
  }
  if (sink.failure == BodySink::Failure::OutOfMemory) {
    throw Error("Not enough memory to read the page " + url);
  }
  if (rc != CURLE_OK) return {};
  return std::move(sink.body);
}

HttpClient& RunHttpClient() {
  static HttpClient client;
  return client;
}

}  // namespace qg::net
