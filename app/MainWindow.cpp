// The main window; see MainWindow.h.
#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include "PictureViews.h"
#include "UploadRun.h"
#include "codecs/Decode.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/FtpSettingsDialog.h"
#include "dialogs/HintDialog.h"
#include "dialogs/ImageTitlesDialog.h"
#include "dialogs/IndexTitlesDialog.h"
#include "dialogs/NavigationDialog.h"
#include "dialogs/ProjectInfoDialog.h"
#include "dialogs/QualityDialog.h"
#include "dialogs/ShadowDialog.h"
#include "pages/Controls.h"
#include "pages/CreatePage.h"
#include "pages/ImagesPage.h"
#include "pages/ImagesPagePage.h"
#include "pages/IndexPagePage.h"
#include "pages/OptionsPage.h"
#include "pages/PicturesPage.h"
#include "pages/ProjectPage.h"
#include "pages/SavePage.h"
#include "pages/ThumbnailsPage.h"
#include "pages/TitlesPage.h"
#include "pages/UploadPage.h"
#include "platform/Folders.h"
#include "project/ProjectFile.h"
#include "project/Settings.h"
#include "publish/Deployment.h"
#include "publish/ServiceFolder.h"
#include "support/AppIcon.h"
#include "support/BusyCursor.h"
#include "support/ErrorDisplay.h"
#include "support/StandardIcon.h"
#include "support/Text.h"
#include "support/WorkerRunner.h"

namespace qg::app {
namespace {

struct Step {
  const char* button;   // objectName of the step button
  const char* caption;  // step button caption
  const char* title;    // lblInstructionA
  const char* text;     // lblInstructionB
  QStyle::StandardPixmap icon;
};

const std::array<Step, MainWindow::kStepCount> kSteps = {{
    {"btnStepProject", "1. Project Details", "1. New Project",
     "Create a new project by clicking the 'New Project' button.  You can start adding pictures "
     "immediately.  Open a previously saved project file by clicking the 'Open Project...' "
     "button and choosing your saved project.  ",
     QStyle::SP_FileDialogNewFolder},
    {"btnStepPictures", "2. Add Pictures", "2. Add Pictures",
     "Click the 'Add...' button and choose pictures that you'd like to add to your gallery.  Use "
     "the Up and Down buttons to sort your images.  Add short or long titles to each image by "
     "entering descriptions into the boxes.",
     QStyle::SP_FileDialogContentsView},
    {"btnStepOptions", "3. Gallery Options", "3. Gallery Options",
     "Here you can specify the thumbnail size, border and drop shadow settings for thumbnails.  "
     "You can also choose to display thumbnail captions and alter the index and image page "
     "attributes.",
     QStyle::SP_FileDialogDetailedView},
    {"btnStepCreate", "4. Create Gallery", "4. Create Gallery",
     "Click the Create or View buttons to create and view your Quillon Gallery.  During create, "
     "you can click the Stop button at any time to halt gallery creation.",
     QStyle::SP_MediaPlay},
    {"btnStepUpload", "5. Upload Gallery", "5. Upload Gallery",
     "Click the Start File Upload button to upload your gallery.  You can upload to the Quillon "
     "Gallery server or use your own web site by entering FTP Settings for your web site.",
     QStyle::SP_ArrowUp},
    {"btnStepSave", "6. Save", "6. Save Project",
     "Click the Save Project button to save your Quillon Gallery project.  Click Save Project As "
     "to save with a new name.",
     QStyle::SP_DialogSaveButton},
}};

const QString kProjectFilter = QStringLiteral("Thumbnail Projects (*.tnp *.TNP)");
constexpr const char kUntitled[] = "untitled.tnp";

// Every picture format the decoders accept, in both letter cases.
QString PictureFilter() {
  QStringList patterns;
  for (const std::string& ext : qg::AcceptedExtensions()) {
    const QString e = ToQ(ext);
    patterns << QStringLiteral("*.") + e << QStringLiteral("*.") + e.toUpper();
  }
  return QStringLiteral("Pictures (") + patterns.join(u' ') + QStringLiteral(");;All files (*)");
}

QString FileNamePart(const std::string& path) { return QFileInfo(ToQ(path)).fileName(); }

QLabel* Heading(const QString& text) {
  auto* label = new QLabel(text);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

}  // namespace

MainWindow::MainWindow(Prompts& prompts, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts) {
  setObjectName(QStringLiteral("TfmMain"));
  setWindowTitle(QStringLiteral(" Quillon Gallery"));
  setWindowIcon(AppIcon());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  worker_ = new WorkerRunner(this);
  hintRunner_ = [this](const HintTexts& texts) {
    HintOutcome outcome;
    qg::app::HintTexts shownTexts;
    shownTexts.paragraph1 = texts.para1;
    shownTexts.paragraph2 = texts.para2;
    shownTexts.paragraph3 = texts.para3;
    shownTexts.actionCaption = texts.action;
    const qg::app::HintOutcome shown =
        RunHintDialog(this, prompts_, shownTexts, [&] { outcome.accepted = true; });
    outcome.alwaysShow = shown.alwaysShow;
    return outcome;
  };

  buildFrame();
  buildMenus();
  views_ = std::make_unique<PictureViews>(this, prompts_, project_, *picturesPage_);
  upload_ = std::make_unique<UploadRun>(this, prompts_, prefs_, *uploadPage_, *worker_,
                                        [this] { return lastBuild(); });
  connectPages();

  Guarded(prompts_, [&] {
    qg::SettingsReading reading;
    qg::LoadSettings(prefs_, &reading);
    // A damaged file is read as far as it goes; the user hears of it once, here.
    const std::string warning = qg::SettingsReadingWarning(reading);
    if (!warning.empty()) {
      ShowError(prompts_, ToQ(warning));
      damagedPrefs_ = std::make_unique<qg::Preferences>(prefs_);
    }
  });
  picturesPage_->clearPreview();
  FCurrentStep = 0;
  ShowStep(0);
  optionsPage_->ShowOptionPage(OptionsPage::Target);

  qg::NewProjectDefaults(project_, prefs_);
  baseline_.Reset(project_);
  refreshAll();

  if (!arguments.isEmpty()) openCommandLineProject(arguments.front());

  Guarded(prompts_, [&] {
    // The name is stored at once, so the folder it names on the service is never lost.
    if (!damagedPrefs_ && qg::EnsureServiceFolderName(prefs_)) writePreferences();
  });
  uploadPage_->chkUseCorvaneServer->setChecked(prefs_.blUseCorvaneServer);
  createPage_->chkOnlyRemakeChanged->setChecked(prefs_.blOnlyRemakeChanged);
  connect(createPage_->chkOnlyRemakeChanged, &QCheckBox::toggled, this,
          [this](bool on) { prefs_.blOnlyRemakeChanged = on; });

  // A fixed window: the design size, or more when the system font needs it.
  const QSize design(672, 460 + menuBar()->sizeHint().height());
  setFixedSize(sizeHint().expandedTo(design));
}

MainWindow::~MainWindow() = default;

void MainWindow::buildFrame() {
  auto* central = new QWidget;
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);

