// The picture list in the window: Add of good and damaged files, the first-use hint, delete, move,
// sort and clear through the buttons, titles and selection.
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "pages/PicturesPage.h"

namespace qg::app::test {
namespace {

QStringList Names(QTreeWidget* list) {
  QStringList out;
  for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(0);
  return out;
}

class PicturesTest : public MainWindowTest {
 public:
  void SetUp() override {
    MainWindowTest::SetUp();
    open();
    window->preferences().blHintViewGalleryNow = false;
    page = window->picturesPage();
  }
  void add(const QStringList& files) {
    prompts.files.push_back(files);
    window->btnAddPicClick();
  }
  PicturesPage* page = nullptr;
};

TEST_F(PicturesTest, AddingThreeFilesSelectsTheThirdAndCountsThem) {
  const QString a = ToQ(jpeg("a.jpg", 40, 30)), b = ToQ(jpeg("b.JPG", 6, 9)),
                c = ToQ(jpeg("c.jpg"));
  add({a, b, c});
  EXPECT_EQ(Names(page->lvPics), (QStringList{"a.jpg", "b.JPG", "c.jpg"}));
  EXPECT_EQ(page->lvPics->topLevelItem(0)->text(1), QStringLiteral("40 x 30"));
  EXPECT_EQ(page->selected(), 2);
  EXPECT_EQ(label("lblImageCount"), QStringLiteral("3 images in the list"));
  EXPECT_EQ(page->edtShortTitle->text(), QStringLiteral("c.jpg"));
  EXPECT_TRUE(page->edtShortTitle->isEnabled());
  EXPECT_FALSE(page->imgPreview->pixmap().isNull());
  EXPECT_TRUE(window->projectChanged());
  EXPECT_EQ(prompts.texts("chooseOpenFiles"), QStringList{QStringLiteral("Add Images(s)")});
}

TEST_F(PicturesTest, ADamagedFileStopsTheAddThere) {
  const QString good = ToQ(jpeg("good.jpg"));
  const QString bad = ToQ(dir.file("bad.jpg"));
  qg::test::WriteFile(dir.file("bad.jpg"), "not a picture");
  window->preferences().blHintViewGalleryNow = true;
  int hints = 0;
  window->setHintRunner([&](const MainWindow::HintTexts&) {
    ++hints;
    return MainWindow::HintOutcome{};
  });
  add({good, bad, good});
  EXPECT_EQ(Names(page->lvPics), QStringList{"good.jpg"});
  EXPECT_EQ(prompts.texts("showError").size(), 1);
  EXPECT_EQ(label("lblImageCount"), QStringLiteral("1 image in the list"));
  EXPECT_EQ(hints, 0);
  EXPECT_TRUE(window->projectChanged());
}

TEST_F(PicturesTest, FirstUseHint) {
  const QString a = ToQ(jpeg("a.jpg"));
  window->preferences().blHintViewGalleryNow = true;
  std::vector<MainWindow::HintTexts> shown;
  MainWindow::HintOutcome outcome{/*accepted=*/false, /*alwaysShow=*/false};
  window->setHintRunner([&](const MainWindow::HintTexts& t) {
    shown.push_back(t);
    return outcome;
  });
  int creates = 0;
  QObject::connect(window.get(), &MainWindow::createGalleryRequested, [&] { ++creates; });

  // An empty list and a cancelled dialog: no hint.
  add({});
  EXPECT_TRUE(shown.empty());

  // Closed by the close box (Cancel) with the box unchecked: nothing made, the switch taken over.
  add({a});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].para1,
            QStringLiteral("Quillon Gallery produces high quality, professional-looking digital "
                           "photo web galleries in just a few easy steps.  Add shadows, "
                           "backgrounds and captions for a truly professional gallery."));
  EXPECT_EQ(shown[0].para2,
            QStringLiteral("If you're new to Quillon Gallery, you can click on the 'Create and "
                           "view my gallery now' button below to create and view your new photo "
                           "gallery creation immediately."));
  EXPECT_EQ(shown[0].para3, QString());
  EXPECT_EQ(shown[0].action, QStringLiteral("Create and view my gallery now"));
  EXPECT_FALSE(window->preferences().blHintViewGalleryNow);
  EXPECT_EQ(creates, 0);

  // A cancelled Add with pictures in the list still shows it; the action creates once.
  window->preferences().blHintViewGalleryNow = true;
  outcome = {/*accepted=*/true, /*alwaysShow=*/false};
  add({});
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_EQ(creates, 1);
  EXPECT_EQ(window->currentStep(), 3);
  EXPECT_TRUE(window->createAndView());
  EXPECT_FALSE(window->preferences().blHintViewGalleryNow);
}

enum class Act { Delete, Up, Down, SortAZ, SortZA, SizeHeader, ClearYes, ClearNo };

struct ListCase {
  const char* name;
  int select;  // -1: none
  Act act;
  QStringList names;
  int selectedAfter;
  QString count;
};

