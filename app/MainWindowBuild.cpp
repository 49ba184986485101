// The main window's gallery build, View Gallery and the browser; see MainWindow.h.
//
// The build runs on the worker over a copy of the project, so the window stays usable and edits
// made meanwhile cannot reach it. Its progress and texts come back as queued calls; the end
// (buildFinished) reads the result the worker left behind.
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <climits>
#include <filesystem>

#include "MainWindow.h"
#include "gallery/BuildRecord.h"
#include "gallery/OutputPlan.h"
#include "pages/CreatePage.h"
#include "pages/OptionsPage.h"
#include "pages/TargetFoldersPage.h"
#include "pages/UploadPage.h"
#include "support/ErrorDisplay.h"
#include "support/Text.h"
#include "support/WorkerRunner.h"

namespace qg::app {
namespace {

const QString kViewQuestion =
    QStringLiteral("The gallery has been created.  Would you like to view it now?");
const QString kNothingToView =
    QStringLiteral("Please add some pictures before viewing the gallery (Project Step 2).");

// Forwards the build's calls to the worker's reporter, which queues them to the window.
class ReportingObserver : public qg::BuildObserver {
 public:
  explicit ReportingObserver(qg::WorkReporter& reporter) : reporter_(reporter) {}
  void OnProgress(size_t position, size_t maximum) override {
    reporter_.Progress(position, maximum);
  }
  void OnText(const std::string& text) override { reporter_.Phase(text); }

