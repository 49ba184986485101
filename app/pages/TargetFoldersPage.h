// Gallery Options, "Target Folders": the destination folder and where thumbnails and display
// images go (straight into it or into a sub-folder), and the two overwrite check boxes. "Clear
// target folder(s)" is offered once the destination has a build record: only then is it known
// which files earlier builds wrote.
#pragma once

#include "pages/OptionSubPage.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace qg::app {

class TargetFoldersPage : public OptionSubPage {
  Q_OBJECT

 public:
  TargetFoldersPage(qg::Project& project, Prompts& prompts, QWidget* parent = nullptr);

  QLineEdit* editDestFolder;
  QPushButton* btnBrowseDestFolder;

 public slots:
  void btnBrowseDestFolderClick();

 protected:
  void updateEnabled() override;
  // A build may have made the record meanwhile (also quillon-cli's).
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* editThumbnailSub;
  QLineEdit* editImageSub;
  QCheckBox* chkClearTarget;
};

}  // namespace qg::app
