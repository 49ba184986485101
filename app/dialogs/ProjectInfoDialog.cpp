// The project information dialog; see ProjectInfoDialog.h.
#include "dialogs/ProjectInfoDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "project/ProjectInfo.h"
#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

// The framed panel: a light left column of headings and captions beside the values.
class InfoPanel : public QFrame {
 public:
  explicit InfoPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    grid_ = new QGridLayout(this);
    grid_->setHorizontalSpacing(12);
    grid_->setVerticalSpacing(6);
    grid_->setContentsMargins(0, 0, 10, 10);
    grid_->setColumnStretch(1, 1);
  }
  QGridLayout* grid() const { return grid_; }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const int right = grid_->cellRect(0, 0).right() + grid_->horizontalSpacing() / 2;
    const QRect column(contentsRect().left(), contentsRect().top(), right - contentsRect().left(),
                       contentsRect().height());
    painter.fillRect(column, palette().color(QPalette::AlternateBase));
  }

 private:
  QGridLayout* grid_;
};

}  // namespace

ProjectInfoDialog::ProjectInfoDialog(QWidget* parent, const qg::Project& project)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TfmProjectInfo"));
  setWindowTitle(QStringLiteral("Quillon Gallery Project Information"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  const qg::ProjectInfoValues values = qg::FillProjectInfo(project);

  auto* tabs = new QTabWidget(this);
  NameControl(tabs, QStringLiteral("tabInfo"), QStringLiteral("Project Information"));
  auto* page = new QWidget(tabs);
  tabs->addTab(page, QStringLiteral("Project Information"));

  auto* icon = new QLabel(page);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  auto* intro = PlainLabel(
      QStringLiteral("View your current project details including date last saved, number of "
                     "images and gallery creation information in the list below."),
      page);
  NameControl(intro, QStringLiteral("lblIntro"), intro->text());
  intro->setWordWrap(true);
  auto* introRow = new QHBoxLayout;
  introRow->addWidget(icon, 0, Qt::AlignTop);
  introRow->addWidget(intro, 1);

  auto* panel = new InfoPanel(page);
  QGridLayout* grid = panel->grid();
  int row = 0;
  auto heading = [&](const QString& text) {
    auto* label = PlainLabel(text, panel);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setContentsMargins(10, row == 0 ? 10 : 8, 0, 0);
    grid->addWidget(label, row++, 0, 1, 2);
  };
  auto caption = [&](const QString& text, QStyle::StandardPixmap pixmap, QWidget* value) {
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize);
    auto* iconLabel = new QLabel(panel);
    iconLabel->setPixmap(style()->standardIcon(pixmap).pixmap(side, side));
    auto* captionLabel = PlainLabel(text, panel);
    auto* cell = new QHBoxLayout;
    cell->setContentsMargins(22, 0, 0, 0);
    cell->addWidget(iconLabel);
    cell->addWidget(captionLabel);
    cell->addStretch(1);
    grid->addLayout(cell, row, 0);
    grid->addWidget(value, row++, 1);
    value->setAccessibleName(QString(text).remove(QLatin1Char(':')));
  };
  auto valueLabel = [&](const QString& name, const std::string& text) {
    auto* label = PlainLabel(ToQ(text), panel);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
  };

  heading(QStringLiteral("General"));
  caption(QStringLiteral("Project Name:"), QStyle::SP_FileIcon,
          valueLabel(QStringLiteral("lblPrjName"), values.prjName));
  caption(QStringLiteral("Last Saved:"), QStyle::SP_DialogSaveButton,
          valueLabel(QStringLiteral("lblLastSaved"), values.lastSaved));
  caption(QStringLiteral("Gallery Title:"), QStyle::SP_FileDialogDetailedView,
          valueLabel(QStringLiteral("lblGalleryTitle"), values.galleryTitle));
  auto* editTargetFolder = new QLineEdit(ToQ(values.targetFolder), panel);
  editTargetFolder->setObjectName(QStringLiteral("editTargetFolder"));
  editTargetFolder->setReadOnly(true);
  editTargetFolder->setFrame(false);
  editTargetFolder->setCursorPosition(0);
  editTargetFolder->setMinimumWidth(200);
  caption(QStringLiteral("Target Folder:"), QStyle::SP_DirIcon, editTargetFolder);
  heading(QStringLiteral("Image Details"));
  caption(QStringLiteral("Image Count:"), QStyle::SP_FileDialogListView,
          valueLabel(QStringLiteral("lblImageCount"), values.imageCount));
  caption(QStringLiteral("Thumb Size:"), QStyle::SP_FileDialogContentsView,
          valueLabel(QStringLiteral("lblThumbSize"), values.thumbSize));
  heading(QStringLiteral("Index Page"));
  // "Rows & Cols:": a label shows its text as it is, so the ampersand is written once.
  caption(QStringLiteral("Rows & Cols:"), QStyle::SP_FileDialogDetailedView,
          valueLabel(QStringLiteral("lblRowsCols"), values.rowsCols));
  grid->setRowStretch(row, 1);

  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->addLayout(introRow);
  pageLayout->addWidget(panel, 1);

  auto* btnClose = new QPushButton(QStringLiteral("&Close"), this);
  NameControl(btnClose, QStringLiteral("btnClose"), btnClose->text());
  btnClose->setDefault(true);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnClose);
  auto* main = new QVBoxLayout(this);
  main->addWidget(tabs, 1);
  main->addLayout(buttons);
  FixDialogSize(this, QSize(422, 423));
}

void RunProjectInfoDialog(QWidget* parent, Prompts& prompts, const qg::Project& project) {
  ProjectInfoDialog dialog(parent, project);
  prompts.runDialog(dialog);
}

}  // namespace qg::app
