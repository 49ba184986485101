// The upload over passive FTP, FTPS and SFTP against real servers on 127.0.0.1: what arrives,
// in which order and under which names, which servers are refused, what a second upload sends,
// how a broken transfer is continued, and what is removed (only what we sent).
#include "publish/SessionUpload.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/HttpClient.h"
#include "net/TestServers.h"
#include "publish/UploadManifest.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace qg {
namespace {

namespace fs = std::filesystem;
using test::FtpServerOptions;
using test::FtpTestServer;
using test::ReadFile;
using test::SshTestServer;
using test::TempDir;
using test::WriteFile;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class Observer : public UploadObserver {
 public:
  std::vector<std::string> statuses;
  std::vector<std::string> trusted;
  std::optional<UploadSummary> summary;
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void TrustedServer(const std::string& fingerprint) override { trusted.push_back(fingerprint); }
  void Finished(const UploadSummary& s) override { summary = s; }
};

class Prompts : public UploadPrompts {
 public:
  bool trust = false;
  bool remove = false;
  std::vector<std::string> trustQuestions;
  std::vector<std::vector<std::string>> removalLists;
  void Inform(const std::string&) override {}
  bool ServiceRefused(const std::string&) override { return false; }
  void OpenInBrowser(const std::string&) override {}
  bool TrustServer(const std::string& message, const std::string&) override {
    trustQuestions.push_back(message);
    return trust;
  }
  bool ConfirmRemoval(const std::vector<std::string>& names) override {
    removalLists.push_back(names);
    return remove;
  }
};

const std::vector<std::string> kList = {"images/a.jpg",   "images/b.jpg", "index.html",
                                        "index1.html",    "a.html",       "b.html",
                                        "thumbs/tn_a.jpg"};

// A built gallery: every entry with content of its own.
class Gallery {
 public:
  explicit Gallery(std::vector<std::string> entries = kList) : entries_(std::move(entries)) {
    for (const std::string& entry : entries_) Write(entry, "first " + entry + "\r\n\xFF\x00", 0);
  }
  void Write(const std::string& entry, const std::string& content, size_t extra) {
    const fs::path path = dir_.path() / entry;
    fs::create_directories(path.parent_path());
    WriteFile(path.string(), content + std::string(extra, 'x'));
  }
  std::string Content(const std::string& entry) const { return ReadFile(dir_.file(entry)); }
  UploadJob Job(net::Transport transport, const std::string& host, const std::string& user,
                const std::string& password, const std::string& folder) const {
    UploadJob job;
    job.uploadList = entries_;
    job.destFolder = dir_.path().string();
    job.useService = false;
    job.transport = transport;
    job.passive = true;
    job.changedOnly = true;
    job.ftpHost = host;
    job.ftpUser = user;
    job.ftpPass = password;
    job.ftpFolder = folder;
    job.timeouts = {net::Millis(10000), net::Millis(10000), net::Millis(10000)};
    job.retryDelay = std::chrono::milliseconds(10);
    job.manifestPath = record_.file("record");
    job.knownHostsFile = record_.file("known_hosts");
    return job;
  }
  std::vector<std::string>& entries() { return entries_; }

