// The preview window (status, ends, fit, details) and the Preview Thumb and Preview Image
// commands that open it on a sample of the first picture.
#include "dialogs/PreviewWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <filesystem>

#include "AppFixture.h"
#include "ViewsTestSupport.h"
#include "codecs/Decode.h"
#include "gallery/Preview.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

namespace qg::app {
namespace {

namespace fs = std::filesystem;

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApp();
    const int sizes[][2] = {{800, 600}, {300, 400}, {200, 200}};
    const char* names[] = {"first.jpg", "second.jpg", "third.jpg"};
    for (int i = 0; i < 3; ++i) {
      const std::string path = temp_.file(names[i]);
      test::WriteJpeg(path, sizes[i][0], sizes[i][1]);
      paths_.push_back(path);
      qg::PictureRecord record;
      record.FileName = names[i];
      record.ImageSize = std::to_string(sizes[i][0]) + " x " + std::to_string(sizes[i][1]);
      record.FilenameAndPath = path;
      record.ShortTitle = names[i];
      project_.pictures.push_back(record);
    }
  }

  qg::test::TempDir temp_;
  std::vector<std::string> paths_;
  qg::Project project_;
  ScriptedPrompts prompts_;
};

TEST_F(Preview, WindowLayoutCaptionAndHints) {
  PreviewWindow window(prompts_, paths_, 0, {});
  EXPECT_EQ(window.windowTitle(), "Quillon Gallery Preview");
  EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
  struct Tool {
    const char* name;
    const char* hint;
  };
  for (const Tool& t :
       {Tool{"btnPrevious", "Previous picture"}, Tool{"btnNext", "Next picture"},
        Tool{"btnFitToScreen", "Fit to screen"}, Tool{"btnViewDetails", "View image details"}}) {
    auto* button = window.findChild<QToolButton*>(t.name);
    ASSERT_NE(button, nullptr) << t.name;
    EXPECT_EQ(button->toolTip(), t.hint);
    EXPECT_EQ(button->accessibleName(), t.hint);
  }
  EXPECT_EQ(window.findChild<QAction*>("itemViewDetails")->text(), "View Image Details");
  EXPECT_EQ(window.findChild<QAction*>("Close1")->text(), "Close");
  EXPECT_GE(window.findChild<QLabel*>("pnlStatus")->minimumWidth(), 200);
  // Every command is on the keyboard too, each key once.
  QList<QKeySequence> keys;
  for (const char* name : {"btnPrevious", "btnNext", "btnFitToScreen", "itemViewDetails", "Close1"})
    keys << window.findChild<QAction*>(name)->shortcut();
  for (const QKeySequence& key : keys) {
    EXPECT_FALSE(key.isEmpty());
    EXPECT_EQ(keys.count(key), 1);
  }
}

TEST_F(Preview, StatusCountsFromTheStartAndTheEndsDoNothing) {
  PreviewWindow window(prompts_, paths_, 2, {});
  EXPECT_EQ(window.statusText(), "Image number 3 of 3");
  window.ShowPicture(paths_[2]);
  window.btnNextClick();  // at the last picture
  EXPECT_EQ(window.currentIndex(), 2);
  EXPECT_EQ(window.shownFile(), paths_[2]);

  window.btnPreviousClick();
  EXPECT_EQ(window.currentIndex(), 1);
  EXPECT_EQ(window.statusText(), "Image number 2 of 3");
  EXPECT_EQ(window.shownFile(), paths_[1]);
  EXPECT_EQ(window.picture().width, 300);  // full size
  EXPECT_EQ(window.picture().height, 400);
  window.btnPreviousClick();
  window.btnPreviousClick();  // at the first picture
  EXPECT_EQ(window.currentIndex(), 0);
  EXPECT_EQ(window.shownFile(), paths_[0]);
  EXPECT_EQ(window.statusText(), "Image number 1 of 3");
  window.btnNextClick();
  EXPECT_EQ(window.statusText(), "Image number 2 of 3");
  EXPECT_TRUE(prompts_.calls.empty());

  // A start beyond the list counts from its last picture; an empty list shows no count.
  EXPECT_EQ(PreviewWindow(prompts_, paths_, 7, {}).statusText(), "Image number 3 of 3");
  PreviewWindow empty(prompts_, {}, 0, {});
  EXPECT_EQ(empty.statusText(), "");
  empty.btnNextClick();
  empty.btnPreviousClick();
  EXPECT_EQ(empty.currentIndex(), 0);
}

TEST_F(Preview, APictureThatCannotBeShownKeepsTheCountAndThePicture) {
  paths_[1] = temp_.file("gone.jpg");
  PreviewWindow window(prompts_, paths_, 0, {});
  window.ShowPicture(paths_[0]);
  window.btnNextClick();
  ASSERT_EQ(prompts_.texts("showError").size(), 1);
  EXPECT_TRUE(prompts_.texts("showError")[0].contains("gone.jpg"));
  EXPECT_EQ(window.currentIndex(), 0);
  EXPECT_EQ(window.statusText(), "Image number 1 of 3");
  EXPECT_EQ(window.shownFile(), paths_[0]);
}

