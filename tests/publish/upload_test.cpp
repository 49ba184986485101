// Uploading a built gallery to a real FTP server on 127.0.0.1: the command sequence, the files
// that arrive, what the upload page is told, and how each kind of failure leaves things.
#include "publish/Upload.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/HttpClient.h"
#include "net/TestServers.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::FtpServerOptions;
using test::FtpTestServer;
using test::HttpRoute;
using test::HttpTestServer;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Records every call as one line, so a test can compare the whole story at once.
class RecordingObserver : public UploadObserver {
 public:
  std::vector<std::string> events;
  std::function<void()> onProgressMax;
  std::function<void(int)> onProgress;

  void SetStatus(const std::string& text) override { events.push_back("status " + text); }
  void SetAddress(const std::string& address) override { events.push_back("address " + address); }
  void SetProgressMax(int maximum) override {
    events.push_back("max " + std::to_string(maximum));
    if (onProgressMax) onProgressMax();
  }
  void SetProgress(int position) override {
    events.push_back("progress " + std::to_string(position));
    if (onProgress) onProgress(position);
  }
  void SetBusy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
  void EnableLink() override { events.push_back("link enabled"); }

  bool Saw(const std::string& event) const {
    return std::find(events.begin(), events.end(), event) != events.end();
  }
};

class ScriptedPrompts : public UploadPrompts {
 public:
  bool wantMoreInfo = false;
  std::vector<std::string> said;

  void Inform(const std::string& text) override { said.push_back("inform " + text); }
  bool ServiceRefused(const std::string& message) override {
    said.push_back("refused " + message);
    return wantMoreInfo;
  }
  void OpenInBrowser(const std::string& url) override { said.push_back("open " + url); }
};

// A built gallery on disk: each entry of the upload list with content of its own.
class Gallery {
 public:
  explicit Gallery(std::vector<std::string> entries) : entries_(std::move(entries)) {
    for (const std::string& entry : entries_) {
      const std::filesystem::path path = dir_.path() / entry;
      std::filesystem::create_directories(path.parent_path());
      WriteFile(path.string(), Content(entry));
    }
  }
  static std::string Content(const std::string& entry) {
    if (entry.size() >= 5 && entry.substr(entry.size() - 5) == ".html") {
      return "<html>\r\n<body>" + entry + "</body>\r\n</html>";
    }
    std::string bytes = "JPEG\xFF\xD8\n\r\n" + entry;
    bytes += '\0';
    return bytes;
  }
  UploadJob OwnServerJob(const FtpTestServer& server, const std::string& folder) const {
    UploadJob job;
    job.uploadList = entries_;
    job.destFolder = dir_.path().string();
    job.useService = false;
    job.ftpHost = server.host();
    job.ftpUser = server.user();
    job.ftpPass = server.password();
    job.ftpFolder = folder;
    job.timeouts = {net::Millis(10000), net::Millis(10000), net::Millis(10000)};
    return job;
  }
  std::string folder() const { return dir_.path().string(); }

 private:
  TempDir dir_;
  std::vector<std::string> entries_;
};

UploadOutcome RunOwnServer(const UploadJob& job, RecordingObserver& observer) {
  ScriptedPrompts prompts;
  net::HttpClient http;
  return StartFileUpload(job, prompts, observer, http);
}

std::string ErrorText(const std::function<void()>& body) {
  try {
    body();
  } catch (const Error& e) {
    return e.what();
  }
  ADD_FAILURE() << "no error was thrown";
  return {};
}

const std::vector<std::string> kExampleList = {"images/a.jpg", "images/b.jpg", "index.html",
                                               "page1.html", "thumbs/tn_a.jpg"};

