// The handshake with the hosting service before an upload: the status page says whether the
// service is open (and why not), the connection page gives the FTP host, user name and the
// value from which the FTP password is made. Both are plain text read by HTTP GET.
#pragma once

#include <string>

#include "core/StopToken.h"

namespace qg {

namespace net {
class HttpClient;
}

constexpr const char* kServiceStatusPath = "/quillon/ftpservice.htm";
constexpr const char* kServiceConnectPath = "/quillon/ftpconnect.htm";
constexpr const char* kServiceInfoPath = "/quillon/ftpinfo.htm";

// What the window shows when the service is closed; the core decides what the answer means.
class ServicePrompts {
 public:
  virtual ~ServicePrompts() = default;
  // Shows the service's message (the hint dialog with the action button "Click here for more
  // info"); true when the user pressed that button.
  virtual bool ServiceRefused(const std::string& message) = 0;
  // Opens a web page in the user's browser.
  virtual void OpenInBrowser(const std::string& url) = 0;
};

constexpr const char* kMoreInfoCaption = "Click here for more info";

// The body of address + suffix, or empty text on any failure (a stop request included). Throws
// qg::Error only for a page far larger than a service page and when libcurl cannot be loaded
// (see net::HttpClient::Get): neither may pass for "no answer".
std::string FetchServiceText(net::HttpClient& http, const std::string& address,
                             const std::string& suffix, const StopToken& stop = {});

struct ServiceStatus {
  bool open = true;
  std::string message;  // only when closed
};
// Reads a status page that is not empty: the two characters right after "SERVICE:" must be
// "OK"; otherwise the message starts after "MESSAGE:" and one separator character and runs for
// at most 255 characters. A missing marker counts as standing at position 0.
ServiceStatus ParseServiceStatus(const std::string& text);

// Applies a connection page to the three values: "HOSTNAME:", "USERNAME:" and "PASSWORD:" are
// looked for in this order, each in the at most 255 characters kept after the previous one
// found; a found marker's value runs to the next "!!!" (empty when there is none) and a missing
// marker leaves its value as it was. The password value goes through ServicePassword and the
// first six characters are kept. An empty page changes nothing.
void ApplyServiceConnection(const std::string& text, std::string& host, std::string& user,
                            std::string& password);

// The hosting service's password transformation, shared with the service (see the .cpp).
std::string ServicePassword(const std::string& value);

// Asks the status page; true when the upload may go on (open, or no answer at all), false
// after the refusal was shown (and the information page opened when the user asked for it).
bool CheckUploadService(net::HttpClient& http, const std::string& vendorSite,
                        ServicePrompts& prompts, const StopToken& stop = {});

// Asks the connection page and applies it; always true.
bool GetServiceConnection(net::HttpClient& http, const std::string& vendorSite, std::string& host,
                          std::string& user, std::string& password, const StopToken& stop = {});

}  // namespace qg
