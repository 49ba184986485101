// Pictures of every dialog of app/dialogs, written only when QG_SCREENSHOT_DIR names a folder
// (scripts/screenshots.sh runs them under a virtual X server).
#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <cstdlib>

#include "AppFixture.h"
#include "DialogGallery.h"

namespace qg::app {
namespace {

void Shoot(const std::string& name) {
  const char* dir = std::getenv("QG_SCREENSHOT_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "QG_SCREENSHOT_DIR is not set";
  test::EnsureApp();
  for (const test::GalleryEntry& entry : test::DialogGallery()) {
    if (entry.name != name) continue;
    std::unique_ptr<QDialog> dialog = entry.make();
    dialog->show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    QDir().mkpath(QString::fromLocal8Bit(dir));
    const QString file = QDir(QString::fromLocal8Bit(dir))
                             .filePath(QString::fromStdString(name) + QStringLiteral(".png"));
    EXPECT_TRUE(dialog->grab().save(file)) << file.toStdString();
    return;
  }
  FAIL() << "no dialog " << name;
}

TEST(Screenshots, HintDialog) { Shoot("HintDialog"); }
TEST(Screenshots, HintDialog_ServiceNotice) { Shoot("HintDialog_ServiceNotice"); }
TEST(Screenshots, ProjectInfoDialog) { Shoot("ProjectInfoDialog"); }
TEST(Screenshots, AboutDialog) { Shoot("AboutDialog"); }
TEST(Screenshots, IndexTitlesDialog) { Shoot("IndexTitlesDialog"); }
TEST(Screenshots, IndexTitlesDialog_ThumbTitle) { Shoot("IndexTitlesDialog_ThumbTitle"); }
TEST(Screenshots, IndexTitlesDialog_AltText) { Shoot("IndexTitlesDialog_AltText"); }
TEST(Screenshots, ImageTitlesDialog) { Shoot("ImageTitlesDialog"); }
TEST(Screenshots, NavigationDialog) { Shoot("NavigationDialog"); }
TEST(Screenshots, QualityDialog) { Shoot("QualityDialog"); }
TEST(Screenshots, ShadowDialog) { Shoot("ShadowDialog"); }

}  // namespace
}  // namespace qg::app
