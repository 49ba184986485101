// The upload page driven through the main window against FTP and HTTP servers on 127.0.0.1:
// the command order, the status per file, a refused transfer and connection, one upload at a
// time, the hosting service's handshake, the e-mail and link addresses, closing mid-upload.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>
#include <filesystem>
#include <fstream>

#include "MainWindowFixture.h"
#include "UploadRun.h"
#include "ViewsTestSupport.h"
#include "net/TestServers.h"
#include "pages/UploadPage.h"
#include "publish/ServiceHandshake.h"
#include "publish/Upload.h"

namespace qg::app::test {
namespace {

using qg::test::FtpServerOptions;
using qg::test::FtpTestServer;
using qg::test::HttpRoute;
using qg::test::HttpTestServer;

class UploadFlow : public MainWindowTest {
 public:
  // A built gallery with these files and a window whose upload reads it.
  UploadPage& openWithGallery(const std::vector<std::string>& entries) {
    galleryDir = dir.file("site");
    WriteGalleryFiles(galleryDir, entries);
    open();
    window->uploadRun().setBuiltSource([this, entries] {
      return UploadRun::Built{entries, galleryDir};
    });
    QObject::connect(&window->uploadRun(), &UploadRun::statusShown,
                     [this](const QString& text) { statuses << text; });
    return *window->uploadPage();
  }
  void useOwnServer(const FtpTestServer& server, const std::string& folder) {
    window->uploadPage()->chkUseCorvaneServer->setChecked(false);
    qg::Preferences& prefs = window->preferences();
    prefs.sFTPHost = server.host();
    prefs.sFTPUser = server.user();
    prefs.sFTPPass = server.password();
    prefs.sFTPFolder = folder;
  }
  bool finishUpload() {
    return WaitFor([this] { return !window->uploadRun().running(); }, 30000);
  }

