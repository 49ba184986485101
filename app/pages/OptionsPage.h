// Step 3, "Gallery Options": a column of six option buttons and, beside it, a caption bar over the
// shown sub-page. Exactly one option button is pressed, the one of the shown sub-page.
#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QStackedWidget;
class QToolButton;

namespace qg {
struct Project;
}

namespace qg::app {

class Prompts;
class OptionSubPage;
class TargetFoldersPage;
class TitlesPage;
class ThumbnailsPage;
class IndexPagePage;
class ImagesPage;
class ImagesPagePage;

class OptionsPage : public QWidget {
  Q_OBJECT

 public:
  enum SubPage { Target, Titles, Thumbnails, Index, Images, ImagePage, SubPageCount };

  OptionsPage(qg::Project& project, Prompts& prompts, QWidget* parent = nullptr);

  // Shows one sub-page: presses its button, puts its icon and text into the caption bar.
  void ShowOptionPage(int page);
  int shownPage() const { return shown_; }
  // Every sub-page shows the project's values again.
  void refresh();

  TargetFoldersPage* targetFolders;
  TitlesPage* titles;
  ThumbnailsPage* thumbnails;
  IndexPagePage* indexPage;
  ImagesPage* images;
  ImagesPagePage* imagesPage;

 signals:
  void edited();

 private:
  std::array<QToolButton*, SubPageCount> buttons_{};
  std::array<OptionSubPage*, SubPageCount> pages_{};
  QLabel* captionIcon_;
  QLabel* captionText_;
  QStackedWidget* stack_;
  int shown_ = Target;
};

}  // namespace qg::app
