#include "dialogs/FtpSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

constexpr QSize kDesignSize(345, 235);

QLabel* Caption(QWidget* parent, const char* name, const QString& caption, QWidget* buddy) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QLatin1String(name) + QLatin1String("Caption"));
  label->setBuddy(buddy);
  return label;
}

QCheckBox* AddCheck(QFormLayout* form, QWidget* parent, const char* name, const QString& caption,
                    bool value) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QLatin1String(name));
  box->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
  box->setChecked(value);
  form->addRow(box);
  return box;
}

QLineEdit* AddField(QFormLayout* form, QWidget* parent, const char* name, const QString& caption,
                    const std::string& value) {
  auto* edit = new QLineEdit(ToQ(value), parent);
  edit->setObjectName(QLatin1String(name));
  edit->setAccessibleName(caption);
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QLatin1String(name) + QLatin1String("Caption"));
  label->setBuddy(edit);
  form->addRow(label, edit);
  return edit;
}

}  // namespace

FtpSettingsDialog::FtpSettingsDialog(qg::Preferences& preferences, Prompts* prompts,
                                     QWidget* parent)
    : QDialog(parent), preferences_(preferences), prompts_(prompts) {
  setObjectName(QStringLiteral("fmCorvFTP"));
  setWindowTitle(QStringLiteral("FTP Details"));
  // A fixed dialog with only the system menu and the close button.
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("imgFTP"));
  icon->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
  icon->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  icon->setAccessibleName(QStringLiteral("FTP"));

  lblInfo_ = new QLabel(this);
  lblInfo_->setObjectName(QStringLiteral("lblInfo"));
  lblInfo_->setTextFormat(Qt::PlainText);
  lblInfo_->setWordWrap(true);
  lblInfo_->setText(
      QStringLiteral("Enter your server's FTP setting into the boxes below. Quillon Gallery will "
                     "use these settings to upload your gallery."));

  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addWidget(lblInfo_, 1);

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  editHost_ = AddField(form, this, "editHost", QStringLiteral("Host name:"), preferences.sFTPHost);
  editUser_ = AddField(form, this, "editUser", QStringLiteral("User name:"), preferences.sFTPUser);
  editPass_ = AddField(form, this, "editPass", QStringLiteral("Password:"), preferences.sFTPPass);
  editPass_->setEchoMode(QLineEdit::Password);
  editFolder_ =
      AddField(form, this, "editFolder", QStringLiteral("Folder:"), preferences.sFTPFolder);

  // How the server is reached and what an upload sends.
  cmbSecure_ = new QComboBox(this);
  cmbSecure_->setObjectName(QStringLiteral("cmbSecure"));
  cmbSecure_->addItem(QStringLiteral("None (plain FTP)"));
  cmbSecure_->addItem(QStringLiteral("FTPS (FTP over TLS)"));
  cmbSecure_->addItem(QStringLiteral("SFTP (over SSH)"));
  cmbSecure_->setAccessibleName(QStringLiteral("Secure connection:"));
  cmbSecure_->setCurrentIndex(preferences.iFTPSecure >= qg::kFtpPlain &&
                                      preferences.iFTPSecure <= qg::kFtpSsh
                                  ? preferences.iFTPSecure
                                  : qg::kFtpPlain);
  form->addRow(Caption(this, "cmbSecure", QStringLiteral("&Secure connection:"), cmbSecure_),
               cmbSecure_);
  spinPort_ = new QSpinBox(this);
  spinPort_->setObjectName(QStringLiteral("spinPort"));
  spinPort_->setRange(0, 65535);
  spinPort_->setSpecialValueText(QStringLiteral("Default"));
  spinPort_->setAccessibleName(QStringLiteral("Port:"));
  spinPort_->setValue(preferences.iFTPPort);
  form->addRow(Caption(this, "spinPort", QStringLiteral("Po&rt:"), spinPort_), spinPort_);
  // SFTP may log in with a key instead of the password, which then unlocks the key.
  editKeyFile_ = new QLineEdit(ToQ(preferences.sFTPKeyFile), this);
  editKeyFile_->setObjectName(QStringLiteral("editKeyFile"));
  editKeyFile_->setAccessibleName(QStringLiteral("Private key file (SFTP):"));
  editKeyFile_->setPlaceholderText(QStringLiteral("None (password)"));
  editKeyFile_->setToolTip(
      QStringLiteral("With a key file, the password is the key's passphrase (empty for none)."));
  btnKeyFile_ = new QPushButton(QStringLiteral("&Browse..."), this);
  btnKeyFile_->setObjectName(QStringLiteral("btnKeyFile"));
  btnKeyFile_->setAccessibleName(QStringLiteral("Browse for the private key file"));
  auto* keyRow = new QHBoxLayout;
  keyRow->addWidget(editKeyFile_, 1);
  keyRow->addWidget(btnKeyFile_);
  form->addRow(
      Caption(this, "editKeyFile", QStringLiteral("Private &key file (SFTP):"), editKeyFile_),
      keyRow);
  connect(btnKeyFile_, &QPushButton::clicked, this, [this] { chooseKeyFile(); });
  chkPassive_ =
      AddCheck(form, this, "chkPassive", QStringLiteral("&Passive mode"), preferences.blFTPPassive);
  chkChangedOnly_ =
      AddCheck(form, this, "chkChangedOnly", QStringLiteral("Upload only c&hanged files"),
               qg::ChangedOnly(preferences));
  chkRemoveStale_ = AddCheck(form, this, "chkRemoveStale",
                             QStringLiteral("&Remove files the gallery no longer has"),
                             preferences.blFTPRemoveStale);
  changedOnlyTouched_ = preferences.iFTPChangedOnly != qg::kChangedOnlyByTransport;
  connect(cmbSecure_, &QComboBox::currentIndexChanged, this, [this] { followTransport(); });
  followTransport();
  connect(chkPassive_, &QCheckBox::toggled, this, [this] { followTransport(); });
  connect(chkChangedOnly_, &QCheckBox::clicked, this, [this] { changedOnlyTouched_ = true; });

  btnOK_ = new QPushButton(QStringLiteral("&OK"), this);
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnOK_->setAccessibleName(QStringLiteral("OK"));
  btnOK_->setDefault(true);
  btnCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  btnCancel_->setAccessibleName(QStringLiteral("Cancel"));
  connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnCancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(form);
  layout->addStretch(1);
  layout->addLayout(buttons);

  // The order the users of this dialog are used to: the password is followed by the buttons,
  // the folder comes last.
  setTabOrder(editHost_, editUser_);
  setTabOrder(editUser_, editPass_);
  setTabOrder(editPass_, btnCancel_);
  setTabOrder(btnCancel_, btnOK_);
  setTabOrder(btnOK_, editFolder_);
  setTabOrder(editFolder_, cmbSecure_);
  setTabOrder(cmbSecure_, spinPort_);
  setTabOrder(spinPort_, editKeyFile_);
  setTabOrder(editKeyFile_, btnKeyFile_);
  setTabOrder(btnKeyFile_, chkPassive_);
  setTabOrder(chkPassive_, chkChangedOnly_);
  setTabOrder(chkChangedOnly_, chkRemoveStale_);
  editHost_->setFocus();

  QSize size = sizeHint().expandedTo(kDesignSize);
  if (layout->hasHeightForWidth())
    size.setHeight(std::max(size.height(), layout->totalHeightForWidth(size.width())));
  setFixedSize(size);
}

