// The main window: start-up, the step machine, the project flows with their exact questions, the
// changed-project rule, closing and the preferences, Reset Hints.
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <filesystem>

#include "MainWindowFixture.h"
#include "pages/OptionsPage.h"
#include "pages/PicturesPage.h"
#include "project/Settings.h"

namespace qg::app::test {
namespace {

const QString kSaveChanges =
    QStringLiteral("The current project has not been saved.  Would you like to save it now?");
const QString kNewCreated = QStringLiteral(
    "A new project has been created.  Would you like to start adding your pictures right now?");

// ---- Start-up ----

TEST_F(MainWindowTest, StartsWithoutArgumentsOnStepOneWithANewProject) {
  MainWindow& w = open();
  EXPECT_EQ(w.currentStep(), 0);
  EXPECT_EQ(w.windowTitle(), QStringLiteral(" Quillon Gallery  [untitled.tnp]"));
  EXPECT_EQ(w.project().options.editIndexCaption, "My Gallery 1");
  EXPECT_EQ(find<QLineEdit>("editIndexCaption")->text(), QStringLiteral("My Gallery 1"));
  EXPECT_EQ(label("lblInstructionA"), QStringLiteral("1. New Project"));
  EXPECT_TRUE(prompts.calls.empty());
  // The first run wrote the preferences, the hosting folder name included.
  qg::Preferences stored;
  EXPECT_FALSE(qg::LoadSettings(stored));
  EXPECT_FALSE(stored.sUserCorvaneFTPFolder.empty());
  EXPECT_EQ(stored.sUserCorvaneFTPFolder, w.preferences().sUserCorvaneFTPFolder);
}

TEST_F(MainWindowTest, StartsWithTheFirstOfTwoArgumentsOnStepTwo) {
  const std::string first = projectFile("first.tnp", 3, "First");
  const std::string second = projectFile("second.tnp", 1, "Second");
  MainWindow& w = open({ToQ(first), ToQ(second)});
  EXPECT_EQ(w.currentStep(), 1);
  EXPECT_EQ(w.windowTitle(), QStringLiteral(" Quillon Gallery  [first.tnp]"));
  EXPECT_EQ(w.project().pictures.size(), 3u);
  EXPECT_EQ(w.picturesPage()->selected(), 2);
  EXPECT_EQ(label("lblImageCount"), QStringLiteral("3 images in the list"));
  EXPECT_FALSE(w.projectChanged());
}

TEST_F(MainWindowTest, RelativeAndMissingCommandLinePaths) {
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  MainWindow& w = open({QStringLiteral("missing.tnp")});
  std::filesystem::current_path(old);
  EXPECT_EQ(w.currentStep(), 1);
  EXPECT_EQ(w.project().FProjectFileName, dir.file("missing.tnp"));  // made absolute
  EXPECT_EQ(w.project().options.editIndexCaption, "untitled");
  EXPECT_TRUE(prompts.calls.empty());
}

TEST_F(MainWindowTest, DamagedCommandLineProjectShowsTheErrorAndKeepsTheNewProject) {
  const std::string path = dir.file("broken.tnp");
  qg::test::WriteFile(path, "[Project]\r\nPictureCount=many\r\nName=Broken\r\n");
  MainWindow& w = open({ToQ(path)});
  EXPECT_EQ(prompts.texts("showError"),
            QStringList{QStringLiteral("'many' is not a valid integer value.")});
  EXPECT_EQ(w.currentStep(), 0);
  EXPECT_EQ(w.project().FProjectFileName, "untitled.tnp");
  EXPECT_EQ(w.project().options.editIndexCaption, "My Gallery 1");
}

// ---- The step machine ----

TEST_F(MainWindowTest, StepMachineEdgeCases) {
  struct Case {
    const char* name;
    std::vector<const char*> clicks;
    int step;
  } cases[] = {
      {"five Nexts reach step 6", {"btnNext", "btnNext", "btnNext", "btnNext", "btnNext"}, 5},
      {"a sixth Next keeps step 6",
       {"btnNext", "btnNext", "btnNext", "btnNext", "btnNext", "btnNext"},
       5},
      {"Previous on step 1 keeps step 1", {"btnPrevious"}, 0},
      {"step button then Next", {"btnStepCreate", "btnNext"}, 4},
      {"step button then Previous", {"btnStepSave", "btnPrevious"}, 4},
  };
  const char* titles[] = {"1. New Project",    "2. Add Pictures",   "3. Gallery Options",
                          "4. Create Gallery", "5. Upload Gallery", "6. Save Project"};
  for (const Case& c : cases) {
    MainWindow& w = open();
    for (const char* b : c.clicks) click(b);
    EXPECT_EQ(w.currentStep(), c.step) << c.name;
    EXPECT_EQ(label("lblInstructionA"), QString::fromLatin1(titles[c.step])) << c.name;
    const char* buttons[] = {"btnStepProject", "btnStepPictures", "btnStepOptions",
                             "btnStepCreate",  "btnStepUpload",   "btnStepSave"};
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(find<QAbstractButton>(buttons[i])->isChecked(), i == c.step) << c.name;
  }
}

TEST_F(MainWindowTest, InstructionTextsAreExact) {
  open();
  EXPECT_EQ(label("lblInstructionB"),
            QStringLiteral("Create a new project by clicking the 'New Project' button.  You can "
                           "start adding pictures immediately.  Open a previously saved project "
                           "file by clicking the 'Open Project...' button and choosing your saved "
                           "project.  "));
  click("btnStepSave");
  EXPECT_EQ(label("lblInstructionB"),
            QStringLiteral("Click the Save Project button to save your Quillon Gallery project.  "
                           "Click Save Project As to save with a new name."));
}

TEST_F(MainWindowTest, OpenOnStepSixKeepsStepSix) {
  const std::string path = projectFile("g.tnp", 1);
  MainWindow& w = open();
  click("btnStepSave");
  prompts.files.push_back({ToQ(path)});
  w.btnOpenProjectClick();
  EXPECT_EQ(w.currentStep(), 5);
  EXPECT_EQ(w.windowTitle(), QStringLiteral(" Quillon Gallery  [g.tnp]"));
}

TEST_F(MainWindowTest, OptionButtonsShowTheirSubPageAndCaption) {
  MainWindow& w = open();
  const struct {
    const char* button;
    const char* caption;
    const char* page;
  } rows[] = {{"btnTitles", "Titles", "tabTitles"},
              {"btnThumbnails", "Thumbnails", "tabThumbnails"},
              {"btnIndexPage", "Index Page", "tabIndexPage"},
              {"btnImages", "Images", "tabImages"},
              {"btnImagePage", "Images Page", "tabImagesPage"},
              {"btnTarget", "Target Folders", "tabTargetFolders"}};
  click("btnStepOptions");
  for (const auto& r : rows) {
    auto* button = find<QAbstractButton>(r.button);
    emit button->pressed();
    EXPECT_TRUE(button->isChecked()) << r.button;
    EXPECT_EQ(label("lblOptionCaption"), QString::fromLatin1(r.caption));
    EXPECT_TRUE(find<QWidget>(r.page)->isVisibleTo(w.optionsPage())) << r.page;
  }
}

// ---- Option controls bound to the project, and their enable rules ----

TEST_F(MainWindowTest, OptionControlsWriteIntoTheProjectAndFollowItsEnableRules) {
  MainWindow& w = open();
  qg::GalleryOptions& o = w.project().options;

  find<QAbstractButton>("rbSubThumb")->click();
  EXPECT_FALSE(o.TargetThumb);
  EXPECT_TRUE(find<QLineEdit>("editThumbnailSub")->isEnabled());
  find<QAbstractButton>("rbDestThumb")->click();
  EXPECT_TRUE(o.TargetThumb);
  EXPECT_FALSE(find<QLineEdit>("editThumbnailSub")->isEnabled());
  EXPECT_FALSE(find<QLineEdit>("editImageSub")->isEnabled());

  EXPECT_FALSE(find<QWidget>("grpSizeImages")->isEnabled());
  find<QAbstractButton>("chkImageResize")->click();
  EXPECT_TRUE(o.blImageResize);
  EXPECT_TRUE(find<QWidget>("grpSizeImages")->isEnabled());

  EXPECT_FALSE(find<QLineEdit>("editGivenFilename")->isEnabled());
  find<QAbstractButton>("rbUseGivenFilename")->click();
  EXPECT_TRUE(o.rbUseGivenFilename);
  EXPECT_FALSE(o.rbUseImageFilename);
  EXPECT_TRUE(find<QLineEdit>("editGivenFilename")->isEnabled());
  EXPECT_FALSE(find<QLineEdit>("editImageFilenameExt")->isEnabled());
  find<QAbstractButton>("rbUseImageFilename")->click();
  EXPECT_TRUE(o.rbUseImageFilename);
  EXPECT_FALSE(o.rbUseGivenFilename);
  EXPECT_FALSE(find<QLineEdit>("editGivenFilename")->isEnabled());

  // Unchecking the only checked size box of a side checks the other one.
  find<QAbstractButton>("chkWidth")->click();
  EXPECT_FALSE(o.blThumbWidth);
  EXPECT_TRUE(o.blThumbHeight);
  EXPECT_TRUE(find<QAbstractButton>("chkHeight")->isChecked());
  find<QAbstractButton>("chkHeight")->click();
  EXPECT_TRUE(o.blThumbWidth);
  EXPECT_TRUE(find<QAbstractButton>("chkWidth")->isChecked());
  EXPECT_FALSE(o.blImageHeight);  // the other side is not touched

  find<QSpinBox>("spinColumns")->setValue(7);
  EXPECT_EQ(o.spinColumns, 7);
  find<QSpinBox>("spinBorderWidthThumb")->setValue(45);
  EXPECT_EQ(o.BorderWidth, 30);
  find<QLineEdit>("editDestFolder")->setText(QStringLiteral("/tmp/gallery"));
  EXPECT_EQ(o.editDestFolder, "/tmp/gallery");
}

TEST_F(MainWindowTest, ControlsShowTheOpenedProject) {
  const std::string path = dir.file("hand.tnp");
  qg::test::WriteFile(path,
                      "[Project]\r\nName=Hand\r\nPictureCount=0\r\nBorderWidth=45\r\nspinColumns="
                      "6\r\nblThumbWidth=0\r\nblThumbHeight=0\r\nTargetThumb=0\r\nblImageResize="
                      "1\r\nColorBorder=1193046\r\n");
  MainWindow& w = open({ToQ(path)});
  EXPECT_EQ(find<QSpinBox>("spinBorderWidthThumb")->value(), 30);
  EXPECT_EQ(find<QSpinBox>("spinColumns")->value(), 6);
  EXPECT_TRUE(find<QAbstractButton>("chkWidth")->isChecked());
  EXPECT_FALSE(find<QAbstractButton>("chkHeight")->isChecked());
  EXPECT_TRUE(find<QAbstractButton>("rbSubThumb")->isChecked());
  EXPECT_TRUE(find<QLineEdit>("editThumbnailSub")->isEnabled());
  EXPECT_TRUE(find<QWidget>("grpSizeImages")->isEnabled());
  // A colour outside the box's list is an extra entry and comes back unchanged.
  auto* colour = find<ColourBox>("colorBorderThumb");
  EXPECT_EQ(colour->colour(), 1193046);
  EXPECT_EQ(colour->currentText(), QStringLiteral("#563412"));
  EXPECT_FALSE(w.projectChanged());
}

// ---- Project flows ----

TEST_F(MainWindowTest, NewWithoutChangesAsksOnlyTheFollowUp) {
  MainWindow& w = open();
  prompts.answers = {Answer::No};
  w.btnNewProjectClick();
  EXPECT_EQ(prompts.texts("askYesNo"), QStringList{kNewCreated});
  EXPECT_TRUE(prompts.texts("askYesNoCancel").isEmpty());
  EXPECT_EQ(w.currentStep(), 0);
}

TEST_F(MainWindowTest, NewFollowUpYesAdvancesAndOpensTheAddDialog) {
  MainWindow& w = open();
  prompts.answers = {Answer::Yes};
  w.btnNewProjectClick();
  EXPECT_EQ(w.currentStep(), 1);
  EXPECT_EQ(prompts.texts("chooseOpenFiles"), QStringList{QStringLiteral("Add Images(s)")});
}

TEST_F(MainWindowTest, ChangedProjectRule) {
  // Every stored value counts, values that are not stored do not, an undone edit is unchanged.
  struct Case {
    const char* name;
    std::function<void(MainWindowTest&)> edit;
    bool changed;
  } cases[] = {
      {"gallery title",
       [](MainWindowTest& t) {
         t.find<QLineEdit>("editIndexCaption")->setText(QStringLiteral("Other"));
       },
       true},
      {"undone title",
       [](MainWindowTest& t) {
         auto* e = t.find<QLineEdit>("editIndexCaption");
         const QString old = e->text();
         e->setText(QStringLiteral("Other"));
         e->setText(old);
       },
       false},
      {"columns", [](MainWindowTest& t) { t.find<QSpinBox>("spinColumns")->setValue(9); }, true},
      {"thumb template (not stored)",
       [](MainWindowTest& t) {
         t.find<QLineEdit>("editThumbTitle")->setText(QStringLiteral("[LongTitle]"));
       },
       false},
      {"bottom navigation (not stored)", [](MainWindowTest& t) { t.click("chkNavBottom"); }, false},
      {"create boxes (not stored)", [](MainWindowTest& t) { t.click("chkCreateHTML"); }, false},
  };
  for (const Case& c : cases) {
    MainWindow& w = open();
    c.edit(*this);
    EXPECT_EQ(w.projectChanged(), c.changed) << c.name;
  }
}

TEST_F(MainWindowTest, NewAfterAnEditAsksAndCancelKeepsEverything) {
  MainWindow& w = open();
  find<QSpinBox>("spinRows")->setValue(8);
  prompts.answers = {Answer::Cancel};
  w.btnNewProjectClick();
  EXPECT_EQ(prompts.texts("askYesNoCancel"), QStringList{kSaveChanges});
  EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());
  EXPECT_EQ(w.project().options.spinRows, 8);
}

TEST_F(MainWindowTest, YesThenCancelledSaveAsCancelsTheWholeFlow) {
  MainWindow& w = open();
  find<QSpinBox>("spinRows")->setValue(8);
  prompts.answers = {Answer::Yes};  // save? Yes; the save dialog is then cancelled
  w.btnNewProjectClick();
  EXPECT_EQ(prompts.texts("chooseSaveFile"), QStringList{QStringLiteral("Save Project")});
  EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());  // no "new project" follow-up
  EXPECT_EQ(w.project().options.spinRows, 8);
}

