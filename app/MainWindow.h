// The main window: the frame with its link strip, header, step buttons and bottom buttons; the
// six-step machine; the menus; and the project flows (New, Open, Save, Save As, the question
// about unsaved changes, the command-line project, closing). It owns the open project and the
// preferences; the step pages are views of the project.
//
// Every question, note, chooser and error goes through the Prompts given to the constructor.
// Threading: GUI thread only.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gallery/GalleryBuilder.h"

#include "platform/FileLock.h"

#include "UploadRun.h"
#include "project/Preferences.h"
#include "project/Project.h"
#include "project/ProjectOpen.h"
#include "support/Prompts.h"

class QAction;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace qg::app {

class ProjectPage;
class PicturesPage;
class OptionsPage;
class CreatePage;
class UploadPage;
class SavePage;
class WorkerRunner;
class PictureViews;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kStepCount = 6;

  // What the first-use hint shows and how it was closed.
  struct HintTexts {
    QString para1, para2, para3, action;
  };
  struct HintOutcome {
    bool accepted = false;   // closed by the action button
    bool alwaysShow = true;  // "Always show this dialog " when it closed
  };
  using HintRunner = std::function<HintOutcome(const HintTexts&)>;

  // Runs the start-up sequence: preferences, a new project, the project named by the first of
  // `arguments` (the program's arguments without the program name), the hosting folder name.
  MainWindow(Prompts& prompts, const QStringList& arguments, QWidget* parent = nullptr);
  ~MainWindow() override;

  qg::Project& project() { return project_; }
  qg::Preferences& preferences() { return prefs_; }
  int currentStep() const { return FCurrentStep; }
  bool createAndView() const { return FCreateAndView; }
  // The changed-project rule, after committing typed titles.
  bool projectChanged();
  // Shows the first-use hint through `runner` (the hint dialog; tests pass a script).
  void setHintRunner(HintRunner runner) { hintRunner_ = std::move(runner); }

  ProjectPage* projectPage() const { return projectPage_; }
  PicturesPage* picturesPage() const { return picturesPage_; }
  OptionsPage* optionsPage() const { return optionsPage_; }
  CreatePage* createPage() const { return createPage_; }
  UploadPage* uploadPage() const { return uploadPage_; }
  SavePage* savePage() const { return savePage_; }
  WorkerRunner& worker() { return *worker_; }
  UploadRun& uploadRun() { return *upload_; }

  // The last finished build: the folder it wrote into and the files the gallery needs there,
  // relative to that folder. The upload reads the files from this folder, whatever the
  // destination text says by then.
  struct BuiltGallery {
    std::string folder;  // ends in "/"; empty before the first build
    std::vector<std::string> uploadList;
  };
  const BuiltGallery& builtGallery() const { return built_; }
  // A gallery build is running on the worker.
  bool building() const { return building_; }
  // The picture tools and job count of the next builds (tests watch or slow the imaging).
  void setBuildTools(qg::PictureTools tools, unsigned jobs) {
    buildTools_ = std::move(tools);
    buildJobs_ = jobs;
  }

 public slots:
  // The step machine.
  void ShowStep(int step);
  void btnNextClick();
  void btnPreviousClick();

  // Project flows.
  void btnNewProjectClick();
  void btnOpenProjectClick();
  bool SaveFlow();
  bool SaveAsFlow();
  Answer PromptSaveChanges();
  void UpdateWindowTitle();

  // Pictures.
  void btnAddPicClick();

  // Menus, help and links.
  void ResetHints1Click();
  void OnlineHelpClick();
  void OpenInBrowser(const QString& target);
  void lblWebLinkClick();
  void imgBackgroundsClick();
  void btnBackgroundBrowseIndexClick();
  void btnBackgroundBBrowseClick();

