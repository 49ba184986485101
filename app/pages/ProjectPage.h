// Step 1, "Project Details": New, Open and Project Information, and the program's logo (a link to
// the vendor's home page).
#pragma once

#include <QWidget>

class QPushButton;
class QToolButton;

namespace qg::app {

class ProjectPage : public QWidget {
  Q_OBJECT

 public:
  explicit ProjectPage(QWidget* parent = nullptr);

  QPushButton* btnNewProject;
  QPushButton* btnOpenProject;
  QPushButton* btnProjectInfo;
  QToolButton* imgLogo;
};

}  // namespace qg::app
