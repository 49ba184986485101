// Screenshots of the picture views and the FTP settings dialog with representative content,
// written only when QG_SCREENSHOT_DIR is set (scripts/screenshots.sh).
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPixmap>

#include "AppFixture.h"
#include "ViewsTestSupport.h"
#include "dialogs/FtpSettingsDialog.h"
#include "dialogs/ImageDetailsWindow.h"
#include "dialogs/PreviewWindow.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

namespace qg::app {
namespace {

QString ShotFolder() { return QString::fromLocal8Bit(qgetenv("QG_SCREENSHOT_DIR")); }

#define REQUIRE_SHOT_FOLDER() \
  if (ShotFolder().isEmpty()) GTEST_SKIP() << "QG_SCREENSHOT_DIR is not set"

void Save(QWidget& widget, const char* name) {
  widget.show();
  test::WaitFor([&] { return widget.isVisible(); });
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  QDir().mkpath(ShotFolder());
  const QString path = QDir(ShotFolder()).filePath(QLatin1String(name) + ".png");
  EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
}

TEST(Screenshots, FtpSettingsDialog) {
  REQUIRE_SHOT_FOLDER();
  test::EnsureApp();
  qg::Preferences prefs;
  prefs.sFTPHost = "ftp.example.org";
  prefs.sFTPUser = "anna";
  prefs.sFTPPass = "secret";
  prefs.sFTPFolder = "holiday-2004";
  FtpSettingsDialog dialog(prefs);
  Save(dialog, "FtpSettingsDialog");
}

TEST(Screenshots, ImageDetailsWindow) {
  REQUIRE_SHOT_FOLDER();
  test::EnsureApp();
  qg::test::TempDir temp;
  const std::string path = temp.file("DSCN0042.jpg");
  test::WriteJpeg(path, 640, 480);
  if (test::HaveExiv2()) {
    test::AddExif(path,
                  {"set Exif.Image.Make ACME", "set Exif.Image.Model ACME Z1",
                   "set Exif.Photo.ExposureTime 1/125", "set Exif.Photo.FNumber 28/10",
                   "set Exif.Photo.Flash 25", "set Exif.Photo.DateTimeOriginal 2004:08:15 14:03:22",
                   "set Exif.Photo.PixelXDimension 1600", "set Exif.Photo.PixelYDimension 1200"});
  }
  ScriptedPrompts prompts;
  ImageDetailsWindow window(prompts, path, {});
  window.LoadCameraData();
  window.loadPicture();
  window.show();
  test::WaitFor([&] { return window.fitted(); });
  Save(window, "ImageDetailsWindow");
}

TEST(Screenshots, PreviewWindow) {
  REQUIRE_SHOT_FOLDER();
  test::EnsureApp();
  qg::test::TempDir temp;
  std::vector<std::string> paths;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
    paths.push_back(temp.file(name));
    test::WriteJpeg(paths.back(), 1400, 1000);
  }
  ScriptedPrompts prompts;
  PreviewWindow window(prompts, paths, 1, {});
  window.setWindowState(Qt::WindowNoState);
  window.resize(900, 640);
  window.ShowPicture(paths[1]);
  Save(window, "PreviewWindow");
  window.btnFitToScreenClick();
  Save(window, "PreviewWindow_fitted");
}

}  // namespace
}  // namespace qg::app
