// The two title template dialogs: the tab each button opens, token double-clicks, the preview
// documents and when they are refreshed, and what OK and Cancel take over.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "AppFixture.h"
#include "DialogTestSupport.h"
#include "dialogs/ColourList.h"
#include "dialogs/ImageTitlesDialog.h"
#include "dialogs/IndexTitlesDialog.h"
#include "support/ScriptedPrompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

using test::Control;

const std::string kFace = "Verdana, Arial, Helvetica, sans-serif";

class TitlesDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureApp(); }
  qg::GalleryOptions options;
  ScriptedPrompts prompts;
};

TEST_F(TitlesDialogsTest, EachButtonOpensItsTab) {
  const TitlesTab tabs[] = {TitlesTab::PageTitle, TitlesTab::Title, TitlesTab::AltText};
  for (TitlesTab tab : tabs) {
    int shown = -1;
    QStringList names;
    prompts.dialogScript = [&](QDialog& d) {
      auto* pages = Control<QTabWidget>(d, "pgTitles");
      shown = pages->currentIndex();
      for (int i = 0; i < pages->count(); ++i) names << pages->tabText(i);
      return int(QDialog::Rejected);
    };
    RunIndexTitlesDialog(nullptr, prompts, options, tab);
    EXPECT_EQ(shown, int(tab));
    EXPECT_EQ(names, (QStringList{"Page Title", "Thumb Title", "Thumb ALT Text"}));
    names.clear();
    RunImageTitlesDialog(nullptr, prompts, options, tab);
    EXPECT_EQ(shown, int(tab));
    EXPECT_EQ(names, (QStringList{"Page Title", "Image Title", "Image ALT Text"}));
  }
  EXPECT_EQ(prompts.texts("runDialog").count("TfmTitlesIndex"), 3);
  EXPECT_EQ(prompts.texts("runDialog").count("TfmImagesIndex"), 3);
}

TEST_F(TitlesDialogsTest, TokenListsOfferTheirItemsInOrder) {
  IndexTitlesDialog d(nullptr, options);
  auto items = [&](const char* name) {
    QStringList out;
    auto* list = Control<QListWidget>(d, name);
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  };
  EXPECT_EQ(items("lstTitle"), (QStringList{"Index Page Number", "Number of Pages",
                                            "Number of Images", "Line Break"}));
  const QStringList thumb = {"Image Short Title",    "Image Long Title", "Image Filename",
                             "Image File Size (kb)", "Image Size",       "Index Page Number",
                             "Number of Pages",      "Number of Images", "Line Break"};
  EXPECT_EQ(items("lstTitleThumb"), thumb);
  EXPECT_EQ(items("lstALT"), QStringList{"Click to enlarge"} + thumb);
}

TEST_F(TitlesDialogsTest, DoubleClickedTokensAreAppendedAtTheEnd) {
  struct Row {
    const char* list;
    const char* edit;
    QString start;
    QStringList clicks;
    QString expected;
  };
  const Row rows[] = {
      {"lstTitleThumb",
       "editThumbTitle",
       "[ShortTitle]",
       {"Image Short Title", "Image Short Title"},
       "[ShortTitle] [ShortTitle]  [ShortTitle] "},
      {"lstTitle",
       "editPageTitle",
       "My Gallery",
       {"Line Break", "Number of Pages"},
       "My Gallery<br> [PageCount] "},
      {"lstALT",
       "editALTText",
       "",
       {"Click to enlarge", "Image Size"},
       "Click to enlarge [ImageSize] "},
      {"lstTitleThumb",
       "editThumbTitle",
       "x",
       {"Image Long Title", "Image Filename", "Image File Size (kb)", "Index Page Number",
        "Number of Images"},
       "x [LongTitle]  [Filename]  [FileSize]  [IndexPageNumber]  [ImageCount] "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.list);
    IndexTitlesDialog d(nullptr, options);
    auto* edit = Control<QLineEdit>(d, row.edit);
    auto* list = Control<QListWidget>(d, row.list);
    edit->setText(row.start);
    edit->setCursorPosition(0);  // appended at the end wherever the cursor is
    for (const QString& click : row.clicks) {
      QListWidgetItem* item = list->findItems(click, Qt::MatchExactly).value(0);
      ASSERT_NE(item, nullptr);
      list->setCurrentItem(item);
      emit list->itemDoubleClicked(item);
    }
    EXPECT_EQ(edit->text(), row.expected);
  }
}

