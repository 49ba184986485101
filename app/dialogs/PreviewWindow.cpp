#include "dialogs/PreviewWindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "codecs/Decode.h"
#include "dialogs/ViewSupport.h"
#include "gallery/Preview.h"
#include "imaging/Rotate.h"
#include "support/ErrorDisplay.h"
#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

constexpr int kStatusPanelWidth = 200;
// Room left for the scroll bars when fitting to the window.
constexpr int kScrollBarRoom = 15;

QAction* ToolAction(QToolBar* bar, QObject* parent, const char* name, QStyle::StandardPixmap icon,
                    const QString& hint, const QKeySequence& shortcut) {
  auto* action = new QAction(bar->style()->standardIcon(icon), hint, parent);
  action->setObjectName(QLatin1String(name));
  action->setToolTip(hint);
  action->setShortcut(shortcut);
  bar->addAction(action);
  if (QWidget* button = bar->widgetForAction(action)) {
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(hint);
  }
  return action;
}

}  // namespace

PreviewWindow::PreviewWindow(Prompts& prompts, std::vector<std::string> picturePaths,
                             int startIndex, ShowDetailsHook showDetails, QWidget* parent)
    : QDialog(parent),
      prompts_(prompts),
      paths_(std::move(picturePaths)),
      showDetails_(std::move(showDetails)) {
  setObjectName(QStringLiteral("fmPreview"));
  setWindowTitle(QStringLiteral("Quillon Gallery Preview"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setSizeGripEnabled(false);

  auto* menuBar = new QMenuBar(this);
  menuBar->setObjectName(QStringLiteral("mnuPreview"));
  QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("File1"));
  QAction* itemViewDetails = file->addAction(QStringLiteral("View Image Details"));
  itemViewDetails->setObjectName(QStringLiteral("itemViewDetails"));
  itemViewDetails->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
  file->addSeparator();
  QAction* close1 = file->addAction(QStringLiteral("Close"));
  close1->setObjectName(QStringLiteral("Close1"));
  close1->setShortcut(QKeySequence::Close);
  connect(itemViewDetails, &QAction::triggered, this, [this] { itemViewDetailsClick(); });
  connect(close1, &QAction::triggered, this, [this] { Close1Click(); });

  auto* toolBar = new QToolBar(this);
  toolBar->setObjectName(QStringLiteral("ToolBar1"));
  toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QAction* btnPrevious = ToolAction(toolBar, this, "btnPrevious", QStyle::SP_ArrowBack,
                                    QStringLiteral("Previous picture"), QKeySequence::Back);
  QAction* btnNext = ToolAction(toolBar, this, "btnNext", QStyle::SP_ArrowForward,
                                QStringLiteral("Next picture"), QKeySequence::Forward);
  toolBar->addSeparator();
  QAction* btnFitToScreen =
      ToolAction(toolBar, this, "btnFitToScreen", QStyle::SP_TitleBarMaxButton,
                 QStringLiteral("Fit to screen"), QKeySequence(Qt::CTRL | Qt::Key_F));
  QAction* btnViewDetails =
      ToolAction(toolBar, this, "btnViewDetails", QStyle::SP_FileDialogInfoView,
                 QStringLiteral("View image details"), QKeySequence());
  connect(btnPrevious, &QAction::triggered, this, [this] { btnPreviousClick(); });
  connect(btnNext, &QAction::triggered, this, [this] { btnNextClick(); });
  connect(btnFitToScreen, &QAction::triggered, this, [this] { btnFitToScreenClick(); });
  connect(btnViewDetails, &QAction::triggered, this, [this] { itemViewDetailsClick(); });

  imgPicture_ = new QLabel;
  imgPicture_->setObjectName(QStringLiteral("imgPicture"));
  imgPicture_->setAccessibleName(QStringLiteral("Picture"));
  imgPicture_->setTextFormat(Qt::PlainText);
  scrollBox_ = new QScrollArea(this);
  scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
  scrollBox_->setAccessibleName(QStringLiteral("Picture"));
  scrollBox_->setWidget(imgPicture_);
  scrollBox_->setWidgetResizable(false);
  scrollBox_->setFocusPolicy(Qt::StrongFocus);

  auto* statusBar = new QStatusBar(this);
  statusBar->setObjectName(QStringLiteral("StatusBar1"));
  statusBar->setSizeGripEnabled(false);
  pnlStatus_ = new QLabel(statusBar);
  pnlStatus_->setObjectName(QStringLiteral("pnlStatus"));
  pnlStatus_->setTextFormat(Qt::PlainText);
  pnlStatus_->setMinimumWidth(kStatusPanelWidth);
  statusBar->addWidget(pnlStatus_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar);
  layout->addWidget(toolBar);
  layout->addWidget(scrollBox_, 1);
  layout->addWidget(statusBar);

  if (!paths_.empty()) {
    index_ = std::clamp(startIndex, 0, static_cast<int>(paths_.size()) - 1);
    UpdateStatus();
  }
  scrollBox_->setFocus();
  resize(800, 600);
  setWindowState(Qt::WindowMaximized);
}

QString PreviewWindow::statusText() const { return pnlStatus_->text(); }

void PreviewWindow::UpdateStatus() {
  if (paths_.empty()) {
    pnlStatus_->clear();
    return;
  }
  pnlStatus_->setText(QStringLiteral("Image number %1 of %2").arg(index_ + 1).arg(paths_.size()));
}

void PreviewWindow::ShowPicture(const std::string& path) {
  qg::Picture loaded = qg::LoadSourcePicture(path);
  picture_ = std::move(loaded);
  shownFile_ = path;
  display();
  // Half the picture's height; the scroll bar limits it. Before the window is laid out the
  // range is not known yet, so it is set again when the window shows.
  scrollBox_->horizontalScrollBar()->setValue(0);
  scrollBox_->verticalScrollBar()->setValue(picture_.height / 2);
  scrollPending_ = !isVisible();
  UpdateStatus();
}

void PreviewWindow::display() {
  imgPicture_->setPixmap(QPixmap::fromImage(views::ImageOfPicture(picture_)));
  imgPicture_->resize(picture_.width, picture_.height);
}

void PreviewWindow::showCurrent(const std::string& path, int index) {
  Guarded(prompts_, [&] {
    views::WaitCursor wait;
    ShowPicture(path);
    // Counted only once the picture is shown, so the status matches the picture.
    index_ = index;
    UpdateStatus();
  });
}

void PreviewWindow::btnNextClick() {
  if (paths_.empty() || index_ + 1 > static_cast<int>(paths_.size()) - 1) return;
  showCurrent(paths_[static_cast<size_t>(index_ + 1)], index_ + 1);
}

void PreviewWindow::btnPreviousClick() {
  if (index_ - 1 < 0 || paths_.empty()) return;
  showCurrent(paths_[static_cast<size_t>(index_ - 1)], index_ - 1);
}

void PreviewWindow::btnFitToScreenClick() {
  if (picture_.empty()) return;
  Guarded(prompts_, [&] {
    views::WaitCursor wait;
    const int width = std::max(1, scrollBox_->width() - kScrollBarRoom);
    const int height = std::max(1, scrollBox_->height() - kScrollBarRoom);
    picture_ =
        qg::FitPictureToBox(picture_, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    display();
    UpdateStatus();
  });
}

void PreviewWindow::itemViewDetailsClick() {
  if (paths_.empty() || !showDetails_) return;
  // The picture this window counts, not the main list's selection.
  const std::string path = paths_[static_cast<size_t>(index_)];
  Guarded(prompts_, [&] { showDetails_(this, path); });
}

void PreviewWindow::Close1Click() { accept(); }

void PreviewWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!scrollPending_) return;
  scrollPending_ = false;
  // After the layout has given the scroll box its size.
  QTimer::singleShot(0, this,
                     [this] { scrollBox_->verticalScrollBar()->setValue(picture_.height / 2); });
}

