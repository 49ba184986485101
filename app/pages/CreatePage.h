// Step 4, "Create Gallery": the Create and View buttons, the three Create check boxes (bound to
// the project's values), the progress bar and text, and Stop. The build itself is started by the
// main window.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace qg {
struct Project;
}

namespace qg::app {

class CreatePage : public QWidget {
  Q_OBJECT

 public:
  CreatePage(qg::Project& project, QWidget* parent = nullptr);

  // Shows the project's values of the three check boxes.
  void refresh();
  // SetCreateControlsEnabled: the three boxes and the Create and View buttons together.
  void SetCreateControlsEnabled(bool enabled);

  QPushButton* btnCreatePages;
  QPushButton* btnViewPages;
  QPushButton* btnStop;
  QCheckBox* chkCreateHTML;
  QCheckBox* chkCreateThumbs;
  QCheckBox* chkCreateImages;
  // "Only remake what changed": a preference, which the main window keeps.
  QCheckBox* chkOnlyRemakeChanged;
  QProgressBar* pbCreateProgress;
  QLabel* lblCreateProgress;

 private:
  qg::Project& project_;
};

}  // namespace qg::app