TEST_F(TitlesDialogsTest, EnterOnATokenListAppendsLikeADoubleClick) {
  IndexTitlesDialog d(nullptr, options);
  auto* list = Control<QListWidget>(d, "lstTitle");
  list->setCurrentRow(list->count() - 1);  // Line Break
  test::PressKey(list, Qt::Key_Return);
  EXPECT_EQ(Control<QLineEdit>(d, "editPageTitle")->text(), "<br>");
}

TEST_F(TitlesDialogsTest, ADoubleClickWithNothingSelectedChangesNothing) {
  IndexTitlesDialog d(nullptr, options);
  auto* list = Control<QListWidget>(d, "lstALT");
  list->clearSelection();
  emit list->itemDoubleClicked(list->item(0));
  EXPECT_EQ(Control<QLineEdit>(d, "editALTText")->text(), "Click to enlarge");
  EXPECT_EQ(TokenTextFor("Something else"), "");
}

TEST_F(TitlesDialogsTest, PreviewDocumentsAreExact) {
  const qg::FontSetting white{kFace, "Bold", "5 (18 pt)", qg::kWhite};
  EXPECT_EQ(IndexTitlePreviewHtml("My Gallery", white),
            "<html><head></head><body bgcolor=\"#000000\">\r\n"
            "<b><font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"5\" "
            "color=\"#FFFFFF\">My Gallery</font></b>\r\n"
            "</body><html>\r\n");
  const qg::FontSetting navy{"Courier New, Courier, mono", "Bold Italic", "9", 0x800000};
  EXPECT_EQ(IndexTitlePreviewHtml("[ShortTitle] [shorttitle]", navy),
            "<html><head></head><body bgcolor=\"#FFFFFF\">\r\n"
            "<b><i><font face=\"Courier New, Courier, mono\" size=\"9\" color=\"#000080\">"
            "Short Title Sample 1</font></i></b>\r\n"
            "</body><html>\r\n");
  const qg::FontSetting regular{kFace, "Regular", "2 (10 pt)", qg::kWhite};
  EXPECT_EQ(ImageTitlePreviewHtml("[IndexPageTitle] [ImageIndex] of [ImageCount]", regular),
            "<html><head></head><body>\r\n"
            "<font face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"2\" "
            "color=\"#FFFFFF\">My Gallery 1 of 1</font>\r\n"
            "</body><html>\r\n");
}

TEST_F(TitlesDialogsTest, OpeningRendersBothPreviewsFromTheProjectsValues) {
  options.editIndexCaption = "Trip";
  options.FIndexFontColor = qg::kWhite;
  options.FThumbFontStyle = "Italic";
  IndexTitlesDialog d(nullptr, options);
  EXPECT_EQ(d.previewHtml(0), IndexTitlePreviewHtml("Trip", qg::HeadingFont(options)));
  EXPECT_EQ(d.previewHtml(1), IndexTitlePreviewHtml("[ShortTitle]", qg::CaptionFont(options)));
  EXPECT_NE(d.previewHtml(0).find("bgcolor=\"#000000\""), std::string::npos);

  options.editPageTitleImage = "[IndexPageTitle]!";
  ImageTitlesDialog image(nullptr, options);
  EXPECT_EQ(image.previewHtml(0),
            "<html><head></head><body>\r\n<font face=\"Verdana, Arial, Helvetica, sans-serif\" "
            "size=\"2\" color=\"#000000\">My Gallery!</font>\r\n</body><html>\r\n");
  EXPECT_EQ(image.previewHtml(1),
            "<html><head></head><body>\r\n<b><font face=\"Verdana, Arial, Helvetica, "
            "sans-serif\" size=\"1\" color=\"#000000\">Long Title Sample</font></b>\r\n"
            "</body><html>\r\n");
}

