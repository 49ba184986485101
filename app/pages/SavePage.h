// Step 6, "Save Project": Save and Save As.
#pragma once

#include <QWidget>

class QPushButton;

namespace qg::app {

class SavePage : public QWidget {
  Q_OBJECT

 public:
  explicit SavePage(QWidget* parent = nullptr);

  QPushButton* btnSaveProject;
  QPushButton* btnSaveProjectAs;
};

}  // namespace qg::app
