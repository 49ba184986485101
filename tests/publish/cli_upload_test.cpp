// `quillon-cli build --upload` from end to end: a project made with `add`, built and uploaded
// to local servers with the stored preferences, then the files on the server compared with the
// built gallery.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/TestServers.h"
#include "platform/Folders.h"
#include "project/Settings.h"
#include "publish/ServiceHandshake.h"
#include "support/TempDir.h"

namespace qg {
namespace {

namespace fs = std::filesystem;
using test::FtpServerOptions;
using test::FtpTestServer;
using test::HttpRoute;
using test::HttpTestServer;
using test::ReadFile;
using test::TempDir;
using ::testing::HasSubstr;

// A small 24-bit Windows bitmap, different for each seed.
std::string Bitmap(int width, int height, int seed) {
  const int row = (width * 3 + 3) / 4 * 4;
  std::string pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels += static_cast<char>((x * 40 + seed) & 0xFF);
      pixels += static_cast<char>((y * 60) & 0xFF);
      pixels += static_cast<char>((x * y * 7 + seed) & 0xFF);
    }
    pixels.append(static_cast<size_t>(row - width * 3), '\0');
  }
  auto le = [](uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
  };
  return "BM" + le(54 + static_cast<uint32_t>(pixels.size()), 4) + le(0, 4) + le(54, 4) +
         le(40, 4) + le(static_cast<uint32_t>(width), 4) + le(static_cast<uint32_t>(height), 4) +
         le(1, 2) + le(24, 2) + le(0, 4) + le(static_cast<uint32_t>(pixels.size()), 4) +
         le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4) + pixels;
}

struct CliResult {
  int exitCode = -1;
  std::string out, err;
};

// One project of two pictures and a preferences folder of its own for this test.
class CliFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = std::string(QG_BIN_DIR) + "/quillon-cli";
    ASSERT_TRUE(fs::exists(cli_)) << cli_ << " is not built";
    setenv("XDG_CONFIG_HOME", dir_.file("config").c_str(), 1);
    unsetenv("QUILLON_VENDOR_SITE");
    unsetenv("QUILLON_HOSTING_URL");
    test::WriteFile(dir_.file("one.bmp"), Bitmap(40, 30, 1));
    test::WriteFile(dir_.file("two.bmp"), Bitmap(30, 40, 99));
    ASSERT_EQ(
        Run("add " + Project() + " " + dir_.file("one.bmp") + " " + dir_.file("two.bmp")).exitCode,
        0);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("QUILLON_VENDOR_SITE");
    unsetenv("QUILLON_HOSTING_URL");
  }

  std::string Project() const { return dir_.file("p.tnp"); }
  std::string Out() const { return dir_.file("out"); }

  CliResult Run(const std::string& arguments) const {
    const std::string command = "timeout 120 " + cli_ + " " + arguments + " >" +
                                dir_.file("stdout") + " 2>" + dir_.file("stderr") + " </dev/null";
    const int status = std::system(command.c_str());
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(dir_.file("stdout"));
    result.err = ReadFile(dir_.file("stderr"));
    return result;
  }

  // Starts quillon-cli with `arguments` in the background, its output going where Run puts it.
  pid_t Start(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {cli_};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::string out = dir_.file("stdout"), err = dir_.file("stderr");
    const pid_t pid = fork();
    if (pid == 0) {
      const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int in = open("/dev/null", O_RDONLY);
      dup2(o, STDOUT_FILENO);
      dup2(e, STDERR_FILENO);
      dup2(in, STDIN_FILENO);
      signal(SIGINT, SIG_DFL);
      std::vector<char*> args;
      for (std::string& a : argv) args.push_back(a.data());
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    return pid;
  }

  // Waits up to `limit` for `pid` to end; its result, or an exit code of -1 (the process is then
  // killed) when it did not end in time.
  CliResult Finish(pid_t pid, std::chrono::milliseconds limit) const {
    CliResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return result;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(dir_.file("stdout"));
    result.err = ReadFile(dir_.file("stderr"));
    return result;
  }

  Preferences Stored() const {
    Preferences prefs;
    LoadSettings(prefs);
    return prefs;
  }

  void UseOwnServer(const FtpTestServer& server, const std::string& folder) const {
    Preferences prefs = Stored();
    prefs.blUseCorvaneServer = false;
    prefs.sFTPHost = server.host();
    prefs.sFTPUser = server.user();
    prefs.sFTPPass = server.password();
    prefs.sFTPFolder = folder;
    ASSERT_TRUE(SaveSettings(prefs));
  }

  // Every file the build wrote, relative to the destination folder.
  std::vector<std::string> BuiltFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(Out())) {
      if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), Out()).string());
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  void ExpectArrivedComplete(const std::string& remoteFolder) const {
    const std::vector<std::string> files = BuiltFiles();
    ASSERT_GE(files.size(), 7u);  // two pictures: pages, thumbnails, sources, the index page
    for (const std::string& file : files) {
      const std::string remote = remoteFolder + "/" + file;
      ASSERT_TRUE(fs::exists(remote)) << remote;
      EXPECT_EQ(ReadFile(remote), ReadFile(Out() + "/" + file)) << file;
    }
  }

  TempDir dir_;
  std::string cli_;
};

