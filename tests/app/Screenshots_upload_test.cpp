// Pictures of the upload step in its three states (only when QG_SCREENSHOT_DIR is set).
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <cstdlib>

#include "MainWindowFixture.h"
#include "pages/UploadPage.h"

namespace qg::app::test {
namespace {

class UploadShot : public MainWindowTest {
 public:
  UploadShot() {
    SetUp();
    open();
    window->ShowStep(4);
    window->show();
  }
  void TestBody() override {}
  UploadPage& page() { return *window->uploadPage(); }
};

enum class State { Idle, Uploading, Done };

void Shoot(State state, const char* name) {
  const char* folder = std::getenv("QG_SCREENSHOT_DIR");
  if (!folder) GTEST_SKIP() << "QG_SCREENSHOT_DIR is not set";
  QDir().mkpath(QString::fromLocal8Bit(folder));
  UploadShot w;
  UploadPage& page = w.page();
  if (state != State::Idle) {
    page.chkUseCorvaneServer->setChecked(false);
    page.lblURLGallery->setText(QStringLiteral("ftp.example.com/gallery/index.html"));
    page.pbarUpload->setRange(0, 9);
  }
  if (state == State::Uploading) {
    page.lblFTPFile->setText(QStringLiteral("Uploading: tn_Harbour at dawn.jpg"));
    page.pbarUpload->setValue(4);
  }
  if (state == State::Done) page.SetLinkEnabled(true);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();  // the icons, after the first paint
  const QString file = QString::fromLocal8Bit(folder) + QStringLiteral("/UploadPage_") + name +
                       QStringLiteral(".png");
  EXPECT_TRUE(w.window->grab().save(file)) << file.toStdString();
}

TEST(Screenshots, UploadPage_Idle) { Shoot(State::Idle, "Idle"); }
TEST(Screenshots, UploadPage_Uploading) { Shoot(State::Uploading, "Uploading"); }
TEST(Screenshots, UploadPage_Done) { Shoot(State::Done, "Done"); }

}  // namespace
}  // namespace qg::app::test