  // The link strip, with the vendor's address at its right.
  auto* strip = new QWidget;
  auto* stripLayout = new QHBoxLayout(strip);
  stripLayout->setContentsMargins(8, 2, 8, 2);
  QString site = ToQ(qg::VendorSite());
  const QString shown =
      QString(site).remove(QStringLiteral("https://")).remove(QStringLiteral("http://"));
  auto* link =
      Named(new QLabel(QStringLiteral("<a href=\"home\">%1</a>").arg(shown.toHtmlEscaped())),
            "lblWebLink", shown);
  link->setTextFormat(Qt::RichText);  // our own address, not text from a file
  link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  link->setCursor(Qt::PointingHandCursor);
  connect(link, &QLabel::linkActivated, this, &MainWindow::lblWebLinkClick);
  stripLayout->addStretch(1);
  stripLayout->addWidget(link);
  outer->addWidget(strip);

  // The white header: step title and instructions, the logo at the right.
  auto* header = new QFrame;
  header->setObjectName(QStringLiteral("pnlHeader"));
  header->setAutoFillBackground(true);
  QPalette white = header->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  header->setPalette(white);
  header->setMinimumHeight(74);
  lblInstructionA_ = Named(Heading(QString()), "lblInstructionA", QStringLiteral("Step"));
  lblInstructionB_ = Named(new QLabel, "lblInstructionB", QStringLiteral("Instructions"));
  lblInstructionB_->setWordWrap(true);
  lblInstructionB_->setMinimumWidth(415);
  auto* headerText = new QVBoxLayout;
  headerText->addWidget(lblInstructionA_);
  headerText->addWidget(lblInstructionB_, 1);
  auto* logo = new QLabel;
  logo->setPixmap(AppIcon().pixmap(56, 56));
  auto* headerLayout = new QHBoxLayout(header);
  headerLayout->setContentsMargins(12, 6, 12, 6);
  headerLayout->addLayout(headerText, 1);
  headerLayout->addWidget(logo);
  outer->addWidget(header);