TEST_F(CliFixture, BuildUploadSendsTheWholeGalleryToTheOwnServer) {
  FtpTestServer server;
  UseOwnServer(server, "gallery");
  const CliResult result = Run("build " + Project() + " --dest " + Out() + " --upload");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, server.host() + "/gallery/index.html\n");
  EXPECT_THAT(result.err, HasSubstr("Uploading: index.html\n"));
  ExpectArrivedComplete(server.root() + "/gallery");
  EXPECT_EQ(server.CommandsWithoutPort().back(), "QUIT");

  // The hosting-service folder was made as start-up makes it, and the file holding the FTP
  // password is its owner's alone.
  EXPECT_EQ(Stored().sUserCorvaneFTPFolder.size(), 5u);
  struct stat info {};
  ASSERT_EQ(stat((dir_.file("config") + "/Corvane-Soft/Quillon Gallery.reg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600);
}

TEST_F(CliFixture, FailedUploadExitsNonZeroWithTheServersText) {
  FtpServerOptions options;
  options.failStor = 2;
  options.failReply = "552 Quota exceeded on the test server.";
  FtpTestServer server(options);
  UseOwnServer(server, "gallery");
  const CliResult result = Run("build " + Project() + " --dest " + Out() + " --upload");
  EXPECT_NE(result.exitCode, 0);
  EXPECT_THAT(result.err, HasSubstr("552 Quota exceeded on the test server."));
  EXPECT_EQ(result.out, "");
}

TEST_F(CliFixture, HostingServiceFolderIsMadeOnceAndReused) {
  FtpServerOptions account;
  account.user = "svcuser";
  account.password = ServicePassword("value-1").substr(0, 6);
  FtpTestServer ftp(account);
  HttpTestServer web({
      {"/quillon/ftpservice.htm", HttpRoute{200, "SERVICE:OK"}},
      {"/quillon/ftpconnect.htm",
       HttpRoute{200, "HOSTNAME:" + ftp.host() + "!!!USERNAME:svcuser!!!PASSWORD:value-1!!!"}},
  });
  setenv("QUILLON_VENDOR_SITE", web.base().c_str(), 1);
  setenv("QUILLON_HOSTING_URL", "http://galleries.test/", 1);
  ASSERT_EQ(Stored().sUserCorvaneFTPFolder, "");

  const CliResult first = Run("build " + Project() + " --dest " + Out() + " --upload");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const std::string folder = Stored().sUserCorvaneFTPFolder;
  ASSERT_EQ(folder.size(), 5u);
  EXPECT_EQ(first.out, "http://galleries.test/" + folder + "/index.html\n");
  ExpectArrivedComplete(ftp.root() + "/" + folder);

  const CliResult second = Run("build " + Project() + " --dest " + Out() + " --upload");
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(second.out, first.out);
  const auto commands = ftp.CommandsWithoutPort();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "MKD " + folder), 1);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "CWD " + folder), 2);
}

TEST_F(CliFixture, ClosedHostingServiceExitsNonZeroWithItsMessage) {
  HttpTestServer web(
      {{"/quillon/ftpservice.htm", HttpRoute{200, "SERVICE:NO MESSAGE: Back soon"}}});
  setenv("QUILLON_VENDOR_SITE", web.base().c_str(), 1);
  const CliResult result = Run("build " + Project() + " --dest " + Out() + " --upload");
  EXPECT_NE(result.exitCode, 0);
  EXPECT_THAT(result.err, HasSubstr("Back soon"));
  EXPECT_THAT(result.err, HasSubstr(web.base() + "/quillon/ftpinfo.htm"));
}