TEST_F(Preview, FitToScreenStretchesToTheWindowLessTheScrollBars) {
  PreviewWindow window(prompts_, paths_, 2, {});
  window.setWindowState(Qt::WindowNoState);
  window.resize(700, 150);
  window.ShowPicture(paths_[2]);  // square, 200 x 200
  window.show();
  ASSERT_TRUE(test::WaitFor([&] { return window.isVisible(); }));
  auto* box = window.findChild<QScrollArea*>("ScrollBox1");
  // Shown scrolled to half the picture's height, as far as the scroll bar goes.
  QScrollBar* vertical = box->verticalScrollBar();
  ASSERT_TRUE(test::WaitFor([&] { return vertical->value() > 0; }));
  EXPECT_EQ(vertical->value(), std::min(100, vertical->maximum()));
  window.btnFitToScreenClick();
  EXPECT_EQ(window.picture().width, box->width() - 15);
  EXPECT_EQ(window.picture().height, box->height() - 15);
  EXPECT_GT(window.picture().width, window.picture().height);  // distorted to the window
  EXPECT_EQ(window.findChild<QLabel*>("imgPicture")->size(),
            QSize(window.picture().width, window.picture().height));
  EXPECT_EQ(window.statusText(), "Image number 3 of 3");
}

TEST_F(Preview, DetailsShowThePictureTheWindowCounts) {
  std::vector<std::string> shown;
  PreviewWindow window(prompts_, paths_, 0, [&](QWidget* owner, const std::string& path) {
    EXPECT_EQ(owner, &window);
    shown.push_back(path);
  });
  window.ShowPicture(paths_[0]);
  window.itemViewDetailsClick();
  window.btnNextClick();
  window.findChild<QAction*>("btnViewDetails")->trigger();
  window.findChild<QAction*>("itemViewDetails")->trigger();
  EXPECT_EQ(shown, (std::vector<std::string>{paths_[0], paths_[1], paths_[1]}));

  PreviewWindow empty(prompts_, {}, 0, [&](QWidget*, const std::string&) {
    ADD_FAILURE() << "details for an empty list";
  });
  empty.itemViewDetailsClick();
}

TEST_F(Preview, CloseEndsWithOk) {
  PreviewWindow window(prompts_, paths_, 0, {});
  window.show();
  window.findChild<QAction*>("Close1")->trigger();
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(Preview, SampleCommandsWithAnEmptyListOnlyTellTheUser) {
  qg::test::ScopedEnv tmp("TMPDIR", temp_.path().string());
  qg::Project empty;
  qg::PreviewFolder folder;
  EXPECT_FALSE(RunPreviewThumb(nullptr, prompts_, empty, folder, {}));
  EXPECT_FALSE(RunPreviewImage(nullptr, prompts_, empty, folder, {}));
  EXPECT_EQ(prompts_.texts("inform"),
            (QStringList{"Please add some pictures before previewing thumbs (Project Step 2).",
                         "Please add some pictures before previewing images (Project Step 2)."}));
  EXPECT_EQ(prompts_.calls.size(), 2u);
  EXPECT_FALSE(folder.made());
}

TEST_F(Preview, ThumbSampleOfTheFirstPictureWithItsShadow) {
  // The third picture may be selected in the list; the sample is always made from the first.
  qg::test::ScopedEnv tmp("TMPDIR", temp_.path().string());
  qg::PreviewFolder folder;
  std::vector<std::string> details;
  int width = 0, height = 0, index = -1;
  QString status;
  std::string file;
  prompts_.dialogScript = [&](QDialog& dialog) {
    auto& window = dynamic_cast<PreviewWindow&>(dialog);
    width = window.picture().width;
    height = window.picture().height;
    index = window.currentIndex();
    status = window.statusText();
    file = window.shownFile();
    window.itemViewDetailsClick();
    return int(QDialog::Accepted);
  };
  EXPECT_TRUE(RunPreviewThumb(nullptr, prompts_, project_, folder,
                              [&](QWidget*, const std::string& p) { details.push_back(p); }));
  EXPECT_EQ(prompts_.texts("runDialog"), QStringList{"fmPreview"});
  EXPECT_EQ(width, 168);  // 120 x 90 and the 48-pixel shadow frame
  EXPECT_EQ(height, 138);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(status, "Image number 1 of 3");
  EXPECT_EQ(fs::path(file).parent_path(), fs::path(folder.path()));
  EXPECT_EQ(fs::path(folder.path()).parent_path(), temp_.path());
  EXPECT_EQ(details, std::vector<std::string>{paths_[0]});  // the source, not the sample
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Preview, ImageSampleFollowsTheDisplayImageOptions) {
  qg::test::ScopedEnv tmp("TMPDIR", temp_.path().string());
  qg::PreviewFolder folder;
  project_.options.blImageResize = false;
  project_.options.iImageWidth = 320;
  project_.options.AddShadowImage = true;
  QSize shown;
  prompts_.dialogScript = [&](QDialog& dialog) {
    auto& window = dynamic_cast<PreviewWindow&>(dialog);
    shown = QSize(window.picture().width, window.picture().height);
    return int(QDialog::Accepted);
  };
  EXPECT_TRUE(RunPreviewImage(nullptr, prompts_, project_, folder, {}));
  EXPECT_EQ(shown, QSize(368, 288));
}

TEST_F(Preview, SampleThatCannotBeMadeOpensNoWindow) {
  qg::test::ScopedEnv tmp("TMPDIR", temp_.path().string());
  qg::PreviewFolder folder;
  project_.pictures[0].FilenameAndPath = temp_.file("vanished.jpg");
  EXPECT_FALSE(RunPreviewThumb(nullptr, prompts_, project_, folder, {}));
  ASSERT_EQ(prompts_.texts("showError").size(), 1);
  EXPECT_TRUE(prompts_.texts("showError")[0].contains("vanished.jpg"));
  EXPECT_TRUE(prompts_.texts("runDialog").isEmpty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace qg::app
