// The Gallery Options step; see OptionsPage.h.
#include "pages/OptionsPage.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "pages/Controls.h"
#include "pages/ImagesPage.h"
#include "pages/ImagesPagePage.h"
#include "pages/IndexPagePage.h"
#include "pages/TargetFoldersPage.h"
#include "pages/ThumbnailsPage.h"
#include "pages/TitlesPage.h"
#include "support/StandardIcon.h"

namespace qg::app {
namespace {

struct OptionButton {
  const char* name;
  const char* caption;
  QStyle::StandardPixmap icon;
};

// "Images Page" shows the icon of "Index Page".
constexpr std::array<OptionButton, OptionsPage::SubPageCount> kButtons = {{
    {"btnTarget", "Target Folders", QStyle::SP_DirIcon},
    {"btnTitles", "Titles", QStyle::SP_FileDialogDetailedView},
    {"btnThumbnails", "Thumbnails", QStyle::SP_FileDialogContentsView},
    {"btnIndexPage", "Index Page", QStyle::SP_FileIcon},
    {"btnImages", "Images", QStyle::SP_DesktopIcon},
    {"btnImagePage", "Images Page", QStyle::SP_FileIcon},
}};

}  // namespace

OptionsPage::OptionsPage(qg::Project& project, Prompts& prompts, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("tabOptions"));
  targetFolders = new TargetFoldersPage(project, prompts);
  titles = new TitlesPage(project, prompts);
  thumbnails = new ThumbnailsPage(project, prompts);
  indexPage = new IndexPagePage(project, prompts);
  images = new ImagesPage(project, prompts);
  imagesPage = new ImagesPagePage(project, prompts);
  pages_ = {targetFolders, titles, thumbnails, indexPage, images, imagesPage};

  auto* column = new QVBoxLayout;
  auto* heading = new QLabel(QStringLiteral("Gallery Options"));
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  column->addWidget(heading);
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < SubPageCount; ++i) {
    const OptionButton& b = kButtons[static_cast<size_t>(i)];
    auto* button = Named(new QToolButton, b.name, QString::fromLatin1(b.caption));
    button->setText(QString::fromLatin1(b.caption));
    SetStandardIconLater(button, b.icon);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    group->addButton(button, i);
    column->addWidget(button);
    buttons_[static_cast<size_t>(i)] = button;
    // The page changes when the button goes down (mouse or Space).
    connect(button, &QToolButton::pressed, this, [this, i] { ShowOptionPage(i); });
  }
  column->addStretch(1);

  auto* captionBar = Named(new QWidget, "pnlOptionCaption", QStringLiteral("Option page"));
  captionBar->setAutoFillBackground(true);
  QPalette pal = captionBar->palette();
  pal.setColor(QPalette::Window, QColor(0x1F, 0x4E, 0x9A));
  pal.setColor(QPalette::WindowText, Qt::white);
  captionBar->setPalette(pal);
  captionIcon_ = new QLabel;
  captionText_ = Named(new QLabel, "lblOptionCaption", QStringLiteral("Option page title"));
  captionText_->setFont(bold);
  auto* captionLayout = new QHBoxLayout(captionBar);
  captionLayout->setContentsMargins(6, 3, 6, 3);
  captionLayout->addWidget(captionIcon_);
  captionLayout->addWidget(captionText_, 1);

  stack_ = new QStackedWidget;
  for (OptionSubPage* page : pages_) {
    stack_->addWidget(page);
    connect(page, &OptionSubPage::edited, this, &OptionsPage::edited);
  }

  auto* right = new QVBoxLayout;
  right->setSpacing(0);
  right->addWidget(captionBar);
  right->addWidget(stack_, 1);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(column);
  layout->addLayout(right, 1);
  ShowOptionPage(Target);
}

void OptionsPage::ShowOptionPage(int page) {
  if (page < 0 || page >= SubPageCount) return;
  shown_ = page;
  const OptionButton& b = kButtons[static_cast<size_t>(page)];
  buttons_[static_cast<size_t>(page)]->setChecked(true);
  captionIcon_->setFixedSize(16, 16);
  // The caption bar's icon, once the icons are loaded (see SetStandardIconLater).
  AfterFirstPaint(captionIcon_, [this, page] {
    if (shown_ == page)
      captionIcon_->setPixmap(
          style()->standardIcon(kButtons[static_cast<size_t>(page)].icon).pixmap(16, 16));
  });
  captionText_->setText(QString::fromLatin1(b.caption));
  stack_->setCurrentIndex(page);
}

void OptionsPage::refresh() {
  for (OptionSubPage* page : pages_) page->refresh();
}

}  // namespace qg::app
