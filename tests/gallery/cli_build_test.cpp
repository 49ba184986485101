// quillon-cli as scripts use it: `build` refusing to write over the photos, stopped by Ctrl-C
// (exit 130 after what a stop writes) and ended by SIGTERM or a second Ctrl-C (no scratch folder
// or temporary file left behind), and every command's --help, unknown options and --version.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "../codecs/TestPictures.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace qg {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kCli = std::string(QG_BIN_DIR) + "/quillon-cli";

struct CliRun {
  int exitCode = -1;  // -1 when ended by a signal
  int signal = 0;     // the signal that ended it
  std::string out;
  std::string err;
};

void ReadStatus(int status, CliRun& run) {
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
}

class CliBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kCli)) GTEST_SKIP() << "quillon-cli is not built";
    fs::create_directories(dir_.path() / "photos");
    fs::create_directories(dir_.path() / "tmp");
  }

  // Runs quillon-cli to its end with `args`; with `onLine`, that is called with every line the
  // program writes on stderr, as it comes, and may send it signals.
  CliRun Cli(const std::vector<std::string>& args,
             const std::function<void(pid_t, const std::string&)>& onLine = {}) {
    int errPipe[2];
    if (::pipe(errPipe) != 0) return {};
    const std::string outPath = dir_.file("stdout");
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(errPipe[1], STDERR_FILENO);
      std::FILE* out = std::fopen(outPath.c_str(), "wb");
      if (out != nullptr) ::dup2(::fileno(out), STDOUT_FILENO);
      ::close(errPipe[0]);
      ::setenv("HOME", dir_.path().c_str(), 1);
      ::setenv("XDG_CONFIG_HOME", dir_.file("config").c_str(), 1);
      ::setenv("XDG_CACHE_HOME", dir_.file("cache").c_str(), 1);
      ::setenv("XDG_DOCUMENTS_DIR", dir_.file("docs").c_str(), 1);
      ::setenv("TMPDIR", dir_.file("tmp").c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(kCli.c_str())};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      ::execv(kCli.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(errPipe[1]);
    CliRun run;
    std::FILE* err = ::fdopen(errPipe[0], "r");
    char line[4096];
    while (std::fgets(line, sizeof line, err) != nullptr) {
      run.err += line;
      if (onLine) onLine(pid, std::string(line));
    }
    std::fclose(err);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ReadStatus(status, run);
    run.out = ReadFile(outPath);
    return run;
  }

  // A project of `count` photo-like JPEG pictures; the last one `lastScale` times as large.
  std::string MakeProject(int count, bool resize, int lastScale = 1) {
    std::vector<std::string> args = {"add", Project()};
    for (int i = 1; i <= count; ++i) {
      const int scale = i == count ? lastScale : 1;
      const std::string path = dir_.file(Numbered("photos/photo%02d.jpg", i));
      WriteFile(path, test::EncodeJpeg(
                          test::PhotoLike(900 * scale, 600 * scale, static_cast<uint32_t>(i))));
      args.push_back(path);
    }
    const CliRun add = Cli(args);
    EXPECT_EQ(add.exitCode, 0) << add.err;
    if (resize) {
      std::string text = ReadFile(Project());
      const size_t at = text.find("blImageResize=0");
      EXPECT_NE(at, std::string::npos);
      text.replace(at, 15, "blImageResize=1");
      WriteFile(Project(), text);
    }
    return Project();
  }

  static std::string Numbered(const char* pattern, int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
  }

  std::string Project() const { return dir_.file("trip.tnp"); }
  std::string Out(const std::string& name = "") const { return dir_.file("out/" + name); }

  // Files left under a temporary name in the gallery, and anything left in the temporary folder.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> left;
    for (const fs::path& folder : {dir_.path() / "tmp", dir_.path() / "out"}) {
      if (!fs::exists(folder)) continue;
      for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (folder.filename() == "tmp" || name.rfind(".quillon-", 0) == 0)
          left.push_back(entry.path().string());
      }
    }
    return left;
  }

  TempDir dir_;
};

