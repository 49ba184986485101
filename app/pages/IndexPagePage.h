// Gallery Options, "Index Page": the thumbnail grid, the cell spacing, the background colour and
// picture of the index pages, and where the navigation bar goes.
#pragma once

#include "pages/OptionSubPage.h"

class QPushButton;
class QToolButton;

namespace qg::app {

class IndexPagePage : public OptionSubPage {
  Q_OBJECT

 public:
  IndexPagePage(qg::Project& project, Prompts& prompts, QWidget* parent = nullptr);

  QLineEdit* editBackgroundAPic;
  QPushButton* btnBackgroundBrowseIndex;
  QToolButton* imgBackgroundsA;  // opens the backgrounds page on the vendor's site
  QPushButton* btnNavAdvanced;
};

}  // namespace qg::app
