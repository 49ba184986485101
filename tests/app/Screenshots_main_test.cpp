// Pictures of the main window's steps and option pages (only when QG_SCREENSHOT_DIR is set), and
// the check that no visible label, button or check box of it is narrower than its size hint.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTreeWidget>
#include <cstdlib>

#include "MainWindowFixture.h"
#include "pages/OptionsPage.h"
#include "pages/PicturesPage.h"

namespace qg::app::test {
namespace {

const char* const kSteps[] = {"Step1_Project", "Step2_Pictures", "Step3_Options",
                              "Step4_Create",  "Step5_Upload",   "Step6_Save"};
const char* const kOptionPages[] = {"TargetFolders", "Titles", "Thumbnails",
                                    "IndexPage",     "Images", "ImagesPage"};

// The main window with three pictures in its list, shown; not a test fixture of its own, so
// the Screenshots suite stays free for every window's pictures.
class FilledWindow : public MainWindowTest {
 public:
  FilledWindow() {
    SetUp();
    open();
    window->preferences().blHintViewGalleryNow = false;
    prompts.files.push_back({ToQ(jpeg("Harbour at dawn.jpg", 640, 480)),
                             ToQ(jpeg("Lighthouse.JPG", 480, 640)),
                             ToQ(jpeg("Old town_square.jpg", 800, 600))});
    window->btnAddPicClick();
    window->show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();  // the icons, after the first paint
  }
  void TestBody() override {}

  // Shows a step (and on step 3 an option sub-page).
  void view(int step, int optionPage = 0) {
    window->ShowStep(step);
    if (step == 2) window->optionsPage()->ShowOptionPage(optionPage);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  static QString name(int step, int optionPage) {
    QString n = QString::fromLatin1(kSteps[step]);
    if (step == 2) n += u'_' + QString::fromLatin1(kOptionPages[optionPage]);
    return n;
  }
};

void Shoot(int step, int optionPage = 0) {
  const char* folder = std::getenv("QG_SCREENSHOT_DIR");
  if (!folder) GTEST_SKIP() << "QG_SCREENSHOT_DIR is not set";
  QDir().mkpath(QString::fromLocal8Bit(folder));
  FilledWindow w;
  w.view(step, optionPage);
  const QString file = QString::fromLocal8Bit(folder) + QStringLiteral("/MainWindow_") +
                       FilledWindow::name(step, optionPage) + QStringLiteral(".png");
  EXPECT_TRUE(w.window->grab().save(file)) << file.toStdString();
}

TEST(MainWindowLayout, NothingIsNarrowerThanItsSizeHint) {
  FilledWindow w;
  for (int step = 0; step < MainWindow::kStepCount; ++step) {
    for (int page = 0; page < (step == 2 ? int(OptionsPage::SubPageCount) : 1); ++page) {
      w.view(step, page);
      const std::string view = FilledWindow::name(step, page).toStdString();
      for (QWidget* widget : w.window->findChildren<QWidget*>()) {
        if (!widget->isVisible()) continue;
        auto* label = qobject_cast<QLabel*>(widget);
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (!button && !(label && !label->wordWrap())) continue;
        EXPECT_GE(widget->width(), widget->sizeHint().width())
            << view << ": " << widget->metaObject()->className() << " '"
            << widget->objectName().toStdString() << "' "
            << (label ? label->text() : button->text()).toStdString();
      }
    }
  }
}

TEST(Screenshots, MainWindow_Step1_Project) { Shoot(0); }
TEST(Screenshots, MainWindow_Step2_Pictures) { Shoot(1); }
TEST(Screenshots, MainWindow_Step3_Options_TargetFolders) { Shoot(2, OptionsPage::Target); }
TEST(Screenshots, MainWindow_Step3_Options_Titles) { Shoot(2, OptionsPage::Titles); }
TEST(Screenshots, MainWindow_Step3_Options_Thumbnails) { Shoot(2, OptionsPage::Thumbnails); }
TEST(Screenshots, MainWindow_Step3_Options_IndexPage) { Shoot(2, OptionsPage::Index); }
TEST(Screenshots, MainWindow_Step3_Options_Images) { Shoot(2, OptionsPage::Images); }
TEST(Screenshots, MainWindow_Step3_Options_ImagesPage) { Shoot(2, OptionsPage::ImagePage); }
TEST(Screenshots, MainWindow_Step4_Create) { Shoot(3); }
TEST(Screenshots, MainWindow_Step5_Upload) { Shoot(4); }
TEST(Screenshots, MainWindow_Step6_Save) { Shoot(5); }

}  // namespace
}  // namespace qg::app::test