TEST(UploadSequence, MakesEachFolderOnceAndSwitchesTypeOnlyWhenNeeded) {
  FtpTestServer server;
  Gallery gallery(kExampleList);
  RecordingObserver observer;
  EXPECT_EQ(RunOwnServer(gallery.OwnServerJob(server, "gallery"), observer),
            UploadOutcome::Completed);

  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "NLST", "MKD gallery",
                          "CWD gallery", "NLST", "MKD images", "CWD images", "STOR a.jpg",
                          "STOR b.jpg", "CDUP", "TYPE A", "STOR index.html", "STOR page1.html",
                          "NLST", "MKD thumbs", "CWD thumbs", "TYPE I", "STOR tn_a.jpg", "QUIT"));
  for (const std::string& entry : kExampleList) {
    EXPECT_EQ(ReadFile(server.root() + "/gallery/" + entry), Gallery::Content(entry)) << entry;
  }
  EXPECT_THAT(
      observer.events,
      ElementsAre("address " + server.host() + "/gallery/index.html", "max 4", "busy",
                  "status Uploading: a.jpg", "progress 0", "status Uploading: b.jpg", "progress 1",
                  "status Uploading: index.html", "progress 2", "status Uploading: page1.html",
                  "progress 3", "status Uploading: tn_a.jpg", "progress 4", "progress 0",
                  "status Ready", "link enabled", "idle"));
}

TEST(UploadSequence, FirstUploadIntoAnEmptyAccountOnAServerThatRefusesEmptyListings) {
  FtpServerOptions options;
  options.nlstEmptyReply = "450 No files found.";
  FtpTestServer server(options);
  Gallery gallery(kExampleList);
  RecordingObserver observer;
  EXPECT_EQ(RunOwnServer(gallery.OwnServerJob(server, "gallery"), observer),
            UploadOutcome::Completed);
  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "NLST", "MKD gallery",
                          "CWD gallery", "NLST", "MKD images", "CWD images", "STOR a.jpg",
                          "STOR b.jpg", "CDUP", "TYPE A", "STOR index.html", "STOR page1.html",
                          "NLST", "MKD thumbs", "CWD thumbs", "TYPE I", "STOR tn_a.jpg", "QUIT"));
  for (const std::string& entry : kExampleList) {
    EXPECT_EQ(ReadFile(server.root() + "/gallery/" + entry), Gallery::Content(entry)) << entry;
  }
}

TEST(UploadSequence, ExistingFoldersAreMatchedWithoutRegardToCase) {
  FtpServerOptions options;
  options.caseInsensitive = true;
  FtpTestServer server(options);
  std::filesystem::create_directories(server.root() + "/Gallery/IMAGES");
  Gallery gallery({"images/a.jpg", "thumbs/t.jpg"});
  RecordingObserver observer;
  RunOwnServer(gallery.OwnServerJob(server, "gallery"), observer);
  // Two sub folders in a row: CDUP, NLST, (MKD), CWD between them.
  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "NLST", "CWD gallery", "NLST",
                          "CWD images", "STOR a.jpg", "CDUP", "NLST", "MKD thumbs", "CWD thumbs",
                          "STOR t.jpg", "QUIT"));
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/Gallery/IMAGES/a.jpg"));
}

TEST(UploadSequence, EmptyFolderSettingUploadsIntoTheLoginFolder) {
  FtpTestServer server;
  Gallery gallery({"index.html", "tn_a.jpg"});
  RecordingObserver observer;
  RunOwnServer(gallery.OwnServerJob(server, ""), observer);
  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "NLST", "TYPE A",
                          "STOR index.html", "TYPE I", "STOR tn_a.jpg", "QUIT"));
  EXPECT_EQ(ReadFile(server.root() + "/index.html"), Gallery::Content("index.html"));
  EXPECT_EQ(observer.events.front(), "address " + server.host() + "//index.html");
}

TEST(UploadSequence, OnlyNamesEndingInDotHtmlGoAsText) {
  FtpTestServer server;
  Gallery gallery({"a.htm", "html", "index.html", "INDEX.HTML", "photo.jpg", "x.Html"});
  RecordingObserver observer;
  RunOwnServer(gallery.OwnServerJob(server, ""), observer);
  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "NLST", "STOR a.htm", "STOR html",
                          "TYPE A", "STOR index.html", "STOR INDEX.HTML", "TYPE I",
                          "STOR photo.jpg", "TYPE A", "STOR x.Html", "QUIT"));
}

