// The window's gallery build: the build on the worker with its outcomes and messages, the view
// question, create-and-view, Stop, an error part-way, closing during a build, the overwrite
// question, View Gallery and the locate-a-browser fallback.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "MainWindowFixture.h"
#include "core/Error.h"
#include "pages/CreatePage.h"
#include "pages/PicturesPage.h"
#include "pages/UploadPage.h"
#include "support/ErrorDisplay.h"

namespace qg::app::test {
namespace {

namespace fs = std::filesystem;

const QString kViewQuestion =
    QStringLiteral("The gallery has been created.  Would you like to view it now?");

// Picture tools that hold the build at one picture until the test lets it go on.
struct Gate {
  std::atomic<bool> reached{false};
  std::atomic<bool> released{false};
};

class CreateGalleryTest : public MainWindowTest {
 public:
  // A window whose project holds `count` real pictures pic01.jpg ... and writes into "out".
  MainWindow& withPictures(int count) {
    MainWindow& w = open();
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "pic%02d.jpg", i);
      paths.push_back(jpeg(name, 40, 30));
    }
    w.picturesPage()->addPictures(paths);
    setDest(dir.file("out"));
    return w;
  }
  void setDest(const std::string& folder) {
    find<QLineEdit>("editDestFolder")->setText(ToQ(folder));
  }
  std::string out(const std::string& name = {}) { return dir.file("out") + "/" + name; }

  // Processes events until the build has ended (or `until` holds).
  bool waitFor(const std::function<bool()>& until) {
    QDeadlineTimer deadline(20000);
    while (!until()) {
      if (deadline.hasExpired()) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  bool waitForBuild() {
    return waitFor([this] { return !window->building(); });
  }

  // Standard tools that wait at the picture named `name` until the gate opens.
  static qg::PictureTools GatedTools(Gate& gate, const std::string& name, bool fail = false) {
    qg::PictureTools tools = qg::PictureTools::Standard();
    auto resample = tools.resample;
    tools.resample = [&gate, name, fail, resample](const std::string& path,
                                                   const std::vector<qg::TargetSize>& sizes) {
      if (fs::path(path).filename() == name) {
        if (fail) throw qg::Error("damaged picture");
        gate.reached = true;
        while (!gate.released) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
      return resample(path, sizes);
    };
    return tools;
  }

  // Names of the files below "out" whose names contain `part`.
  std::vector<std::string> filesWith(const std::string& part) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(out()))
      if (e.path().filename().string().find(part) != std::string::npos)
        found.push_back(e.path().string());
    return found;
  }

  bool createEnabled() {
    return window->createPage()->btnCreatePages->isEnabled() &&
           window->findChild<QAction*>(QStringLiteral("CreatePages1"))->isEnabled();
  }
};

TEST_F(CreateGalleryTest, BuildKeepsFilesListAndFolderAndAsksToView) {
  for (const Answer answer : {Answer::No, Answer::Yes}) {
    SCOPED_TRACE(answer == Answer::Yes ? "Yes" : "No");
    prompts = ScriptedPrompts();
    MainWindow& w = withPictures(3);
    prompts.answers = {answer};
    w.btnCreatePagesClick();
    EXPECT_TRUE(w.building());
    ASSERT_TRUE(waitForBuild());
    EXPECT_EQ(prompts.texts("askYesNo"), QStringList{kViewQuestion});
    EXPECT_TRUE(prompts.texts("showError").isEmpty());
    EXPECT_EQ(w.builtGallery().folder, out());
    ASSERT_FALSE(w.builtGallery().uploadList.empty());
    for (const std::string& file : w.builtGallery().uploadList)
      EXPECT_TRUE(fs::is_regular_file(out(file))) << file;
    EXPECT_TRUE(fs::is_regular_file(out("index.html")));
    EXPECT_EQ(prompts.openedUrls,
              answer == Answer::Yes ? QStringList{ToQ(out("index.html"))} : QStringList{});
    // Idle again.
    EXPECT_EQ(label("lblCreateProgress"), QStringLiteral("Ready"));
    EXPECT_FALSE(w.createPage()->btnStop->isEnabled());
    EXPECT_TRUE(createEnabled());
    EXPECT_TRUE(w.uploadPage()->btnStartFTPUpload->isEnabled());
    EXPECT_GE(w.createPage()->pbCreateProgress->maximum(), 1);

    // The kept folder stays when the destination text changes afterwards.
    setDest(dir.file("elsewhere"));
    EXPECT_EQ(w.builtGallery().folder, out());
    window.reset();
  }
}

TEST_F(CreateGalleryTest, CreateAndViewOpensWithoutAskingAndIsClearedAlsoAfterAFailure) {
  struct Case {
    const char* name;
    std::string dest;  // empty: the default folder "out"
    bool built;
  };
  for (const Case& c : {Case{"built", "", true}, Case{"refused", " ", false},
                        Case{"relative", "relative/out", false}}) {
    SCOPED_TRACE(c.name);
    prompts = ScriptedPrompts();
    MainWindow& w = withPictures(2);
    if (!c.dest.empty()) setDest(c.dest == " " ? std::string() : c.dest);
    const std::string picture = jpeg("late.jpg", 40, 30);
    prompts.files = {{ToQ(picture)}};
    w.setHintRunner([](const MainWindow::HintTexts& texts) {
      EXPECT_EQ(texts.action, QStringLiteral("Create and view my gallery now"));
      return MainWindow::HintOutcome{true, true};
    });
    w.btnAddPicClick();  // adds, shows the hint, whose action starts the build
    EXPECT_EQ(w.currentStep(), 3);
    ASSERT_TRUE(waitForBuild());
    EXPECT_FALSE(w.createAndView());
    EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());  // never the view question
    EXPECT_EQ(prompts.openedUrls, c.built ? QStringList{ToQ(out("index.html"))} : QStringList{});
    EXPECT_EQ(prompts.texts("showError").size(), c.built ? 0 : 1);
    window.reset();
  }
}