TEST_F(MainWindowTest, YesSavesThenNewGoesOn) {
  MainWindow& w = open();
  find<QSpinBox>("spinRows")->setValue(8);
  prompts.answers = {Answer::Yes, Answer::No};
  prompts.files.push_back({ToQ(dir.file("kept"))});
  w.btnNewProjectClick();
  EXPECT_TRUE(std::filesystem::exists(dir.file("kept.tnp")));
  EXPECT_EQ(prompts.texts("askYesNo"), QStringList{kNewCreated});
  EXPECT_EQ(w.project().options.spinRows, 3);
  EXPECT_EQ(w.project().options.editIndexCaption, "My Gallery 2");  // Save As counted
}

TEST_F(MainWindowTest, SaveAsAppendsTheExtensionAndAsksBeforeReplacing) {
  MainWindow& w = open();
  struct Case {
    const char* chosen;
    const char* written;
  } cases[] = {{"gallery", "gallery.tnp"}, {"gallery.TNP", "gallery.TNP.tnp"}};
  for (const Case& c : cases) {
    prompts.files.push_back({ToQ(dir.file(c.chosen))});
    EXPECT_TRUE(w.SaveAsFlow());
    EXPECT_EQ(w.project().FProjectFileName, dir.file(c.written));
  }
  EXPECT_EQ(w.preferences().iGalleryNumber, 3);
  EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());

  // The final name exists: one question; No writes nothing.
  find<QSpinBox>("spinRows")->setValue(9);
  const std::string before = qg::test::ReadFile(dir.file("gallery.tnp"));
  prompts.files.push_back({ToQ(dir.file("gallery"))});
  prompts.answers = {Answer::No};
  EXPECT_FALSE(w.SaveAsFlow());
  EXPECT_EQ(prompts.texts("askYesNo"),
            QStringList{QStringLiteral("gallery.tnp already exists.  Do you want to replace it?")});
  EXPECT_EQ(qg::test::ReadFile(dir.file("gallery.tnp")), before);
  EXPECT_EQ(w.project().FProjectFileName, dir.file("gallery.TNP.tnp"));
  EXPECT_EQ(w.preferences().iGalleryNumber, 3);
}

