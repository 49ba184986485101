// The gallery upload.
#include "publish/Upload.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/Error.h"
#include "core/FileRead.h"
#include "core/Text.h"
#include "net/HttpClient.h"
#include "net/SocketCalls.h"
#include "publish/Deployment.h"
#include "publish/GalleryLink.h"
#include "publish/SessionUpload.h"

namespace qg {

namespace {

std::atomic<bool> g_uploadRunning{false};

// Holds the process's one upload slot for its lifetime.
class UploadSlot {
 public:
  UploadSlot() {
    bool expected = false;
    if (!g_uploadRunning.compare_exchange_strong(expected, true)) {
      throw Error(kUploadRunningMessage);
    }
  }
  ~UploadSlot() { g_uploadRunning = false; }
  UploadSlot(const UploadSlot&) = delete;
  UploadSlot& operator=(const UploadSlot&) = delete;
};

bool Listed(const std::vector<std::string>& listing, const std::string& name) {
  for (const std::string& entry : listing) {
    if (EqualNoCase(entry, name)) return true;
  }
  return false;
}

// Pages go as text, everything else as binary: the last five characters decide.
net::TransferType TypeFor(const std::string& remoteName) {
  if (remoteName.size() < 5) return net::TransferType::Binary;
  std::string tail = remoteName.substr(remoteName.size() - 5);
  for (char& c : tail) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  return tail == ".HTML" ? net::TransferType::Ascii : net::TransferType::Binary;
}

std::string LocalPath(const std::string& destFolder, const std::string& entry) {
  if (destFolder.empty()) return entry;
  if (destFolder.back() == '/') return destFolder + entry;
  return destFolder + "/" + entry;
}

// A gallery file as it is sent; the message keeps the upload's own wording.
std::string ReadGalleryFile(const std::string& path) {
  try {
    return ReadWholeFile(path, kPictureFileCap);
  } catch (const FileReadError& e) {
    throw Error("Cannot open file \"" + path + "\". " + e.reason());
  }
}

// Makes `name` in the current remote folder unless the listing shows it, then enters it.
void EnterFolder(net::FtpClient& client, const std::vector<std::string>& listing,
                 const std::string& name) {
  if (!Listed(listing, name)) client.MakeDirectory(name);
  client.ChangeDirectory(name);
}

void UploadFile(net::FtpClient& client, const std::string& localPath,
                const std::string& remoteName) {
  client.Store(remoteName, ReadGalleryFile(localPath));
}

bool HasDotDotSegment(const std::string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end - start == 2 && path.compare(start, 2, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}

// Nothing may leave the gallery's folder on the server: no upload entry or remote folder with a
// ".." part, no absolute entry. Checked before anything is sent.
void CheckRemotePaths(const UploadJob& job) {
  const std::string& folder = job.useService ? job.serviceFolder : job.ftpFolder;
  if (HasDotDotSegment(folder)) {
    throw Error("The FTP folder \"" + folder +
                "\" has a \"..\" part, which leads out of the gallery's folder; nothing was "
                "uploaded.");
  }
  for (const std::string& entry : job.uploadList) {
    if (HasDotDotSegment(entry) || (!entry.empty() && entry.front() == '/')) {
      throw Error("The file \"" + entry +
                  "\" of the upload list lies outside the gallery's folder; nothing was "
                  "uploaded.");
    }
  }
}

// What runs however the file loop ends.
void EndUpload(net::FtpClient& client, UploadObserver& observer) {
  client.Disconnect();
  observer.SetProgress(0);
  observer.SetStatus(kStatusReady);
  observer.EnableLink();
  observer.SetBusy(false);
}

// The file loop; a stop between two files ends it with Stopped.
UploadOutcome SendFiles(const UploadJob& job, net::FtpClient& client,
                        std::vector<std::string>& listing, UploadObserver& observer,
                        const StopToken& stop) {
  std::string current;  // the sub folder the client is in; empty: the gallery folder
  for (size_t i = 0; i < job.uploadList.size(); ++i) {
    if (stop.StopRequested()) return UploadOutcome::Stopped;
    const std::string& entry = job.uploadList[i];
    const size_t slash = entry.find('/');
    if (slash != std::string::npos) {
      const std::string sub = entry.substr(0, slash);
      if (current.empty()) {
        current = sub;
        listing = client.NameList();
        EnterFolder(client, listing, sub);
      } else if (sub != current) {
        current = sub;
        client.ChangeToParent();
        listing = client.NameList();
        EnterFolder(client, listing, sub);
      }
    } else if (!current.empty()) {
      client.ChangeToParent();
      current.clear();
    }
    // Only the first "/" counts: 'a/b/c.jpg' goes into 'a' under the name 'b/c.jpg'.
    const std::string remoteName =
        slash != std::string::npos ? entry.substr(slash + 1, 255) : entry;
    client.SetTransferType(TypeFor(remoteName));
    UploadFile(client, LocalPath(job.destFolder, entry), remoteName);
    observer.SetStatus(kStatusUploadingPrefix + remoteName);
    observer.SetProgress(static_cast<int>(i));
  }
  return UploadOutcome::Completed;
}

// The prompts of an upload that has nobody to ask: nothing is trusted or removed.
class NoQuestions : public UploadPrompts {
 public:
  void Inform(const std::string&) override {}
  bool ServiceRefused(const std::string&) override { return false; }
  void OpenInBrowser(const std::string&) override {}
};

std::string HomeFile(const char* relative) {
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + relative;
}

UploadOutcome UploadHoldingSlot(const UploadJob& job, const std::string& host,
                                const std::string& user, const std::string& password,
                                UploadObserver& observer, const StopToken& stop,
                                UploadPrompts* prompts = nullptr) {
  CheckRemotePaths(job);
  if (!UsesOriginalUpload(job)) {
    NoQuestions none;
    return SessionUpload(job, host, user, password, prompts != nullptr ? *prompts : none, observer,
                         stop);
  }
  const std::string folder = job.useService ? job.serviceFolder : job.ftpFolder;
  observer.SetAddress(job.useService ? ServiceGalleryAddress(job.hostingUrl, folder)
                                     : OwnServerGalleryAddress(host, folder));
  observer.SetProgressMax(static_cast<int>(job.uploadList.size()) - 1);

  net::FtpClient client(job.timeouts,
                        job.sockets != nullptr ? *job.sockets : net::SystemSocketCalls());
  client.SetStopToken(stop);
  std::vector<std::string> listing;
  try {
    client.Connect(host, user, password);
    listing = client.NameList();
    if (!folder.empty()) EnterFolder(client, listing, folder);
  } catch (const net::FtpStopped&) {
    return UploadOutcome::Stopped;  // the client closed the connection
  }

  observer.SetBusy(true);
  UploadOutcome outcome;
  try {
    outcome = SendFiles(job, client, listing, observer, stop);
  } catch (const net::FtpStopped&) {
    outcome = UploadOutcome::Stopped;
  } catch (...) {
    EndUpload(client, observer);
    throw;
  }
  EndUpload(client, observer);
  return outcome;
}

}  // namespace

UploadJob MakeUploadJob(const Preferences& prefs, std::vector<std::string> uploadList,
                        std::string destFolder) {
  UploadJob job;
  job.uploadList = std::move(uploadList);
  job.destFolder = std::move(destFolder);
  job.useService = prefs.blUseCorvaneServer;
  job.serviceFolder = prefs.sUserCorvaneFTPFolder;
  job.ftpHost = prefs.sFTPHost;
  job.ftpUser = prefs.sFTPUser;
  job.ftpPass = prefs.sFTPPass;
  job.ftpFolder = prefs.sFTPFolder;
  job.vendorSite = VendorSite();
  job.hostingUrl = HostingBaseUrl();
  job.transport = prefs.iFTPSecure == kFtpTls   ? net::Transport::Ftps
                  : prefs.iFTPSecure == kFtpSsh ? net::Transport::Sftp
                                                : net::Transport::Ftp;
  job.passive = prefs.blFTPPassive;
  job.port =
      prefs.iFTPPort > 0 && prefs.iFTPPort <= 65535 ? static_cast<uint16_t>(prefs.iFTPPort) : 0;
  job.changedOnly = ChangedOnly(prefs);
  job.removeStale = prefs.blFTPRemoveStale;
  job.trustedFingerprint = prefs.sFTPTrustedKey;
  if (job.transport == net::Transport::Sftp) job.identityFile = prefs.sFTPKeyFile;
  job.knownHostsFile = HomeFile("/.ssh/known_hosts");
  return job;
}

bool UsesOriginalUpload(const UploadJob& job) {
  if (job.useService) return true;
  return job.transport == net::Transport::Ftp && !job.passive && !job.changedOnly &&
         !job.removeStale;
}

std::string UploadSummaryText(const UploadSummary& s) {
  std::string text = Format("%zu sent, %zu skipped as unchanged, %zu retried, %zu failed", s.sent,
                            s.skipped, s.retried, s.failed);
  if (s.removed > 0) text += Format(", %zu removed from the server", s.removed);
  if (s.notRemoved > 0) text += Format(", %zu could not be removed", s.notRemoved);
  return text;
}

bool UploadRunning() { return g_uploadRunning.load(); }

UploadOutcome StartFileUpload(const UploadJob& job, UploadPrompts& prompts,
                              UploadObserver& observer, net::HttpClient& http,
                              const StopToken& stop) {
  UploadSlot slot;
  if (job.uploadList.empty()) {
    prompts.Inform(kNoGalleryMessage);
    return UploadOutcome::NothingToUpload;
  }
  CheckRemotePaths(job);
  if (!job.useService) {
    return UploadHoldingSlot(job, job.ftpHost, job.ftpUser, job.ftpPass, observer, stop, &prompts);
  }
  observer.SetStatus(kStatusChecking);
  const bool open = CheckUploadService(http, job.vendorSite, prompts, stop);
  if (stop.StopRequested()) return UploadOutcome::Stopped;
  if (!open) return UploadOutcome::ServiceRefused;
  std::string host, user, password;
  GetServiceConnection(http, job.vendorSite, host, user, password, stop);
  if (stop.StopRequested()) return UploadOutcome::Stopped;
  return UploadHoldingSlot(job, host, user, password, observer, stop);
}

UploadOutcome UploadGallery(const UploadJob& job, const std::string& host, const std::string& user,
                            const std::string& password, UploadObserver& observer,
                            const StopToken& stop) {
  UploadSlot slot;
  return UploadHoldingSlot(job, host, user, password, observer, stop);
}

}  // namespace qg
