// `quillon-cli build --upload`: after the build, the gallery goes to the FTP server that the
// stored preferences name (the hosting service or the user's own server) as "&Start File
// Upload" sends it, with one progress line per file on stderr and the gallery's address on
// stdout. The hosting-service folder name is made and saved at once when the preferences have
// none, so every later upload reuses that folder. A first Ctrl-C stops the upload within about a
// second, also while it waits for a server; a second one ends the program.
#include <atomic>
#include <csignal>
#include <cstdio>

#include "Commands.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/StopToken.h"
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
};

}  // namespace

int UploadBuiltGallery(const Project&, const std::vector<std::string>& uploadList,
                       const std::string& destFolder) {
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
  const UploadJob job = MakeUploadJob(prefs, uploadList, destFolder);
  ConsoleUploadObserver observer;
  ConsolePrompts prompts;

  StopSource stop;
  g_stopUpload = stop.Flag();
  const auto previous = std::signal(SIGINT, StopUploadOnInterrupt);
  UploadOutcome outcome;
  try {
    outcome = StartFileUpload(job, prompts, observer, net::RunHttpClient(), stop.Token());
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
