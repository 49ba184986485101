// quillon-cli build PROJECT.tnp [--dest DIR] [--jobs N] [--list] [--upload]: "Create Gallery"
// without the window. The project is opened as the program opens one (a new project with the
// stored preferences, then the file read over it); --dest replaces the destination folder. Progress
// goes to stderr, as a bar on a terminal and as plain lines otherwise; --list prints the upload
// list on stdout. A first Ctrl-C stops as the Stop button does (the last picture and the index
// pages are still written); a second one ends the program at once.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "Commands.h"
#include "core/Error.h"
#include "gallery/GalleryBuilder.h"
#include "project/ProjectFile.h"
#include "project/ProjectOpen.h"
#include "project/Settings.h"

namespace qg::cli {

namespace {

GalleryBuilder* g_running = nullptr;

extern "C" void StopOnInterrupt(int) {
  if (g_running != nullptr) g_running->RequestStop();
  std::signal(SIGINT, SIG_DFL);
}

// Progress on stderr: a redrawn bar on a terminal, one line per step otherwise.
class ConsoleProgress : public BuildObserver {
 public:
  ConsoleProgress() : terminal_(isatty(STDERR_FILENO) == 1) {}
  ~ConsoleProgress() override { EndBar(); }

  void OnProgress(size_t position, size_t maximum) override {
    position_ = position;
    maximum_ = maximum;
  }
  void OnText(const std::string& text) override {
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
  size_t used = 0;
  unsigned long value = 0;
  try {
    value = std::stoul(text, &used);
  } catch (...) {
    used = 0;
  }
  if (used != text.size() || value < 1 || value > 256) {
    throw UsageError{"--jobs needs a whole number from 1 to 256, not '" + text + "'"};
  }
  return static_cast<unsigned>(value);
}

}  // namespace

int RunBuild(const Args& args) {
  const CommandLine line = ParseCommandLine(args, {"--list", "--upload"}, {"--dest", "--jobs"});
  const std::string& path = SingleOperand(line, "project file");
  const std::string* dest = line.value("--dest");
  const std::string* jobsText = line.value("--jobs");
  const unsigned jobs = jobsText ? ParseJobs(*jobsText) : 0;

  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw Error(Format("Cannot open the project file '%s'", path.c_str()));
  }
  Preferences prefs;
  LoadSettings(prefs);
  Project project;
  OpenProject(project, path, prefs);
  if (dest) project.options.editDestFolder = *dest;

  GalleryBuilder builder(jobs);
  BuildResult result;
  {
    ConsoleProgress progress;
    g_running = &builder;
    const auto previous = std::signal(SIGINT, StopOnInterrupt);
    result = builder.Build(project, &progress);
    std::signal(SIGINT, previous);
    g_running = nullptr;
  }
  if (result.outcome != BuildOutcome::Built) throw Error(result.message);

  std::fprintf(stderr, "Gallery written to %s: %zu picture%s, %zu index page%s%s\n",
               result.destFolder.c_str(), project.pictures.size(),
               project.pictures.size() == 1 ? "" : "s", result.pageCount,
               result.pageCount == 1 ? "" : "s", result.stopped ? " (stopped early)" : "");
  if (line.flag("--list")) {
    for (const std::string& entry : result.uploadList) std::printf("%s\n", entry.c_str());
    std::fflush(stdout);
  }
  if (line.flag("--upload"))
    return UploadBuiltGallery(project, result.uploadList, result.destFolder);
  return 0;
}

}  // namespace qg::cli