TEST_F(CliBuild, BuildingIntoThePhotosOwnFolderIsRefusedAndWritesNothing) {
  MakeProject(3, /*resize=*/true);
  std::map<std::string, std::string> before;
  for (const auto& entry : fs::directory_iterator(dir_.path() / "photos"))
    before[entry.path().string()] = ReadFile(entry.path().string());

  const CliRun run = Cli({"build", Project(), "--dest", dir_.file("photos")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "quillon-cli build: The gallery file \"" + dir_.file("photos/photo01.jpg") +
                         "\" would replace picture 1 of the list, \"" +
                         dir_.file("photos/photo01.jpg") +
                         "\". Please choose another destination folder; nothing was written.\n");
  std::map<std::string, std::string> after;
  for (const auto& entry : fs::directory_iterator(dir_.path() / "photos"))
    after[entry.path().string()] = ReadFile(entry.path().string());
  EXPECT_EQ(after, before);
}

TEST_F(CliBuild, AFirstCtrlCStopsAsTheStopButtonDoesAndExitsWith130) {
  MakeProject(12, /*resize=*/true);
  bool sent = false;
  const CliRun run = Cli({"build", Project(), "--dest", Out(), "--jobs", "1", "--list"},
                         [&](pid_t pid, const std::string& line) {
                           if (!sent && line == "Creating thumb photo01.jpg\n") {
                             ::kill(pid, SIGINT);
                             sent = true;
                           }
                         });
  ASSERT_TRUE(sent) << run.err;
  EXPECT_EQ(run.exitCode, 130) << run.err;
  EXPECT_NE(run.err.find(" (stopped early)\n"), std::string::npos) << run.err;
  // The first and the last picture, the index pages, and the upload list of what a stop writes.
  for (const char* name :
       {"photo01.html", "photo12.html", "photo12.jpg", "tn_photo12.jpg", "index.html"}) {
    EXPECT_TRUE(fs::exists(Out(name))) << name;
  }
  EXPECT_FALSE(fs::exists(Out("photo06.html")));
  EXPECT_NE(run.out.find("\nphoto12.html\n"), std::string::npos) << run.out;
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

TEST_F(CliBuild, SigtermAndASecondCtrlCEndTheBuildAndRemoveItsTemporaryFiles) {
  struct Case {
    const char* name;
    std::vector<int> signals;  // sent one after the other, at the first picture
  };
  const Case cases[] = {{"SIGTERM", {SIGTERM}}, {"a second Ctrl-C", {SIGINT, SIGINT}}};
  MakeProject(6, /*resize=*/true, /*lastScale=*/5);
  for (const Case& c : cases) {
    fs::remove_all(Out());
    bool sent = false;
    const CliRun run = Cli({"build", Project(), "--dest", Out(), "--jobs", "2"},
                           [&](pid_t pid, const std::string& line) {
                             if (sent || line != "Creating thumb photo01.jpg\n") return;
                             // Close together, so the second arrives while the stop is still
                             // making the (large) last picture, even on a busy machine.
                             for (const int signal : c.signals) {
                               ::kill(pid, signal);
                               std::this_thread::sleep_for(std::chrono::milliseconds(10));
                             }
                             sent = true;
                           });
    ASSERT_TRUE(sent) << c.name << ": " << run.err;
    EXPECT_EQ(run.signal, c.signals.back()) << c.name << ": " << run.err;
    EXPECT_NE(run.err.find("the gallery is incomplete"), std::string::npos) << run.err;
    EXPECT_EQ(Leftovers(), std::vector<std::string>{}) << c.name;
    EXPECT_FALSE(fs::exists(Out("index.html"))) << c.name;
  }
}

TEST_F(CliBuild, JobCountsOutsideOneTo256AreAMalformedCommandLine) {
  MakeProject(1, /*resize=*/false);
  for (const char* jobs : {"0", "257", "", "x", "2x", "-1"}) {
    const CliRun run = Cli({"build", Project(), "--dest", Out(), "--jobs", jobs});
    EXPECT_EQ(run.exitCode, 2) << jobs;
    EXPECT_NE(
        run.err.find(std::string("--jobs needs a whole number from 1 to 256, not '") + jobs + "'"),
        std::string::npos)
        << run.err;
  }
  EXPECT_FALSE(fs::exists(Out("index.html")));
  EXPECT_EQ(Cli({"build", Project(), "--dest", Out(), "--jobs", "256"}).exitCode, 0);
}

TEST_F(CliBuild, VerifyReportsWhatAnIncrementalBuildThenPutsRight) {
  MakeProject(3, /*resize=*/true);
  const auto build = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"build", Project(), "--dest", Out(), "--jobs", "2"};
    args.insert(args.end(), extra.begin(), extra.end());
    return Cli(args);
  };
  ASSERT_EQ(build({}).exitCode, 0);
  CliRun verify = build({"--verify"});
  EXPECT_EQ(verify.exitCode, 0) << verify.err;
  EXPECT_EQ(verify.out, "");
  // How many files a build makes: the pictures' files and the index page and, where the
  // program's button pictures are installed beside it, their copies.
  const size_t at = verify.err.find(" files compared, 0 not as a build makes them\n");
  ASSERT_NE(at, std::string::npos) << verify.err;
  const size_t total = std::stoul(verify.err.substr(verify.err.rfind(' ', at - 1) + 1));

  fs::remove(Out("photo02.jpg"));
  WriteFile(Out("photo03.html"), "edited");
  WriteFile(Out("notes.txt"), "mine");
  verify = build({"--verify"});
  EXPECT_EQ(verify.exitCode, 1);
  EXPECT_EQ(verify.out, "missing: photo02.jpg\ndiffers: photo03.html\n");
  EXPECT_NE(verify.err.find(": " + std::to_string(total) +
                            " files compared, 2 not as a build makes them\n"),
            std::string::npos)
      << verify.err;
  EXPECT_FALSE(fs::exists(Out("photo02.jpg")));  // it wrote nothing

  const CliRun incremental = build({"--incremental"});
  EXPECT_EQ(incremental.exitCode, 0) << incremental.err;
  EXPECT_NE(incremental.err.find("\n2 files written, " + std::to_string(total - 2) +
                                 " unchanged, 0 left-over files removed\n"),
            std::string::npos)
      << incremental.err;
  EXPECT_EQ(build({"--verify"}).exitCode, 0);
  EXPECT_EQ(ReadFile(Out("notes.txt")), "mine");

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--verify", "--incremental"},
                                              std::vector<std::string>{"--verify", "--upload"}}) {
    const CliRun refused = build(bad);
    EXPECT_EQ(refused.exitCode, 2) << refused.err;
  }
}

