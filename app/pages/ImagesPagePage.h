// Gallery Options, "Images Page": how picture pages are named, their background colour and
// picture, and where their navigation bar goes.
#pragma once

#include "pages/OptionSubPage.h"

class QPushButton;
class QToolButton;

namespace qg::app {

class ImagesPagePage : public OptionSubPage {
  Q_OBJECT

 public:
  ImagesPagePage(qg::Project& project, Prompts& prompts, QWidget* parent = nullptr);

  QLineEdit* editBackgroundBPic;
  QPushButton* btnBackgroundBBrowse;
  QToolButton* imgBackgroundsB;  // opens the backgrounds page on the vendor's site
  QPushButton* btnNavAdvancedImage;

 protected:
  void updateEnabled() override;

 private:
  QLineEdit* editImageFilenameExt;
  QLineEdit* editGivenFilename;
};

}  // namespace qg::app