 private:
  TempDir dir_, record_;
  std::vector<std::string> entries_;
};

UploadOutcome Upload(const UploadJob& job, Prompts& prompts, Observer& observer,
                     const StopToken& stop = {}) {
  net::HttpClient http;
  return StartFileUpload(job, prompts, observer, http, stop);
}

std::string ErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

// The commands that name files, without the ones whose arguments change from run to run.
std::vector<std::string> FileCommands(const FtpTestServer& server) {
  std::vector<std::string> out;
  for (const std::string& line : server.Commands()) {
    for (const char* verb : {"STOR ", "APPE ", "RNFR ", "RNTO ", "DELE "}) {
      if (line.rfind(verb, 0) == 0) out.push_back(line);
    }
  }
  return out;
}

TEST(SessionUploadFtp, PassiveUploadRenamesEachFileIntoPlacePicturesFirst) {
  FtpTestServer server;
  Gallery gallery;
  Prompts prompts;
  Observer observer;
  ASSERT_EQ(Upload(gallery.Job(net::Transport::Ftp, server.host(), server.user(), server.password(),
                               "gal"),
                   prompts, observer),
            UploadOutcome::Completed);
  for (const std::string& entry : kList)
    EXPECT_EQ(ReadFile(server.root() + "/gal/" + entry), gallery.Content(entry)) << entry;
  EXPECT_THAT(server.Commands(), Contains(::testing::AnyOf("PASV", "EPSV")));
  EXPECT_THAT(server.Commands(), Not(Contains(::testing::StartsWith("PORT "))));
  EXPECT_THAT(
      FileCommands(server),
      ElementsAre("STOR .qg-a.jpg.part", "RNFR .qg-a.jpg.part", "RNTO a.jpg", "STOR .qg-b.jpg.part",
                  "RNFR .qg-b.jpg.part", "RNTO b.jpg", "STOR .qg-tn_a.jpg.part",
                  "RNFR .qg-tn_a.jpg.part", "RNTO tn_a.jpg", "STOR .qg-a.html.part",
                  "RNFR .qg-a.html.part", "RNTO a.html", "STOR .qg-b.html.part",
                  "RNFR .qg-b.html.part", "RNTO b.html", "STOR .qg-index.html.part",
                  "RNFR .qg-index.html.part", "RNTO index.html", "STOR .qg-index1.html.part",
                  "RNFR .qg-index1.html.part", "RNTO index1.html"));
  ASSERT_TRUE(observer.summary);
  EXPECT_EQ(UploadSummaryText(*observer.summary),
            "7 sent, 0 skipped as unchanged, 0 retried, 0 failed");
  EXPECT_EQ(observer.statuses.back(), kStatusReady);
}

TEST(SessionUploadFtp, SecondUploadSendsExactlyTheChangedFiles) {
  FtpTestServer server;
  Gallery gallery;
  Prompts prompts;
  Observer first, second;
  const UploadJob job =
      gallery.Job(net::Transport::Ftp, server.host(), server.user(), server.password(), "gal");
  ASSERT_EQ(Upload(job, prompts, first), UploadOutcome::Completed);
  const size_t before = FileCommands(server).size();
  // A changed title rewrites its picture page and the index page that shows it; a rebuild
  // writes the others again with the same bytes.
  gallery.Write("a.html", "new title", 0);
  gallery.Write("index.html", "new caption", 0);
  gallery.Write("b.html", gallery.Content("b.html"), 0);
  ASSERT_EQ(Upload(job, prompts, second), UploadOutcome::Completed);
  const std::vector<std::string> all = FileCommands(server);
  EXPECT_THAT(
      std::vector<std::string>(all.begin() + static_cast<long>(before), all.end()),
      ElementsAre("STOR .qg-a.html.part", "RNFR .qg-a.html.part", "RNTO a.html",
                  "STOR .qg-index.html.part", "RNFR .qg-index.html.part", "RNTO index.html"));
  ASSERT_TRUE(second.summary);
  EXPECT_EQ(UploadSummaryText(*second.summary),
            "2 sent, 5 skipped as unchanged, 0 retried, 0 failed");
  for (const std::string& entry : kList)
    EXPECT_EQ(ReadFile(server.root() + "/gal/" + entry), gallery.Content(entry)) << entry;

  // --all: everything again.
  UploadJob all_ = job;
  all_.changedOnly = false;
  Observer third;
  ASSERT_EQ(Upload(all_, prompts, third), UploadOutcome::Completed);
  EXPECT_EQ(third.summary->sent, kList.size());
}

TEST(SessionUploadFtp, TheRecordLivesInTheCacheFolderPerServerAndFolder) {
  FtpTestServer server;
  Gallery gallery;
  TempDir cache;
  test::ScopedEnv env("XDG_CACHE_HOME", cache.path().string());
  UploadJob job =
      gallery.Job(net::Transport::Ftp, server.host(), server.user(), server.password(), "gal");
  job.manifestPath.clear();
  Prompts prompts;
  Observer observer;
  ASSERT_EQ(Upload(job, prompts, observer), UploadOutcome::Completed);
  const std::string path = UploadManifestPath(UploadRecordKey(job, job.ftpHost, job.ftpUser));
  EXPECT_EQ(path.rfind(cache.path().string() + "/Corvane-Soft/quillon-gallery/uploads/", 0), 0u);
  const UploadManifest record = LoadUploadManifest(path);
  EXPECT_EQ(record.entries.size(), kList.size());
  EXPECT_EQ(record.entries.at("images/a.jpg").size, gallery.Content("images/a.jpg").size());
  job.ftpFolder = "other";
  EXPECT_NE(UploadManifestPath(UploadRecordKey(job, job.ftpHost, job.ftpUser)), path);
}

TEST(SessionUploadFtp, ABrokenTransferIsContinuedWhereItStopped) {
  FtpServerOptions options;
  options.dropData = 1;  // the first STOR loses its data connection halfway
  FtpTestServer server(options);
  Gallery gallery({"images/big.jpg", "index.html"});
  gallery.Write("images/big.jpg", "start", 4 << 20);
  WriteFile(server.root() + "/.qg-index.html.part", "left by an interrupted run");
  Prompts prompts;
  Observer observer;
  ASSERT_EQ(
      Upload(gallery.Job(net::Transport::Ftp, server.host(), server.user(), server.password(), ""),
             prompts, observer),
      UploadOutcome::Completed);
  EXPECT_EQ(ReadFile(server.root() + "/images/big.jpg"), gallery.Content("images/big.jpg"));
  EXPECT_THAT(FileCommands(server), Contains("APPE .qg-big.jpg.part"));
  // The next file starts afresh, even over a temporary file an earlier run left behind.
  EXPECT_THAT(FileCommands(server), Contains("STOR .qg-index.html.part"));
  EXPECT_EQ(ReadFile(server.root() + "/index.html"), gallery.Content("index.html"));
  EXPECT_FALSE(fs::exists(server.root() + "/images/.qg-big.jpg.part"));
  EXPECT_EQ(UploadSummaryText(*observer.summary),
            "2 sent, 0 skipped as unchanged, 1 retried, 0 failed");
}

TEST(SessionUploadFtp, AServerThatRefusesRenamesKeepsItsOldFilesAndGetsNoPages) {
  FtpServerOptions options;
  options.refuseRename = true;
  FtpTestServer server(options);
  fs::create_directories(server.root() + "/images");
  WriteFile(server.root() + "/images/a.jpg", "old a");
  Gallery gallery({"images/a.jpg", "index.html"});
  Prompts prompts;
  Observer observer;
  const std::string error = ErrorOf([&] {
    Upload(gallery.Job(net::Transport::Ftp, server.host(), server.user(), server.password(), ""),
           prompts, observer);
  });
  EXPECT_THAT(error, HasSubstr("The upload did not complete (0 sent, 0 skipped as unchanged, 0 "
                               "retried, 2 failed). The server refused to put the uploaded "
                               "'images/a.jpg' in place of the old one"));
  EXPECT_THAT(error, HasSubstr("RNFR .qg-a.jpg.part"));
  EXPECT_EQ(ReadFile(server.root() + "/images/a.jpg"), "old a");
  EXPECT_FALSE(fs::exists(server.root() + "/images/.qg-a.jpg.part"));
  EXPECT_FALSE(fs::exists(server.root() + "/index.html"));
  EXPECT_EQ(observer.statuses.back(), kStatusReady);
}

TEST(SessionUploadFtp, RemovesOnlyWhatItSentAndOnlyAfterAsking) {
  FtpTestServer server;
  Gallery gallery;
  Prompts prompts;
  Observer observer;
  UploadJob job =
      gallery.Job(net::Transport::Ftp, server.host(), server.user(), server.password(), "gal");
  ASSERT_EQ(Upload(job, prompts, observer), UploadOutcome::Completed);
  WriteFile(server.root() + "/gal/images/mine.jpg", "the user's own");
  // The next gallery has no picture b.
  job.uploadList = {"images/a.jpg", "index.html", "index1.html", "a.html", "thumbs/tn_a.jpg"};
  job.removeStale = true;
  Observer declined;
  ASSERT_EQ(Upload(job, prompts, declined), UploadOutcome::Completed);
  ASSERT_EQ(prompts.removalLists.size(), 1u);
  EXPECT_THAT(prompts.removalLists[0], ElementsAre("b.html", "images/b.jpg"));
  EXPECT_TRUE(fs::exists(server.root() + "/gal/b.html"));

  prompts.remove = true;
  Observer accepted;
  ASSERT_EQ(Upload(job, prompts, accepted), UploadOutcome::Completed);
  EXPECT_FALSE(fs::exists(server.root() + "/gal/b.html"));
  EXPECT_FALSE(fs::exists(server.root() + "/gal/images/b.jpg"));
  EXPECT_TRUE(fs::exists(server.root() + "/gal/images/a.jpg"));
  EXPECT_EQ(ReadFile(server.root() + "/gal/images/mine.jpg"), "the user's own");
  EXPECT_EQ(UploadSummaryText(*accepted.summary),
            "0 sent, 5 skipped as unchanged, 0 retried, 0 failed, 2 removed from the server");
  // Nothing is left to ask about.
  Observer again;
  ASSERT_EQ(Upload(job, prompts, again), UploadOutcome::Completed);
  EXPECT_EQ(prompts.removalLists.size(), 2u);
}

TEST(SessionUploadFtp, AMissingGalleryFileStopsTheUploadBeforeAnythingIsSent) {
  FtpTestServer server;
  Gallery gallery;
  UploadJob job =
      gallery.Job(net::Transport::Ftp, server.host(), server.user(), server.password(), "");
  job.uploadList.push_back("images/gone.jpg");
  Prompts prompts;
  Observer observer;
  EXPECT_THAT(ErrorOf([&] { Upload(job, prompts, observer); }),
              HasSubstr("images/gone.jpg\" is missing; please create the gallery again"));
  EXPECT_THAT(FileCommands(server), IsEmpty());
}

TEST(SessionUploadFtp, AStopDuringTheWaitBeforeARetryEndsTheUpload) {
  FtpServerOptions options;
  options.failStor = 1;
  options.failReply = "421 Too many users, try later.";
  FtpTestServer server(options);
  Gallery gallery;
  UploadJob job =
      gallery.Job(net::Transport::Ftp, server.host(), server.user(), server.password(), "");
  job.retryDelay = std::chrono::milliseconds(60000);
  Prompts prompts;
  Observer observer;
  StopSource stop;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    stop.Stop();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Upload(job, prompts, observer, stop.Token()), UploadOutcome::Stopped);
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(SessionUploadFtp, AStopEndsTheWaitForAServerThatKeepsQuiet) {
  FtpServerOptions options;
  options.silentOn = "1:STOR";
  FtpTestServer server(options);
  Gallery gallery;
  const UploadJob job =
      gallery.Job(net::Transport::Ftp, server.host(), server.user(), server.password(), "");
  Prompts prompts;
  Observer observer;
  StopSource stop;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    stop.Stop();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Upload(job, prompts, observer, stop.Token()), UploadOutcome::Stopped);
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_EQ(observer.statuses.back(), kStatusReady);
}

