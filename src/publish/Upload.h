// Uploading a built gallery by FTP: the files of the upload list, each sub folder made and
// entered as its entries come up, ASCII mode for ".html" pages and binary for the rest, per-file
// progress, and the gallery's address. The target is the user's own server or the hosting
// service after its handshake.
//
// The own server may also be reached in passive mode, over FTPS or over SFTP, and the upload may
// send only what changed since the last one (UploadJob's publishing fields). Any of these takes
// the upload of SessionUpload.h (temporary names renamed into place, pictures before pages,
// retries, a record of what was sent); with all of them at their defaults the upload is the
// original one, command for command.
//
// Threading: every function here runs wholly on the calling thread and blocks it; the window
// calls them on a worker thread. Observer and prompt calls arrive on that thread, so the window
// forwards them to its own (prompts wait for the answer). Only one upload runs at a time in the
// process: a second start while one runs fails with kUploadRunningMessage. A running upload is
// stopped through its stop token within about a second, also while it waits for a server.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/StopToken.h"
#include "net/FtpClient.h"
#include "net/RemoteSession.h"
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

  // Publishing choices for the own server (the hosting service always takes the original
  // upload).
  net::Transport transport = net::Transport::Ftp;
  bool passive = false;
  uint16_t port = 0;  // 0: from ftpHost, else the transport's usual one
  bool changedOnly = false;
  bool removeStale = false;                    // after asking (UploadPrompts::ConfirmRemoval)
  std::string identityFile;                    // SFTP: log in with this private key
  std::string trustedFingerprint;              // the certificate or host key confirmed by the user
  std::string knownHostsFile;                  // SFTP without a confirmed key
  int retries = 3;                             // further attempts of a file that failed on the way
  std::chrono::milliseconds retryDelay{1000};  // before the first of them; doubles each time
  std::string manifestPath;  // the record of what was sent; empty: the cache folder's
  std::string curlLibrary = "libcurl.so.4";
};

// True when the job takes the original upload: the hosting service, or active plain FTP that
// sends every file and removes nothing.
bool UsesOriginalUpload(const UploadJob& job);

// What an upload over the new transports did, for the final message.
struct UploadSummary {
  size_t sent = 0;
  size_t skipped = 0;  // unchanged since the last upload
  size_t retried = 0;  // further attempts made
  size_t failed = 0;   // files that did not arrive
  size_t removed = 0;  // files the gallery no longer has, removed from the server
  size_t notRemoved = 0;
};
// "12 sent, 488 skipped as unchanged, 1 retried, 0 failed" (and what was removed, if anything).
std::string UploadSummaryText(const UploadSummary& summary);

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
  // The user confirmed the server's certificate or host key: later uploads accept it.
  virtual void TrustedServer(const std::string& /*fingerprint*/) {}
  // An upload over the new transports ended with every file in place.
  virtual void Finished(const UploadSummary& /*summary*/) {}
};

class UploadPrompts : public ServicePrompts {
 public:
  // An information box with an OK button.
  virtual void Inform(const std::string& text) = 0;
  // The server presented a certificate or host key that could not be verified; `message` says
  // so and shows its fingerprint. True: trust it (now and for later uploads).
  virtual bool TrustServer(const std::string& /*message*/, const std::string& /*fingerprint*/) {
    return false;
  }
  // The files that an earlier upload sent and the gallery no longer has. True: remove them.
  virtual bool ConfirmRemoval(const std::vector<std::string>& /*names*/) { return false; }
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