TEST_F(CliFixture, ADamagedPreferencesFileNeverSendsTheGalleryToTheHostingService) {
  // The user's own server is set, but a stray line break in its name ends the typed reading,
  // which turns the hosting service on. The service would take the gallery: it must not get it.
  FtpTestServer own;
  UseOwnServer(own, "gallery");
  FtpTestServer service;
  HttpTestServer web({
      {"/quillon/ftpservice.htm", HttpRoute{200, "SERVICE:OK"}},
      {"/quillon/ftpconnect.htm",
       HttpRoute{200, "HOSTNAME:" + service.host() + "!!!USERNAME:" + service.user() +
                          "!!!PASSWORD:" + service.password() + "!!!"}},
  });
  setenv("QUILLON_VENDOR_SITE", web.base().c_str(), 1);
  const std::string path = PreferencesFilePath();
  std::string text = ReadFile(path);
  const std::string host = "\"sFTPHost\"=\"" + own.host() + "\"";
  const size_t at = text.find(host);
  ASSERT_NE(at, std::string::npos);
  text.insert(at + host.size() - 3, "\r\n");
  test::WriteFile(path, text);
  const std::string expected =
      "The preferences file " + path +
      " could not be read past line 20; the remaining settings take their default values.";

  const CliResult result = Run("build " + Project() + " --dest " + Out() + " --upload");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err, HasSubstr("quillon-cli build: warning: " + expected + "\n"));
  EXPECT_THAT(result.err, HasSubstr("quillon-cli build: " + expected + "\n"));
  EXPECT_TRUE(web.Requests().empty());
  EXPECT_TRUE(service.Commands().empty());
  EXPECT_TRUE(own.Commands().empty());
  EXPECT_EQ(ReadFile(path), text);  // left as the user will want to mend it
}

TEST_F(CliFixture, CtrlCWhileTheServerIsSilentStopsTheUploadWithinASecond) {
  FtpServerOptions options;
  options.silentOn = "2:STOR";
  FtpTestServer server(options);
  UseOwnServer(server, "gallery");
  const pid_t pid = Start({"build", Project(), "--dest", Out(), "--upload"});
  ASSERT_GT(pid, 0);
  // Until the upload waits for the server's answer to its second file.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (;;) {
    const auto commands = server.CommandsWithoutPort();
    if (std::count_if(commands.begin(), commands.end(),
                      [](const std::string& c) { return c.rfind("STOR ", 0) == 0; }) == 2) {
      break;
    }
    ASSERT_LT(std::chrono::steady_clock::now(), giveUp)
        << "the upload never reached its second file";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // well inside the wait
  const auto interrupted = std::chrono::steady_clock::now();
  kill(pid, SIGINT);
  const CliResult result = Finish(pid, std::chrono::seconds(20));
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - interrupted).count();
  EXPECT_LT(took, 1.5);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_THAT(result.err, HasSubstr("Upload stopped; the files sent so far stay on the server\n"));
  EXPECT_EQ(result.out, "");
}

TEST_F(CliFixture, ServerTextsCannotSteerTheTerminal) {
  {
    FtpServerOptions options;
    options.failStor = 1;
    options.failReply = "552 \x1B]0;pwned\x07Quota \x1B[2J\x1B[Hexceeded.";
    FtpTestServer server(options);
    UseOwnServer(server, "gallery");
    const CliResult result = Run("build " + Project() + " --dest " + Out() + " --upload");
    EXPECT_NE(result.exitCode, 0);
    EXPECT_THAT(result.err, HasSubstr("quillon-cli build: 552 Quota exceeded.\n"));
    EXPECT_EQ(result.err.find_first_of("\x1B\x07"), std::string::npos) << result.err;
  }
  {
    HttpTestServer web({{"/quillon/ftpservice.htm",
                         HttpRoute{200, "SERVICE:NO MESSAGE: Back\x1B[2J soon\x1B]0;x\x07\r!"}}});
    setenv("QUILLON_VENDOR_SITE", web.base().c_str(), 1);
    Preferences prefs = Stored();
    prefs.blUseCorvaneServer = true;
    ASSERT_TRUE(SaveSettings(prefs));
    const CliResult result = Run("build " + Project() + " --dest " + Out() + " --upload");
    EXPECT_NE(result.exitCode, 0);
    EXPECT_THAT(result.err, HasSubstr("The upload service is not available: Back soon!\n"));
    EXPECT_EQ(result.err.find_first_of("\x1B\x07\r"), std::string::npos) << result.err;
  }
}

