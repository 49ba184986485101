// The navigation options dialog: flags, link and ALT texts taken over on OK only, button
// pictures stored at once, typing with nothing selected, and Save As Default.
#include "dialogs/NavigationDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <cstdlib>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "platform/Folders.h"
#include "project/ProjectFile.h"
#include "project/Settings.h"
#include "support/ScriptedPrompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

using test::Control;

class NavigationDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApp();
    ASSERT_TRUE(config.isValid());
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) oldConfig = old;
    hadConfig = old != nullptr;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    qg::NewProjectDefaults(project, prefs);
  }
  void TearDown() override {
    if (hadConfig)
      setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  // Runs the dialog with `act`, then presses OK or Cancel.
  bool run(const std::function<void(QDialog&)>& act, bool ok) {
    prompts.dialogScript = [&](QDialog& d) {
      act(d);
      Control<QPushButton>(d, ok ? "btnOK" : "btnCancel")->click();
      return d.result();
    };
    return RunNavigationDialog(nullptr, prompts, project.options, prefs);
  }
  QString writePicture(const QString& name) {
    const QString path = pictures.filePath(name);
    QImage image(24, 12, QImage::Format_RGB888);
    image.fill(Qt::red);
    EXPECT_TRUE(image.save(path));
    return path;
  }

  QTemporaryDir config;
  QTemporaryDir pictures;
  std::string oldConfig;
  bool hadConfig = false;
  ScriptedPrompts prompts;
  qg::Preferences prefs;
  qg::Project project;
};

TEST_F(NavigationDialogTest, OpensWithTheProjectsValuesAndTheFirstItemSelected) {
  project.options.sNavImage[qg::NavHome] = "/nowhere/bhome.gif";
  NavigationDialog d(nullptr, prompts, project.options, prefs);
  EXPECT_EQ(d.windowTitle(), "Navigation Options");
  auto* items = Control<QListWidget>(d, "chklstDisplayItems");
  auto* alts = Control<QListWidget>(d, "lstALTText");
  const QStringList texts = {"Home", "Index", "First", "Prev", "Next", "Last"};
  const QStringList altTexts = {"[Home]", "[Index]", "[First]", "[Previous]", "[Next]", "[Last]"};
  const bool checks[] = {true, false, true, true, true, true};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(items->item(i)->text(), texts[i]);
    EXPECT_EQ(items->item(i)->checkState() == Qt::Checked, checks[i]) << i;
    EXPECT_EQ(alts->item(i)->text(), altTexts[i]);
  }
  EXPECT_EQ(items->currentRow(), 0);
  EXPECT_EQ(alts->currentRow(), 0);
  EXPECT_EQ(Control<QLineEdit>(d, "editNavText")->text(), "Home");
  EXPECT_EQ(Control<QLineEdit>(d, "editALT")->text(), "[Home]");
  EXPECT_EQ(Control<QLineEdit>(d, "editImgLocation")->text(), "/nowhere/bhome.gif");
  EXPECT_TRUE(d.previewImage().isNull());  // the file does not exist
  EXPECT_FALSE(Control<QCheckBox>(d, "chkShowCaptions")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(d, "chkShowImages")->isChecked());
}