  // The left panel: the steps, then help and support.
  auto* panel = new QWidget;
  panel->setObjectName(QStringLiteral("pnlSteps"));
  panel->setMinimumWidth(153);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->addWidget(Heading(QStringLiteral("Project Steps")));
  auto* stepGroup = new QButtonGroup(this);
  for (int i = 0; i < kStepCount; ++i) {
    const Step& s = kSteps[static_cast<size_t>(i)];
    auto* b = Named(new QToolButton, s.button, QString::fromLatin1(s.caption));
    b->setText(QString::fromLatin1(s.caption));
    SetStandardIconLater(b, s.icon);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setCheckable(true);
    b->setAutoRaise(true);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    stepGroup->addButton(b, i);
    panelLayout->addWidget(b);
    stepButtons_[static_cast<size_t>(i)] = b;
    connect(b, &QToolButton::clicked, this, [this, i] {
      FCurrentStep = i;
      ShowStep(i);
    });
  }
  panelLayout->addSpacing(12);
  panelLayout->addWidget(Heading(QStringLiteral("Help and Support")));
  const auto helpButton = [](const char* name, const QString& caption,
                             QStyle::StandardPixmap icon) {
    auto* b = Named(new QToolButton, name, caption);
    b->setText(caption);
    SetStandardIconLater(b, icon);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
  };
  QToolButton* btnOnlineHelp =
      helpButton("btnOnlineHelp", QStringLiteral("Online Help"), QStyle::SP_DialogHelpButton);
  QToolButton* btnAbout =
      helpButton("btnAbout", QStringLiteral("About"), QStyle::SP_MessageBoxInformation);
  panelLayout->addWidget(btnOnlineHelp);
  panelLayout->addWidget(btnAbout);
  panelLayout->addStretch(1);
  connect(btnOnlineHelp, &QToolButton::clicked, this, &MainWindow::OnlineHelpClick);
  connect(btnAbout, &QToolButton::clicked, this, &MainWindow::btnAboutClick);

  // The step pages.
  projectPage_ = new ProjectPage;
  picturesPage_ = new PicturesPage(project_, prompts_);
  optionsPage_ = new OptionsPage(project_, prompts_);
  createPage_ = new CreatePage(project_);
  uploadPage_ = new UploadPage;
  savePage_ = new SavePage;
  steps_ = Named(new QStackedWidget, "pgSteps", QStringLiteral("Step page"));
  for (QWidget* page : std::initializer_list<QWidget*>{projectPage_, picturesPage_, optionsPage_,
                                                       createPage_, uploadPage_, savePage_})
    steps_->addWidget(page);

  auto* middle = new QHBoxLayout;
  middle->setContentsMargins(0, 0, 8, 0);
  middle->addWidget(panel);
  middle->addWidget(steps_, 1);
  outer->addLayout(middle, 1);

  // The bottom strip.
  auto* line = new QFrame;
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  outer->addWidget(line);
  btnPrevious_ = MakeButton("btnPrevious", QStringLiteral("< &Previous"));
  btnNext_ = MakeButton("btnNext", QStringLiteral("Ne&xt >"));
  btnClose_ = MakeButton("btnClose", QStringLiteral("&Close"));
  auto* bottom = new QHBoxLayout;
  bottom->setContentsMargins(8, 6, 8, 8);
  bottom->addStretch(1);
  bottom->addWidget(btnPrevious_);
  bottom->addWidget(btnNext_);
  bottom->addSpacing(12);
  bottom->addWidget(btnClose_);
  outer->addLayout(bottom);
  connect(btnPrevious_, &QPushButton::clicked, this, &MainWindow::btnPreviousClick);
  connect(btnNext_, &QPushButton::clicked, this, &MainWindow::btnNextClick);
  connect(btnClose_, &QPushButton::clicked, this, &QWidget::close);

