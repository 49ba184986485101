// Gallery addresses and the mail link.
#include "publish/GalleryLink.h"

namespace qg {

std::string ServiceGalleryAddress(const std::string& hostingBaseUrl, const std::string& folder) {
  return hostingBaseUrl + folder + "/index.html";
}

std::string OwnServerGalleryAddress(const std::string& host, const std::string& folder) {
  return host + "/" + folder + "/index.html";
}

std::string ComposeMailAddress(const std::string& recipient, const std::string& subject,
                               const std::string& body) {
  return "mailto:" + recipient + "?subject=" + subject + "&body=" + body;
}

std::string GalleryLinkMailAddress(const std::string& linkText) {
  return ComposeMailAddress("", kGalleryMailSubject, kGalleryMailBodyPrefix + linkText);
}

}  // namespace qg