TEST_F(NavigationDialogTest, FlagsAndTextsAreTakenOverOnOkOnly) {
  auto edit = [](QDialog& d) {
    auto* items = Control<QListWidget>(d, "chklstDisplayItems");
    items->item(qg::NavPrevious)->setCheckState(Qt::Unchecked);
    items->setCurrentRow(qg::NavFirst);
    EXPECT_EQ(Control<QLineEdit>(d, "editNavText")->text(), "First");
    test::TypeInto(Control<QLineEdit>(d, "editNavText"), "Start");
    auto* alts = Control<QListWidget>(d, "lstALTText");
    alts->setCurrentRow(qg::NavLast);
    EXPECT_EQ(Control<QLineEdit>(d, "editALT")->text(), "[Last]");
    test::TypeInto(Control<QLineEdit>(d, "editALT"), "[End]");
    Control<QCheckBox>(d, "chkShowCaptions")->click();
    Control<QCheckBox>(d, "chkShowImages")->click();
    // The two tabs show the same settings.
    Control<QTabBar>(d, "tabNav")->setCurrentIndex(1);
    EXPECT_EQ(items->item(qg::NavFirst)->text(), "Start");
    EXPECT_EQ(items->item(qg::NavFirst)->checkState(), Qt::Checked);
  };
  const qg::GalleryOptions before = project.options;
  EXPECT_FALSE(run(edit, false));
  EXPECT_EQ(project.options, before);

  EXPECT_TRUE(run(edit, true));
  EXPECT_FALSE(project.options.blNavShow[qg::NavPrevious]);
  EXPECT_TRUE(project.options.blNavShow[qg::NavNext]);
  EXPECT_EQ(project.options.sNav[qg::NavFirst], "Start");
  EXPECT_EQ(project.options.sNavALT[qg::NavLast], "[End]");
  EXPECT_TRUE(project.options.blNavShowCaptions);
  EXPECT_FALSE(project.options.blNavShowImages);

  // Reopened, the dialog shows what was taken over.
  run(
      [](QDialog& d) {
        auto* items = Control<QListWidget>(d, "chklstDisplayItems");
        EXPECT_EQ(items->item(qg::NavPrevious)->checkState(), Qt::Unchecked);
        EXPECT_EQ(items->item(qg::NavNext)->checkState(), Qt::Checked);
        EXPECT_EQ(items->item(qg::NavFirst)->text(), "Start");
      },
      false);
}

TEST_F(NavigationDialogTest, TypingWithNothingSelectedChangesNoEntry) {
  const qg::GalleryOptions before = project.options;
  EXPECT_TRUE(run(
      [](QDialog& d) {
        Control<QListWidget>(d, "chklstDisplayItems")->clearSelection();
        Control<QListWidget>(d, "lstALTText")->clearSelection();
        test::TypeInto(Control<QLineEdit>(d, "editNavText"), "Lost");
        test::TypeInto(Control<QLineEdit>(d, "editALT"), "Lost");
        // Nothing selected: no picture to change either.
        Control<QPushButton>(d, "btnClearImage")->click();
      },
      true));
  EXPECT_EQ(project.options, before);
}

TEST_F(NavigationDialogTest, ImageChangesAreStoredAtOnceAndSurviveCancel) {
  const QString picture = writePicture("start.png");
  prompts.files.push_back({picture});
  const std::string nextBefore = project.options.sNavImage[qg::NavNext];
  EXPECT_FALSE(run(
      [&](QDialog& d) {
        auto* items = Control<QListWidget>(d, "chklstDisplayItems");
        items->setCurrentRow(qg::NavLast);
        Control<QPushButton>(d, "btnClearImage")->click();
        EXPECT_EQ(Control<QLineEdit>(d, "editImgLocation")->text(), "");
        items->setCurrentRow(qg::NavFirst);
        Control<QPushButton>(d, "btnBrowseNavIndex")->click();
        EXPECT_EQ(Control<QLineEdit>(d, "editImgLocation")->text(), picture);
        EXPECT_EQ(static_cast<NavigationDialog&>(d).previewImage().size(), QSize(24, 12));
        // A cancelled chooser leaves the next item's picture alone, without a message.
        items->setCurrentRow(qg::NavNext);
        Control<QPushButton>(d, "btnBrowseNavIndex")->click();
        // Back on First, the stored picture shows again.
        items->setCurrentRow(qg::NavFirst);
        EXPECT_EQ(Control<QLineEdit>(d, "editImgLocation")->text(), picture);
      },
      false));
  EXPECT_EQ(project.options.sNavImage[qg::NavLast], "");
  EXPECT_EQ(project.options.sNavImage[qg::NavFirst], FromQ(picture));
  EXPECT_EQ(project.options.sNavImage[qg::NavNext], nextBefore);
  EXPECT_EQ(prompts.texts("chooseOpenFile"), (QStringList{"Update Image", "Update Image"}));
  EXPECT_TRUE(prompts.texts("showError").isEmpty());
}