TEST(SessionUploadFtp, DefaultsKeepTheOriginalUpload) {
  Preferences prefs;
  prefs.blUseCorvaneServer = false;
  EXPECT_TRUE(UsesOriginalUpload(MakeUploadJob(prefs, {"index.html"}, "/tmp")));
  prefs.blFTPPassive = true;
  const UploadJob passive = MakeUploadJob(prefs, {"index.html"}, "/tmp");
  EXPECT_FALSE(UsesOriginalUpload(passive));
  EXPECT_TRUE(passive.changedOnly);  // on by default beyond active plain FTP
  prefs.iFTPChangedOnly = kChangedOnlyOff;
  EXPECT_FALSE(MakeUploadJob(prefs, {"index.html"}, "/tmp").changedOnly);
  // The key file is for SFTP only; FTP and FTPS keep logging in with the password.
  prefs.sFTPKeyFile = "/home/anna/.ssh/id_ed25519";
  EXPECT_EQ(MakeUploadJob(prefs, {"index.html"}, "/tmp").identityFile, "");
  prefs.iFTPSecure = kFtpTls;
  EXPECT_EQ(MakeUploadJob(prefs, {"index.html"}, "/tmp").identityFile, "");
  prefs.iFTPSecure = kFtpSsh;
  EXPECT_EQ(MakeUploadJob(prefs, {"index.html"}, "/tmp").identityFile,
            "/home/anna/.ssh/id_ed25519");
  prefs.iFTPSecure = kFtpPlain;
  prefs.blFTPPassive = false;
  prefs.iFTPChangedOnly = kChangedOnlyByTransport;
  prefs.blUseCorvaneServer = true;
  prefs.iFTPSecure = kFtpSsh;  // the hosting service ignores the own server's transport
  EXPECT_TRUE(UsesOriginalUpload(MakeUploadJob(prefs, {"index.html"}, "/tmp")));
}

