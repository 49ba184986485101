// Where the vendor's web site and the hosting service live. Both are constants of a
// deployment; the environment can point them elsewhere (a test server, a staging site).
#pragma once

#include <string>

namespace qg {

constexpr const char* kDefaultVendorSite = "https://www.corvane-soft.com";
constexpr const char* kDefaultHostingUrl = "https://galleries.corvane-soft.com/";

// QUILLON_VENDOR_SITE when set and not empty, else the default; never ends in "/".
std::string VendorSite();
// QUILLON_HOSTING_URL when set and not empty, else the default; always ends in "/".
std::string HostingBaseUrl();

}  // namespace qg
