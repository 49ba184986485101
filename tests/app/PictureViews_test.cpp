// The main window's picture views: the rotate buttons, Preview Thumb and Preview Image, the
// click on the small preview, Details, and the FTP settings button.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "MainWindowFixture.h"
#include "ViewsTestSupport.h"
#include "dialogs/PreviewWindow.h"
#include "imaging/PreviewRotation.h"
#include "pages/OptionsPage.h"
#include "pages/PicturesPage.h"
#include "support/PictureImage.h"

namespace qg::app::test {
namespace {

class PictureViewsFlow : public MainWindowTest {
 public:
  // A window with three band pictures (200 x 100), the `selected` one selected.
  PicturesPage& openWithPictures(int selected) {
    open();
    std::vector<std::string> paths;
    for (const char* name : {"one.jpg", "two.jpg", "three.jpg"}) {
      paths.push_back(dir.file(name));
      WriteJpeg(paths.back(), 200, 100);
    }
    PicturesPage& page = *window->picturesPage();
    page.addPictures(paths);
    page.select(selected);
    return page;
  }
  QImage preview() { return window->picturesPage()->imgPreview->pixmap().toImage(); }
  const std::string& rotateValue(int index) {
    return window->project().pictures[static_cast<size_t>(index)].RotateValue;
  }
  // Records what the preview window showed and closes it.
  void recordPreviews() {
    prompts.dialogScript = [this](QDialog& dialog) {
      if (auto* preview = qobject_cast<PreviewWindow*>(&dialog)) {
        shownFiles.push_back(preview->shownFile());
        statuses << preview->statusText();
      }
      return int(QDialog::Rejected);
    };
  }

  std::vector<std::string> shownFiles;
  QStringList statuses;
};

TEST_F(PictureViewsFlow, FourRightTurnsComeBackUnturnedAndLeftStartsAtThree) {
  PicturesPage& page = openWithPictures(1);
  const QImage unturned = ToQImage(qg::MakeRotatedPreview(dir.file("two.jpg"), ""));
  const char* const kValues[] = {"1", "2", "3", ""};
  for (const char* value : kValues) {
    page.btnRotateR->click();
    EXPECT_EQ(rotateValue(1), value);
    const QSize expected =
        std::string(value) == "1" || std::string(value) == "3" ? QSize(113, 153) : QSize(153, 113);
    EXPECT_EQ(preview().size(), expected) << value;
  }
  EXPECT_EQ(preview().convertToFormat(unturned.format()), unturned);

  page.select(2);
  page.btnRotateL->click();
  EXPECT_EQ(rotateValue(2), "3");
  EXPECT_EQ(preview().convertToFormat(unturned.format()),
            ToQImage(qg::MakeRotatedPreview(dir.file("three.jpg"), "3"))
                .convertToFormat(unturned.format()));
  EXPECT_EQ(rotateValue(1), "");
  EXPECT_TRUE(prompts.calls.empty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PictureViewsFlow, ATurnOfAMissingFileShowsTheErrorAndRestoresTheCursor) {
  PicturesPage& page = openWithPictures(0);
  std::filesystem::remove(dir.file("one.jpg"));
  page.btnRotateR->click();
  EXPECT_EQ(prompts.texts("showError").size(), 1);
  EXPECT_EQ(rotateValue(0), "");  // the value follows what is shown
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PictureViewsFlow, WithoutASelectionTheButtonsDoNothing) {
  PicturesPage& page = openWithPictures(0);
  page.lvPics->clearSelection();
  page.btnRotateR->click();
  page.btnDetails->click();
  window->imgPreviewClick();
  EXPECT_TRUE(prompts.calls.empty());
  EXPECT_EQ(rotateValue(0), "");
}

TEST_F(PictureViewsFlow, PreviewsWithAnEmptyListOnlySayWhy) {
  open();
  window->btnPreviewThumbClick();
  window->btnPreviewImageClick();
  EXPECT_EQ(prompts.texts("inform"),
            (QStringList{"Please add some pictures before previewing thumbs (Project Step 2).",
                         "Please add some pictures before previewing images (Project Step 2)."}));
  EXPECT_TRUE(prompts.texts("runDialog").isEmpty());
}

TEST_F(PictureViewsFlow, SamplesComeFromTheFirstPictureIntoAPrivateFolder) {
  openWithPictures(2);
  recordPreviews();
  window->btnPreviewThumbClick();
  window->btnPreviewImageClick();
  ASSERT_EQ(shownFiles.size(), 2u);
  EXPECT_EQ(statuses, (QStringList{"Image number 1 of 3", "Image number 1 of 3"}));
  const std::filesystem::path folder = std::filesystem::path(shownFiles[0]).parent_path();
  EXPECT_EQ(std::filesystem::path(shownFiles[1]).parent_path(), folder);
  EXPECT_NE(folder, std::filesystem::temp_directory_path());
  struct stat info {};
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  window.reset();  // the run's folder goes with the window
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(PictureViewsFlow, TheSmallPreviewOpensTheSelectedPicture) {
  openWithPictures(2);
  recordPreviews();
  window->imgPreviewClick();
  ASSERT_EQ(shownFiles.size(), 1u);
  EXPECT_EQ(shownFiles[0], dir.file("three.jpg"));
  EXPECT_EQ(statuses, QStringList{"Image number 3 of 3"});
}

TEST_F(PictureViewsFlow, DetailsOpenForTheSelectionAndNotForAMissingFile) {
  PicturesPage& page = openWithPictures(1);
  page.btnDetails->click();
  EXPECT_EQ(prompts.texts("runDialog"), QStringList{"fmImageDetails"});
  EXPECT_TRUE(prompts.texts("showError").isEmpty());

  prompts.calls.clear();
  std::filesystem::remove(dir.file("two.jpg"));
  page.btnDetails->click();
  EXPECT_TRUE(prompts.texts("runDialog").isEmpty());
  EXPECT_EQ(prompts.texts("showError").size(), 1);
}

TEST_F(PictureViewsFlow, FtpSettingsChangeThePreferencesOnlyOnOk) {
  open();
  window->preferences().sFTPHost = "before.example";
  for (const bool ok : {false, true}) {
    prompts.dialogScript = [ok](QDialog& dialog) {
      dialog.findChild<QLineEdit*>("editHost")->setText("after.example");
      dialog.findChild<QLineEdit*>("editFolder")->setText("gal/");
      return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    window->btnFTPSettingsClick();
    EXPECT_EQ(window->preferences().sFTPHost, ok ? "after.example" : "before.example");
    EXPECT_EQ(window->preferences().sFTPFolder, ok ? "gal/" : "");
  }
  EXPECT_EQ(prompts.texts("runDialog"), (QStringList{"fmCorvFTP", "fmCorvFTP"}));
}

}  // namespace
}  // namespace qg::app::test