TEST_F(CreateGalleryTest, RefusedBuildsShowTheirMessagesAndWriteNothing) {
  struct Case {
    const char* name;
    std::function<void(CreateGalleryTest&, MainWindow&)> arrange;
    const char* kind;
    QString message;
  };
  const Case cases[] = {
      {"empty list", [](CreateGalleryTest&, MainWindow& w) { w.project().pictures.clear(); },
       "inform",
       QStringLiteral("Please add some pictures before creating the gallery (Project Step 2).")},
      {"zero grid", [](CreateGalleryTest&, MainWindow& w) { w.project().options.spinColumns = 0; },
       "showError",
       QStringLiteral("The index pages need between 1 and 100 columns and rows; the options give "
                      "0 columns and %1 rows. Please correct them on the Index Page tab.")},
      {"empty destination", [](CreateGalleryTest& t, MainWindow&) { t.setDest(""); }, "showError",
       QStringLiteral("Please choose the folder to write the gallery into (Target Folders tab).")},
      {"relative destination", [](CreateGalleryTest& t, MainWindow&) { t.setDest("gallery/out"); },
       "showError",
       QStringLiteral("The destination folder \"gallery/out\" is not a full path.  Please choose "
                      "the folder to write the gallery into (Target Folders tab).")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts = ScriptedPrompts();
    MainWindow& w = withPictures(2);
    c.arrange(*this, w);
    QString expected = c.message;
    if (expected.contains(QStringLiteral("%1")))
      expected = expected.arg(w.project().options.spinRows);
    w.btnCreatePagesClick();
    ASSERT_TRUE(waitForBuild());
    EXPECT_EQ(prompts.texts(QString::fromLatin1(c.kind)), QStringList{expected});
    EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());
    EXPECT_FALSE(fs::exists(out()));
    EXPECT_TRUE(w.builtGallery().folder.empty());
    EXPECT_TRUE(createEnabled());
    EXPECT_EQ(label("lblCreateProgress"), QStringLiteral("Ready"));
    window.reset();
  }
}