class SessionUploadFtps : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = test::MissingForFtps(); !missing.empty())
      GTEST_SKIP() << missing;
    certificate_ = test::MakeTestCertificate(dir_.path().string());
    FtpServerOptions options;
    options.tlsCertificate = certificate_.certificate;
    options.tlsKey = certificate_.key;
    server_ = std::make_unique<FtpTestServer>(options);
  }
  UploadJob Job() const {
    return gallery_.Job(net::Transport::Ftps, server_->host(), server_->user(), server_->password(),
                        "gal");
  }

  TempDir dir_;
  test::TestCertificate certificate_;
  std::unique_ptr<FtpTestServer> server_;
  Gallery gallery_;
};

TEST_F(SessionUploadFtps, AnUnknownCertificateIsRefusedBeforeTheLoginShowingItsFingerprint) {
  Prompts prompts;
  Observer observer;
  const std::string error = ErrorOf([&] { Upload(Job(), prompts, observer); });
  EXPECT_THAT(error, HasSubstr("presented a certificate that could not be verified"));
  EXPECT_THAT(error, HasSubstr("certificate fingerprint " + certificate_.fingerprint));
  ASSERT_EQ(prompts.trustQuestions.size(), 1u);
  EXPECT_EQ(prompts.trustQuestions[0], error);
  EXPECT_THAT(server_->Commands(), Not(Contains("USER qguser")));
  EXPECT_THAT(server_->Commands(), Not(Contains("PASS qgpass")));
  EXPECT_FALSE(fs::exists(server_->root() + "/gal"));
}