TEST_F(TitlesDialogsTest, PreviewsRefreshOnlyOnTheirEvents) {
  IndexTitlesDialog d(nullptr, options);
  const std::string thumbBefore = d.previewHtml(1);

  // Typing a thumbnail title or appending a token does not refresh; the Preview button does.
  auto* thumbEdit = Control<QLineEdit>(d, "editThumbTitle");
  test::TypeInto(thumbEdit, "[Filename]");
  auto* list = Control<QListWidget>(d, "lstTitleThumb");
  list->setCurrentRow(0);
  emit list->itemDoubleClicked(list->item(0));
  EXPECT_EQ(d.previewHtml(1), thumbBefore);
  Control<QPushButton>(d, "btnPreviewThumb")->click();
  EXPECT_NE(d.previewHtml(1).find(">Filename.sample Short Title Sample </font>"),
            std::string::npos);

  // A typed size counts by its first character; a colour change refreshes at once.
  Control<QComboBox>(d, "cmbSizeThumb")->setCurrentText("9");
  EXPECT_NE(d.previewHtml(1).find("size=\"9\""), std::string::npos);
  Control<ColourList>(d, "cmbFontColorThumb")->setCurrentIndex(15);  // White
  EXPECT_NE(d.previewHtml(1).find("<body bgcolor=\"#000000\">"), std::string::npos);

  // The page title refreshes when its edit is left.
  auto* pageEdit = Control<QLineEdit>(d, "editPageTitle");
  test::TypeInto(pageEdit, "Summer");
  EXPECT_EQ(d.previewHtml(0).find("Summer"), std::string::npos);
  emit pageEdit->editingFinished();
  EXPECT_NE(d.previewHtml(0).find(">Summer</font>"), std::string::npos);
  Control<QComboBox>(d, "cmbStyle")->setCurrentText("Regular");
  EXPECT_EQ(d.previewHtml(0).rfind("<html><head></head><body bgcolor=\"#FFFFFF\">\r\n<font", 0),
            0u);
}

TEST_F(TitlesDialogsTest, IndexDialogOkTakesTextsAndFontsOverAndCancelNothing) {
  options.FIndexFontColor = 0x123456;  // outside the list: kept as it is
  const qg::GalleryOptions before = options;
  auto edit = [](QDialog& d) {
    test::TypeInto(Control<QLineEdit>(d, "editPageTitle"), "Trip");
    test::TypeInto(Control<QLineEdit>(d, "editThumbTitle"), "[Filename]");
    test::TypeInto(Control<QLineEdit>(d, "editALTText"), "Open");
    Control<QComboBox>(d, "cmbFontFamily")->setCurrentText("Times New Roman, Times, serif");
    Control<QComboBox>(d, "cmbStyle")->setCurrentText("Italic");
    Control<QComboBox>(d, "cmbSize")->setCurrentText("3 (12 pt)");
    Control<QComboBox>(d, "cmbFontFamilyThumb")->setCurrentText("Mine");
    Control<QComboBox>(d, "cmbStyleThumb")->setCurrentText("Bold Italic");
    Control<QComboBox>(d, "cmbSizeThumb")->setCurrentText("7 (36 pt)");
    Control<ColourList>(d, "cmbFontColorThumb")->setColour(0x0000FF);
  };
  prompts.dialogScript = [&](QDialog& d) {
    edit(d);
    Control<QPushButton>(d, "btnCancel")->click();
    return d.result();
  };
  EXPECT_FALSE(RunIndexTitlesDialog(nullptr, prompts, options, TitlesTab::Title));
  EXPECT_EQ(options, before);

  prompts.dialogScript = [&](QDialog& d) {
    edit(d);
    Control<QPushButton>(d, "btnOK")->click();
    return d.result();
  };
  EXPECT_TRUE(RunIndexTitlesDialog(nullptr, prompts, options, TitlesTab::PageTitle));
  qg::GalleryOptions expected = before;
  expected.editIndexCaption = "Trip";
  expected.editThumbTitle = "[Filename]";
  expected.editALTText = "Open";
  expected.FIndexFontFamily = "Times New Roman, Times, serif";
  expected.FIndexFontStyle = "Italic";
  expected.FIndexFontSize = "3 (12 pt)";
  expected.FThumbFontFamily = "Mine";
  expected.FThumbFontStyle = "Bold Italic";
  expected.FThumbFontSize = "7 (36 pt)";
  expected.FThumbFontColor = 0x0000FF;
  EXPECT_EQ(options, expected);
}

