// The project information dialog and the About box: the values shown, including a saved
// project whose file was deleted since.
#include "dialogs/ProjectInfoDialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "dialogs/AboutDialog.h"
#include "project/ProjectFile.h"
#include "support/ScriptedPrompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

using test::Control;

class ProjectInfoDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApp();
    qg::NewProjectDefaults(project, qg::Preferences{});
  }
  QString value(ProjectInfoDialog& d, const char* name) { return Control<QLabel>(d, name)->text(); }
  qg::Project project;
};

TEST_F(ProjectInfoDialogTest, ANewProjectIsUntitledAndNotSaved) {
  ProjectInfoDialog d(nullptr, project);
  EXPECT_EQ(d.windowTitle(), "Quillon Gallery Project Information");
  EXPECT_EQ(value(d, "lblPrjName"), "untitled.tnp");
  EXPECT_EQ(value(d, "lblLastSaved"), "<not saved>");
  EXPECT_EQ(value(d, "lblGalleryTitle"), "My Gallery 1");
  EXPECT_EQ(Control<QLineEdit>(d, "editTargetFolder")->text(), ToQ(project.options.editDestFolder));
  EXPECT_TRUE(Control<QLineEdit>(d, "editTargetFolder")->isReadOnly());
  EXPECT_EQ(value(d, "lblImageCount"), "0 image(s)");
  // Both numbers, although only the width is in force after New.
  EXPECT_EQ(value(d, "lblThumbSize"), "120 x 100");
  EXPECT_EQ(value(d, "lblRowsCols"), "3 rows x 4 columns");
  EXPECT_EQ(Control<QPushButton>(d, "btnClose")->text(), "&Close");
  QStringList captions;
  for (QLabel* label : d.findChildren<QLabel*>())
    if (label->text().endsWith(':')) captions << label->text();
  EXPECT_EQ(captions,
            (QStringList{"Project Name:", "Last Saved:", "Gallery Title:", "Target Folder:",
                         "Image Count:", "Thumb Size:", "Rows & Cols:"}));
  EXPECT_EQ(Control<QLabel>(d, "lblRowsCols")->accessibleName(), "Rows & Cols");
}

TEST_F(ProjectInfoDialogTest, CountsAndGridAsTheProjectHoldsThem) {
  project.options.spinRows = 5;
  project.options.spinColumns = 4;
  project.pictures.resize(7);
  project.options.editIndexCaption = "<b>Holiday</b>";
  ProjectInfoDialog d(nullptr, project);
  EXPECT_EQ(value(d, "lblRowsCols"), "5 rows x 4 columns");
  EXPECT_EQ(value(d, "lblImageCount"), "7 image(s)");
  EXPECT_EQ(value(d, "lblGalleryTitle"), "<b>Holiday</b>");
  EXPECT_EQ(Control<QLabel>(d, "lblGalleryTitle")->textFormat(), Qt::PlainText);
}

TEST_F(ProjectInfoDialogTest, ASavedProjectShowsItsTimeAndUnknownOnceDeleted) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  project.FProjectFileName = FromQ(dir.filePath("trip.tnp"));
  qg::SaveProjectFile(project);
  {
    ProjectInfoDialog d(nullptr, project);
    EXPECT_EQ(value(d, "lblPrjName"), "trip.tnp");
    EXPECT_NE(value(d, "lblLastSaved"), "<unknown>");
    EXPECT_NE(value(d, "lblLastSaved"), "<not saved>");
    EXPECT_FALSE(value(d, "lblLastSaved").isEmpty());
  }
  ASSERT_TRUE(QFile::remove(dir.filePath("trip.tnp")));
  ProjectInfoDialog d(nullptr, project);
  EXPECT_EQ(value(d, "lblLastSaved"), "<unknown>");
}

TEST_F(ProjectInfoDialogTest, RunsThroughTheSeamAndCloses) {
  ScriptedPrompts prompts;
  prompts.dialogScript = [](QDialog& d) {
    Control<QPushButton>(d, "btnClose")->click();
    return d.result();
  };
  RunProjectInfoDialog(nullptr, prompts, project);
  EXPECT_EQ(prompts.texts("runDialog"), QStringList{"TfmProjectInfo"});
}

TEST_F(ProjectInfoDialogTest, AboutBoxNamesTheProgramAndItsVersion) {
  AboutDialog d;
  EXPECT_EQ(Control<QLabel>(d, "lblProgName")->text(), "Quillon Gallery");
  EXPECT_EQ(Control<QLabel>(d, "lblVersion")->text(), "Version 2.7");
  ScriptedPrompts prompts;
  RunAboutDialog(nullptr, prompts);
  EXPECT_EQ(prompts.texts("runDialog"), QStringList{"TfmAbout"});
}

}  // namespace
}  // namespace qg::app
