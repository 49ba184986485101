// libcurl, loaded with dlopen when a request first needs it, and the few functions of it that
// the clients call. The programs do not link libcurl: most runs never touch the network, and the
// library brings TLS, SSH, LDAP and Kerberos libraries with it.
//
// Threading: LoadCurl may be called from any thread; the library stays loaded for the run.
#pragma once

#include <curl/curl.h>

#include <string>

namespace qg::net {

struct CurlApi {
  CURLcode (*globalInit)(long) = nullptr;
  CURL* (*easyInit)() = nullptr;
  CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
  CURLcode (*easyPerform)(CURL*) = nullptr;
  CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
  void (*easyCleanup)(CURL*) = nullptr;
  const char* (*easyStrerror)(CURLcode) = nullptr;
  curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
  void (*slistFreeAll)(curl_slist*) = nullptr;
  std::string error;  // why the library is not usable; empty when it is
};

// Loads `name` once per process and initialises it. The result's `error` says why it cannot be
// used (the library is missing, or lacks a function).
const CurlApi& LoadCurl(const std::string& name);

// A curl_slist that frees itself.
class CurlList {
 public:
  explicit CurlList(const CurlApi& api) : api_(&api) {}
  ~CurlList() {
    if (list_ != nullptr) api_->slistFreeAll(list_);
  }
  CurlList(const CurlList&) = delete;
  CurlList& operator=(const CurlList&) = delete;
  // False when libcurl could not store the line (out of memory).
  bool Append(const std::string& line) {
    curl_slist* more = api_->slistAppend(list_, line.c_str());
    if (more == nullptr) return false;
    list_ = more;
    return true;
  }
  curl_slist* get() const { return list_; }

 private:
  const CurlApi* api_;
  curl_slist* list_ = nullptr;
};

}  // namespace qg::net
