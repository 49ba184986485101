// The hint dialog: the first-use hint's texts, every way of closing it and what each does with
// the check box and the action, and the hosting service's notice.
#include "dialogs/HintDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "support/ScriptedPrompts.h"

namespace qg::app {
namespace {

using test::Control;

class HintDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureApp(); }
  ScriptedPrompts prompts;
};

TEST_F(HintDialogTest, FirstUseHintShowsItsTextsWithTheBoxChecked) {
  prompts.dialogScript = [](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Quillon Gallery hints");
    EXPECT_EQ(Control<QLabel>(d, "lblProgName")->text(), "Quillon Gallery");
    EXPECT_EQ(Control<QLabel>(d, "lblWelcome")->text(), "Welcome to Quillon Gallery");
    EXPECT_EQ(Control<QLabel>(d, "lblPara1")->text(),
              "Quillon Gallery produces high quality, professional-looking digital photo web "
              "galleries in just a few easy steps.  Add shadows, backgrounds and captions for a "
              "truly professional gallery.");
    EXPECT_EQ(Control<QLabel>(d, "lblPara2")->text(),
              "If you're new to Quillon Gallery, you can click on the 'Create and view my gallery "
              "now' button below to create and view your new photo gallery creation "
              "immediately.");
    EXPECT_EQ(Control<QLabel>(d, "lblPara3")->text(), "");
    auto* action = Control<QPushButton>(d, "btnAction");
    EXPECT_FALSE(action->isHidden());
    EXPECT_EQ(action->text(), "Create and view my gallery now");
    auto* box = Control<QCheckBox>(d, "chkAlwaysShow");
    EXPECT_EQ(box->text(), "Always show this dialog ");
    EXPECT_FALSE(box->isHidden());
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(Control<QPushButton>(d, "btnContinue")->text(), "&Close");
    for (const char* name : {"lblPara1", "lblPara2", "lblPara3"})
      EXPECT_EQ(Control<QLabel>(d, name)->textFormat(), Qt::PlainText);
    return int(QDialog::Rejected);
  };
  qg::Preferences prefs;
  RunFirstUseHint(nullptr, prompts, prefs, [] {});
  EXPECT_EQ(prompts.texts("runDialog"), QStringList{"TfmHintX"});
}

enum class Close { Action, CloseButton, CloseBox, Escape };

TEST_F(HintDialogTest, EveryWayOfClosingTakesTheBoxAndOnlyTheActionCreates) {
  struct Row {
    Close how;
    bool uncheck;
    int expectedCreations;
    bool expectedHintSwitch;
  };
  const Row rows[] = {
      {Close::Action, false, 1, true},      {Close::Action, true, 1, false},
      {Close::CloseButton, false, 0, true}, {Close::CloseButton, true, 0, false},
      {Close::CloseBox, false, 0, true},    {Close::CloseBox, true, 0, false},
      {Close::Escape, true, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(int(row.how) * 10 + row.uncheck);
    ScriptedPrompts p;
    int creations = 0;
    bool released = false, releasedBeforeCreating = false;
    p.dialogScript = [&](QDialog& d) {
      QObject::connect(&d, &QObject::destroyed, [&] { released = true; });
      d.show();
      if (row.uncheck) Control<QCheckBox>(d, "chkAlwaysShow")->click();
      switch (row.how) {
        case Close::Action:
          Control<QPushButton>(d, "btnAction")->click();
          break;
        case Close::CloseButton:
          Control<QPushButton>(d, "btnContinue")->click();
          break;
        case Close::CloseBox:
          d.close();
          break;
        case Close::Escape:
          test::PressKey(&d, Qt::Key_Escape);
          break;
      }
      EXPECT_FALSE(d.isVisible());
      return d.result();
    };
    qg::Preferences prefs;
    const bool created = RunFirstUseHint(nullptr, p, prefs, [&] {
      ++creations;
      releasedBeforeCreating = released;
    });
    EXPECT_EQ(creations, row.expectedCreations);
    EXPECT_EQ(created, row.expectedCreations == 1);
    EXPECT_EQ(prefs.blHintViewGalleryNow, row.expectedHintSwitch);
    // The gallery is created after the dialog has gone.
    if (creations) EXPECT_TRUE(releasedBeforeCreating);
  }
}

TEST_F(HintDialogTest, ServiceNoticeShowsTheMessageLiterallyWithoutTheBox) {
  const QString message = "<b>Maintenance</b> until 6 pm";
  prompts.dialogScript = [&](QDialog& d) {
    auto* para1 = Control<QLabel>(d, "lblPara1");
    EXPECT_EQ(para1->text(), message);
    EXPECT_EQ(para1->textFormat(), Qt::PlainText);
    EXPECT_EQ(Control<QLabel>(d, "lblPara2")->text(), "");
    EXPECT_TRUE(Control<QCheckBox>(d, "chkAlwaysShow")->isHidden());
    EXPECT_EQ(Control<QPushButton>(d, "btnAction")->text(), "Click here for more info");
    Control<QPushButton>(d, "btnAction")->click();
    return d.result();
  };
  int infoPages = 0;
  RunServiceNotice(nullptr, prompts, message, [&] { ++infoPages; });
  EXPECT_EQ(infoPages, 1);

  prompts.dialogScript = [](QDialog& d) {
    Control<QPushButton>(d, "btnContinue")->click();
    return d.result();
  };
  RunServiceNotice(nullptr, prompts, message, [&] { ++infoPages; });
  EXPECT_EQ(infoPages, 1);
}

TEST_F(HintDialogTest, AHintWithoutActionHidesTheButton) {
  HintDialog dialog;
  dialog.setParagraph1("One");
  EXPECT_TRUE(Control<QPushButton>(dialog, "btnAction")->isHidden());
  dialog.setAction("Go");
  EXPECT_FALSE(Control<QPushButton>(dialog, "btnAction")->isHidden());
  EXPECT_TRUE(dialog.alwaysShow());
}

}  // namespace
}  // namespace qg::app
