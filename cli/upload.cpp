// `quillon-cli build --upload` and `quillon-cli upload`: the gallery goes to the FTP server that
// the stored preferences name (the hosting service or the user's own server) as "&Start File
// Upload" sends it, with one progress line per file on stderr and the gallery's address on
// stdout. The publishing options change, for that run only, how the own server is reached
// (passive FTP, FTPS, SFTP; port; key; trusted fingerprint) and what is sent or removed. The
// hosting-service folder name is made and saved at once when the preferences have none, so every
// later upload reuses that folder. A first Ctrl-C stops the upload within about a second, also
// while it waits for a server; a second one ends the program.
#include <atomic>
#include <csignal>
#include <cstdio>

#include "Commands.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/StopToken.h"
#include "net/Digest.h"
#include "net/HttpClient.h"
#include "project/Settings.h"
#include "publish/Deployment.h"
#include "publish/ServiceFolder.h"
#include "publish/Upload.h"

namespace qg::cli {

namespace {

// The running upload's stop flag; the handler only stores to it (a lock-free atomic).
std::atomic<std::atomic<bool>*> g_stopUpload{nullptr};
static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free);

extern "C" void StopUploadOnInterrupt(int) {
  if (std::atomic<bool>* flag = g_stopUpload.load()) flag->store(true);
  std::signal(SIGINT, SIG_DFL);
}

class ConsoleUploadObserver : public UploadObserver {
 public:
  std::string address;

  void SetStatus(const std::string& text) override {
    if (text != kStatusReady) std::fprintf(stderr, "%s\n", PlainDisplayText(text).c_str());
  }
  void SetAddress(const std::string& text) override { address = text; }
  void Finished(const UploadSummary& summary) override {
    std::fprintf(stderr, "Upload finished: %s\n", UploadSummaryText(summary).c_str());
  }
};

class ConsolePrompts : public UploadPrompts {
 public:
  void Inform(const std::string& text) override {
    std::fprintf(stderr, "%s\n", PlainDisplayText(text).c_str());
  }
  bool ServiceRefused(const std::string& message) override {
    std::fprintf(stderr, "The upload service is not available: %s\nMore information: %s%s\n",
                 PlainDisplayText(message).c_str(), PlainDisplayText(VendorSite()).c_str(),
                 kServiceInfoPath);
    return false;  // no browser from the command line
  }
  void OpenInBrowser(const std::string&) override {}
  bool ConfirmRemoval(const std::vector<std::string>& names) override {
    std::fprintf(stderr, "Files an earlier upload sent that the gallery no longer has:\n");
    for (const std::string& name : names)
      std::fprintf(stderr, "  %s\n", PlainDisplayText(name).c_str());
    if (!removeConfirmed) {
      std::fprintf(stderr, "Not removed; run again with --remove-stale --yes to remove them\n");
      return false;
    }
    std::fprintf(stderr, "Removing them from the server\n");
    return true;
  }

  bool removeConfirmed = false;
};

// A whole number from 1 to 65535.
int ParsePort(const std::string& text) {
  const std::optional<unsigned long> value = WholeNumberIn(text, 1, 65535);
  if (!value) throw UsageError{"--port needs a port number from 1 to 65535, not '" + text + "'"};
  return static_cast<int>(*value);
}

// The preferences' job with the choices applied.
UploadJob ApplyChoices(UploadJob job, const UploadChoices& c) {
  if (!c.transport.empty()) {
    job.transport = c.transport == "ftps"   ? net::Transport::Ftps
                    : c.transport == "sftp" ? net::Transport::Sftp
                                            : net::Transport::Ftp;
  }
  if (c.passive) job.passive = true;
  if (c.port != 0) job.port = static_cast<uint16_t>(c.port);
  if (!c.identity.empty()) job.identityFile = c.identity;
  if (!c.trust.empty()) job.trustedFingerprint = c.trust;
  if (c.removeStale) job.removeStale = true;
  if (c.changedOnly >= 0) {
    job.changedOnly = c.changedOnly == 1;
  } else if (!c.transport.empty() || c.passive) {
    // The transport chosen for this run brings its own default, as in the preferences.
    Preferences p;
    p.blFTPPassive = job.passive;
    p.iFTPSecure = job.transport == net::Transport::Ftps   ? kFtpTls
                   : job.transport == net::Transport::Sftp ? kFtpSsh
                                                           : kFtpPlain;
    job.changedOnly = ChangedOnly(p);
  }
  return job;
}

}  // namespace

