// Uploading a built gallery by FTP: the files of the upload list, each sub folder made and
// entered as its entries come up, ASCII mode for ".html" pages and binary for the rest, per-file
// progress, and the gallery's address. The target is the user's own server or the hosting
// service after its handshake.
//
// Threading: every function here runs wholly on the calling thread and blocks it; the window
// calls them on a worker thread. Observer and prompt calls arrive on that thread, so the window
// forwards them to its own (prompts wait for the answer). Only one upload runs at a time in the
// process: a second start while one runs fails with kUploadRunningMessage. A running upload is
// stopped through its stop token within about a second, also while it waits for a server.
#pragma once

#include <string>
#include <vector>

#include "core/StopToken.h"
#include "net/FtpClient.h"
#include "project/Preferences.h"
#include "publish/ServiceHandshake.h"

namespace qg {

namespace net {
class HttpClient;
class SocketCalls;
}  // namespace net

constexpr const char* kNoGalleryMessage =
    "Please create your gallery before uploading to the server (Project Step 4).";
constexpr const char* kStatusChecking = "Checking FTP Service";
constexpr const char* kStatusReady = "Ready";
constexpr const char* kStatusUploadingPrefix = "Uploading: ";
constexpr const char* kUploadRunningMessage =
    "A gallery upload is already running. Please wait until it has finished";

// Everything one upload reads, copied when it starts so that a new build or changed settings
// cannot disturb it.
struct UploadJob {
  std::vector<std::string> uploadList;               // names relative to destFolder, in list order
  std::string destFolder;                            // where the build wrote them
  bool useService = true;                            // upload to the hosting service
  std::string serviceFolder;                         // the user's folder there
  std::string ftpHost, ftpUser, ftpPass, ftpFolder;  // the own server
  std::string vendorSite;                            // base of the service pages
  std::string hostingUrl;  // base of the gallery addresses on the service (ends in "/")
  net::FtpTimeouts timeouts;
  net::SocketCalls* sockets = nullptr;  // null: the system; tests inject faults here
};

// A job from the preferences and the deployment addresses.
UploadJob MakeUploadJob(const Preferences& prefs, std::vector<std::string> uploadList,
                        std::string destFolder);

// What the upload page shows; each call names the control it drives.
class UploadObserver {
 public:
  virtual ~UploadObserver() = default;
  virtual void SetStatus(const std::string& /*text*/) {}      // lblFTPFile
  virtual void SetAddress(const std::string& /*address*/) {}  // lblURLGallery's text
  virtual void SetProgressMax(int /*maximum*/) {}             // pbarUpload
  virtual void SetProgress(int /*position*/) {}               // pbarUpload
  virtual void SetBusy(bool /*busy*/) {}                      // hourglass cursor
  virtual void EnableLink() {}  // lblURLGallery and btnEmailLink become enabled
};

class UploadPrompts : public ServicePrompts {
 public:
  // An information box with an OK button.
  virtual void Inform(const std::string& text) = 0;
};

enum class UploadOutcome {
  NothingToUpload,  // the list was empty; the user was told
  ServiceRefused,   // the hosting service is closed; the user was told
  Completed,        // every file was sent
  Stopped,          // a stop was requested; the files before it were sent
};

// "&Start File Upload": the empty-list check, the hosting service's handshake when the job
// uses it, then UploadGallery. Failures are thrown as qg::Error (FTP refusals as net::FtpError
// carrying the server's reply text).
UploadOutcome StartFileUpload(const UploadJob& job, UploadPrompts& prompts,
                              UploadObserver& observer, net::HttpClient& http,
                              const StopToken& stop = {});

// The upload proper with the given connection data: sets the address, connects and logs in,
// makes and enters the remote folder (when it has a name), sends every entry, and then, however
// the file loop ended, disconnects and resets the page (status "Ready", bar 0, link enabled).
// A failure before the file loop leaves the page as it was and skips that reset; so does a stop
// requested before it (the connection is closed and the outcome is Stopped).
UploadOutcome UploadGallery(const UploadJob& job, const std::string& host, const std::string& user,
                            const std::string& password, UploadObserver& observer,
                            const StopToken& stop = {});

// True while an upload runs in this process.
bool UploadRunning();

}  // namespace qg