TEST_F(MainWindowTest, FailedSaveShowsTheMessageAndKeepsTheProjectChanged) {
  MainWindow& w = open();
  find<QSpinBox>("spinRows")->setValue(9);
  prompts.files.push_back({ToQ(dir.file("no/such/folder/g"))});
  EXPECT_FALSE(w.SaveAsFlow());
  EXPECT_EQ(prompts.texts("showError"),
            QStringList{ToQ("Unable to write to " + dir.file("no/such/folder/g.tnp") + ".")});
  EXPECT_EQ(w.project().FProjectFileName, "untitled.tnp");
  EXPECT_EQ(w.windowTitle(), QStringLiteral(" Quillon Gallery  [untitled.tnp]"));
  EXPECT_EQ(w.preferences().iGalleryNumber, 1);
  EXPECT_TRUE(w.projectChanged());
}

TEST_F(MainWindowTest, TypedTitleIsSavedByCtrlSWithoutLeavingTheBox) {
  const std::string path = projectFile("titles.tnp", 2);
  MainWindow& w = open({ToQ(path)});
  w.picturesPage()->edtShortTitle->setText(QStringLiteral("Typed"));  // no focus change
  EXPECT_TRUE(w.SaveFlow());
  qg::Project reread;
  qg::OpenProject(reread, path, qg::Preferences{});
  EXPECT_EQ(reread.pictures[1].ShortTitle, "Typed");
  EXPECT_FALSE(w.projectChanged());
}

