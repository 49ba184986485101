// Gallery Options, "Target Folders": the destination folder and where thumbnails and display
// images go (straight into it or into a sub-folder), and the two overwrite check boxes.
#pragma once

#include "pages/OptionSubPage.h"

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

 private:
  QLineEdit* editThumbnailSub;
  QLineEdit* editImageSub;
};

}  // namespace qg::app
