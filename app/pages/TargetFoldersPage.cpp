// The Target Folders sub-page; see TargetFoldersPage.h.
#include "pages/TargetFoldersPage.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "gallery/BuildRecord.h"
#include "pages/Controls.h"
#include "support/ErrorDisplay.h"
#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

// One "Target" / "Subfolder" pair with its folder name box; `toDest` is TargetThumb or
// TargetImage.
QGroupBox* FolderGroup(const QString& title, QRadioButton* dest, QRadioButton* sub,
                       QLineEdit* folder) {
  auto* group = new QGroupBox(title);
  auto* pair = new QButtonGroup(group);
  pair->addButton(dest);
  pair->addButton(sub);
  auto* grid = new QGridLayout(group);
  grid->addWidget(dest, 0, 0, 1, 2);
  grid->addWidget(sub, 1, 0);
  grid->addWidget(folder, 1, 1);
  grid->setColumnStretch(1, 1);
  return group;
}

}  // namespace

TargetFoldersPage::TargetFoldersPage(qg::Project& project, Prompts& prompts, QWidget* parent)
    : OptionSubPage(project, prompts, parent) {
  setObjectName(QStringLiteral("tabTargetFolders"));
  editDestFolder = MakeEdit("editDestFolder", QStringLiteral("Target Folder"));
  btnBrowseDestFolder = MakeButton("btnBrowseDestFolder", QStringLiteral("..."),
                                   QStringLiteral("Choose the target folder"));
  btnBrowseDestFolder->setAccessibleName(QStringLiteral("Browse for the target folder"));
  auto* rbDestThumb = MakeRadio("rbDestThumb", QStringLiteral("Targ&et"));
  auto* rbSubThumb = MakeRadio("rbSubThumb", QStringLiteral("&Subfolder"));
  editThumbnailSub = MakeEdit("editThumbnailSub", QStringLiteral("Thumbnail subfolder"));
  auto* rbDestImage = MakeRadio("rbDestImage", QStringLiteral("T&arget"));
  auto* rbSubImage = MakeRadio("rbSubImage", QStringLiteral("S&ubfolder"));
  editImageSub = MakeEdit("editImageSub", QStringLiteral("Image subfolder"));
  auto* chkOverwritePrompt =
      MakeCheck("chkOverwritePrompt", QStringLiteral("Prompt before overwriting fi&les"));
  chkClearTarget = MakeCheck("chkClearTarget", QStringLiteral("Clear target folde&r(s)"));
  chkClearTarget->setToolTip(
      QStringLiteral("Before a full build, remove the files that earlier builds wrote into the "
                     "folder and this one will not write; no other file is touched"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeLabel(QStringLiteral("Target Fol&der:"), editDestFolder));
  auto* destRow = new QHBoxLayout;
  destRow->addWidget(editDestFolder, 1);
  destRow->addWidget(btnBrowseDestFolder);
  layout->addLayout(destRow);
  auto* groups = new QHBoxLayout;
  groups->addWidget(
      FolderGroup(QStringLiteral("Thumbnails"), rbDestThumb, rbSubThumb, editThumbnailSub));
  groups->addWidget(FolderGroup(QStringLiteral("Images"), rbDestImage, rbSubImage, editImageSub));
  layout->addLayout(groups);
  layout->addWidget(chkOverwritePrompt);
  layout->addWidget(chkClearTarget);
  layout->addStretch(1);

  bind(editDestFolder, &qg::GalleryOptions::editDestFolder);
  bind(editThumbnailSub, &qg::GalleryOptions::ThumbFolder);
  bind(editImageSub, &qg::GalleryOptions::ImageFolder);
  bind(chkOverwritePrompt, &qg::GalleryOptions::OverwritePrompt);
  bind(chkClearTarget, &qg::GalleryOptions::chkClearTarget);

  // The radio pairs: "Target" is the stored true.
  const auto radioPair = [this](QRadioButton* dest, QRadioButton* sub,
                                bool qg::GalleryOptions::*member) {
    onRefresh([this, dest, sub, member] {
      const QSignalBlocker b1(dest), b2(sub);
      (options().*member ? dest : sub)->setChecked(true);
    });
    connect(dest, &QRadioButton::toggled, this,
            [this, member](bool on) { userEdit([&] { options().*member = on; }); });
  };
  radioPair(rbDestThumb, rbSubThumb, &qg::GalleryOptions::TargetThumb);
  radioPair(rbDestImage, rbSubImage, &qg::GalleryOptions::TargetImage);

  connect(btnBrowseDestFolder, &QPushButton::clicked, this,
          &TargetFoldersPage::btnBrowseDestFolderClick);
}

// SetThumbnailFolder and SetImageFolder: a folder name only with the sub-folder choice.
void TargetFoldersPage::updateEnabled() {
  editThumbnailSub->setEnabled(!options().TargetThumb);
  editImageSub->setEnabled(!options().TargetImage);
  chkClearTarget->setEnabled(qg::HasBuildRecord(options().editDestFolder));
}

void TargetFoldersPage::showEvent(QShowEvent* event) {
  updateEnabled();
  OptionSubPage::showEvent(event);
}

void TargetFoldersPage::btnBrowseDestFolderClick() {
  Guarded(prompts_, [&] {
    const QString folder = prompts_.chooseFolder(
        QStringLiteral("Choose a folder to store the project files"), editDestFolder->text());
    if (folder.isEmpty()) return;
    editDestFolder->setText(folder);  // writes the option through its binding
  });
}

}  // namespace qg::app