  setCentralWidget(central);
}

void MainWindow::buildMenus() {
  const auto item = [this](QMenu* menu, const char* name, const QString& caption, auto slot) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("File1"));
  item(file, "New1", QStringLiteral("&New"), &MainWindow::btnNewProjectClick);
  item(file, "Open1", QStringLiteral("&Open..."), &MainWindow::btnOpenProjectClick)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  item(file, "Save1", QStringLiteral("&Save"), &MainWindow::SaveFlow)
      ->setShortcuts(
          {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_S)});
  item(file, "SaveAs1", QStringLiteral("Save &As..."), &MainWindow::SaveAsFlow);
  file->addSeparator();
  item(file, "Exit1", QStringLiteral("Exit"), &QWidget::close);

  QMenu* gallery = menuBar()->addMenu(QStringLiteral("&Gallery"));
  gallery->setObjectName(QStringLiteral("Gallery1"));
  item(gallery, "CreatePages1", QStringLiteral("Create Gallery"), &MainWindow::btnCreatePagesClick);
  item(gallery, "ViewPages1", QStringLiteral("View Gallery"), &MainWindow::btnViewPagesClick);

  QMenu* options = menuBar()->addMenu(QStringLiteral("Op&tions"));
  options->setObjectName(QStringLiteral("Options1"));
  item(options, "ResetHints1", QStringLiteral("Reset Hints..."), &MainWindow::ResetHints1Click);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("Help1"));
  item(help, "OnlineHelp1", QStringLiteral("Online Help"), &MainWindow::OnlineHelpClick);
  help->addSeparator();
  item(help, "About1", QStringLiteral("&About..."), &MainWindow::btnAboutClick);
}

void MainWindow::connectPages() {
  connect(projectPage_->btnNewProject, &QPushButton::clicked, this,
          &MainWindow::btnNewProjectClick);
  connect(projectPage_->btnOpenProject, &QPushButton::clicked, this,
          &MainWindow::btnOpenProjectClick);
  connect(projectPage_->btnProjectInfo, &QPushButton::clicked, this,
          &MainWindow::btnProjectInfoClick);
  connect(projectPage_->imgLogo, &QToolButton::clicked, this, &MainWindow::lblWebLinkClick);

  connect(picturesPage_, &PicturesPage::addRequested, this, &MainWindow::btnAddPicClick);
  connect(picturesPage_, &PicturesPage::previewClicked, this, &MainWindow::imgPreviewClick);
  connect(picturesPage_->btnRotateL, &QPushButton::clicked, this, &MainWindow::btnRotateLClick);
  connect(picturesPage_->btnRotateR, &QPushButton::clicked, this, &MainWindow::btnRotateRClick);
  connect(picturesPage_->btnDetails, &QPushButton::clicked, this, &MainWindow::btnDetailsClick);

  TitlesPage* titles = optionsPage_->titles;
  connect(titles->btnPageTitleMore, &QPushButton::clicked, this, &MainWindow::ShowTitlesIndex);
  connect(titles->btnThumbTitleMore, &QPushButton::clicked, this,
          &MainWindow::btnThumbTitleMoreClick);
  connect(titles->btnThumbALTMore, &QPushButton::clicked, this, &MainWindow::btnThumbALTMoreClick);
  connect(titles->btnPageTitleMoreImage, &QPushButton::clicked, this,
          &MainWindow::btnPageTitleMoreImageClick);
  connect(titles->btnImageTitleMore, &QPushButton::clicked, this,
          &MainWindow::btnImageTitleMoreClick);
  connect(titles->btnImageALT, &QPushButton::clicked, this, &MainWindow::btnImageALTClick);
  ThumbnailsPage* thumbs = optionsPage_->thumbnails;
  connect(thumbs->btnImageQuality, &QPushButton::clicked, this, &MainWindow::btnImageQualityClick);
  connect(thumbs->btnShadowSettings, &QPushButton::clicked, this,
          &MainWindow::btnShadowSettingsClick);
  connect(thumbs->btnPreviewThumb, &QPushButton::clicked, this, &MainWindow::btnPreviewThumbClick);
  ImagesPage* images = optionsPage_->images;
  connect(images->btnImageQualityImage, &QPushButton::clicked, this,
          &MainWindow::btnImageQualityImageClick);
  connect(images->btnShadowImage, &QPushButton::clicked, this, &MainWindow::btnShadowImageClick);
  connect(images->btnPreviewImage, &QPushButton::clicked, this, &MainWindow::btnPreviewImageClick);
  IndexPagePage* index = optionsPage_->indexPage;
  connect(index->btnNavAdvanced, &QPushButton::clicked, this, &MainWindow::btnNavAdvancedClick);
  connect(index->btnBackgroundBrowseIndex, &QPushButton::clicked, this,
          &MainWindow::btnBackgroundBrowseIndexClick);
  connect(index->imgBackgroundsA, &QToolButton::clicked, this, &MainWindow::imgBackgroundsClick);
  ImagesPagePage* imagePage = optionsPage_->imagesPage;
  connect(imagePage->btnNavAdvancedImage, &QPushButton::clicked, this,
          &MainWindow::btnNavAdvancedClick);
  connect(imagePage->btnBackgroundBBrowse, &QPushButton::clicked, this,
          &MainWindow::btnBackgroundBBrowseClick);
  connect(imagePage->imgBackgroundsB, &QToolButton::clicked, this,
          &MainWindow::imgBackgroundsClick);

  connect(createPage_->btnCreatePages, &QPushButton::clicked, this,
          &MainWindow::btnCreatePagesClick);
  connect(createPage_->btnViewPages, &QPushButton::clicked, this, &MainWindow::btnViewPagesClick);
  connect(createPage_->btnStop, &QPushButton::clicked, this, &MainWindow::btnStopClick);
  connect(uploadPage_->btnFTPSettings, &QPushButton::clicked, this,
          &MainWindow::btnFTPSettingsClick);
  connect(uploadPage_->btnStartFTPUpload, &QPushButton::clicked, this,
          &MainWindow::btnStartFTPUploadClick);
  connect(uploadPage_->btnEmailLink, &QPushButton::clicked, this, &MainWindow::btnEmailLinkClick);

  connect(savePage_->btnSaveProject, &QPushButton::clicked, this, &MainWindow::SaveFlow);
  connect(savePage_->btnSaveProjectAs, &QPushButton::clicked, this, &MainWindow::SaveAsFlow);
}

