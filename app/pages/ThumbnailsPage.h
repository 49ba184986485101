// Gallery Options, "Thumbnails": the thumbnail size (width and/or height kept), border, drop
// shadow, and the buttons of the shadow, quality and preview windows.
#pragma once

#include "pages/OptionSubPage.h"

class QPushButton;

namespace qg::app {

class ThumbnailsPage : public OptionSubPage {
  Q_OBJECT

 public:
  ThumbnailsPage(qg::Project& project, Prompts& prompts, QWidget* parent = nullptr);

  QPushButton* btnShadowSettings;
  QPushButton* btnImageQuality;
  QPushButton* btnPreviewThumb;
};

}  // namespace qg::app