bool RunPreviewWindow(QWidget* parent, Prompts& prompts, std::vector<std::string> picturePaths,
                      int startIndex, const std::string& shownFile, ShowDetailsHook showDetails) {
  PreviewWindow window(prompts, std::move(picturePaths), startIndex, std::move(showDetails),
                       parent);
  const bool shown = Guarded(prompts, [&] {
    views::WaitCursor wait;
    window.ShowPicture(shownFile);
  });
  if (!shown) return false;
  prompts.runDialog(window);
  return true;
}

bool RunPreviewSample(QWidget* parent, Prompts& prompts, const qg::Project& project, qg::Side side,
                      qg::PreviewFolder& folder, ShowDetailsHook showDetails) {
  if (project.pictures.empty()) {
    prompts.inform(QString::fromLatin1(qg::NoPicturesToPreviewMessage(side)));
    return false;
  }
  std::string sample;
  const bool made = Guarded(prompts, [&] {
    views::WaitCursor wait;
    sample = qg::MakePreviewFile(project, side, folder);
  });
  if (!made) return false;
  // The sample stands for the first picture, whichever is selected.
  return RunPreviewWindow(parent, prompts, PicturePaths(project), 0, sample,
                          std::move(showDetails));
}

std::vector<std::string> PicturePaths(const qg::Project& project) {
  std::vector<std::string> paths;
  paths.reserve(project.pictures.size());
  for (const qg::PictureRecord& picture : project.pictures)
    paths.push_back(picture.FilenameAndPath);
  return paths;
}

}  // namespace qg::app