TEST(UploadSequence, OnlyTheFirstSlashMakesAFolder) {
  FtpTestServer server;
  std::filesystem::create_directories(server.root() + "/a/b");
  Gallery gallery({"a/b/c.jpg"});
  RecordingObserver observer;
  RunOwnServer(gallery.OwnServerJob(server, ""), observer);
  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "NLST", "NLST", "CWD a",
                          "STOR b/c.jpg", "QUIT"));
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/a/b/c.jpg"));
  EXPECT_TRUE(observer.Saw("status Uploading: b/c.jpg"));
  EXPECT_TRUE(observer.Saw("max 0"));
}

TEST(UploadSequence, NoPathLeavesTheGalleryFolderOnTheServer) {
  // A hand-edited project can put ".." into the names; nothing is sent, not even a login.
  const std::vector<std::pair<std::vector<std::string>, std::string>> lists = {
      {{"index.html", "../escape.html"}, "../escape.html"},
      {{"images/../../up.jpg"}, "images/../../up.jpg"},
      {{"thumbs/..", "index.html"}, "thumbs/.."},
      {{"/etc/cron.d/x"}, "/etc/cron.d/x"},
  };
  for (const auto& [list, culprit] : lists) {
    FtpTestServer server;
    Gallery gallery({"index.html"});
    UploadJob job = gallery.OwnServerJob(server, "g");
    job.uploadList = list;
    RecordingObserver observer;
    EXPECT_EQ(ErrorText([&] { RunOwnServer(job, observer); }),
              "The file \"" + culprit +
                  "\" of the upload list lies outside the gallery's folder; nothing was "
                  "uploaded.");
    EXPECT_THAT(server.Commands(), IsEmpty());
    EXPECT_THAT(observer.events, IsEmpty());
  }
  for (const std::string folder : {"..", "g/../..", "../g"}) {
    FtpTestServer server;
    Gallery gallery({"index.html"});
    RecordingObserver observer;
    EXPECT_EQ(ErrorText([&] { RunOwnServer(gallery.OwnServerJob(server, folder), observer); }),
              "The FTP folder \"" + folder +
                  "\" has a \"..\" part, which leads out of the gallery's folder; nothing was "
                  "uploaded.");
    EXPECT_THAT(server.Commands(), IsEmpty());
  }
}

TEST(UploadSequence, InterruptedSystemCallsChangeNothing) {
  // Every other poll, receive, send and accept is interrupted once.
  class Interrupting : public net::SocketCalls {
   public:
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override {
      return (poll_ = !poll_) ? Interrupt() : SocketCalls::Poll(fds, count, timeoutMs);
    }
    ssize_t Recv(int fd, void* buffer, size_t size) override {
      return (recv_ = !recv_) ? Interrupt() : SocketCalls::Recv(fd, buffer, size);
    }
    ssize_t Send(int fd, const void* data, size_t size) override {
      return (send_ = !send_) ? Interrupt() : SocketCalls::Send(fd, data, size);
    }
    int Accept(int fd, sockaddr* address, socklen_t* length) override {
      return (accept_ = !accept_) ? Interrupt() : SocketCalls::Accept(fd, address, length);
    }

   private:
    static int Interrupt() {
      errno = EINTR;
      return -1;
    }
    bool poll_ = false, recv_ = false, send_ = false, accept_ = false;
  } calls;
  FtpTestServer server;
  Gallery gallery(kExampleList);
  UploadJob job = gallery.OwnServerJob(server, "gallery");
  job.sockets = &calls;
  RecordingObserver observer;
  EXPECT_EQ(RunOwnServer(job, observer), UploadOutcome::Completed);
  EXPECT_EQ(server.CommandsWithoutPort().size(), 21u);
  for (const std::string& entry : kExampleList) {
    EXPECT_EQ(ReadFile(server.root() + "/gallery/" + entry), Gallery::Content(entry)) << entry;
  }
}