std::vector<std::string> WithUploadFlags(std::vector<std::string> own) {
  own.insert(own.end(), {"--passive", "--changed-only", "--all", "--remove-stale", "--yes"});
  return own;
}

std::vector<std::string> WithUploadValued(std::vector<std::string> own) {
  own.insert(own.end(), {"--transport", "--port", "--identity", "--trust"});
  return own;
}

UploadChoices ReadUploadChoices(const CommandLine& line) {
  UploadChoices c;
  if (const std::string* transport = line.value("--transport")) {
    if (*transport != "ftp" && *transport != "ftps" && *transport != "sftp")
      throw UsageError{"--transport needs ftp, ftps or sftp, not '" + *transport + "'"};
    c.transport = *transport;
  }
  c.passive = line.flag("--passive");
  if (const std::string* port = line.value("--port")) c.port = ParsePort(*port);
  if (line.flag("--changed-only") && line.flag("--all"))
    throw UsageError{"--changed-only and --all exclude each other"};
  if (line.flag("--changed-only")) c.changedOnly = 1;
  if (line.flag("--all")) c.changedOnly = 0;
  c.removeStale = line.flag("--remove-stale");
  c.yes = line.flag("--yes");
  if (c.yes && !c.removeStale) throw UsageError{"--yes confirms --remove-stale, which is missing"};
  if (const std::string* identity = line.value("--identity")) c.identity = *identity;
  if (const std::string* trust = line.value("--trust")) {
    if (!net::LooksLikeFingerprint(*trust))
      throw UsageError{"--trust needs a fingerprint like SHA256:<43 base64 characters>, not '" +
                       *trust + "'"};
    c.trust = *trust;
  }
  c.any = !c.transport.empty() || c.passive || c.port != 0 || c.changedOnly >= 0 || c.removeStale ||
          !c.identity.empty() || !c.trust.empty();
  return c;
}

int UploadBuiltGallery(const Project&, const std::vector<std::string>& uploadList,
                       const std::string& destFolder, const UploadChoices& choices) {
  Preferences prefs;
  SettingsReading reading;
  LoadSettings(prefs, &reading);  // the build printed the warning already
  // A damaged file turns the hosting service on by the reading rule: the gallery must not go
  // there only because the user's own server could not be read.
  const std::string warning = SettingsReadingWarning(reading);
  if (!warning.empty() && prefs.blUseCorvaneServer) throw Error(warning);
  if (EnsureServiceFolderName(prefs) && !SaveSettings(prefs)) {
    std::fprintf(stderr,
                 "Warning: the preferences could not be saved; the next upload to the "
                 "hosting service will use another folder\n");
  }
  if (choices.any && prefs.blUseCorvaneServer) {
    throw Error(
        "The publishing options apply to your own FTP server, but the preferences upload to the "
        "hosting service; nothing was uploaded");
  }
  const UploadJob job = ApplyChoices(MakeUploadJob(prefs, uploadList, destFolder), choices);
  ConsoleUploadObserver observer;
  ConsolePrompts prompts;
  prompts.removeConfirmed = choices.yes;

  StopSource stop;
  g_stopUpload = stop.Flag();
  const auto previous = std::signal(SIGINT, StopUploadOnInterrupt);
  UploadOutcome outcome;
  try {
    outcome = StartFileUpload(job, prompts, observer, net::RunHttpClient(), stop.Token());
  } catch (const net::UntrustedServer& e) {
    std::signal(SIGINT, previous);
    g_stopUpload = nullptr;
    if (e.fingerprint().empty()) throw;
    throw Error(std::string(e.what()) + ". If it is your server, run again with --trust " +
                e.fingerprint());
  } catch (...) {
    std::signal(SIGINT, previous);
    g_stopUpload = nullptr;
    throw;
  }
  std::signal(SIGINT, previous);
  g_stopUpload = nullptr;

  switch (outcome) {
    case UploadOutcome::Completed:
      std::printf("%s\n", PlainDisplayText(observer.address).c_str());
      std::fflush(stdout);
      return 0;
    case UploadOutcome::Stopped:
      std::fprintf(stderr, "Upload stopped; the files sent so far stay on the server\n");
      return 1;
    case UploadOutcome::NothingToUpload:
    case UploadOutcome::ServiceRefused:
      return 1;
  }
  return 1;
}

}  // namespace qg::cli
