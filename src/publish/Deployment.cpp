// The deployment addresses and their overrides from the environment.
#include "publish/Deployment.h"

#include <cstdlib>

namespace qg {

namespace {

std::string FromEnvironment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

std::string VendorSite() {
  std::string site = FromEnvironment("QUILLON_VENDOR_SITE", kDefaultVendorSite);
  // Page paths are appended with their own leading "/".
  while (site.size() > 1 && site.back() == '/') site.pop_back();
  return site;
}

std::string HostingBaseUrl() {
  std::string url = FromEnvironment("QUILLON_HOSTING_URL", kDefaultHostingUrl);
  // The folder name is appended straight after the base, so the base must end in "/".
  if (url.back() != '/') url += '/';
  return url;
}

}  // namespace qg