TEST_F(MainWindowTest, FailedOpenKeepsThePreviousProject) {
  const std::string good = projectFile("good.tnp", 2, "Good");
  const std::string bad = dir.file("bad.tnp");
  qg::test::WriteFile(bad,
                      "[Project]\r\nPictureCount=3\r\nName=Bad\r\n[PicSection0]\r\nName=a\r\n");
  MainWindow& w = open({ToQ(good)});
  prompts.files.push_back({ToQ(bad)});
  w.btnOpenProjectClick();
  EXPECT_EQ(prompts.texts("showError"),
            QStringList{QStringLiteral("List index out of bounds (1)")});
  EXPECT_EQ(w.project().FProjectFileName, good);
  EXPECT_EQ(w.project().options.editIndexCaption, "Good");
  EXPECT_EQ(w.project().pictures.size(), 2u);
  EXPECT_EQ(w.windowTitle(), QStringLiteral(" Quillon Gallery  [good.tnp]"));
  EXPECT_EQ(w.currentStep(), 1);
}

TEST_F(MainWindowTest, EditingOnlyUnstoredValuesThenOpeningDoesNotAsk) {
  const std::string path = projectFile("other.tnp", 1);
  MainWindow& w = open();
  find<QLineEdit>("editImageTitle")->setText(QStringLiteral("[ShortTitle]!"));
  prompts.files.push_back({ToQ(path)});
  w.btnOpenProjectClick();
  EXPECT_TRUE(prompts.texts("askYesNoCancel").isEmpty());
  // Templates are not stored and survive the open within the run.
  EXPECT_EQ(w.project().options.editImageTitle, "[ShortTitle]!");
}

