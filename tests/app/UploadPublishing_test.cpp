// The upload page beyond active plain FTP, through the main window against servers on
// 127.0.0.1: an unknown certificate is offered for trust with its fingerprint and remembered,
// the files the gallery no longer has are listed before anything is removed, and the upload ends
// with a note of what was sent, skipped, retried and failed.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "MainWindowFixture.h"
#include "UploadRun.h"
#include "ViewsTestSupport.h"
#include "net/TestServers.h"
#include "pages/UploadPage.h"
#include "support/ScopedEnv.h"

namespace qg::app::test {
namespace {

using qg::test::FtpServerOptions;
using qg::test::FtpTestServer;

const std::vector<std::string> kFiles = {"images/a.jpg", "images/b.jpg", "a.html", "b.html",
                                         "index.html"};

class PublishingFlow : public MainWindowTest {
 public:
  UploadPage& openWithGallery(const std::vector<std::string>& entries) {
    galleryDir = dir.file("site");
    WriteGalleryFiles(galleryDir, entries);
    open();
    built = entries;
    window->uploadRun().setBuiltSource([this] { return UploadRun::Built{built, galleryDir}; });
    window->uploadPage()->chkUseCorvaneServer->setChecked(false);
    return *window->uploadPage();
  }
  void useServer(const FtpTestServer& server, int secure) {
    qg::Preferences& prefs = window->preferences();
    prefs.sFTPHost = server.host();
    prefs.sFTPUser = server.user();
    prefs.sFTPPass = server.password();
    prefs.sFTPFolder = "gal";
    prefs.iFTPSecure = secure;
    prefs.blFTPPassive = true;
  }
  bool upload() {
    window->uploadPage()->btnStartFTPUpload->click();
    return WaitFor([this] { return !window->uploadRun().running(); }, 60000);
  }

  qg::test::ScopedEnv cache{"XDG_CACHE_HOME", dir.file("cache")};
  std::string galleryDir;
  std::vector<std::string> built;
};

TEST_F(PublishingFlow, AnUnknownCertificateIsTrustedOnlyAfterTheUserSaysYes) {
  if (const std::string missing = qg::test::MissingForFtps(); !missing.empty())
    GTEST_SKIP() << missing;
  const qg::test::TestCertificate certificate = qg::test::MakeTestCertificate(dir.path().string());
  FtpServerOptions options;
  options.tlsCertificate = certificate.certificate;
  options.tlsKey = certificate.key;
  FtpTestServer server(options);
  openWithGallery(kFiles);
  useServer(server, qg::kFtpTls);

  prompts.answers = {Answer::No};
  ASSERT_TRUE(upload());
  QStringList questions = prompts.texts("askYesNo");
  ASSERT_EQ(questions.size(), 1);
  EXPECT_TRUE(questions[0].contains(ToQ("certificate fingerprint " + certificate.fingerprint)))
      << questions[0].toStdString();
  EXPECT_TRUE(questions[0].contains(
      ToQ(".\n\nTrust this server? Only a server that shows " + certificate.fingerprint +
          " will be accepted from now on; answer No unless you know it is yours.")));
  ASSERT_EQ(prompts.texts("showError").size(), 1);
  EXPECT_TRUE(prompts.texts("showError")[0].contains(ToQ(certificate.fingerprint)));
  EXPECT_EQ(window->preferences().sFTPTrustedKey, "");
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/gal"));

  prompts.calls.clear();
  prompts.answers = {Answer::Yes};
  ASSERT_TRUE(upload());
  EXPECT_TRUE(prompts.texts("showError").isEmpty())
      << prompts.texts("showError").join("|").toStdString();
  EXPECT_EQ(window->preferences().sFTPTrustedKey, certificate.fingerprint);
  for (const std::string& entry : kFiles)
    EXPECT_EQ(ReadAll(server.root() + "/gal/" + entry), "content of " + entry);
  EXPECT_EQ(prompts.texts("inform"),
            QStringList{"Upload finished: 5 sent, 0 skipped as unchanged, 0 retried, 0 failed."});

  // The stored fingerprint is enough next time; nothing changed, nothing is sent.
  prompts.calls.clear();
  ASSERT_TRUE(upload());
  EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());
  EXPECT_EQ(prompts.texts("inform"),
            QStringList{"Upload finished: 0 sent, 5 skipped as unchanged, 0 retried, 0 failed."});
}

TEST_F(PublishingFlow, FilesTheGalleryNoLongerHasAreListedAndRemovedAfterYes) {
  FtpTestServer server;
  openWithGallery(kFiles);
  useServer(server, qg::kFtpPlain);
  window->preferences().blFTPRemoveStale = true;
  ASSERT_TRUE(upload());
  ASSERT_TRUE(prompts.texts("askYesNo").isEmpty());

  built = {"images/a.jpg", "a.html", "index.html"};
  prompts.calls.clear();
  prompts.answers = {Answer::No};
  ASSERT_TRUE(upload());
  EXPECT_EQ(prompts.texts("askYesNo"),
            QStringList{"An earlier upload sent these files, which the gallery no longer has:\n\n"
                        "b.html\nimages/b.jpg\n\nRemove them from the server?"});
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/gal/b.html"));

  prompts.calls.clear();
  prompts.answers = {Answer::Yes};
  ASSERT_TRUE(upload());
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/gal/b.html"));
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/gal/images/b.jpg"));
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/gal/images/a.jpg"));
  EXPECT_EQ(prompts.texts("inform"),
            QStringList{"Upload finished: 0 sent, 3 skipped as unchanged, 0 retried, 0 failed, 2 "
                        "removed from the server."});
}

}  // namespace
}  // namespace qg::app::test
