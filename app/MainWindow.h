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
  void openCommandLineProject(const QString& argument);
  void commitTitles();
  bool writePreferences();
  QString projectFolder() const;
  UploadRun::Built lastBuild() const;

  Prompts& prompts_;
  qg::Project project_;
  qg::Preferences prefs_;
  qg::ProjectBaseline baseline_;
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
  std::unique_ptr<PictureViews> views_;  // previews, rotation, details
  std::unique_ptr<UploadRun> upload_;    // the upload page's runs
};

}  // namespace qg::app
