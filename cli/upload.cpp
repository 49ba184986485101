// `quillon-cli build --upload`: after the build, the gallery goes to the FTP server that the
// stored preferences name (the hosting service or the user's own server) as "&Start File
// Upload" sends it, with one progress line per file on stderr and the gallery's address on
// stdout. The hosting-service folder name is made and saved at once when the preferences have
// none, so every later upload reuses that folder. A first Ctrl-C stops between two files.
#include <atomic>
#include <csignal>
#include <cstdio>

#include "Commands.h"
#include "core/Error.h"
#include "net/HttpClient.h"
#include "project/Settings.h"
#include "publish/Deployment.h"
#include "publish/ServiceFolder.h"
#include "publish/Upload.h"

namespace qg::cli {

namespace {

std::atomic<bool> g_stopUpload{false};

extern "C" void StopUploadOnInterrupt(int) {
  g_stopUpload = true;
  std::signal(SIGINT, SIG_DFL);
}

class ConsoleUploadObserver : public UploadObserver {
 public:
  std::string address;

  void SetStatus(const std::string& text) override {
    if (text != kStatusReady) std::fprintf(stderr, "%s\n", text.c_str());
  }
  void SetAddress(const std::string& text) override { address = text; }
};

class ConsolePrompts : public UploadPrompts {
 public:
  void Inform(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool ServiceRefused(const std::string& message) override {
    std::fprintf(stderr, "The upload service is not available: %s\nMore information: %s%s\n",
                 message.c_str(), VendorSite().c_str(), kServiceInfoPath);
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

  g_stopUpload = false;
  const auto previous = std::signal(SIGINT, StopUploadOnInterrupt);
  UploadOutcome outcome;
  try {
    outcome = StartFileUpload(job, prompts, observer, net::RunHttpClient(), &g_stopUpload);
  } catch (...) {
    std::signal(SIGINT, previous);
    throw;
  }
  std::signal(SIGINT, previous);

  switch (outcome) {
    case UploadOutcome::Completed:
      std::printf("%s\n", observer.address.c_str());
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