// ---- The step machine ----

void MainWindow::ShowStep(int step) {
  if (step < 0 || step >= kStepCount) return;
  FCurrentStep = step;
  steps_->setCurrentIndex(step);
  ShowStepInstructions();
  stepButtons_[static_cast<size_t>(step)]->setChecked(true);
}

void MainWindow::ShowStepInstructions() {
  const Step& s = kSteps[static_cast<size_t>(FCurrentStep)];
  lblInstructionA_->setText(QString::fromLatin1(s.title));
  lblInstructionB_->setText(QString::fromLatin1(s.text));
}

void MainWindow::btnNextClick() {
  if (FCurrentStep < kStepCount - 1) ++FCurrentStep;
  ShowStep(FCurrentStep);
}

void MainWindow::btnPreviousClick() {
  if (FCurrentStep > 0) --FCurrentStep;
  ShowStep(FCurrentStep);
}

// ---- Project flows ----

void MainWindow::commitTitles() { picturesPage_->commitTitles(); }

bool MainWindow::projectChanged() {
  commitTitles();
  return baseline_.Changed(project_);
}

void MainWindow::UpdateWindowTitle() { setWindowTitle(ToQ(qg::WindowTitleText(project_))); }

void MainWindow::refreshAll() {
  optionsPage_->refresh();
  createPage_->refresh();
  picturesPage_->refresh(qg::kNoSelection);
  picturesPage_->selectLast();
  UpdateWindowTitle();
}

QString MainWindow::projectFolder() const {
  if (!project_.LastProjectFolder.empty()) return ToQ(project_.LastProjectFolder);
  return ToQ(qg::DocumentsFolder());
}

Answer MainWindow::PromptSaveChanges() {
  const Answer answer = prompts_.askYesNoCancel(
      QStringLiteral("The current project has not been saved.  Would you like to save it now?"));
  // A save that was cancelled or failed stops the flow that asked.
  if (answer == Answer::Yes && !SaveFlow()) return Answer::Cancel;
  return answer;
}

bool MainWindow::maybeSave() {
  if (!projectChanged()) return true;
  return PromptSaveChanges() != Answer::Cancel;
}

bool MainWindow::SaveFlow() {
  commitTitles();
  if (project_.FProjectFileName == kUntitled) return SaveAsFlow();
  bool saved = false;
  Guarded(prompts_, [&] {
    if (!confirmOverwriteChangedFile()) return;  // No cancels the save and the flow behind it
    saveLocked();
    baseline_.Reset(project_);
    UpdateWindowTitle();
    saved = true;
  });
  return saved;
}