  std::string galleryDir;
  QStringList statuses;
};

const std::vector<std::string> kFiveFiles = {"images/a.jpg", "images/b.jpg", "index.html",
                                             "page1.html", "thumbs/tn_a.jpg"};

TEST_F(UploadFlow, OwnServerGetsTheFilesInOrderWithAStatusPerFile) {
  FtpTestServer server;
  UploadPage& page = openWithGallery(kFiveFiles);
  useOwnServer(server, "gal/");  // the trailing slash counts as none
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(finishUpload());

  EXPECT_TRUE(prompts.texts("showError").isEmpty())
      << prompts.texts("showError").join("|").toStdString();
  const std::vector<std::string> commands = server.CommandsWithoutPort();
  const auto entered = std::find(commands.begin(), commands.end(), "CWD gal");
  ASSERT_NE(entered, commands.end());
  EXPECT_EQ(
      std::vector<std::string>(entered + 1, commands.end()),
      (std::vector<std::string>{"NLST", "MKD images", "CWD images", "STOR a.jpg", "STOR b.jpg",
                                "CDUP", "TYPE A", "STOR index.html", "STOR page1.html", "NLST",
                                "MKD thumbs", "CWD thumbs", "TYPE I", "STOR tn_a.jpg", "QUIT"}));
  EXPECT_EQ(ReadAll(server.root() + "/gal/thumbs/tn_a.jpg"), "content of thumbs/tn_a.jpg");
  EXPECT_EQ(statuses, (QStringList{"Uploading: a.jpg", "Uploading: b.jpg", "Uploading: index.html",
                                   "Uploading: page1.html", "Uploading: tn_a.jpg", "Ready"}));
  EXPECT_EQ(page.lblFTPFile->text(), "Ready");
  EXPECT_EQ(page.pbarUpload->value(), 0);
  EXPECT_EQ(page.pbarUpload->maximum(), 4);
  EXPECT_EQ(page.lblURLGallery->text(), ToQ(server.host() + "/gal/index.html"));
  EXPECT_TRUE(page.lblURLGallery->isEnabled());
  EXPECT_TRUE(page.btnEmailLink->isEnabled());
  EXPECT_EQ(window->preferences().sFTPFolder, "gal/");

  // Again into the folder that now exists: no second MKD of it, no error.
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(finishUpload());
  EXPECT_TRUE(prompts.texts("showError").isEmpty())
      << prompts.texts("showError").join("|").toStdString();
  EXPECT_EQ(ReadAll(server.root() + "/gal/index.html"), "content of index.html");
}

TEST_F(UploadFlow, AFailedThirdStoreLeavesTwoFilesAndShowsTheServersReply) {
  FtpServerOptions options;
  options.failStor = 3;
  FtpTestServer server(options);
  UploadPage& page = openWithGallery({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
  useOwnServer(server, "g");
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(finishUpload());

  EXPECT_TRUE(std::filesystem::exists(server.root() + "/g/a.jpg"));
  EXPECT_TRUE(std::filesystem::exists(server.root() + "/g/b.jpg"));
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/g/c.jpg"));
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/g/d.jpg"));
  EXPECT_EQ(page.lblFTPFile->text(), "Ready");
  EXPECT_EQ(page.pbarUpload->value(), 0);
  EXPECT_TRUE(page.lblURLGallery->isEnabled());
  EXPECT_TRUE(page.btnEmailLink->isEnabled());
  const QStringList errors = prompts.texts("showError");
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("552 Quota exceeded on the test server"))
      << errors[0].toStdString();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(UploadFlow, ARefusedConnectionShowsTheErrorAndLeavesTheLinkDisabled) {
  FtpTestServer unusedAccount;
  UploadPage& page = openWithGallery({"index.html"});
  useOwnServer(unusedAccount, "g");
  window->preferences().sFTPHost = "127.0.0.1:" + std::to_string(qg::test::UnusedPort());
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(finishUpload());
  EXPECT_EQ(prompts.texts("showError").size(), 1);
  EXPECT_FALSE(page.lblURLGallery->isEnabled());
  EXPECT_FALSE(page.btnEmailLink->isEnabled());
  EXPECT_EQ(page.lblFTPFile->text(), "Ready");  // as it was: no file was sent
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(UploadFlow, StartPressedTwiceUploadsOnce) {
  FtpTestServer server;
  UploadPage& page = openWithGallery({"a.jpg", "b.jpg", "index.html"});
  useOwnServer(server, "g");
  page.btnStartFTPUpload->click();
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(finishUpload());
  int logins = 0;
  for (const std::string& command : server.Commands()) logins += command.rfind("USER ", 0) == 0;
  EXPECT_EQ(logins, 1);
  EXPECT_TRUE(prompts.texts("showError").isEmpty());
}

TEST_F(UploadFlow, NoGalleryGivesOnlyTheNote) {
  for (const bool service : {true, false}) {
    prompts.calls.clear();
    UploadPage& page = openWithGallery({});
    page.chkUseCorvaneServer->setChecked(service);
    page.btnStartFTPUpload->click();
    EXPECT_FALSE(window->uploadRun().running());
    EXPECT_EQ(prompts.texts("inform"),
              QStringList{"Please create your gallery before uploading to the server (Project "
                          "Step 4)."});
    EXPECT_EQ(page.lblFTPFile->text(), "Ready");
  }
}

TEST_F(UploadFlow, TheBuildsFolderCountsNotTheDestinationTypedSince) {
  FtpTestServer server;
  UploadPage& page = openWithGallery({"index.html"});
  useOwnServer(server, "g");
  window->project().options.editDestFolder = dir.file("elsewhere");
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(finishUpload());
  EXPECT_TRUE(prompts.texts("showError").isEmpty());
  EXPECT_EQ(ReadAll(server.root() + "/g/index.html"), "content of index.html");
}

// The hosting service: pages on an HTTP server, the account on an FTP server.
class ServiceFlow : public UploadFlow {
 public:
  static constexpr const char* kPasswordValue = "account-7";
  static FtpServerOptions Account() {
    FtpServerOptions options;
    options.user = "svcuser";
    options.password = qg::ServicePassword(kPasswordValue).substr(0, 6);
    return options;
  }
  void serve(const std::string& statusPage) {
    web = std::make_unique<HttpTestServer>(std::map<std::string, HttpRoute>{
        {"/quillon/ftpservice.htm", HttpRoute{200, statusPage}},
        {"/quillon/ftpconnect.htm",
         HttpRoute{200, "HOSTNAME:" + ftp.host() + "!!!\r\nUSERNAME:svcuser!!!\r\nPASSWORD:" +
                            kPasswordValue + "!!!\r\n"}},
    });
    vendor.reset();  // restores the variable first, so the new value stays
    vendor = std::make_unique<qg::test::ScopedEnv>("QUILLON_VENDOR_SITE", web->base());
  }
  UploadPage& openForService(const std::vector<std::string>& entries) {
    UploadPage& page = openWithGallery(entries);
    page.chkUseCorvaneServer->setChecked(true);
    window->preferences().sUserCorvaneFTPFolder = "bakor";
    window->preferences().sFTPHost = "own.example";  // not used
    return page;
  }

  qg::test::ScopedEnv hosting{"QUILLON_HOSTING_URL", "http://galleries.test/"};
  FtpTestServer ftp{Account()};
  std::unique_ptr<HttpTestServer> web;
  std::unique_ptr<qg::test::ScopedEnv> vendor;
};

TEST_F(ServiceFlow, AnOpenServiceTakesTheUploadIntoTheUsersFolder) {
  serve("SERVICE:OK");
  UploadPage& page = openForService({"index.html", "thumbs/tn_a.jpg"});
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(finishUpload());
  EXPECT_TRUE(prompts.texts("showError").isEmpty())
      << prompts.texts("showError").join("|").toStdString();
  ASSERT_FALSE(statuses.isEmpty());
  EXPECT_EQ(statuses.front(), "Checking FTP Service");
  EXPECT_EQ(ReadAll(ftp.root() + "/bakor/thumbs/tn_a.jpg"), "content of thumbs/tn_a.jpg");
  EXPECT_EQ(ftp.Commands().at(0), "USER svcuser");
  EXPECT_EQ(page.lblURLGallery->text(), "http://galleries.test/bakor/index.html");
  EXPECT_EQ(page.lblFTPFile->text(), "Ready");
}

TEST_F(ServiceFlow, ARefusalShowsTheNoticeAsPlainTextAndUploadsNothing) {
  for (const bool moreInfo : {true, false}) {
    serve("SERVICE:NO MESSAGE: <b>Maintenance</b> until 6 pm");
    prompts.calls.clear();
    prompts.openedUrls.clear();
    UploadPage& page = openForService({"index.html"});
    QString shown;
    Qt::TextFormat format = Qt::RichText;
    bool boxVisible = true;
    prompts.dialogScript = [&](QDialog& dialog) {
      auto* para = dialog.findChild<QLabel*>("lblPara1");
      shown = para->text();
      format = para->textFormat();
      boxVisible = dialog.findChild<QCheckBox*>() && dialog.findChild<QCheckBox*>()->isVisible();
      auto* action = dialog.findChild<QPushButton*>("btnAction");
      EXPECT_EQ(action->text(), "Click here for more info");
      if (moreInfo) action->click();
      return moreInfo ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    page.btnStartFTPUpload->click();
    ASSERT_TRUE(finishUpload());
    EXPECT_EQ(shown, "<b>Maintenance</b> until 6 pm");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_FALSE(boxVisible);
    EXPECT_EQ(prompts.openedUrls.isEmpty(), !moreInfo);
    if (moreInfo) {
      EXPECT_EQ(prompts.openedUrls, QStringList{ToQ(web->base() + "/quillon/ftpinfo.htm")});
    }
    EXPECT_TRUE(ftp.Commands().empty());
    EXPECT_EQ(page.lblFTPFile->text(), "Checking FTP Service");
    EXPECT_TRUE(prompts.texts("showError").isEmpty())
        << prompts.texts("showError").join("|").toStdString();
  }
}

TEST_F(UploadFlow, TheMailKeepsSubjectAndBodyWholeAndTheLinkGetsAScheme) {
  UploadPage& page = openWithGallery({"index.html"});
  page.lblURLGallery->setText("ftp.example.com/a&b=1#c?d%20 e/index.html");
  page.SetLinkEnabled(true);
  page.btnEmailLink->click();
  ASSERT_EQ(prompts.openedUrls.size(), 1);
  const QUrl mail(prompts.openedUrls[0], QUrl::StrictMode);
  ASSERT_TRUE(mail.isValid());
  EXPECT_EQ(mail.scheme(), "mailto");
  EXPECT_TRUE(mail.path().isEmpty());
  const QUrlQuery query(mail);
  EXPECT_EQ(query.queryItems(QUrl::FullyDecoded).size(), 2);
  EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), "My Quillon Gallery");
  EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded),
            "My gallery link: ftp.example.com/a&b=1#c?d%20 e/index.html");

  // A click on the link label opens the gallery's address, with a scheme when it has none.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  const struct {
    QString text;
    QString opened;
  } kLinks[] = {
      {"host.example/g/index.html", "http://host.example/g/index.html"},
      {"https://galleries.test/bakor/index.html", "https://galleries.test/bakor/index.html"}};
  for (const auto& link : kLinks) {
    prompts.openedUrls.clear();
    page.lblURLGallery->setText(link.text);
    QApplication::sendEvent(page.lblURLGallery, &press);
    QApplication::sendEvent(page.lblURLGallery, &release);
    EXPECT_EQ(prompts.openedUrls, QStringList{link.opened});
  }
  // Disabled (before any upload): the label opens nothing.
  prompts.openedUrls.clear();
  page.SetLinkEnabled(false);
  QApplication::sendEvent(page.lblURLGallery, &release);
  EXPECT_TRUE(prompts.openedUrls.isEmpty());
}

TEST_F(UploadFlow, ClosingDuringAnUploadStopsItAndClosesWhenItHasEnded) {
  FtpServerOptions options;
  options.silentOn = "2:STOR";  // the second file never gets an answer
  FtpTestServer server(options);
  UploadPage& page = openWithGallery({"a.jpg", "b.jpg", "c.jpg"});
  useOwnServer(server, "g");
  window->show();
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(WaitFor([&] { return statuses.contains("Uploading: a.jpg"); }));
  EXPECT_FALSE(window->close());  // waits for the worker
  EXPECT_TRUE(window->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !window->isVisible(); }, 5000));
  EXPECT_FALSE(window->uploadRun().running());
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/g/c.jpg"));
  EXPECT_TRUE(prompts.texts("showError").isEmpty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(UploadFlow, StopEndsAnUploadThatWaitsForTheServer) {
  FtpServerOptions options;
  options.silentOn = "2:STOR";
  FtpTestServer server(options);
  UploadPage& page = openWithGallery({"a.jpg", "b.jpg", "c.jpg"});
  useOwnServer(server, "g");
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(WaitFor([&] { return statuses.contains("Uploading: a.jpg"); }));
  QElapsedTimer timer;
  timer.start();
  window->uploadRun().stop();
  ASSERT_TRUE(finishUpload());
  EXPECT_LT(timer.elapsed(), 5000);
  EXPECT_EQ(page.lblFTPFile->text(), "Ready");
  EXPECT_EQ(page.pbarUpload->value(), 0);
  EXPECT_FALSE(std::filesystem::exists(server.root() + "/g/c.jpg"));
  EXPECT_TRUE(prompts.texts("showError").isEmpty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(UploadFlow, AWindowDestroyedMidUploadEndsTheWorkerFirst) {
  FtpServerOptions options;
  options.silentOn = "1:STOR";
  FtpTestServer server(options);
  UploadPage& page = openWithGallery({"a.jpg", "b.jpg"});
  useOwnServer(server, "g");
  page.btnStartFTPUpload->click();
  ASSERT_TRUE(WaitFor([&] {
    const auto commands = server.Commands();
    return !commands.empty() && commands.back().rfind("STOR", 0) == 0;
  }));
  window.reset();  // must neither hang nor leave the worker reporting to a window that is gone
  QApplication::processEvents();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(UploadFolderName, DropsTrailingSlashesOnly) {
  EXPECT_EQ(UploadFolderName("gal/"), "gal");
  EXPECT_EQ(UploadFolderName("gal//"), "gal");
  EXPECT_EQ(UploadFolderName("a/b"), "a/b");
  EXPECT_EQ(UploadFolderName(""), "");
  EXPECT_EQ(UploadFolderName("/"), "/");
}

}  // namespace
}  // namespace qg::app::test