class ListOps : public PicturesTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListOps, ThroughTheWindow) {
  const ListCase& c = GetParam();
  add({ToQ(jpeg("b.jpg", 4, 4)), ToQ(jpeg("A.jpg", 10, 10)), ToQ(jpeg("c.jpg", 2, 2)),
       ToQ(jpeg("d.jpg", 3, 3)), ToQ(jpeg("e.jpg", 1024, 8))});
  if (c.select < 0) {
    page->lvPics->clearSelection();
  } else {
    page->select(c.select);
  }
  switch (c.act) {
    case Act::Delete:
      click("btnDeletePic");
      break;
    case Act::Up:
      click("btnMoveUp");
      break;
    case Act::Down:
      click("btnMoveDown");
      break;
    case Act::SortAZ:
      click("btnSortAZ");
      break;
    case Act::SortZA:
      click("btnSortZA");
      break;
    case Act::SizeHeader:
      page->lvPicsColumnClick(1);
      break;
    case Act::ClearYes:
      prompts.answers = {Answer::Yes};
      click("btnClearList");
      break;
    case Act::ClearNo:
      prompts.answers = {Answer::No};
      click("btnClearList");
      break;
  }
  EXPECT_EQ(Names(page->lvPics), c.names);
  EXPECT_EQ(page->selected(), c.selectedAfter);
  EXPECT_EQ(label("lblImageCount"), c.count);
  EXPECT_EQ(page->edtShortTitle->isEnabled(), c.selectedAfter >= 0);
  if (c.act == Act::ClearYes || c.act == Act::ClearNo)
    EXPECT_EQ(prompts.texts("askYesNo"),
              QStringList{QStringLiteral("Clear all items in the image list?")});
  else
    EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());
}

const QStringList kAdded = {"b.jpg", "A.jpg", "c.jpg", "d.jpg", "e.jpg"};
const QString kFive = QStringLiteral("5 images in the list");
const QString kFour = QStringLiteral("4 images in the list");

INSTANTIATE_TEST_SUITE_P(
    PicturesPage, ListOps,
    ::testing::Values(
        ListCase{"DeleteLastSelectsNewLast",
                 4,
                 Act::Delete,
                 {"b.jpg", "A.jpg", "c.jpg", "d.jpg"},
                 3,
                 kFour},
        ListCase{"DeleteMiddleSelectsNext",
                 1,
                 Act::Delete,
                 {"b.jpg", "c.jpg", "d.jpg", "e.jpg"},
                 1,
                 kFour},
        ListCase{"DeleteWithoutSelection", -1, Act::Delete, kAdded, -1, kFive},
        ListCase{"UpFirstDoesNothing", 0, Act::Up, kAdded, 0, kFive},
        ListCase{"DownLastDoesNothing", 4, Act::Down, kAdded, 4, kFive},
        ListCase{"UpMoves", 2, Act::Up, {"b.jpg", "c.jpg", "A.jpg", "d.jpg", "e.jpg"}, 1, kFive},
        ListCase{
            "DownMoves", 0, Act::Down, {"A.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}, 1, kFive},
        ListCase{"SortAZKeepsSelectionOnItsRecord",
                 0,
                 Act::SortAZ,
                 {"A.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"},
                 1,
                 kFive},
        ListCase{"SortZA", 0, Act::SortZA, {"e.jpg", "d.jpg", "c.jpg", "b.jpg", "A.jpg"}, 3, kFive},
        ListCase{"SizeHeaderSortsAsText",
                 4,
                 Act::SizeHeader,
                 {"A.jpg", "e.jpg", "c.jpg", "d.jpg", "b.jpg"},
                 1,
                 kFive},
        ListCase{"ClearYes", 2, Act::ClearYes, {}, -1, QStringLiteral("0 images in the list")},
        ListCase{"ClearNo", 2, Act::ClearNo, kAdded, 2, kFive}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(PicturesTest, ClearOnAnEmptyListAsksNothing) {
  click("btnClearList");
  EXPECT_TRUE(prompts.calls.empty());
  EXPECT_FALSE(page->edtShortTitle->isEnabled());
}

TEST_F(PicturesTest, TitlesGoIntoTheRecordTheyWereFilledFrom) {
  add({ToQ(jpeg("a.jpg")), ToQ(jpeg("b.jpg"))});
  page->select(0);
  page->edtShortTitle->setText(QStringLiteral("First short"));
  page->editLongTitle->setText(QStringLiteral("First long"));
  page->select(1);  // selecting another record commits the typed titles first
  EXPECT_EQ(window->project().pictures[0].ShortTitle, "First short");
  EXPECT_EQ(window->project().pictures[0].LongTitle, "First long");
  EXPECT_EQ(page->edtShortTitle->text(), QStringLiteral("b.jpg"));
  page->edtShortTitle->setText(QStringLiteral("Second"));
  click("btnMoveUp");  // a list operation commits too, into the record it was typed for
  EXPECT_EQ(window->project().pictures[0].ShortTitle, "Second");
  EXPECT_EQ(window->project().pictures[0].FileName, "b.jpg");
  EXPECT_EQ(page->edtShortTitle->text(), QStringLiteral("Second"));
}

TEST_F(PicturesTest, ListKeysBelongToTheListOnly) {
  EXPECT_EQ(page->itemAddPicture->shortcutContext(), Qt::WidgetShortcut);
  EXPECT_EQ(page->itemAddPicture->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Insert));
  EXPECT_EQ(page->itemDeletePicture->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
  EXPECT_EQ(page->itemDeletePicture->text(), QStringLiteral("&Delete Picture "));
  EXPECT_TRUE(page->lvPics->actions().contains(page->itemAddPicture));
}

}  // namespace
}  // namespace qg::app::test
