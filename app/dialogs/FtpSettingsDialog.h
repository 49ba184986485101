// The FTP settings dialog: host, user name, password and folder of the user's own FTP server,
// the four upload preferences. OK stores them exactly as typed (the upload tidies the folder);
// Cancel, Escape or the window's close button leave the preferences as they were.
#pragma once

#include <QDialog>

#include "project/Preferences.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qg::app {

class Prompts;

class FtpSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  FtpSettingsDialog(qg::Preferences& preferences, QWidget* parent = nullptr);

  // Writes the four fields into the preferences.
  void apply();

 private:
  qg::Preferences& preferences_;
  QLabel* lblInfo_;
  QLineEdit* editHost_;
  QLineEdit* editUser_;
  QLineEdit* editPass_;
  QLineEdit* editFolder_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

// Shows the dialog modally; true when OK was pressed and the values were stored.
bool RunFtpSettingsDialog(QWidget* parent, Prompts& prompts, qg::Preferences& preferences);

}  // namespace qg::app
