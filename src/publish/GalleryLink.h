// The gallery's web address after an upload and the mail that passes it on.
#pragma once

#include <string>

namespace qg {

constexpr const char* kGalleryMailSubject = "My Quillon Gallery";
constexpr const char* kGalleryMailBodyPrefix = "My gallery link: ";

// Hosting service: base URL (ending in "/") + folder + "/index.html".
std::string ServiceGalleryAddress(const std::string& hostingBaseUrl, const std::string& folder);
// Own server: the host name as typed (no scheme added) + "/" + folder + "/index.html"; an
// empty folder therefore gives two slashes before index.html.
std::string OwnServerGalleryAddress(const std::string& host, const std::string& folder);

// "mailto:" + recipient + "?subject=" + subject + "&body=" + body, joined as they are: mail
// programs take the address as the user would type it, blanks and all.
std::string ComposeMailAddress(const std::string& recipient, const std::string& subject,
                               const std::string& body);
// The address that "&Email your Gallery Link" opens for the link label's text.
std::string GalleryLinkMailAddress(const std::string& linkText);

}  // namespace qg
