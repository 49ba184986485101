// Step 2, "Add Pictures": the picture list of the project with its buttons and pop-up menu, the
// title boxes of the selected picture, and the small preview with its "Image Data" tab.
//
// The list shows project.pictures; every edit goes through the core's list operations, and typed
// titles are committed into the record they were filled from before any of them (and before
// every flow of the main window, through commitTitles()).
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "project/PictureList.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace qg {
struct Project;
}

namespace qg::app {

class Prompts;

class PicturesPage : public QWidget {
  Q_OBJECT

 public:
  PicturesPage(qg::Project& project, Prompts& prompts, QWidget* parent = nullptr);

  // Rebuilds the list from the project and selects `selection` (kNoSelection: none).
  void refresh(int selection);
  // Selects the last record, if there is one (after Open and Add).
  void selectLast();
  int selected() const;
  void select(int index);
  // Writes the title boxes into the record they were filled from.
  void commitTitles();
  // Appends the pictures (measuring each); a picture that cannot be decoded ends the adding
  // with its error (thrown), the records before it stay. The list is redrawn once.
  void addPictures(const std::vector<std::string>& paths);
  void UpdateImageCount();
  // New: the sort direction back to "az", the preview emptied.
  void resetForNewProject();
  void clearPreview();

  int sortColumn() const { return static_cast<int>(sortColumn_); }
  bool sortDescending() const { return sortDescending_; }

  QTreeWidget* lvPics;
  QPushButton* btnAddPic;
  QPushButton* btnDeletePic;
  QPushButton* btnMoveUp;
  QPushButton* btnMoveDown;
  QPushButton* btnSortAZ;
  QPushButton* btnSortZA;
  QPushButton* btnRotateL;
  QPushButton* btnRotateR;
  QPushButton* btnDetails;
  QPushButton* btnClearList;
  QLineEdit* edtShortTitle;
  QLineEdit* editLongTitle;
  QCheckBox* chkShowImage;
  QLabel* lblImageCount;
  QLabel* lblClick;
  QTabWidget* pagePicture;
  QLabel* imgPreview;
  QPlainTextEdit* memoExif;
  QAction* itemAddPicture;
  QAction* itemDeletePicture;

 public slots:
  void btnDeletePicClick();
  void btnMoveUpClick();
  void btnMoveDownClick();
  void btnSortAZClick();
  void btnSortZAClick();
  void lvPicsColumnClick(int column);
  void btnClearListClick();
  void ShowCameraData();

 signals:
  // "&Add..." and the pop-up's "&Add Picture": the main window runs the Add flow.
  void addRequested();
  void previewClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void lvPicsSelectItem();
  void sort(qg::SortColumn column, bool descending);
  void showTitles(int index);
  void loadPreview(const std::string& path);

  qg::Project& project_;
  Prompts& prompts_;
  int titleRecord_ = qg::kNoSelection;  // the record the title boxes were filled from
  qg::SortColumn sortColumn_ = qg::SortColumn::FileName;
  bool sortDescending_ = false;
  bool rebuilding_ = false;
};

}  // namespace qg::app
