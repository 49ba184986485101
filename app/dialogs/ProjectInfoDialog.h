// The project information dialog: the open project's file name, when it was last saved, the
// gallery title, the target folder, the picture count, the thumbnail size and the index grid.
// It only reads the project; the values are taken once, when it opens.
#pragma once

#include <QDialog>

#include "project/Project.h"

class QLabel;
class QLineEdit;

namespace qg::app {

class Prompts;

class ProjectInfoDialog : public QDialog {
  Q_OBJECT

 public:
  ProjectInfoDialog(QWidget* parent, const qg::Project& project);
};

void RunProjectInfoDialog(QWidget* parent, Prompts& prompts, const qg::Project& project);

}  // namespace qg::app
