// The About box: the program's name and its version.
#pragma once

#include <QDialog>

namespace qg::app {

class Prompts;

// The version the About box shows.
extern const char kProgramVersion[];

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

void RunAboutDialog(QWidget* parent, Prompts& prompts);

}  // namespace qg::app