// ---- Closing and the preferences ----

TEST_F(MainWindowTest, CloseCancelKeepsTheWindowButThePreferencesAreWritten) {
  MainWindow& w = open();
  find<QSpinBox>("spinRows")->setValue(8);
  find<QCheckBox>("chkUseCorvaneServer")->setChecked(false);
  prompts.answers = {Answer::Cancel};
  QCloseEvent event;
  QApplication::sendEvent(&w, &event);
  EXPECT_FALSE(event.isAccepted());
  EXPECT_EQ(prompts.texts("askYesNoCancel"), QStringList{kSaveChanges});
  qg::Preferences stored;
  qg::LoadSettings(stored);
  EXPECT_FALSE(stored.blUseCorvaneServer);

  prompts.answers = {Answer::No};
  QCloseEvent second;
  QApplication::sendEvent(&w, &second);
  EXPECT_TRUE(second.isAccepted());
}

TEST_F(MainWindowTest, CloseWithYesAndACancelledSaveAsStaysOpen) {
  MainWindow& w = open();
  find<QSpinBox>("spinRows")->setValue(8);
  prompts.answers = {Answer::Yes};  // no file chosen in the save dialog
  QCloseEvent event;
  QApplication::sendEvent(&w, &event);
  EXPECT_FALSE(event.isAccepted());
  EXPECT_EQ(prompts.texts("chooseSaveFile"), QStringList{QStringLiteral("Save Project")});
}

