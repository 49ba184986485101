// The main window opens each dialog from its button on the right tab, shows the options anew
// after OK, and shows the first-use hint through the hint dialog.
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <thread>

#include "MainWindowFixture.h"
#include "pages/PicturesPage.h"

namespace qg::app::test {
namespace {

// The current tab of a dialog: its tab widget's, or its tab bar's; -1 without either.
int CurrentTab(QDialog& dialog) {
  if (auto* tabs = dialog.findChild<QTabWidget*>()) return tabs->currentIndex();
  if (auto* bar = dialog.findChild<QTabBar*>(QStringLiteral("TabControl1")))
    return bar->currentIndex();
  return -1;
}

TEST_F(MainWindowTest, EachDialogButtonOpensItsDialogOnItsTab) {
  struct Case {
    const char* button;
    const char* dialog;
    int tab;
  };
  const Case cases[] = {
      {"btnProjectInfo", "TfmProjectInfo", 0},
      {"btnAbout", "TfmAbout", -1},
      {"btnPageTitleMore", "TfmTitlesIndex", 0},
      {"btnThumbTitleMore", "TfmTitlesIndex", 1},
      {"btnThumbALTMore", "TfmTitlesIndex", 2},
      {"btnPageTitleMoreImage", "TfmImagesIndex", 0},
      {"btnImageTitleMore", "TfmImagesIndex", 1},
      {"btnImageALT", "TfmImagesIndex", 2},
      {"btnNavAdvanced", "TfmNavigationOptions", -1},
      {"btnNavAdvancedImage", "TfmNavigationOptions", -1},
      {"btnImageQuality", "TfmImageQuality", 0},
      {"btnImageQualityImage", "TfmImageQuality", 1},
      {"btnShadowSettings", "TfmShadowSet", 0},
      {"btnShadowImage", "TfmShadowSet", 1},
  };
  open();
  // Every button can be pressed.
  find<QCheckBox>("chkAddShadow")->setChecked(true);
  find<QCheckBox>("chkAddShadowImage")->setChecked(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    int tab = -2;
    prompts.calls.clear();
    prompts.dialogScript = [&](QDialog& d) {
      tab = CurrentTab(d);
      return int(QDialog::Rejected);
    };
    auto* button = find<QAbstractButton>(c.button);
    ASSERT_TRUE(button->isEnabled());
    button->click();
    EXPECT_EQ(prompts.texts("runDialog"), QStringList{QString::fromLatin1(c.dialog)});
    if (c.tab >= 0) EXPECT_EQ(tab, c.tab);
    EXPECT_TRUE(prompts.texts("showError").isEmpty());
  }
}

TEST_F(MainWindowTest, TitlesDialogOkShowsTheNewTextsCancelKeepsThem) {
  MainWindow& w = open();
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    prompts.dialogScript = [ok](QDialog& d) {
      d.findChild<QLineEdit*>(QStringLiteral("editPageTitle"))->setText(QStringLiteral("Trip"));
      return int(ok ? QDialog::Accepted : QDialog::Rejected);
    };
    click("btnPageTitleMore");
    const QString expected = ok ? QStringLiteral("Trip") : QStringLiteral("My Gallery 1");
    EXPECT_EQ(find<QLineEdit>("editIndexCaption")->text(), expected);
    EXPECT_EQ(ToQ(w.project().options.editIndexCaption), expected);
  }
}

TEST_F(MainWindowTest, FirstUseHintRunsTheHintDialogAndItsActionBuilds) {
  MainWindow& w = open();
  find<QLineEdit>("editDestFolder")->setText(ToQ(dir.file("out")));
  prompts.files = {{ToQ(jpeg("a.jpg", 40, 30))}};
  prompts.dialogScript = [](QDialog& d) {
    EXPECT_EQ(d.objectName(), QStringLiteral("TfmHintX"));
    d.findChild<QCheckBox*>(QStringLiteral("chkAlwaysShow"))->setChecked(false);
    d.findChild<QPushButton*>(QStringLiteral("btnAction"))->click();
    return d.result();
  };
  w.btnAddPicClick();
  EXPECT_FALSE(w.preferences().blHintViewGalleryNow);
  EXPECT_EQ(w.currentStep(), 3);
  EXPECT_TRUE(w.building());
  while (w.building()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(prompts.openedUrls, QStringList{ToQ(dir.file("out/index.html"))});
}

}  // namespace
}  // namespace qg::app::test