bool MainWindow::confirmOverwriteChangedFile() {
  if (!diskStamp_.exists) return true;
  const qg::FileStamp now = qg::TakeFileStamp(project_.FProjectFileName);
  if (!now.exists || now == diskStamp_) return true;
  return prompts_.askYesNo(FileNamePart(project_.FProjectFileName) +
                           QStringLiteral(" has been changed on disk since it was opened or "
                                          "saved.  Do you want to overwrite it?")) == Answer::Yes;
}

void MainWindow::saveLocked() {
  // The same lock quillon-cli add holds, so a save never interleaves with another update.
  const qg::FileUpdateLock lock = qg::FileUpdateLock::Acquire(project_.FProjectFileName);
  qg::SaveProjectFile(project_);
  rememberDiskState();
}

void MainWindow::rememberDiskState() {
  diskStamp_ = project_.FProjectFileName == kUntitled
                   ? qg::FileStamp{}
                   : qg::TakeFileStamp(project_.FProjectFileName);
}

bool MainWindow::SaveAsFlow() {
  commitTitles();
  bool saved = false;
  Guarded(prompts_, [&] {
    const QString suggested =
        QDir(projectFolder()).filePath(FileNamePart(project_.FProjectFileName));
    const QString chosen =
        prompts_.chooseSaveFile(QStringLiteral("Save Project"), suggested, kProjectFilter);
    if (chosen.isEmpty()) return;
    const std::string path = qg::SaveAsFileName(FromQ(chosen));
    std::error_code ec;
    if (std::filesystem::exists(path, ec) &&
        prompts_.askYesNo(FileNamePart(path) +
                          QStringLiteral(" already exists.  Do you want to replace it?")) !=
            Answer::Yes)
      return;
    const std::string previous = project_.FProjectFileName;
    project_.FProjectFileName = path;
    try {
      saveLocked();
    } catch (...) {
      project_.FProjectFileName = previous;  // the title and the name stay in step
      throw;
    }
    baseline_.Reset(project_);
    ++prefs_.iGalleryNumber;
    UpdateWindowTitle();
    saved = true;
  });
  return saved;
}

void MainWindow::btnNewProjectClick() {
  Guarded(prompts_, [&] {
    if (!maybeSave()) return;
    qg::NewProjectDefaults(project_, prefs_);
    FCreateAndView = false;
    picturesPage_->resetForNewProject();
    baseline_.Reset(project_);
    rememberDiskState();
    refreshAll();
    uploadPage_->SetLinkEnabled(false);
    if (prompts_.askYesNo(QStringLiteral("A new project has been created.  Would you like to "
                                         "start adding your pictures right now?")) != Answer::Yes)
      return;
    btnNextClick();
    btnAddPicClick();
  });
}

void MainWindow::btnOpenProjectClick() {
  Guarded(prompts_, [&] {
    if (!maybeSave()) return;
    const QString path =
        prompts_.chooseOpenFile(QStringLiteral("Open Project"), projectFolder(), kProjectFilter);
    if (path.isEmpty()) return;
    {
      BusyCursor busy;
      qg::OpenProject(project_, FromQ(path), prefs_);  // on failure the project stays as it was
      FCreateAndView = false;
      picturesPage_->resetForNewProject();
      baseline_.Reset(project_);
      rememberDiskState();
      refreshAll();
      uploadPage_->SetLinkEnabled(false);
    }
    btnNextClick();
  });
}

void MainWindow::openCommandLineProject(const QString& argument) {
  Guarded(prompts_, [&] {
    std::error_code ec;
    std::filesystem::path path(FromQ(argument));
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute.lexically_normal();
    qg::OpenProject(project_, path.string(), prefs_);
    baseline_.Reset(project_);
    rememberDiskState();
    refreshAll();
    FCurrentStep = 1;
    ShowStep(1);
  });
}

// ---- Pictures ----

void MainWindow::btnAddPicClick() {
  Guarded(prompts_, [&] {
    commitTitles();
    if (pictureFolder_.isEmpty()) pictureFolder_ = ToQ(qg::DocumentsFolder());
    const QStringList chosen =
        prompts_.chooseOpenFiles(QStringLiteral("Add Images(s)"), pictureFolder_, PictureFilter());
    if (!chosen.isEmpty()) {
      pictureFolder_ = QFileInfo(chosen.front()).absolutePath();
      std::vector<std::string> paths;
      paths.reserve(static_cast<size_t>(chosen.size()));
      for (const QString& p : chosen) paths.push_back(FromQ(p));
      picturesPage_->addPictures(paths);  // a picture that cannot be read ends the Add here
    }
    picturesPage_->selectLast();
    picturesPage_->UpdateImageCount();
    if (prefs_.blHintViewGalleryNow && !project_.pictures.empty()) showFirstUseHint();
  });
}

