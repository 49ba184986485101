// Loading libcurl at run time. Only curl's header is used at build time (for its types and
// constants); the functions come from dlsym.
#include "net/CurlLibrary.h"
#include "net/SymbolBinding.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace qg::net {

namespace {}  // namespace

const CurlApi& LoadCurl(const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, CurlApi> loaded;
  std::lock_guard lock(mutex);
  if (const auto found = loaded.find(name); found != loaded.end()) return found->second;
  CurlApi& api = loaded[name];
  void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    api.error = why != nullptr ? why : "not found";
    return api;
  }
  std::string& e = api.error;
  if (!Bind(library, "curl_global_init", api.globalInit, e) ||
      !Bind(library, "curl_easy_init", api.easyInit, e) ||
      !Bind(library, "curl_easy_setopt", api.easySetopt, e) ||
      !Bind(library, "curl_easy_perform", api.easyPerform, e) ||
      !Bind(library, "curl_easy_getinfo", api.easyGetinfo, e) ||
      !Bind(library, "curl_easy_cleanup", api.easyCleanup, e) ||
      !Bind(library, "curl_easy_strerror", api.easyStrerror, e) ||
      !Bind(library, "curl_slist_append", api.slistAppend, e) ||
      !Bind(library, "curl_slist_free_all", api.slistFreeAll, e)) {
    return api;
  }
  if (api.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) api.error = "it could not be initialised";
  return api;
}

}  // namespace qg::net