 private:
  qg::WorkReporter& reporter_;
};

int ClampToInt(qulonglong value) { return static_cast<int>(std::min<qulonglong>(value, INT_MAX)); }

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

bool MainWindow::checkBeforeBuild(qg::BuildRequest& request) {
  const qg::GalleryOptions& o = project_.options;
  request = {};
  request.kind = prefs_.blOnlyRemakeChanged ? qg::BuildKind::Incremental : qg::BuildKind::Full;
  if (project_.pictures.empty()) {
    prompts_.inform(QString::fromLatin1(qg::kNoPicturesMessage));
    return false;
  }
  // A relative folder would depend on where the program was started.
  if (!o.editDestFolder.empty() && o.editDestFolder.front() != '/') {
    ShowError(prompts_, QStringLiteral("The destination folder \"%1\" is not a full path.  Please "
                                       "choose the folder to write the gallery into (Target "
                                       "Folders tab).")
                            .arg(ToQ(o.editDestFolder)));
    return false;
  }
  // The builder refuses these with its own message; nothing can be planned for them.
  if (o.editDestFolder.empty() || o.spinColumns < 1 || o.spinRows < 1) return true;
  if (o.OverwritePrompt) {
    const size_t replaced =
        qg::ExistingGalleryOutputs(qg::PlanGalleryOutputs(project_, WithSlash(o.editDestFolder)))
            .size();
    if (replaced > 0 &&
        prompts_.askYesNo(QStringLiteral("%1 files in the destination folder will be replaced.  "
                                         "Do you want to go on?")
                              .arg(replaced)) != Answer::Yes)
      return false;
  }
  // An incremental build removes them anyway; a full one when the user agrees.
  if (o.chkClearTarget && request.kind == qg::BuildKind::Full &&
      qg::HasBuildRecord(o.editDestFolder)) {
    const size_t count = qg::LeftOverGalleryFiles(project_).size();
    if (count > 0) {
      const QString question = count == 1
                                   ? QStringLiteral(
                                         "1 file that an earlier build wrote into the destination "
                                         "folder is not part of this gallery any more.  Remove it?")
                                   : QStringLiteral(
                                         "%1 files that earlier builds wrote into the destination "
                                         "folder are not part of this gallery any more.  Remove "
                                         "them?")
                                         .arg(count);
      switch (prompts_.askYesNoCancel(question)) {
        case Answer::Yes:
          request.clearLeftOvers = true;
          break;
        case Answer::No:
          break;
        case Answer::Cancel:
          return false;
      }
    }
  }
  return true;
}

void MainWindow::setBuildingState(bool building) {
  building_ = building;
  createPage_->SetCreateControlsEnabled(!building);
  createPage_->btnStop->setEnabled(building);
  for (const char* name : {"CreatePages1", "ViewPages1"})
    if (auto* action = findChild<QAction*>(QString::fromLatin1(name)))
      action->setEnabled(!building);
  uploadPage_->btnStartFTPUpload->setEnabled(!building);
  if (!building) {
    createPage_->lblCreateProgress->setText(QStringLiteral("Ready"));
    createPage_->pbCreateProgress->setRange(0, 1);
    createPage_->pbCreateProgress->setValue(0);
  }
}

void MainWindow::btnCreatePagesClick() {
  if (building_ || worker_->running()) return;  // one long operation at a time
  Guarded(prompts_, [&] {
    commitTitles();
    emit createGalleryRequested();
    qg::BuildRequest request;
    if (!checkBeforeBuild(request)) {
      FCreateAndView = false;
      return;
    }
    auto result = std::make_shared<qg::BuildResult>();
    const unsigned jobs = buildJobs_;
    qg::PictureTools tools = buildTools_ ? *buildTools_ : qg::PictureTools::Standard();
    qg::LongWork work = [snapshot = project_, result, jobs, tools = std::move(tools), request](
                            const qg::StopToken& stop, qg::WorkReporter& reporter) {
      qg::GalleryBuilder builder(jobs, tools);
      ReportingObserver observer(reporter);
      *result = builder.Build(snapshot, &observer, stop, request);
    };
    QProgressBar* bar = createPage_->pbCreateProgress;
    bar->setRange(0, std::max<int>(1, static_cast<int>(project_.pictures.size()) - 1));
    bar->setValue(0);
    buildConnections_ = {
        connect(worker_, &WorkerRunner::progress, this,
                [bar](qulonglong position, qulonglong maximum) {
                  bar->setRange(0, std::max(1, ClampToInt(maximum)));  // never the busy bar
                  bar->setValue(std::min(ClampToInt(position), bar->maximum()));
                }),
        connect(worker_, &WorkerRunner::phase, createPage_->lblCreateProgress, &QLabel::setText),
        connect(worker_, &WorkerRunner::finished, this, &MainWindow::buildFinished)};
    if (!worker_->start(std::move(work))) {
      for (const auto& c : buildConnections_) disconnect(c);
      buildConnections_.clear();
      FCreateAndView = false;
      return;
    }
    buildResult_ = std::move(result);
    setBuildingState(true);
  });
}

void MainWindow::buildFinished(const QString& error) {
  for (const auto& c : buildConnections_) disconnect(c);
  buildConnections_.clear();
  const std::shared_ptr<qg::BuildResult> result = std::move(buildResult_);
  const bool view = FCreateAndView;
  FCreateAndView = false;
  setBuildingState(false);
  optionsPage_->targetFolders->refresh();  // the build made or updated the record

  if (!error.isEmpty()) {
    ShowError(prompts_, error);
  } else if (result) {
    switch (result->outcome) {
      case qg::BuildOutcome::Built:
        built_ = {result->destFolder, result->uploadList};
        break;
      case qg::BuildOutcome::NoPictures:
        prompts_.inform(ToQ(result->message));
        break;
      case qg::BuildOutcome::Refused:
      case qg::BuildOutcome::Failed:
        ShowError(prompts_, ToQ(result->message));
        break;
    }
  }
  if (closeAfterBuild_) {
    closeAfterBuild_ = false;
    close();
    return;
  }
  if (error.isEmpty() && result && result->outcome == qg::BuildOutcome::Built) {
    Guarded(prompts_, [&] {
      if (view || prompts_.askYesNo(kViewQuestion) == Answer::Yes)
        OpenInBrowser(ToQ(result->destFolder) + QStringLiteral("index.html"));
    });
  }
}

void MainWindow::btnViewPagesClick() {
  Guarded(prompts_, [&] {
    const std::string index = WithSlash(project_.options.editDestFolder) + "index.html";
    std::error_code ec;
    if (project_.options.editDestFolder.empty() || !std::filesystem::is_regular_file(index, ec)) {
      prompts_.inform(kNothingToView);
      return;
    }
    OpenInBrowser(ToQ(index));
  });
}

void MainWindow::btnStopClick() {
  if (!building_) return;
  createPage_->btnStop->setEnabled(false);  // pressed once is enough
  worker_->stop();
}

void MainWindow::OpenInBrowser(const QString& target) {
  Guarded(prompts_, [&] {
    if (prompts_.openUrl(target)) return;
    if (prompts_.askYesNo(QStringLiteral("Your Web Browser could not be found.\nWould you like "
                                         "to locate the file yourself?")) != Answer::Yes)
      return;
    const QString browser =
        prompts_.chooseOpenFile(QStringLiteral("Locate Web Browser"), QString(), QString());
    if (browser.isEmpty()) return;
    if (!prompts_.startProgram(browser, target))
      ShowError(prompts_, QStringLiteral("The program \"%1\" could not be started")
                              .arg(QFileInfo(browser).fileName()));
  });
}

}  // namespace qg::app