const std::vector<std::string> kFiveFiles = {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"};

// The state after a failure inside the file loop: disconnected, "Ready", bar at 0, link on.
void ExpectLoopEndedState(const RecordingObserver& observer) {
  const std::vector<std::string>& e = observer.events;
  ASSERT_GE(e.size(), 4u);
  EXPECT_THAT(std::vector<std::string>(e.end() - 4, e.end()),
              ElementsAre("progress 0", "status Ready", "link enabled", "idle"));
}

TEST(UploadFailures, RefusedThirdStorKeepsTwoFilesAndShowsTheServersText) {
  FtpServerOptions options;
  options.failStor = 3;
  options.failReply = "552 Quota exceeded on the test server.";
  FtpTestServer server(options);
  Gallery gallery(kFiveFiles);
  RecordingObserver observer;
  EXPECT_EQ(ErrorText([&] { RunOwnServer(gallery.OwnServerJob(server, "g"), observer); }),
            "552 Quota exceeded on the test server.");
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/g/a.jpg"));
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/g/b.jpg"));
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/g/c.jpg"));
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/g/d.jpg"));
  const auto commands = server.CommandsWithoutPort();
  EXPECT_THAT(std::vector<std::string>(commands.end() - 2, commands.end()),
              ElementsAre("STOR c.jpg", "QUIT"));
  EXPECT_TRUE(observer.Saw("status Uploading: b.jpg"));
  EXPECT_FALSE(observer.Saw("status Uploading: c.jpg"));
  ExpectLoopEndedState(observer);
}

TEST(UploadFailures, DataConnectionDroppedMidTransfer) {
  FtpServerOptions options;
  options.dropData = 2;
  FtpTestServer server(options);
  Gallery gallery({"a.jpg", "big.jpg"});
  WriteFile(gallery.folder() + "/big.jpg", std::string(8 * 1024 * 1024, 'b'));
  RecordingObserver observer;
  EXPECT_THAT(ErrorText([&] { RunOwnServer(gallery.OwnServerJob(server, ""), observer); }),
              HasSubstr("426 Data connection dropped by the test server"));
  EXPECT_EQ(server.CommandsWithoutPort().back(), "QUIT");
  ExpectLoopEndedState(observer);
}

TEST(UploadFailures, ServerThatStopsAnsweringEndsWithinTheTimeLimit) {
  FtpServerOptions options;
  options.silentOn = "2:STOR";
  FtpTestServer server(options);
  Gallery gallery(kFiveFiles);
  UploadJob job = gallery.OwnServerJob(server, "");
  job.timeouts = {net::Millis(5000), net::Millis(1000), net::Millis(1000)};
  RecordingObserver observer;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorText([&] { RunOwnServer(job, observer); }),
            "The FTP server did not reply within 1 seconds");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
  EXPECT_EQ(server.CommandsWithoutPort().back(), "STOR b.jpg");  // no QUIT into the silence
  ExpectLoopEndedState(observer);
}

TEST(UploadFailures, MissingLocalFileStopsTheLoop) {
  FtpTestServer server;
  Gallery gallery({"a.jpg"});
  UploadJob job = gallery.OwnServerJob(server, "");
  job.uploadList = {"a.jpg", "gone.jpg", "z.jpg"};
  RecordingObserver observer;
  EXPECT_THAT(ErrorText([&] { RunOwnServer(job, observer); }),
              HasSubstr("Cannot open file \"" + gallery.folder() + "/gone.jpg\""));
  EXPECT_EQ(server.CommandsWithoutPort().back(), "QUIT");
  ExpectLoopEndedState(observer);
}