TEST_F(CreateGalleryTest, StopAtPictureThreeOfTenSkipsFourToNine) {
  MainWindow& w = withPictures(10);
  Gate gate;
  w.setBuildTools(GatedTools(gate, "pic03.jpg"), 1);
  prompts.answers = {Answer::No};
  w.btnCreatePagesClick();
  ASSERT_TRUE(waitFor([&] { return gate.reached.load(); }));
  // One long operation at a time.
  EXPECT_FALSE(createEnabled());
  EXPECT_FALSE(w.createPage()->btnViewPages->isEnabled());
  EXPECT_FALSE(w.findChild<QAction*>(QStringLiteral("ViewPages1"))->isEnabled());
  EXPECT_FALSE(w.uploadPage()->btnStartFTPUpload->isEnabled());
  EXPECT_TRUE(w.createPage()->btnStop->isEnabled());
  w.btnCreatePagesClick();  // ignored: no second build
  w.findChild<QAction*>(QStringLiteral("CreatePages1"))->trigger();
  click("btnStop");
  EXPECT_FALSE(w.createPage()->btnStop->isEnabled());  // pressed once is enough
  gate.released = true;
  ASSERT_TRUE(waitForBuild());
  EXPECT_EQ(prompts.texts("askYesNo"), QStringList{kViewQuestion});  // one build, one question
  for (int i = 1; i <= 10; ++i) {
    char part[16];
    std::snprintf(part, sizeof part, "pic%02d", i);
    SCOPED_TRACE(part);
    const bool skipped = i >= 4 && i <= 9;
    EXPECT_EQ(filesWith(part).empty(), skipped);
  }
  EXPECT_TRUE(fs::is_regular_file(out("index.html")));
  EXPECT_TRUE(createEnabled());
}

TEST_F(CreateGalleryTest, AnErrorPartWayIsShownAndLeavesTheWindowUsable) {
  MainWindow& w = withPictures(3);
  Gate gate;
  w.setBuildTools(GatedTools(gate, "pic02.jpg", true), 1);
  w.btnCreatePagesClick();
  ASSERT_TRUE(waitForBuild());
  const QStringList errors = prompts.texts("showError");
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors.front(),
            WithFullStop(
                QStringLiteral("Picture 2 (%1): damaged picture").arg(ToQ(dir.file("pic02.jpg")))));
  EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());
  EXPECT_EQ(label("lblCreateProgress"), QStringLiteral("Ready"));
  EXPECT_FALSE(w.createPage()->btnStop->isEnabled());
  EXPECT_TRUE(createEnabled());
  EXPECT_TRUE(w.uploadPage()->btnStartFTPUpload->isEnabled());
}

TEST_F(CreateGalleryTest, CloseDuringABuildStopsItThenAsksAboutSaving) {
  MainWindow& w = withPictures(5);
  w.show();
  Gate gate;
  w.setBuildTools(GatedTools(gate, "pic02.jpg"), 1);
  w.btnCreatePagesClick();
  ASSERT_TRUE(waitFor([&] { return gate.reached.load(); }));
  EXPECT_FALSE(w.close());  // not yet: the build is asked to stop
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(prompts.texts("askYesNoCancel").isEmpty());
  prompts.answers = {Answer::No};  // do not save
  gate.released = true;
  ASSERT_TRUE(waitFor([&] { return !w.isVisible(); }));
  EXPECT_EQ(prompts.texts("askYesNoCancel"),
            QStringList{QStringLiteral(
                "The current project has not been saved.  Would you like to save it now?")});
  EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());  // no view question on the way out
  EXPECT_TRUE(filesWith("pic03").empty());
  EXPECT_TRUE(fs::is_regular_file(out("index.html")));
}

TEST_F(CreateGalleryTest, OverwriteQuestionBeforeAnythingIsWritten) {
  MainWindow& w = withPictures(2);
  prompts.answers = {Answer::No};
  w.btnCreatePagesClick();
  ASSERT_TRUE(waitForBuild());
  const auto before = fs::last_write_time(out("index.html"));
  size_t written = 0;  // every file the first build wrote is replaced by the next
  for (const auto& e : fs::recursive_directory_iterator(out())) written += e.is_regular_file();
  find<QCheckBox>("chkOverwritePrompt")->setChecked(true);
  for (const Answer answer : {Answer::No, Answer::Yes}) {
    prompts.calls.clear();
    prompts.answers = {answer, Answer::No};
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    w.btnCreatePagesClick();
    ASSERT_TRUE(waitForBuild());
    const QStringList asked = prompts.texts("askYesNo");
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked.front(),
              QStringLiteral("%1 files in the destination folder will be replaced.  Do you want "
                             "to go on?")
                  .arg(written));
    EXPECT_EQ(fs::last_write_time(out("index.html")) == before, answer == Answer::No);
  }
}