TEST_F(TitlesDialogsTest, OkFromTheAltTabLeavesTheOtherTitlesAlone) {
  options.editIndexCaption = "Trip";
  const qg::GalleryOptions before = options;
  prompts.dialogScript = [](QDialog& d) {
    Control<QPushButton>(d, "btnOK")->click();
    return d.result();
  };
  EXPECT_TRUE(RunIndexTitlesDialog(nullptr, prompts, options, TitlesTab::AltText));
  EXPECT_EQ(options, before);
}

TEST_F(TitlesDialogsTest, PicturePageDialogTakesItsThreeTextsOverWithFontsDisabled) {
  const qg::GalleryOptions before = options;
  prompts.dialogScript = [](QDialog& d) {
    for (const char* name :
         {"cmbFontFamily", "cmbStyle", "cmbSize", "spinFontColor", "cmbFontFamilyThumb",
          "cmbStyleThumb", "cmbSizeThumb", "cmbFontColorThumb"})
      EXPECT_FALSE(Control<QWidget>(d, name)->isEnabled()) << name;
    EXPECT_EQ(Control<QLineEdit>(d, "editPageTitle")->text(),
              "[IndexPageTitle] [ImageIndex] of [ImageCount]");
    EXPECT_EQ(Control<QLineEdit>(d, "editThumbTitle")->text(), "[LongTitle]");
    EXPECT_EQ(Control<QLineEdit>(d, "editALTText")->text(), "[ShortTitle]");
    test::TypeInto(Control<QLineEdit>(d, "editPageTitle"), "Page");
    test::TypeInto(Control<QLineEdit>(d, "editThumbTitle"), "Title");
    test::TypeInto(Control<QLineEdit>(d, "editALTText"), "Alt");
    Control<QPushButton>(d, "btnCancel")->click();
    return d.result();
  };
  EXPECT_FALSE(RunImageTitlesDialog(nullptr, prompts, options, TitlesTab::Title));
  EXPECT_EQ(options, before);

  prompts.dialogScript = [](QDialog& d) {
    test::TypeInto(Control<QLineEdit>(d, "editPageTitle"), "Page");
    test::TypeInto(Control<QLineEdit>(d, "editThumbTitle"), "Title");
    test::TypeInto(Control<QLineEdit>(d, "editALTText"), "Alt");
    Control<QPushButton>(d, "btnOK")->click();
    return d.result();
  };
  EXPECT_TRUE(RunImageTitlesDialog(nullptr, prompts, options, TitlesTab::Title));
  qg::GalleryOptions expected = before;
  expected.editPageTitleImage = "Page";
  expected.editImageTitle = "Title";
  expected.editImageALT = "Alt";
  EXPECT_EQ(options, expected);
}

TEST_F(TitlesDialogsTest, ThePreviewFollowsNoLinkAndLoadsNothing) {
  IndexTitlesDialog d(nullptr, options);
  auto* browser = Control<PreviewBrowser>(d, "browsePreview");
  EXPECT_FALSE(browser->openLinks());
  EXPECT_FALSE(browser->openExternalLinks());
  EXPECT_FALSE(browser->loadResource(QTextDocument::ImageResource, QUrl("http://127.0.0.1/x.png"))
                   .isValid());
  EXPECT_FALSE(
      browser->loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile("/etc/passwd"))
          .isValid());
}

}  // namespace
}  // namespace qg::app