bool FtpSettingsDialog::newTransport() const {
  return chkPassive_->isChecked() || cmbSecure_->currentIndex() != qg::kFtpPlain;
}

void FtpSettingsDialog::followTransport() {
  const bool sftp = cmbSecure_->currentIndex() == qg::kFtpSsh;
  editKeyFile_->setEnabled(sftp);
  btnKeyFile_->setEnabled(sftp && prompts_);
  if (changedOnlyTouched_) return;
  chkChangedOnly_->setChecked(newTransport());
}

void FtpSettingsDialog::chooseKeyFile() {
  if (!prompts_) return;
  QString folder = QFileInfo(editKeyFile_->text()).absolutePath();
  if (editKeyFile_->text().isEmpty() || !QFileInfo(folder).isDir())
    folder = QDir::homePath() + QStringLiteral("/.ssh");
  const QString chosen = prompts_->chooseOpenFile(QStringLiteral("Private Key File"), folder,
                                                  QStringLiteral("All files (*)"));
  if (!chosen.isEmpty()) editKeyFile_->setText(chosen);
}

void FtpSettingsDialog::apply() {
  const std::string host = FromQ(editHost_->text());
  const int32_t secure = cmbSecure_->currentIndex();
  const int32_t port = spinPort_->value();
  if (host != preferences_.sFTPHost || secure != preferences_.iFTPSecure ||
      port != preferences_.iFTPPort) {
    preferences_.sFTPTrustedKey.clear();  // it vouched for another server
  }
  preferences_.sFTPHost = host;
  preferences_.sFTPUser = FromQ(editUser_->text());
  preferences_.sFTPPass = FromQ(editPass_->text());
  preferences_.sFTPFolder = FromQ(editFolder_->text());
  preferences_.iFTPSecure = secure;
  preferences_.iFTPPort = port;
  preferences_.blFTPPassive = chkPassive_->isChecked();
  // Left as the kind of connection has it, the setting keeps following it.
  preferences_.iFTPChangedOnly = chkChangedOnly_->isChecked() == newTransport()
                                     ? qg::kChangedOnlyByTransport
                                 : chkChangedOnly_->isChecked() ? qg::kChangedOnlyOn
                                                                : qg::kChangedOnlyOff;
  preferences_.blFTPRemoveStale = chkRemoveStale_->isChecked();
  preferences_.sFTPKeyFile = FromQ(editKeyFile_->text().trimmed());
}

bool RunFtpSettingsDialog(QWidget* parent, Prompts& prompts, qg::Preferences& preferences) {
  FtpSettingsDialog dialog(preferences, &prompts, parent);
  if (prompts.runDialog(dialog) != QDialog::Accepted) return false;
  dialog.apply();
  return true;
}

}  // namespace qg::app