TEST_F(NavigationDialogTest, APictureThatCannotBeReadIsReportedAndChangesNothing) {
  const QString damaged = pictures.filePath("broken.gif");
  QFile file(damaged);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("GIF89a not really");
  file.close();
  prompts.files.push_back({damaged});
  const qg::GalleryOptions before = project.options;
  run([](QDialog& d) { Control<QPushButton>(d, "btnBrowseNavIndex")->click(); }, false);
  EXPECT_EQ(project.options, before);
  ASSERT_EQ(prompts.texts("showError").size(), 1);
  EXPECT_TRUE(prompts.texts("showError")[0].endsWith('.'));
}

TEST_F(NavigationDialogTest, SaveAsDefaultStoresTheTextsForNewProjects) {
  const QString question =
      "The current navigation items and [ALT] text will be used for all projects.  Is this OK?";
  auto editAndSave = [](QDialog& d) {
    auto* items = Control<QListWidget>(d, "chklstDisplayItems");
    items->setCurrentRow(qg::NavHome);
    test::TypeInto(Control<QLineEdit>(d, "editNavText"), "Start page");
    items->item(qg::NavIndex)->setCheckState(Qt::Checked);  // flags are not defaults
    Control<QListWidget>(d, "lstALTText")->setCurrentRow(qg::NavPrevious);
    test::TypeInto(Control<QLineEdit>(d, "editALT"), "[Back]");
    Control<QPushButton>(d, "btnSaveDefault")->click();
  };

  // No: nothing is stored.
  prompts.answers.push_back(Answer::No);
  const qg::GalleryOptions before = project.options;
  run(editAndSave, false);
  EXPECT_EQ(prefs, qg::Preferences{});
  EXPECT_FALSE(QFile::exists(ToQ(qg::PreferencesFilePath())));

  // Yes, then Cancel: the defaults and the file change, the open project does not.
  prompts.answers.push_back(Answer::Yes);
  run(editAndSave, false);
  EXPECT_EQ(prompts.texts("askYesNo"), (QStringList{question, question}));
  EXPECT_EQ(project.options, before);
  EXPECT_EQ(prefs.sDefNav[qg::NavHome], "Start page");
  EXPECT_EQ(prefs.sDefNavALT[qg::NavPrevious], "[Back]");
  qg::Preferences stored;
  EXPECT_FALSE(qg::LoadSettings(stored));
  EXPECT_EQ(stored, prefs);

  // A new project starts with the saved texts.
  qg::Project fresh;
  qg::NewProjectDefaults(fresh, stored);
  EXPECT_EQ(fresh.options.sNav[qg::NavHome], "Start page");
  EXPECT_EQ(fresh.options.sNavALT[qg::NavPrevious], "[Back]");
  EXPECT_FALSE(fresh.options.blNavShow[qg::NavIndex]);
  EXPECT_TRUE(prompts.texts("showError").isEmpty());
}

TEST_F(NavigationDialogTest, AFailedSaveAsDefaultIsShown) {
  // The configuration folder is a file: the preferences cannot be written.
  const QString blocker = config.filePath("blocked");
  QFile file(blocker);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  setenv("XDG_CONFIG_HOME", blocker.toLocal8Bit().constData(), 1);
  prompts.answers.push_back(Answer::Yes);
  run([](QDialog& d) { Control<QPushButton>(d, "btnSaveDefault")->click(); }, false);
  EXPECT_EQ(prompts.texts("showError"),
            QStringList{"Unable to write to " + ToQ(qg::PreferencesFilePath()) + "."});
}

}  // namespace
}  // namespace qg::app