TEST_F(MainWindowTest, MenuShortcuts) {
  open();
  auto* save = find<QAction>("Save1");
  EXPECT_TRUE(save->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S)));
  EXPECT_TRUE(save->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_S)));
  EXPECT_EQ(find<QAction>("Open1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  EXPECT_EQ(find<QAction>("SaveAs1")->text(), QStringLiteral("Save &As..."));
  EXPECT_EQ(find<QAction>("ResetHints1")->text(), QStringLiteral("Reset Hints..."));
  EXPECT_EQ(find<QAction>("About1")->text(), QStringLiteral("&About..."));
  // Every step button, option button and bottom button has an accessible name.
  for (const char* name : {"btnStepProject", "btnTarget", "btnImagePage", "btnPrevious", "btnNext",
                           "btnClose", "btnSaveProjectAs"})
    EXPECT_FALSE(find<QWidget>(name)->accessibleName().isEmpty()) << name;
  EXPECT_EQ(find<QWidget>("btnSaveProjectAs")->accessibleName(),
            QStringLiteral("Save Project As..."));
}

TEST_F(MainWindowTest, CloseOfAnUnchangedProjectDoesNotAsk) {
  const std::string path = projectFile("same.tnp", 2);
  MainWindow& w = open({ToQ(path)});
  find<QLineEdit>("editThumbTitle")->setText(QStringLiteral("x"));
  QCloseEvent event;
  QApplication::sendEvent(&w, &event);
  EXPECT_TRUE(event.isAccepted());
  EXPECT_TRUE(prompts.calls.empty());
}

TEST_F(MainWindowTest, PreferencesThatCannotBeWrittenAreReported) {
  MainWindow& w = open();
  // The preferences folder becomes a file: the next write fails.
  std::filesystem::remove_all(dir.file("config"));
  qg::test::WriteFile(dir.file("config"), "");
  QCloseEvent event;
  QApplication::sendEvent(&w, &event);
  EXPECT_EQ(prompts.texts("showError"), QStringList{ToQ("Unable to write to " + dir.file("config") +
                                                        "/Corvane-Soft/Quillon Gallery.reg.")});
}

TEST_F(MainWindowTest, ResetHintsAsksAndSwitchesTheHintBackOn) {
  MainWindow& w = open();
  w.preferences().blHintViewGalleryNow = false;
  prompts.answers = {Answer::No, Answer::Yes};
  w.ResetHints1Click();
  EXPECT_FALSE(w.preferences().blHintViewGalleryNow);
  w.ResetHints1Click();
  EXPECT_TRUE(w.preferences().blHintViewGalleryNow);
  EXPECT_EQ(prompts.texts("askYesNo").value(0),
            QStringLiteral(
                "This will show all hints that have previously been turned off.  Is this OK?"));
  QCloseEvent event;
  QApplication::sendEvent(&w, &event);
  qg::Preferences stored;
  qg::LoadSettings(stored);
  EXPECT_TRUE(stored.blHintViewGalleryNow);
}

TEST_F(MainWindowTest, LinksOpenTheVendorPagesAndOfferToLocateABrowser) {
  MainWindow& w = open();
  prompts.openUrlResult = false;
  prompts.answers = {Answer::Yes};
  prompts.files.push_back({QStringLiteral("/usr/bin/browser")});
  w.OnlineHelpClick();
  ASSERT_EQ(prompts.openedUrls.size(), 1);
  EXPECT_TRUE(prompts.openedUrls[0].endsWith(QStringLiteral("/quillon/help/index.html")));
  EXPECT_EQ(prompts.texts("chooseOpenFile"), QStringList{QStringLiteral("Locate Web Browser")});
  EXPECT_EQ(prompts.startedPrograms,
            QStringList{QStringLiteral("/usr/bin/browser ") + prompts.openedUrls[0]});
  // The backgrounds page goes straight to the desktop, without the offer.
  w.imgBackgroundsClick();
  EXPECT_TRUE(prompts.openedUrls.back().endsWith(QStringLiteral("/quillon/backgrounds.htm")));
  EXPECT_EQ(prompts.texts("askYesNo").size(), 1);
}

}  // namespace
}  // namespace qg::app::test
