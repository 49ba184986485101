// Gallery Options, "Images": whether display images are resized, their size, border and drop
// shadow, and the buttons of the shadow, quality and preview windows.
#pragma once

#include "pages/OptionSubPage.h"

class QGroupBox;
class QPushButton;

namespace qg::app {

class ImagesPage : public OptionSubPage {
  Q_OBJECT

 public:
  ImagesPage(qg::Project& project, Prompts& prompts, QWidget* parent = nullptr);

  QPushButton* btnShadowImage;
  QPushButton* btnImageQualityImage;
  QPushButton* btnPreviewImage;

 protected:
  void updateEnabled() override;

 private:
  QGroupBox* grpSizeImages;
};

}  // namespace qg::app