TEST_F(SessionUploadFtps, AConfirmedCertificateIsTrustedAndTheFilesGoEncrypted) {
  Prompts prompts;
  prompts.trust = true;
  Observer observer;
  ASSERT_EQ(Upload(Job(), prompts, observer), UploadOutcome::Completed);
  EXPECT_THAT(observer.trusted, ElementsAre(certificate_.fingerprint));
  for (const std::string& entry : kList)
    EXPECT_EQ(ReadFile(server_->root() + "/gal/" + entry), gallery_.Content(entry)) << entry;
  const std::vector<std::string> commands = server_->Commands();
  EXPECT_THAT(commands, Contains("AUTH TLS"));
  EXPECT_THAT(commands, Contains("PBSZ 0"));
  EXPECT_THAT(commands, Contains("PROT P"));
}

TEST_F(SessionUploadFtps, AStoredFingerprintAcceptsThatCertificateOnly) {
  UploadJob job = Job();
  job.trustedFingerprint = certificate_.fingerprint;
  Prompts prompts;
  Observer observer;
  ASSERT_EQ(Upload(job, prompts, observer), UploadOutcome::Completed);
  EXPECT_THAT(prompts.trustQuestions, IsEmpty());

  job.trustedFingerprint = "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
  job.changedOnly = false;
  Observer refused;
  const std::string error = ErrorOf([&] { Upload(job, prompts, refused); });
  EXPECT_THAT(error, HasSubstr("presented the certificate " + certificate_.fingerprint +
                               ", not the trusted SHA256:AAAA"));
}

