// Gallery Options, "Titles": the gallery title and the title templates of the index pages and of
// the picture pages, each with a button that opens its title dialog.
#pragma once

#include "pages/OptionSubPage.h"

class QPushButton;

namespace qg::app {

class TitlesPage : public OptionSubPage {
  Q_OBJECT

 public:
  TitlesPage(qg::Project& project, Prompts& prompts, QWidget* parent = nullptr);

  QPushButton* btnPageTitleMore;
  QPushButton* btnThumbTitleMore;
  QPushButton* btnThumbALTMore;
  QPushButton* btnPageTitleMoreImage;
  QPushButton* btnImageTitleMore;
  QPushButton* btnImageALT;
};

}  // namespace qg::app