TEST(CliBinary, DoesNotLoadLibcurlAtStart) {
  const std::string cli = std::string(QG_BIN_DIR) + "/quillon-cli";
  ASSERT_TRUE(fs::exists(cli)) << cli << " is not built";
  FILE* pipe = popen(("ldd '" + cli + "' 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string libraries;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) libraries.append(buffer, n);
  ASSERT_EQ(pclose(pipe), 0) << libraries;
  EXPECT_THAT(libraries, HasSubstr("libc.so"));
  EXPECT_THAT(libraries, ::testing::Not(HasSubstr("libcurl"))) << libraries;
}

// The publishing options, with `upload` (a gallery built before) and `build --upload`.
class CliPublishing : public CliFixture {
 protected:
  void SetUp() override {
    CliFixture::SetUp();
    setenv("XDG_CACHE_HOME", dir_.file("cache").c_str(), 1);
    setenv("HOME", dir_.file("home").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_CACHE_HOME");
    if (home_) setenv("HOME", home_->c_str(), 1);
    CliFixture::TearDown();
  }
  std::optional<std::string> home_ =
      std::getenv("HOME") ? std::optional<std::string>(std::getenv("HOME")) : std::nullopt;
};

TEST_F(CliPublishing, UploadSendsABuiltGalleryOverFtpsAndThenOnlyWhatChanged) {
  if (const std::string missing = test::MissingForFtps(); !missing.empty()) GTEST_SKIP() << missing;
  const test::TestCertificate certificate = test::MakeTestCertificate(dir_.path().string());
  FtpServerOptions options;
  options.tlsCertificate = certificate.certificate;
  options.tlsKey = certificate.key;
  FtpTestServer server(options);
  UseOwnServer(server, "gallery");
  ASSERT_EQ(Run("build " + Project() + " --dest " + Out()).exitCode, 0);

  // An unknown certificate ends the run and shows what to trust.
  const CliResult refused =
      Run("upload " + Project() + " --dest " + Out() + " --transport ftps --passive");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_THAT(refused.err, HasSubstr("certificate fingerprint " + certificate.fingerprint));
  EXPECT_THAT(refused.err, HasSubstr("run again with --trust " + certificate.fingerprint));
  EXPECT_FALSE(fs::exists(server.root() + "/gallery"));

  const std::string trusted = " --transport ftps --passive --trust " + certificate.fingerprint;
  const CliResult first = Run("upload " + Project() + " --dest " + Out() + trusted);
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out, server.host() + "/gallery/index.html\n");
  const size_t files = BuiltFiles().size();
  EXPECT_THAT(first.err, HasSubstr("Upload finished: " + std::to_string(files) +
                                   " sent, 0 skipped as unchanged, 0 retried, 0 failed\n"));
  ExpectArrivedComplete(server.root() + "/gallery");

  const CliResult second = Run("upload " + Project() + " --dest " + Out() + trusted);
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_THAT(second.err, HasSubstr("Upload finished: 0 sent, " + std::to_string(files) +
                                    " skipped as unchanged, 0 retried, 0 failed\n"));
  const CliResult all = Run("upload " + Project() + " --dest " + Out() + trusted + " --all");
  EXPECT_THAT(all.err, HasSubstr("Upload finished: " + std::to_string(files) + " sent, 0 skipped"));
}

TEST_F(CliPublishing, AfterAChangedTitleOnlyTheChangedPagesAreSent) {
  FtpTestServer server;
  UseOwnServer(server, "gallery");
  ASSERT_EQ(Run("build " + Project() + " --dest " + Out() + " --upload --passive").exitCode, 0);
  std::map<std::string, std::string> before;
  for (const std::string& file : BuiltFiles()) before[file] = ReadFile(Out() + "/" + file);

  // A new long title for the first picture, as the titles dialog stores it.
  std::string project = ReadFile(Project());
  const std::string empty = "LongTitle=\r\n";
  const size_t at = project.find(empty);
  ASSERT_NE(at, std::string::npos);
  project.replace(at, empty.size(), "LongTitle=A new title\r\n");
  test::WriteFile(Project(), project);

  const CliResult again = Run("build " + Project() + " --dest " + Out() + " --upload --passive");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  std::vector<std::string> changed;
  for (const std::string& file : BuiltFiles()) {
    if (ReadFile(Out() + "/" + file) != before[file]) changed.push_back(file);
  }
  ASSERT_FALSE(changed.empty());
  std::vector<std::string> sent;
  std::istringstream lines(again.err);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Uploading: ", 0) == 0) sent.push_back(line.substr(11));
  }
  std::sort(sent.begin(), sent.end());
  EXPECT_EQ(sent, changed);
  for (const std::string& file : changed) EXPECT_EQ(file.substr(file.size() - 5), ".html");
  ExpectArrivedComplete(server.root() + "/gallery");
}

TEST_F(CliPublishing, StaleFilesAreListedAndRemovedOnlyWithYes) {
  FtpTestServer server;
  UseOwnServer(server, "gallery");
  ASSERT_EQ(Run("build " + Project() + " --dest " + Out() + " --upload --passive").exitCode, 0);
  // Another project with only the first picture, uploaded into the same folder.
  const std::string smaller = dir_.file("small.tnp");
  ASSERT_EQ(Run("add " + smaller + " " + dir_.file("one.bmp")).exitCode, 0);
  const std::string out2 = dir_.file("out2");
  ASSERT_EQ(Run("build " + smaller + " --dest " + out2).exitCode, 0);

  const CliResult listed =
      Run("upload " + smaller + " --dest " + out2 + " --passive --remove-stale");
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_THAT(listed.err, HasSubstr("Files an earlier upload sent that the gallery no longer has:\n"
                                    "  tn_two.jpg\n"
                                    "  two.bmp\n"
                                    "  two.html\n"
                                    "Not removed; run again with --remove-stale --yes"));
  EXPECT_TRUE(fs::exists(server.root() + "/gallery/two.html"));

  const CliResult removed =
      Run("upload " + smaller + " --dest " + out2 + " --passive --remove-stale --yes");
  ASSERT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_THAT(removed.err, HasSubstr("3 removed from the server"));
  EXPECT_FALSE(fs::exists(server.root() + "/gallery/two.html"));
  EXPECT_TRUE(fs::exists(server.root() + "/gallery/one.html"));
}

TEST_F(CliPublishing, SftpWithAKeyAndATrustedHostKey) {
  if (const std::string missing = test::MissingForSftp(); !missing.empty()) GTEST_SKIP() << missing;
  test::SshTestServer ssh;
  Preferences prefs = Stored();
  prefs.blUseCorvaneServer = false;
  prefs.sFTPHost = ssh.host();
  prefs.sFTPUser = ssh.user();
  prefs.sFTPFolder = dir_.file("remote");
  ASSERT_TRUE(SaveSettings(prefs));
  ASSERT_EQ(Run("build " + Project() + " --dest " + Out()).exitCode, 0);
  const std::string base =
      "upload " + Project() + " --dest " + Out() + " --transport sftp --identity " + ssh.userKey();
  const CliResult unknown = Run(base);
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_THAT(unknown.err, HasSubstr("unknown host key (fingerprint " + ssh.hostKeyFingerprint()));
  const CliResult trusted = Run(base + " --trust " + ssh.hostKeyFingerprint());
  ASSERT_EQ(trusted.exitCode, 0) << trusted.err;
  ExpectArrivedComplete(dir_.file("remote"));
  // known_hosts does as well.
  fs::create_directories(dir_.file("home/.ssh"));
  test::WriteFile(dir_.file("home/.ssh/known_hosts"), ssh.knownHostsLine());
  const CliResult known = Run(base + " --all");
  EXPECT_EQ(known.exitCode, 0) << known.err;
}

TEST_F(CliPublishing, UploadRefusesAGalleryThatWasNotBuiltAndMalformedOptions) {
  FtpTestServer server;
  UseOwnServer(server, "gallery");
  const CliResult missing = Run("upload " + Project() + " --dest " + Out());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_THAT(missing.err, HasSubstr("has no file"));
  EXPECT_THAT(missing.err, HasSubstr("build it first"));
  EXPECT_THAT(server.Commands(), ::testing::IsEmpty());
  for (const char* bad : {"--transport scp", "--port 0", "--port 70000", "--trust abc",
                          "--all --changed-only", "--yes"}) {
    const CliResult r = Run("upload " + Project() + " " + bad);
    EXPECT_EQ(r.exitCode, 2) << bad;
  }
  EXPECT_EQ(Run("build " + Project() + " --passive").exitCode, 2);
}

}  // namespace
}  // namespace qg