  // Hooks for the dialogs and the long work that later changes fill in.
  void btnProjectInfoClick();         // opens ProjectInfoDialog
  void btnAboutClick();               // opens AboutDialog
  void ShowTitlesIndex();             // opens IndexTitlesDialog on "Page Title"
  void btnThumbTitleMoreClick();      // opens IndexTitlesDialog on "Thumb Title"
  void btnThumbALTMoreClick();        // opens IndexTitlesDialog on "Thumb ALT Text"
  void btnPageTitleMoreImageClick();  // opens ImageTitlesDialog on "Page Title"
  void btnImageTitleMoreClick();      // opens ImageTitlesDialog on "Image Title"
  void btnImageALTClick();            // opens ImageTitlesDialog on "Image ALT Text"
  void btnNavAdvancedClick();         // opens NavigationDialog
  void btnImageQualityClick();        // opens QualityDialog on the thumbnail tab
  void btnImageQualityImageClick();   // opens QualityDialog on the image tab
  void btnShadowSettingsClick();      // opens ShadowDialog on the thumbnail tab
  void btnShadowImageClick();         // opens ShadowDialog on the image tab
  void btnPreviewThumbClick();        // makes the thumbnail preview, opens PreviewWindow
  void btnPreviewImageClick();        // makes the image preview, opens PreviewWindow
  void imgPreviewClick();             // opens PreviewWindow on the selected picture
  void btnRotateLClick();             // turns the small preview left
  void btnRotateRClick();             // turns the small preview right
  void btnDetailsClick();             // opens ImageDetailsWindow on the selected picture
  void btnFTPSettingsClick();         // opens FtpSettingsDialog
  void btnCreatePagesClick();         // runs the gallery build on the worker
  void btnViewPagesClick();           // opens the built gallery's index page
  void btnStopClick();                // asks the running build to stop
  void btnStartFTPUploadClick();      // runs the upload on the worker
  void btnEmailLinkClick();           // mails the gallery link

 signals:
  // The create hook was called (the first-use hint's action, the button, the menu).
  void createGalleryRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildFrame();
  void buildMenus();
  void connectPages();
  void ShowStepInstructions();
  // After New and Open: every page shows the project.
  void refreshAll();
  // Asks about unsaved changes when there are any; false when the flow must stop.
  bool maybeSave();
  void showFirstUseHint();
  // The gallery build (MainWindowBuild.cpp): what is checked before the worker starts, the
  // state of the controls while it runs, and the end.
  // The questions before a build; false when the user cancelled. Sets what kind of build it is.
  bool checkBeforeBuild(qg::BuildRequest& request);
  void setBuildingState(bool building);
  void buildFinished(const QString& error);
  // Runs an options dialog (`run` returns true on OK) and then shows the options anew.
  void runOptionsDialog(const std::function<bool()>& run);
  void openCommandLineProject(const QString& argument);
  void commitTitles();
  bool writePreferences();
  QString projectFolder() const;
  UploadRun::Built lastBuild() const;

  Prompts& prompts_;
  qg::Project project_;
  qg::Preferences prefs_;
  qg::ProjectBaseline baseline_;
  // The project file as it was on disk at the last Open or Save, to notice another program's
  // change before a save replaces it.
  qg::FileStamp diskStamp_;
  // The preferences as read from a damaged file (null when the reading went well).
  std::unique_ptr<qg::Preferences> damagedPrefs_;
  // Asks before a save replaces a project file that another program changed; true: go on.
  bool confirmOverwriteChangedFile();
  // Saves under the project's update lock and remembers the file as written.
  void saveLocked();
  void rememberDiskState();
  int FCurrentStep = 0;
  bool FCreateAndView = false;
  HintRunner hintRunner_;
  QString pictureFolder_;  // where the picture dialog opens: the folder of the last Add

  QLabel* lblInstructionA_ = nullptr;
  QLabel* lblInstructionB_ = nullptr;
  QStackedWidget* steps_ = nullptr;
  std::array<QToolButton*, kStepCount> stepButtons_{};
  QPushButton* btnPrevious_ = nullptr;
  QPushButton* btnNext_ = nullptr;
  QPushButton* btnClose_ = nullptr;
  ProjectPage* projectPage_ = nullptr;
  PicturesPage* picturesPage_ = nullptr;
  OptionsPage* optionsPage_ = nullptr;
  CreatePage* createPage_ = nullptr;
  UploadPage* uploadPage_ = nullptr;
  SavePage* savePage_ = nullptr;
  WorkerRunner* worker_ = nullptr;

  BuiltGallery built_;
  bool building_ = false;
  bool closeAfterBuild_ = false;  // the window was closed during the build
  std::shared_ptr<qg::BuildResult> buildResult_;
  std::optional<qg::PictureTools> buildTools_;
  unsigned buildJobs_ = 0;
  std::vector<QMetaObject::Connection> buildConnections_;
  std::unique_ptr<PictureViews> views_;  // previews, rotation, details
  std::unique_ptr<UploadRun> upload_;    // the upload page's runs
};

}  // namespace qg::app