TEST_F(CliBuild, EveryCommandAnswersHelpAndRefusesUnknownOptions) {
  for (const char* command : {"add", "info", "build", "thumbnail", "exif"}) {
    for (const char* help : {"--help", "-h"}) {
      const CliRun run = Cli({command, Project(), help});
      EXPECT_EQ(run.exitCode, 0) << command;
      EXPECT_EQ(run.out.rfind(std::string("usage: quillon-cli ") + command + " ", 0), 0u)
          << command << ": " << run.out;
      EXPECT_EQ(run.err, "") << command;
    }
    const CliRun wrong = Cli({command, Project(), "--no-such-option"});
    EXPECT_EQ(wrong.exitCode, 2) << command;
    EXPECT_EQ(wrong.err.rfind(std::string("quillon-cli ") + command +
                                  ": unknown option '--no-such-option'\nusage: quillon-cli " +
                                  command + " ",
                              0),
              0u)
        << wrong.err;
  }
  // Neither was taken for a picture: no project was made.
  EXPECT_FALSE(fs::exists(Project()));

  // After "--" a name that starts with "-" is a picture.
  const std::string odd = dir_.file("-odd.jpg");
  WriteFile(odd, test::EncodeJpeg(test::PhotoLike(30, 20)));
  const CliRun add = Cli({"add", Project(), "--", odd});
  EXPECT_EQ(add.exitCode, 0) << add.err;
  EXPECT_EQ(add.out, "1 image in the list\n");

  const CliRun version = Cli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(
      std::regex_match(version.out, std::regex("quillon-cli [0-9]+\\.[0-9]+(\\.[0-9]+)*\n")))
      << version.out;
}

}  // namespace
}  // namespace qg
