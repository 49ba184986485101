// The Create Gallery step; see CreatePage.h.
#include "pages/CreatePage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "pages/Controls.h"
#include "project/Project.h"

namespace qg::app {

CreatePage::CreatePage(qg::Project& project, QWidget* parent) : QWidget(parent), project_(project) {
  setObjectName(QStringLiteral("tabCreateA"));
  auto* heading = new QLabel(QStringLiteral("Click 'Create Gallery' to create your photo gallery"));
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  heading->setWordWrap(true);
  btnCreatePages = MakeButton("btnCreatePages", QStringLiteral("Create Gallery"));
  btnViewPages = MakeButton("btnViewPages", QStringLiteral("View Gallery"));
  chkCreateHTML = MakeCheck("chkCreateHTML", QStringLiteral("Create HT&ML"));
  // The pages are always written: shown checked, never offered.
  chkCreateHTML->setChecked(true);
  chkCreateHTML->setEnabled(false);
  chkCreateThumbs = MakeCheck("chkCreateThumbs", QStringLiteral("Create Thumb&nail images"));
  chkCreateImages = MakeCheck("chkCreateImages", QStringLiteral("Create &Images"));
  chkOnlyRemakeChanged =
      MakeCheck("chkOnlyRemakeChanged", QStringLiteral("Only remake what c&hanged"));
  chkOnlyRemakeChanged->setToolTip(
      QStringLiteral("Make again only the files whose pictures or options changed, and remove "
                     "the files of earlier builds that the gallery no longer has"));
  pbCreateProgress = Named(new QProgressBar, "pbCreateProgress", QStringLiteral("Progress"));
  pbCreateProgress->setRange(0, 0);
  pbCreateProgress->setMaximum(1);
  pbCreateProgress->setValue(0);
  pbCreateProgress->setTextVisible(false);
  lblCreateProgress = MakePlainLabel("lblCreateProgress", QStringLiteral("Progress text"));
  lblCreateProgress->setText(QStringLiteral("Ready"));
  btnStop = MakeButton("btnStop", QStringLiteral("Stop"));
  btnStop->setEnabled(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnCreatePages);
  buttons->addWidget(btnViewPages);
  buttons->addStretch(1);
  auto* boxes = new QGroupBox(QStringLiteral("Create"));
  auto* boxesLayout = new QVBoxLayout(boxes);
  boxesLayout->addWidget(chkCreateHTML);
  boxesLayout->addWidget(chkCreateThumbs);
  boxesLayout->addWidget(chkCreateImages);
  boxesLayout->addWidget(chkOnlyRemakeChanged);
  auto* progress = new QGroupBox(QStringLiteral("Progress"));
  auto* progressLayout = new QGridLayout(progress);
  progressLayout->addWidget(pbCreateProgress, 0, 0);
  progressLayout->addWidget(btnStop, 0, 1);
  progressLayout->addWidget(lblCreateProgress, 1, 0, 1, 2);
  progressLayout->setColumnStretch(0, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addLayout(buttons);
  layout->addWidget(boxes);
  layout->addWidget(progress);
  layout->addStretch(1);

  const auto bind = [this](QCheckBox* box, bool qg::GalleryOptions::*member) {
    connect(box, &QCheckBox::toggled, this,
            [this, member](bool on) { project_.options.*member = on; });
  };
  bind(chkCreateThumbs, &qg::GalleryOptions::chkCreateThumbs);
  bind(chkCreateImages, &qg::GalleryOptions::chkCreateImages);
  refresh();
}

void CreatePage::refresh() {
  const qg::GalleryOptions& o = project_.options;
  const QSignalBlocker b2(chkCreateThumbs), b3(chkCreateImages);
  chkCreateThumbs->setChecked(o.chkCreateThumbs);
  chkCreateImages->setChecked(o.chkCreateImages);
}

void CreatePage::SetCreateControlsEnabled(bool enabled) {
  // "Create HTML" stays disabled: the pages are always written.
  for (QWidget* w : std::initializer_list<QWidget*>{
           chkCreateThumbs, chkCreateImages, chkOnlyRemakeChanged, btnCreatePages, btnViewPages})
    w->setEnabled(enabled);
}

}  // namespace qg::app