void MainWindow::showFirstUseHint() {
  HintTexts texts;
  texts.para1 = QStringLiteral(
      "Quillon Gallery produces high quality, professional-looking digital photo web galleries "
      "in just a few easy steps.  Add shadows, backgrounds and captions for a truly "
      "professional gallery.");
  texts.para2 = QStringLiteral(
      "If you're new to Quillon Gallery, you can click on the 'Create and view my gallery now' "
      "button below to create and view your new photo gallery creation immediately.");
  // No second build while one runs: the hint then offers no action.
  if (!building_) texts.action = QStringLiteral("Create and view my gallery now");
  // The hint dialog (HintDialog) is shown through the runner.
  const HintOutcome outcome =
      hintRunner_ ? hintRunner_(texts) : HintOutcome{false, prefs_.blHintViewGalleryNow};
  prefs_.blHintViewGalleryNow = outcome.alwaysShow;
  if (!outcome.accepted) return;
  FCurrentStep = 3;
  ShowStep(3);
  FCreateAndView = true;
  btnCreatePagesClick();
}

// ---- Menus, help and links ----

void MainWindow::ResetHints1Click() {
  Guarded(prompts_, [&] {
    if (prompts_.askYesNo(QStringLiteral("This will show all hints that have previously been "
                                         "turned off.  Is this OK?")) == Answer::Yes)
      prefs_.blHintViewGalleryNow = true;
  });
}

void MainWindow::OnlineHelpClick() {
  OpenInBrowser(ToQ(qg::VendorSite()) + QStringLiteral("/quillon/help/index.html"));
}

void MainWindow::lblWebLinkClick() { OpenInBrowser(ToQ(qg::VendorSite()) + u'/'); }

void MainWindow::imgBackgroundsClick() {
  Guarded(prompts_, [&] {
    prompts_.openUrl(ToQ(qg::VendorSite()) + QStringLiteral("/quillon/backgrounds.htm"));
  });
}

namespace {

// The picture dialog, in the program's Backgrounds folder when there is one.
QString ChooseBackground(Prompts& prompts) {
  const QString folder = ToQ(qg::AppFolder()) + QStringLiteral("/Backgrounds");
  const QStringList files =
      prompts.chooseOpenFiles(QStringLiteral("Add Images(s)"),
                              QFileInfo(folder).isDir() ? folder : QString(), PictureFilter());
  return files.isEmpty() ? QString() : files.front();
}

}  // namespace

void MainWindow::btnBackgroundBrowseIndexClick() {
  Guarded(prompts_, [&] {
    const QString file = ChooseBackground(prompts_);
    if (!file.isEmpty()) optionsPage_->indexPage->editBackgroundAPic->setText(file);
  });
}

void MainWindow::btnBackgroundBBrowseClick() {
  Guarded(prompts_, [&] {
    const QString file = ChooseBackground(prompts_);
    if (!file.isEmpty()) optionsPage_->imagesPage->editBackgroundBPic->setText(file);
  });
}

// ---- Hooks ----
// Each commits typed titles first, so the dialog or the work sees them.