TEST(UploadFailures, RefusedLoginLeavesThePageAsItWas) {
  FtpTestServer server;
  Gallery gallery(kFiveFiles);
  UploadJob job = gallery.OwnServerJob(server, "g");
  job.ftpPass = "wrong";
  RecordingObserver observer;
  EXPECT_EQ(ErrorText([&] { RunOwnServer(job, observer); }), "530 Authentication failed.");
  EXPECT_THAT(observer.events, ElementsAre("address " + server.host() + "/g/index.html", "max 4"));
  EXPECT_THAT(server.Commands(), ElementsAre("USER qguser", "PASS wrong"));
}

TEST(UploadFailures, RefusedConnectionLeavesThePageAsItWas) {
  Gallery gallery({"a.jpg"});
  FtpTestServer server;
  UploadJob job = gallery.OwnServerJob(server, "g");
  job.ftpHost = "127.0.0.1:" + std::to_string(test::UnusedPort());
  RecordingObserver observer;
  EXPECT_THAT(ErrorText([&] { RunOwnServer(job, observer); }), HasSubstr("Connection refused"));
  EXPECT_THAT(observer.events, ElementsAre("address " + job.ftpHost + "/g/index.html", "max 0"));
}

TEST(UploadFailures, FolderThatCannotBeMadeEndsBeforeTheLoop) {
  // "gallery/" is never listed under that name, so it is made again, and the server refuses.
  FtpTestServer server;
  std::filesystem::create_directory(server.root() + "/gallery");
  Gallery gallery({"a.jpg"});
  RecordingObserver observer;
  EXPECT_THAT(ErrorText([&] { RunOwnServer(gallery.OwnServerJob(server, "gallery/"), observer); }),
              HasSubstr("550 "));
  EXPECT_THAT(observer.events,
              ElementsAre("address " + server.host() + "/gallery//index.html", "max 0"));
  EXPECT_EQ(server.CommandsWithoutPort().back(), "MKD gallery/");
}

TEST(UploadStart, EmptyListOnlyTellsTheUser) {
  for (bool service : {false, true}) {
    UploadJob job;
    job.useService = service;
    job.vendorSite = "http://127.0.0.1:" + std::to_string(test::UnusedPort());
    ScriptedPrompts prompts;
    RecordingObserver observer;
    net::HttpClient http;
    EXPECT_EQ(StartFileUpload(job, prompts, observer, http), UploadOutcome::NothingToUpload);
    EXPECT_THAT(prompts.said, ElementsAre(std::string("inform ") + kNoGalleryMessage));
    EXPECT_THAT(observer.events, IsEmpty());
  }
}

TEST(UploadStart, SecondUploadIsRefusedWhileOneRuns) {
  FtpTestServer server;
  Gallery gallery({"a.jpg", "b.jpg"});
  const UploadJob job = gallery.OwnServerJob(server, "");
  RecordingObserver observer;
  std::string refusal;
  observer.onProgressMax = [&] {
    EXPECT_TRUE(UploadRunning());
    RecordingObserver second;
    refusal = ErrorText([&] { UploadGallery(job, job.ftpHost, job.ftpUser, job.ftpPass, second); });
    ScriptedPrompts prompts;
    net::HttpClient http;
    EXPECT_EQ(ErrorText([&] { StartFileUpload(job, prompts, second, http); }), refusal);
  };
  EXPECT_EQ(RunOwnServer(job, observer), UploadOutcome::Completed);
  EXPECT_EQ(refusal, kUploadRunningMessage);
  EXPECT_FALSE(UploadRunning());
  // The slot is free again, also after a failure.
  observer.onProgressMax = nullptr;
  UploadJob failing = job;
  failing.ftpPass = "wrong";
  ErrorText([&] { RunOwnServer(failing, observer); });
  EXPECT_FALSE(UploadRunning());
  EXPECT_EQ(RunOwnServer(job, observer), UploadOutcome::Completed);
}

