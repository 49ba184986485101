#include "dialogs/FtpSettingsDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

constexpr QSize kDesignSize(345, 235);

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

FtpSettingsDialog::FtpSettingsDialog(qg::Preferences& preferences, QWidget* parent)
    : QDialog(parent), preferences_(preferences) {
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
  editHost_->setFocus();

  QSize size = sizeHint().expandedTo(kDesignSize);
  if (layout->hasHeightForWidth())
    size.setHeight(std::max(size.height(), layout->totalHeightForWidth(size.width())));
  setFixedSize(size);
}

void FtpSettingsDialog::apply() {
  preferences_.sFTPHost = FromQ(editHost_->text());
  preferences_.sFTPUser = FromQ(editUser_->text());
  preferences_.sFTPPass = FromQ(editPass_->text());
  preferences_.sFTPFolder = FromQ(editFolder_->text());
}

bool RunFtpSettingsDialog(QWidget* parent, Prompts& prompts, qg::Preferences& preferences) {
  FtpSettingsDialog dialog(preferences, parent);
  if (prompts.runDialog(dialog) != QDialog::Accepted) return false;
  dialog.apply();
  return true;
}

}  // namespace qg::app