TEST_F(CreateGalleryTest, ClearTargetAsksWithTheCountAndRemovesOnlyWhatEarlierBuildsWrote) {
  MainWindow& w = withPictures(3);
  QCheckBox* clear = find<QCheckBox>("chkClearTarget");
  EXPECT_FALSE(clear->isEnabled());  // nothing is known about the folder yet
  prompts.answers = {Answer::No};
  w.btnCreatePagesClick();
  ASSERT_TRUE(waitForBuild());
  EXPECT_TRUE(clear->isEnabled());
  fs::create_directories(out("old"));
  qg::test::WriteFile(out("notes.txt"), "mine");
  qg::test::WriteFile(out("old/page.html"), "mine too");

  // The thumbnails move to a sub-folder: the three in the folder itself are left over.
  find<QRadioButton>("rbSubThumb")->setChecked(true);
  find<QLineEdit>("editThumbnailSub")->setText(QStringLiteral("small"));
  clear->setChecked(true);
  const QString question = QStringLiteral(
      "3 files that earlier builds wrote into the destination folder are not part of this "
      "gallery any more.  Remove them?");
  for (const Answer answer : {Answer::Cancel, Answer::No, Answer::Yes}) {
    prompts.calls.clear();
    prompts.answers = {answer, Answer::No};
    w.btnCreatePagesClick();
    ASSERT_TRUE(waitForBuild());
    EXPECT_EQ(prompts.texts("askYesNoCancel"), QStringList{question});
    EXPECT_EQ(fs::exists(out("small/tn_pic01.jpg")), answer != Answer::Cancel);
    EXPECT_EQ(filesWith("tn_").size(),
              answer == Answer::Yes ? 3u : 6u - 3 * (answer == Answer::Cancel));
  }
  EXPECT_EQ(qg::test::ReadFile(out("notes.txt")), "mine");
  EXPECT_EQ(qg::test::ReadFile(out("old/page.html")), "mine too");

  // Nothing left over: no question.
  prompts.calls.clear();
  prompts.answers = {Answer::No};
  w.btnCreatePagesClick();
  ASSERT_TRUE(waitForBuild());
  EXPECT_EQ(prompts.texts("askYesNoCancel"), QStringList{});

  // Another folder has no record: the box is offered again only once a build wrote there.
  setDest(dir.file("other"));
  EXPECT_FALSE(clear->isEnabled());
}

TEST_F(CreateGalleryTest, OnlyRemakeWhatChangedIsAPreferenceThatMakesBuildsIncremental) {
  MainWindow& w = withPictures(2);
  QCheckBox* only = find<QCheckBox>("chkOnlyRemakeChanged");
  EXPECT_FALSE(only->isChecked());  // off by default
  prompts.answers = {Answer::No};
  w.btnCreatePagesClick();
  ASSERT_TRUE(waitForBuild());
  const auto thumb = fs::last_write_time(out("tn_pic01.jpg"));
  const auto page = fs::last_write_time(out("pic01.html"));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));

  only->setChecked(true);
  EXPECT_TRUE(w.preferences().blOnlyRemakeChanged);
  find<QCheckBox>("chkClearTarget")->setChecked(true);
  fs::remove(dir.file("pic02.jpg"));  // its files are left over; no question for that
  prompts.calls.clear();
  prompts.answers = {Answer::No};
  w.btnCreatePagesClick();
  ASSERT_TRUE(waitForBuild());
  EXPECT_EQ(prompts.texts("askYesNoCancel"), QStringList{});
  EXPECT_EQ(fs::last_write_time(out("tn_pic01.jpg")), thumb);  // not made again
  EXPECT_EQ(fs::last_write_time(out("pic01.html")), page);     // nor rewritten
  EXPECT_FALSE(fs::exists(out("tn_pic02.jpg")));
  EXPECT_FALSE(fs::exists(out("pic02.html")));

  // It outlives the window.
  window->close();
  window.reset();
  MainWindow& again = open();
  EXPECT_TRUE(again.preferences().blOnlyRemakeChanged);
  EXPECT_TRUE(find<QCheckBox>("chkOnlyRemakeChanged")->isChecked());
}

// The frame marker of a JPEG file: 0xC0 baseline, 0xC2 progressive; 0 when there is none.
int FrameMarker(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  std::vector<unsigned char> bytes(1 << 16);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  for (size_t i = 2; i + 3 < bytes.size();) {
    if (bytes[i] != 0xFF) return 0;
    const int marker = bytes[i + 1];
    if (marker == 0xC0 || marker == 0xC2) return marker;
    i += 2 + ((bytes[i + 2] << 8) | bytes[i + 3]);
  }
  return 0;
}

