// The FTP settings dialog: host, user name, password and folder of the user's own FTP server,
// the four upload preferences, and below them how the server is reached (passive mode, a secure
// connection, the port, for SFTP a private key file) and what an upload sends (only changed
// files; removing the files the gallery no longer has). OK stores them exactly as typed (the upload
// tidies the folder); Cancel, Escape or the window's close button leave the preferences as they
// were.
#pragma once

#include <QDialog>

#include "project/Preferences.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace qg::app {

class Prompts;

class FtpSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // `prompts` chooses the key file (without it the Browse button is disabled).
  FtpSettingsDialog(qg::Preferences& preferences, Prompts* prompts = nullptr,
                    QWidget* parent = nullptr);

  // Writes the fields into the preferences. A trusted server key is forgotten when the server
  // it belongs to (host, port or kind of connection) changed.
  void apply();

 private:
  // Changed-only sending follows the kind of connection until the user sets it.
  void followTransport();
  bool newTransport() const;
  void chooseKeyFile();

  qg::Preferences& preferences_;
  Prompts* prompts_;
  QLabel* lblInfo_;
  QLineEdit* editHost_;
  QLineEdit* editUser_;
  QLineEdit* editPass_;
  QLineEdit* editFolder_;
  QComboBox* cmbSecure_;
  QSpinBox* spinPort_;
  QLineEdit* editKeyFile_;
  QPushButton* btnKeyFile_;
  QCheckBox* chkPassive_;
  QCheckBox* chkChangedOnly_;
  QCheckBox* chkRemoveStale_;
  bool changedOnlyTouched_ = false;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

// Shows the dialog modally; true when OK was pressed and the values were stored.
bool RunFtpSettingsDialog(QWidget* parent, Prompts& prompts, qg::Preferences& preferences);

}  // namespace qg::app