class SessionUploadSftp : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = test::MissingForSftp(); !missing.empty())
      GTEST_SKIP() << missing;
    server_ = std::make_unique<SshTestServer>();
  }
  UploadJob Job() const {
    UploadJob job = gallery_.Job(net::Transport::Sftp, server_->host(), server_->user(), "",
                                 remote_.file("site"));
    job.identityFile = server_->userKey();
    return job;
  }
  std::string Remote(const std::string& entry) const { return remote_.file("site/" + entry); }

  std::unique_ptr<SshTestServer> server_;
  Gallery gallery_;
  TempDir remote_;
};

TEST_F(SessionUploadSftp, AKnownHostGetsTheGalleryAndReplacementsWork) {
  UploadJob job = Job();
  WriteFile(job.knownHostsFile, server_->knownHostsLine());
  Prompts prompts;
  Observer observer;
  ASSERT_EQ(Upload(job, prompts, observer), UploadOutcome::Completed);
  for (const std::string& entry : kList)
    EXPECT_EQ(ReadFile(Remote(entry)), gallery_.Content(entry));
  // Replacing existing files (the server does not rename over them).
  gallery_.Write("images/a.jpg", "second picture", 1000);
  gallery_.Write("a.html", "second page", 0);
  Observer second;
  ASSERT_EQ(Upload(job, prompts, second), UploadOutcome::Completed);
  EXPECT_EQ(UploadSummaryText(*second.summary),
            "2 sent, 5 skipped as unchanged, 0 retried, 0 failed");
  for (const std::string& entry : kList)
    EXPECT_EQ(ReadFile(Remote(entry)), gallery_.Content(entry));
  EXPECT_FALSE(fs::exists(Remote("images/.qg-a.jpg.part")));
}

TEST_F(SessionUploadSftp, AnUnknownOrChangedHostKeyIsRefusedShowingItsFingerprint) {
  Prompts prompts;
  Observer observer;
  const std::string unknown = ErrorOf([&] { Upload(Job(), prompts, observer); });
  EXPECT_THAT(unknown, HasSubstr("presented an unknown host key (fingerprint " +
                                 server_->hostKeyFingerprint() + ")"));
  EXPECT_FALSE(fs::exists(Remote("index.html")));

  UploadJob job = Job();
  // Another key for this host and port in known_hosts.
  WriteFile(
      job.knownHostsFile,
      "[127.0.0.1]:" + std::to_string(server_->port()) +
          " ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIOMqqnkVzrm0SdG6UOoqKLsabgH5C9okWi0dh2l9GKJl\n");
  const std::string changed = ErrorOf([&] { Upload(job, prompts, observer); });
  EXPECT_THAT(changed, HasSubstr("presented a host key that differs from the one known for it"));
  EXPECT_THAT(changed, HasSubstr(server_->hostKeyFingerprint()));
  EXPECT_FALSE(fs::exists(Remote("index.html")));
}

TEST_F(SessionUploadSftp, AConfirmedHostKeyIsAccepted) {
  UploadJob job = Job();
  job.trustedFingerprint = server_->hostKeyFingerprint();
  Prompts prompts;
  Observer observer;
  ASSERT_EQ(Upload(job, prompts, observer), UploadOutcome::Completed);
  EXPECT_EQ(ReadFile(Remote("index.html")), gallery_.Content("index.html"));
  EXPECT_THAT(prompts.trustQuestions, IsEmpty());
}

}  // namespace
}  // namespace qg