TEST_F(CreateGalleryTest, ProgressiveThumbnailsSetInTheQualityDialogReachTheNextBuild) {
  MainWindow& w = withPictures(1);
  prompts.dialogScript = [](QDialog& d) {
    d.findChild<QCheckBox*>(QStringLiteral("chkProgressive"))->setChecked(true);
    return int(QDialog::Accepted);
  };
  click("btnImageQuality");
  EXPECT_TRUE(w.project().options.blProgressiveThumb);
  EXPECT_FALSE(w.project().options.blProgressiveImage);
  prompts.answers = {Answer::No};
  w.btnCreatePagesClick();
  ASSERT_TRUE(waitForBuild());
  const auto& list = w.builtGallery().uploadList;
  const auto thumb = std::find(list.begin(), list.end(), "tn_pic01.jpg");
  const auto image = std::find(list.begin(), list.end(), "pic01.jpg");
  ASSERT_NE(thumb, list.end());
  ASSERT_NE(image, list.end());
  EXPECT_EQ(FrameMarker(out(*thumb)), 0xC2);
  EXPECT_EQ(FrameMarker(out(*image)), 0xC0);
}

TEST_F(CreateGalleryTest, CreateControlsShowWhatTheBuildDoes) {
  MainWindow& w = open();
  auto* html = find<QCheckBox>("chkCreateHTML");
  EXPECT_TRUE(html->isChecked());
  EXPECT_FALSE(html->isEnabled());
  EXPECT_FALSE(find<QCheckBox>("chkClearTarget")->isEnabled());
  w.createPage()->SetCreateControlsEnabled(true);
  EXPECT_FALSE(html->isEnabled());
  EXPECT_EQ(w.createPage()->pbCreateProgress->maximum(), 1);  // never Qt's busy bar
}

TEST_F(CreateGalleryTest, ViewGalleryOpensTheIndexOrSaysThereIsNone) {
  MainWindow& w = withPictures(1);
  w.btnViewPagesClick();
  EXPECT_EQ(prompts.texts("inform"),
            QStringList{QStringLiteral(
                "Please add some pictures before viewing the gallery (Project Step 2).")});
  fs::create_directories(out());
  std::FILE* f = std::fopen(out("index.html").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  w.btnViewPagesClick();
  EXPECT_EQ(prompts.openedUrls, QStringList{ToQ(out("index.html"))});
}

TEST_F(CreateGalleryTest, LocateABrowserWhenNoneIsFound) {
  const QString question = QStringLiteral(
      "Your Web Browser could not be found.\nWould you like to locate the file yourself?");
  struct Case {
    const char* name;
    Answer answer;
    QStringList chosen;
    bool startWorks;
    QStringList started;
    QStringList errors;
  };
  const Case cases[] = {
      {"declined", Answer::No, {}, true, {}, {}},
      {"chooser cancelled", Answer::Yes, {}, true, {}, {}},
      {"started",
       Answer::Yes,
       {QStringLiteral("/usr/bin/web")},
       true,
       {QStringLiteral("/usr/bin/web /tmp/g/index.html")},
       {}},
      {"start failed",
       Answer::Yes,
       {QStringLiteral("/usr/bin/web")},
       false,
       {QStringLiteral("/usr/bin/web /tmp/g/index.html")},
       {QStringLiteral("The program \"web\" could not be started.")}},
  };
  MainWindow& w = open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts = ScriptedPrompts();
    prompts.openUrlResult = false;
    prompts.startProgramResult = c.startWorks;
    prompts.answers = {c.answer};
    if (!c.chosen.isEmpty()) prompts.files = {c.chosen};
    w.OpenInBrowser(QStringLiteral("/tmp/g/index.html"));
    EXPECT_EQ(prompts.texts("askYesNo"), QStringList{question});
    EXPECT_EQ(prompts.texts("chooseOpenFile"),
              c.answer == Answer::Yes ? QStringList{QStringLiteral("Locate Web Browser")}
                                      : QStringList{});
    EXPECT_EQ(prompts.startedPrograms, c.started);
    EXPECT_EQ(prompts.texts("showError"), c.errors);
  }
}

}  // namespace
}  // namespace qg::app::test