TEST(UploadStart, StopRequestEndsTheLoopBetweenFiles) {
  FtpTestServer server;
  Gallery gallery(kFiveFiles);
  const UploadJob job = gallery.OwnServerJob(server, "");
  StopSource stop;
  RecordingObserver observer;
  observer.onProgress = [&](int position) {
    if (position == 1) stop.Stop();
  };
  ScriptedPrompts prompts;
  net::HttpClient http;
  EXPECT_EQ(StartFileUpload(job, prompts, observer, http, stop.Token()), UploadOutcome::Stopped);
  EXPECT_THAT(server.CommandsWithoutPort(),
              ElementsAre("USER qguser", "PASS qgpass", "TYPE I", "NLST", "STOR a.jpg",
                          "STOR b.jpg", "QUIT"));
  ExpectLoopEndedState(observer);
}

TEST(UploadStart, StopRequestWhileTheServerIsSilentEndsTheUploadWithinASecond) {
  FtpServerOptions options;
  options.silentOn = "2:STOR";
  FtpTestServer server(options);
  Gallery gallery(kFiveFiles);
  UploadJob job = gallery.OwnServerJob(server, "");
  job.timeouts = {net::Millis(60000), net::Millis(60000), net::Millis(60000)};
  StopSource stop;
  std::chrono::steady_clock::time_point stopped;
  std::thread user;
  RecordingObserver observer;
  observer.onProgress = [&](int position) {
    if (position != 0 || user.joinable()) return;  // the first file is on the server
    user = std::thread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      stopped = std::chrono::steady_clock::now();
      stop.Stop();
    });
  };
  ScriptedPrompts prompts;
  net::HttpClient http;
  EXPECT_EQ(StartFileUpload(job, prompts, observer, http, stop.Token()), UploadOutcome::Stopped);
  const auto end = std::chrono::steady_clock::now();
  user.join();
  EXPECT_LT(std::chrono::duration<double>(end - stopped).count(), 1.0);
  ExpectLoopEndedState(observer);
  EXPECT_EQ(server.CommandsWithoutPort().back(), "STOR b.jpg");  // no QUIT into the silence
  EXPECT_FALSE(UploadRunning());
}

TEST(UploadStart, StopRequestBeforeTheGreetingLeavesThePageAsItWas) {
  // A listening socket that never greets.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(fd, 1), 0);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  FtpTestServer unused;
  Gallery gallery({"a.jpg"});
  UploadJob job = gallery.OwnServerJob(unused, "g");
  job.ftpHost = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  job.timeouts = {net::Millis(60000), net::Millis(60000), net::Millis(60000)};
  StopSource stop;
  std::thread user([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stop.Stop();
  });
  RecordingObserver observer;
  ScriptedPrompts prompts;
  net::HttpClient http;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(StartFileUpload(job, prompts, observer, http, stop.Token()), UploadOutcome::Stopped);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  user.join();
  EXPECT_THAT(observer.events, ElementsAre("address " + job.ftpHost + "/g/index.html", "max 0"));
  close(fd);
}

// The hosting service: a web server for the two pages, an FTP server for the account.
class HostingService {
 public:
  explicit HostingService(const std::string& statusPage) : ftp_(FtpAccount()) {
    web_ = std::make_unique<HttpTestServer>(std::map<std::string, HttpRoute>{
        {"/quillon/ftpservice.htm", HttpRoute{200, statusPage}},
        {"/quillon/ftpconnect.htm",
         HttpRoute{200, "HOSTNAME:" + ftp_.host() + "!!!\r\nUSERNAME:svcuser!!!\r\nPASSWORD:" +
                            kPasswordValue + "!!!\r\n"}},
    });
  }
  UploadJob Job(const Gallery& gallery) const {
    UploadJob job = gallery.OwnServerJob(ftp_, "");
    job.useService = true;
    job.ftpHost = job.ftpUser = job.ftpPass = "not used";
    job.serviceFolder = "bakor";
    job.vendorSite = web_->base();
    job.hostingUrl = "http://galleries.test/";
    return job;
  }
  const FtpTestServer& ftp() const { return ftp_; }

