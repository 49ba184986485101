// quillon-cli build PROJECT.tnp [--dest DIR] [--jobs N] [--incremental | --verify] [--list]
// [--upload]: "Create Gallery" without the window. --incremental remakes only what changed and
// removes what earlier builds wrote and this one does not; --verify makes everything in a scratch
// folder, prints what differs from the gallery on disk and exits 1 when anything does. The project
// is opened as the program opens one (a new project with the stored preferences, then the file read
// over it); --dest replaces the destination folder. Progress goes to stderr, as a bar on a terminal
// and as plain lines otherwise; --list prints the upload list on stdout. A first Ctrl-C stops as
// the Stop button does (the last picture, the copies and the index pages are still written) and the
// program then exits with 130, after the summary and the list but without uploading; a second
// Ctrl-C, SIGTERM or SIGHUP removes the build's scratch folder and temporary files and ends the
// program at once, by that signal.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "Commands.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "core/StopToken.h"
#include "gallery/GalleryBuilder.h"
#include "gallery/GalleryFiles.h"
#include "project/ProjectFile.h"
#include "project/ProjectOpen.h"
#include "project/Settings.h"

namespace qg::cli {

namespace {

constexpr int kInterruptedExit = 130;  // as a shell reports a program ended by Ctrl-C

// What the signal handler touches: only lock-free atomics.
std::atomic<bool>* g_stopFlag = nullptr;  // the running build's stop request
std::atomic<int> g_endSignal{0};          // a signal that ends the program at once

extern "C" void OnBuildSignal(int signal) {
  if (signal == SIGINT && g_stopFlag != nullptr && !g_stopFlag->exchange(true)) return;
  g_endSignal.store(signal);
}

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// For the life of a build: the handler above on SIGINT, SIGTERM and SIGHUP, and a thread that
// acts on an ending signal outside the handler (removing files is no work for a handler).
class BuildSignals {
 public:
  explicit BuildSignals(const StopSource& stop) {
    g_stopFlag = stop.Flag();
    g_endSignal.store(0);
    struct sigaction action = {};
    action.sa_handler = OnBuildSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
      ::sigaction(kEndingSignals[i], nullptr, &previous_[i]);
      // A signal the caller ignores (nohup, a background job) stays ignored.
      if (previous_[i].sa_handler != SIG_IGN) ::sigaction(kEndingSignals[i], &action, nullptr);
    }
    watcher_ = std::thread([this] { Watch(); });
  }
  ~BuildSignals() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    watcher_.join();
    for (size_t i = 0; i < std::size(kEndingSignals); ++i)
      ::sigaction(kEndingSignals[i], &previous_[i], nullptr);
    g_stopFlag = nullptr;
    // A signal that came as the build ended still ends the program, as it would have before.
    if (const int signal = g_endSignal.exchange(0)) std::raise(signal);
  }
  BuildSignals(const BuildSignals&) = delete;
  BuildSignals& operator=(const BuildSignals&) = delete;

 private:
  void Watch() {
    std::unique_lock lock(mutex_);
    while (!done_) {
      if (const int signal = g_endSignal.load()) {
        RemoveBuildLeftovers();
        std::fprintf(stderr, "\nquillon-cli build: ended by signal %d; the gallery is incomplete\n",
                     signal);
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        ::_exit(128 + signal);
      }
      wake_.wait_for(lock, std::chrono::milliseconds(50));
    }
  }

  struct sigaction previous_[std::size(kEndingSignals)] = {};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread watcher_;
};

// Progress on stderr: a redrawn bar on a terminal, one line per step otherwise.
class ConsoleProgress : public BuildObserver {
 public:
  ConsoleProgress() : terminal_(isatty(STDERR_FILENO) == 1) {}
  ~ConsoleProgress() override { EndBar(); }

  void OnProgress(size_t position, size_t maximum) override {
    position_ = position;
    maximum_ = maximum;
  }
  void OnText(const std::string& rawText) override {
    const std::string text = PlainDisplayText(rawText);  // it names pictures
    if (!terminal_) {
      std::fprintf(stderr, "%s\n", text.c_str());
      return;
    }
    const size_t percent =
        text == "Ready" ? 100 : (maximum_ == 0 ? 0 : position_ * 100 / (maximum_ + 1));
    constexpr size_t kWidth = 30;
    const std::string bar = std::string(percent * kWidth / 100, '#') +
                            std::string(kWidth - percent * kWidth / 100, '.');
    std::fprintf(stderr, "\r[%s] %3zu%% %.60s\033[K", bar.c_str(), percent, text.c_str());
    std::fflush(stderr);
    barShown_ = true;
  }
  void EndBar() {
    if (barShown_) std::fputc('\n', stderr);
    barShown_ = false;
  }