void MainWindow::btnProjectInfoClick() {
  Guarded(prompts_, [&] {
    commitTitles();
    RunProjectInfoDialog(this, prompts_, project_);
  });
}
void MainWindow::btnAboutClick() {
  Guarded(prompts_, [&] { RunAboutDialog(this, prompts_); });
}
void MainWindow::ShowTitlesIndex() {
  runOptionsDialog(
      [&] { return RunIndexTitlesDialog(this, prompts_, project_.options, TitlesTab::PageTitle); });
}
void MainWindow::btnThumbTitleMoreClick() {
  runOptionsDialog(
      [&] { return RunIndexTitlesDialog(this, prompts_, project_.options, TitlesTab::Title); });
}
void MainWindow::btnThumbALTMoreClick() {
  runOptionsDialog(
      [&] { return RunIndexTitlesDialog(this, prompts_, project_.options, TitlesTab::AltText); });
}
void MainWindow::btnPageTitleMoreImageClick() {
  runOptionsDialog(
      [&] { return RunImageTitlesDialog(this, prompts_, project_.options, TitlesTab::PageTitle); });
}
void MainWindow::btnImageTitleMoreClick() {
  runOptionsDialog(
      [&] { return RunImageTitlesDialog(this, prompts_, project_.options, TitlesTab::Title); });
}
void MainWindow::btnImageALTClick() {
  runOptionsDialog(
      [&] { return RunImageTitlesDialog(this, prompts_, project_.options, TitlesTab::AltText); });
}
void MainWindow::btnNavAdvancedClick() {
  // The dialog's picture changes stay also after Cancel, so the pages are refreshed either way.
  runOptionsDialog([&] {
    RunNavigationDialog(this, prompts_, project_.options, prefs_);
    return true;
  });
}
void MainWindow::btnImageQualityClick() {
  runOptionsDialog(
      [&] { return RunQualityDialog(this, prompts_, project_.options, qg::Side::Thumb); });
}
void MainWindow::btnImageQualityImageClick() {
  runOptionsDialog(
      [&] { return RunQualityDialog(this, prompts_, project_.options, qg::Side::Image); });
}
void MainWindow::btnShadowSettingsClick() {
  runOptionsDialog(
      [&] { return RunShadowDialog(this, prompts_, project_.options, qg::Side::Thumb); });
}
void MainWindow::btnShadowImageClick() {
  runOptionsDialog(
      [&] { return RunShadowDialog(this, prompts_, project_.options, qg::Side::Image); });
}

void MainWindow::runOptionsDialog(const std::function<bool()>& run) {
  Guarded(prompts_, [&] {
    commitTitles();
    if (run()) {
      optionsPage_->refresh();
      createPage_->refresh();
    }
  });
}

void MainWindow::btnPreviewThumbClick() {
  commitTitles();
  views_->previewThumb();
}
void MainWindow::btnPreviewImageClick() {
  commitTitles();
  views_->previewImage();
}
void MainWindow::imgPreviewClick() {
  commitTitles();
  views_->previewSelected();
}
void MainWindow::btnRotateLClick() {
  commitTitles();
  views_->rotate(false);
}
void MainWindow::btnRotateRClick() {
  commitTitles();
  views_->rotate(true);
}
void MainWindow::btnDetailsClick() {
  commitTitles();
  views_->details();
}
void MainWindow::btnFTPSettingsClick() {
  Guarded(prompts_, [&] { RunFtpSettingsDialog(this, prompts_, prefs_); });
}
void MainWindow::btnStartFTPUploadClick() {
  commitTitles();
  upload_->start();
}
void MainWindow::btnEmailLinkClick() { upload_->emailLink(); }

// What the upload sends: the names the last build wrote and the folder it wrote them into (empty
// before the first build, when Start asks for a gallery first).
UploadRun::Built MainWindow::lastBuild() const { return {built_.uploadList, built_.folder}; }

// ---- Closing ----

bool MainWindow::writePreferences() {
  // After a damaged reading the file is left for the user to mend until a value is set here:
  // writing the defaults back unasked would lose what lies past the damage.
  if (damagedPrefs_ && *damagedPrefs_ == prefs_) return true;
  damagedPrefs_.reset();
  if (qg::SaveSettings(prefs_)) return true;
  ShowError(prompts_, QStringLiteral("Unable to write to ") + ToQ(qg::PreferencesFilePath()));
  return false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (building_) {
    // The window closes once the build has stopped; see buildFinished.
    closeAfterBuild_ = true;
    createPage_->btnStop->setEnabled(false);
    worker_->stop();
    event->ignore();
    return;
  }
  // A close that waits for the upload to stop: the question was asked when it began.
  if (upload_->closing()) {
    if (upload_->running()) {
      event->ignore();
      return;
    }
    worker_->wait();
    event->accept();
    return;
  }
  bool cancelled = false;
  Guarded(prompts_, [&] {
    if (projectChanged() && PromptSaveChanges() == Answer::Cancel) cancelled = true;
  });
  // The preferences are written also when the close is cancelled.
  prefs_.blUseCorvaneServer = uploadPage_->chkUseCorvaneServer->isChecked();
  writePreferences();
  if (cancelled) {
    event->ignore();
    return;
  }
  if (upload_->deferClose([this] { close(); })) {
    event->ignore();  // closes again once the upload has stopped
    return;
  }
  worker_->stop();
  worker_->wait();
  event->accept();
}

}  // namespace qg::app