 private:
  static constexpr const char* kPasswordValue = "account-7";
  static FtpServerOptions FtpAccount() {
    FtpServerOptions options;
    options.user = "svcuser";
    options.password = ServicePassword(kPasswordValue).substr(0, 6);
    return options;
  }
  FtpTestServer ftp_;
  std::unique_ptr<HttpTestServer> web_;
};

TEST(UploadToHostingService, UsesTheServiceAccountAndTheUsersFolder) {
  HostingService service("SERVICE:OK");
  Gallery gallery({"index.html", "thumbs/tn_a.jpg"});
  ScriptedPrompts prompts;
  RecordingObserver observer;
  net::HttpClient http;
  EXPECT_EQ(StartFileUpload(service.Job(gallery), prompts, observer, http),
            UploadOutcome::Completed);
  EXPECT_THAT(prompts.said, IsEmpty());
  EXPECT_EQ(observer.events[0], "status Checking FTP Service");
  EXPECT_EQ(observer.events[1], "address http://galleries.test/bakor/index.html");
  EXPECT_EQ(ReadFile(service.ftp().root() + "/bakor/thumbs/tn_a.jpg"),
            Gallery::Content("thumbs/tn_a.jpg"));
  EXPECT_EQ(service.ftp().Commands()[0], "USER svcuser");
}

TEST(UploadToHostingService, RefusalStopsBeforeAnyFtp) {
  HostingService service("SERVICE:NO MESSAGE: Maintenance until 6 pm");
  Gallery gallery({"index.html"});
  ScriptedPrompts prompts;
  prompts.wantMoreInfo = true;
  RecordingObserver observer;
  net::HttpClient http;
  const UploadJob job = service.Job(gallery);
  EXPECT_EQ(StartFileUpload(job, prompts, observer, http), UploadOutcome::ServiceRefused);
  EXPECT_THAT(prompts.said, ElementsAre("refused Maintenance until 6 pm",
                                        "open " + job.vendorSite + "/quillon/ftpinfo.htm"));
  EXPECT_THAT(observer.events, ElementsAre("status Checking FTP Service"));
  EXPECT_THAT(service.ftp().Commands(), IsEmpty());
}

TEST(UploadToHostingService, MissingConnectionPageFailsAtConnect) {
  HttpTestServer web({{"/quillon/ftpservice.htm", HttpRoute{200, "SERVICE:OK"}}});
  Gallery gallery({"index.html"});
  FtpTestServer unused;
  UploadJob job = gallery.OwnServerJob(unused, "");
  job.useService = true;
  job.serviceFolder = "bakor";
  job.vendorSite = web.base();
  job.hostingUrl = "http://galleries.test/";
  ScriptedPrompts prompts;
  RecordingObserver observer;
  net::HttpClient http;
  EXPECT_EQ(ErrorText([&] { StartFileUpload(job, prompts, observer, http); }),
            "No FTP server name is set");
  EXPECT_THAT(observer.events,
              ElementsAre("status Checking FTP Service",
                          "address http://galleries.test/bakor/index.html", "max 0"));
}

TEST(UploadToHostingService, FloodedServicePageIsAClearErrorAndNoFtp) {
  HttpTestServer web({{"/quillon/ftpservice.htm", HttpRoute{200, "SERVICE:OK ", {}, "", 0, true}}});
  Gallery gallery({"index.html"});
  FtpTestServer unused;
  UploadJob job = gallery.OwnServerJob(unused, "");
  job.useService = true;
  job.vendorSite = web.base();
  ScriptedPrompts prompts;
  RecordingObserver observer;
  net::HttpClient http;
  EXPECT_EQ(
      ErrorText([&] { StartFileUpload(job, prompts, observer, http); }),
      "The page " + web.base() + "/quillon/ftpservice.htm is larger than 64 KB and was not read");
  EXPECT_THAT(observer.events, ElementsAre("status Checking FTP Service"));
  EXPECT_THAT(unused.Commands(), IsEmpty());
}

}  // namespace
}  // namespace qg