 private:
  const bool terminal_;
  bool barShown_ = false;
  size_t position_ = 0;
  size_t maximum_ = 0;
};

unsigned ParseJobs(const std::string& text) {
  const std::optional<unsigned long> value = WholeNumberIn(text, 1, 256);
  if (!value) throw UsageError{"--jobs needs a whole number from 1 to 256, not '" + text + "'"};
  return static_cast<unsigned>(*value);
}

const char* DifferenceWord(GalleryDifference::Kind kind) {
  switch (kind) {
    case GalleryDifference::Kind::Missing:
      return "missing";
    case GalleryDifference::Kind::Differs:
      return "differs";
    case GalleryDifference::Kind::LeftOver:
      return "left over";
  }
  return "differs";
}

}  // namespace

int RunBuild(const Args& args) {
  const CommandLine line =
      ParseCommandLine(args, WithUploadFlags({"--list", "--upload", "--incremental", "--verify"}),
                       WithUploadValued({"--dest", "--jobs"}));
  const UploadChoices choices = ReadUploadChoices(line);
  if (choices.any && !line.flag("--upload")) throw UsageError{"the upload options need --upload"};
  const std::string& path = SingleOperand(line, "project file");
  const std::string* dest = line.value("--dest");
  const std::string* jobsText = line.value("--jobs");
  const unsigned jobs = jobsText ? ParseJobs(*jobsText) : 0;
  const bool verify = line.flag("--verify");
  if (verify && line.flag("--incremental"))
    throw UsageError{"--verify and --incremental cannot be used together"};
  if (verify && line.flag("--upload"))
    throw UsageError{"--verify writes nothing, so there is nothing to --upload"};
  BuildRequest request;
  request.kind = verify                       ? BuildKind::Verify
                 : line.flag("--incremental") ? BuildKind::Incremental
                                              : BuildKind::Full;

  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw Error(Format("Cannot open the project file '%s'", path.c_str()));
  }
  Preferences prefs;
  LoadPreferences("build", prefs);
  Project project;
  OpenProject(project, path, prefs);
  if (dest) project.options.editDestFolder = *dest;

  GalleryBuilder builder(jobs);
  BuildResult result;
  const StopSource stop;
  {
    ConsoleProgress progress;
    const BuildSignals signals(stop);
    result = builder.Build(project, &progress, stop.Token(), request);
  }
  if (result.outcome != BuildOutcome::Built) throw Error(result.message);
  const bool interrupted = stop.StopRequested();
  if (!result.recordProblem.empty()) {
    std::fprintf(stderr, "quillon-cli build: warning: %s\n",
                 PlainDisplayText(result.recordProblem).c_str());
  }

  if (verify) {
    for (const GalleryDifference& difference : result.differences) {
      std::printf("%s: %s\n", DifferenceWord(difference.kind),
                  PlainDisplayText(difference.path).c_str());
    }
    std::fflush(stdout);
    std::fprintf(stderr, "Gallery in %s: %zu file%s compared, %zu not as a build makes %s%s\n",
                 PlainDisplayText(result.destFolder).c_str(), result.filesWritten,
                 result.filesWritten == 1 ? "" : "s", result.differences.size(),
                 result.differences.size() == 1 ? "it" : "them",
                 result.stopped ? " (stopped early)" : "");
    if (line.flag("--list")) {
      for (const std::string& entry : result.uploadList)
        std::printf("%s\n", PlainDisplayText(entry).c_str());
      std::fflush(stdout);
    }
    if (interrupted) return kInterruptedExit;
    return result.differences.empty() ? 0 : 1;
  }

  std::fprintf(stderr, "Gallery written to %s: %zu picture%s, %zu index page%s%s\n",
               PlainDisplayText(result.destFolder).c_str(), project.pictures.size(),
               project.pictures.size() == 1 ? "" : "s", result.pageCount,
               result.pageCount == 1 ? "" : "s", result.stopped ? " (stopped early)" : "");
  if (request.kind == BuildKind::Incremental) {
    std::fprintf(stderr, "%zu file%s written, %zu unchanged, %zu left-over file%s removed\n",
                 result.filesWritten, result.filesWritten == 1 ? "" : "s", result.filesUnchanged,
                 result.filesRemoved, result.filesRemoved == 1 ? "" : "s");
  }
  if (line.flag("--list")) {
    for (const std::string& entry : result.uploadList) {
      std::printf("%s\n", PlainDisplayText(entry).c_str());
    }
    std::fflush(stdout);
  }
  if (interrupted) return kInterruptedExit;
  if (line.flag("--upload"))
    return UploadBuiltGallery(project, result.uploadList, result.destFolder, choices);
  return 0;
}

}  // namespace qg::cli
