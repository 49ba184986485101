// The FTP settings dialog: the preferences' values in, OK stores them as typed, Cancel changes
// nothing; the password is masked and Tab keeps the order the dialog always had.
#include "dialogs/FtpSettingsDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "AppFixture.h"
#include "support/ScriptedPrompts.h"

namespace qg::app {
namespace {

class FtpSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApp();
    prefs_.sFTPHost = "ftp.example.org";
    prefs_.sFTPUser = "anna";
    prefs_.sFTPPass = "s3cret";
    prefs_.sFTPFolder = "gallery";
  }
  // Types into the four fields, then presses the button named `button`.
  void Script(const QStringList& typed, const char* button) {
    prompts_.dialogScript = [typed, button](QDialog& dialog) {
      const char* names[] = {"editHost", "editUser", "editPass", "editFolder"};
      for (int i = 0; i < 4; ++i)
        dialog.findChild<QLineEdit*>(QLatin1String(names[i]))->setText(typed[i]);
      dialog.findChild<QPushButton*>(QLatin1String(button))->click();
      return dialog.result();
    };
  }

  qg::Preferences prefs_;
  ScriptedPrompts prompts_;
};

TEST_F(FtpSettings, ShowsThePreferencesAndMasksThePassword) {
  FtpSettingsDialog dialog(prefs_);
  EXPECT_EQ(dialog.objectName(), "fmCorvFTP");
  EXPECT_EQ(dialog.windowTitle(), "FTP Details");
  EXPECT_EQ(dialog.findChild<QLabel*>("lblInfo")->text(),
            "Enter your server's FTP setting into the boxes below. Quillon Gallery will use these "
            "settings to upload your gallery.");
  struct Field {
    const char* name;
    const char* caption;
    const char* value;
  };
  for (const Field& f :
       {Field{"editHost", "Host name:", "ftp.example.org"}, Field{"editUser", "User name:", "anna"},
        Field{"editPass", "Password:", "s3cret"}, Field{"editFolder", "Folder:", "gallery"}}) {
    auto* edit = dialog.findChild<QLineEdit*>(f.name);
    ASSERT_NE(edit, nullptr) << f.name;
    EXPECT_EQ(edit->text(), f.value);
    EXPECT_EQ(edit->accessibleName(), f.caption);
    auto* caption = dialog.findChild<QLabel*>(QString(f.name) + "Caption");
    EXPECT_EQ(caption->text(), f.caption);
    EXPECT_EQ(caption->buddy(), edit);
  }
  EXPECT_EQ(dialog.findChild<QLineEdit*>("editPass")->echoMode(), QLineEdit::Password);
  EXPECT_EQ(dialog.findChild<QLineEdit*>("editHost")->echoMode(), QLineEdit::Normal);
  auto* ok = dialog.findChild<QPushButton*>("btnOK");
  EXPECT_EQ(ok->text(), "&OK");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(dialog.findChild<QPushButton*>("btnCancel")->text(), "&Cancel");
}

TEST_F(FtpSettings, FixedSizeLeavesEveryCaptionAndButtonItsRoom) {
  FtpSettingsDialog dialog(prefs_);
  dialog.show();
  QApplication::processEvents();
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_GE(dialog.width(), dialog.sizeHint().width());
  for (QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->wordWrap()) {
      EXPECT_GE(label->height(), label->heightForWidth(label->width()));
      continue;
    }
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
  }
  for (QPushButton* button : dialog.findChildren<QPushButton*>())
    EXPECT_GE(button->width(), button->sizeHint().width()) << button->objectName().toStdString();
}

TEST_F(FtpSettings, TabGoesFromThePasswordToTheButtonsAndThenToTheFolder) {
  FtpSettingsDialog dialog(prefs_);
  QStringList order;
  QWidget* w = dialog.findChild<QWidget*>("editHost");
  for (int i = 0; i < 13; ++i) {
    order << w->objectName();
    do {
      w = w->nextInFocusChain();  // a spin box's own line edit is part of the spin box
    } while (!(w->focusPolicy() & Qt::TabFocus) || w->objectName().startsWith("qt_"));
  }
  EXPECT_EQ(order, (QStringList{"editHost", "editUser", "editPass", "btnCancel", "btnOK",
                                "editFolder", "cmbSecure", "spinPort", "editKeyFile", "btnKeyFile",
                                "chkPassive", "chkChangedOnly", "chkRemoveStale"}));
}

TEST_F(FtpSettings, OkStoresExactlyWhatWasTyped) {
  Script({" host.test ", "", "pa ss", "gal/"}, "btnOK");
  EXPECT_TRUE(RunFtpSettingsDialog(nullptr, prompts_, prefs_));
  EXPECT_EQ(prompts_.texts("runDialog"), QStringList{"fmCorvFTP"});
  EXPECT_EQ(prefs_.sFTPHost, " host.test ");
  EXPECT_EQ(prefs_.sFTPUser, "");
  EXPECT_EQ(prefs_.sFTPPass, "pa ss");
  EXPECT_EQ(prefs_.sFTPFolder, "gal/");
}

TEST_F(FtpSettings, CancelAndClosingChangeNothing) {
  const qg::Preferences before = prefs_;
  Script({"other", "bob", "x", "y"}, "btnCancel");
  EXPECT_FALSE(RunFtpSettingsDialog(nullptr, prompts_, prefs_));
  EXPECT_EQ(prefs_, before);

  // Escape or the window's close button reject the dialog the same way.
  prompts_.dialogScript = [](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("editHost")->setText("changed");
    dialog.reject();
    return dialog.result();
  };
  EXPECT_FALSE(RunFtpSettingsDialog(nullptr, prompts_, prefs_));
  EXPECT_EQ(prefs_, before);
}

TEST_F(FtpSettings, ConnectionChoicesShowAndStoreThePublishingPreferences) {
  FtpSettingsDialog dialog(prefs_);
  auto* secure = dialog.findChild<QComboBox*>("cmbSecure");
  auto* port = dialog.findChild<QSpinBox*>("spinPort");
  auto* passive = dialog.findChild<QCheckBox*>("chkPassive");
  auto* changedOnly = dialog.findChild<QCheckBox*>("chkChangedOnly");
  auto* removeStale = dialog.findChild<QCheckBox*>("chkRemoveStale");
  ASSERT_TRUE(secure && port && passive && changedOnly && removeStale);
  EXPECT_EQ(secure->accessibleName(), "Secure connection:");
  EXPECT_EQ(dialog.findChild<QLabel*>("cmbSecureCaption")->buddy(), secure);
  EXPECT_EQ(port->accessibleName(), "Port:");
  EXPECT_EQ(port->text(), "Default");
  EXPECT_EQ(passive->accessibleName(), "Passive mode");
  EXPECT_EQ(changedOnly->accessibleName(), "Upload only changed files");
  EXPECT_EQ(removeStale->accessibleName(), "Remove files the gallery no longer has");
  EXPECT_EQ(secure->count(), 3);
  // Defaults: active plain FTP sending everything.
  EXPECT_EQ(secure->currentIndex(), 0);
  EXPECT_FALSE(passive->isChecked());
  EXPECT_FALSE(changedOnly->isChecked());
  // Changed-only follows the kind of connection until the user sets it.
  secure->setCurrentIndex(qg::kFtpSsh);
  EXPECT_TRUE(changedOnly->isChecked());
  secure->setCurrentIndex(qg::kFtpPlain);
  EXPECT_FALSE(changedOnly->isChecked());
  passive->setChecked(true);
  EXPECT_TRUE(changedOnly->isChecked());
  port->setValue(2121);
  removeStale->setChecked(true);
  dialog.apply();
  EXPECT_TRUE(prefs_.blFTPPassive);
  EXPECT_EQ(prefs_.iFTPSecure, qg::kFtpPlain);
  EXPECT_EQ(prefs_.iFTPPort, 2121);
  EXPECT_EQ(prefs_.iFTPChangedOnly, qg::kChangedOnlyByTransport);
  EXPECT_TRUE(prefs_.blFTPRemoveStale);
}

TEST_F(FtpSettings, AKeyFileIsChosenOrTypedForSftpOnly) {
  prefs_.sFTPKeyFile = "/home/anna/keys/old_key";
  FtpSettingsDialog dialog(prefs_, &prompts_);
  auto* secure = dialog.findChild<QComboBox*>("cmbSecure");
  auto* keyFile = dialog.findChild<QLineEdit*>("editKeyFile");
  auto* browse = dialog.findChild<QPushButton*>("btnKeyFile");
  ASSERT_TRUE(keyFile && browse);
  EXPECT_EQ(keyFile->accessibleName(), "Private key file (SFTP):");
  EXPECT_EQ(dialog.findChild<QLabel*>("editKeyFileCaption")->buddy(), keyFile);
  EXPECT_FALSE(browse->accessibleName().isEmpty());
  EXPECT_EQ(keyFile->text(), "/home/anna/keys/old_key");
  EXPECT_FALSE(keyFile->isEnabled());  // plain FTP has no keys
  EXPECT_FALSE(browse->isEnabled());
  secure->setCurrentIndex(qg::kFtpSsh);
  EXPECT_TRUE(keyFile->isEnabled());
  EXPECT_TRUE(browse->isEnabled());

  prompts_.files.push_back({});  // cancelled: the field keeps its text
  browse->click();
  EXPECT_EQ(keyFile->text(), "/home/anna/keys/old_key");
  prompts_.files.push_back({"/home/anna/.ssh/id_ed25519"});
  browse->click();
  EXPECT_EQ(prompts_.texts("chooseOpenFile"),
            QStringList({"Private Key File", "Private Key File"}));
  EXPECT_EQ(keyFile->text(), "/home/anna/.ssh/id_ed25519");
  dialog.apply();
  EXPECT_EQ(prefs_.sFTPKeyFile, "/home/anna/.ssh/id_ed25519");
  EXPECT_EQ(prefs_.iFTPSecure, qg::kFtpSsh);

  // Typed, blanks around it dropped; cleared, the password logs in again.
  keyFile->setText("  /keys/k  ");
  dialog.apply();
  EXPECT_EQ(prefs_.sFTPKeyFile, "/keys/k");
  keyFile->clear();
  dialog.apply();
  EXPECT_EQ(prefs_.sFTPKeyFile, "");

  // Without a way to ask, there is nothing to browse with.
  FtpSettingsDialog bare(prefs_);
  bare.findChild<QComboBox*>("cmbSecure")->setCurrentIndex(qg::kFtpSsh);
  EXPECT_FALSE(bare.findChild<QPushButton*>("btnKeyFile")->isEnabled());
}

TEST_F(FtpSettings, AnUntickedChangedOnlyStaysOffAndATrustedKeyGoesWithItsServer) {
  prefs_.iFTPSecure = qg::kFtpTls;
  prefs_.sFTPTrustedKey = "SHA256:abc";
  {
    FtpSettingsDialog dialog(prefs_);
    auto* changedOnly = dialog.findChild<QCheckBox*>("chkChangedOnly");
    EXPECT_TRUE(changedOnly->isChecked());
    changedOnly->click();
    dialog.apply();
    EXPECT_EQ(prefs_.iFTPChangedOnly, qg::kChangedOnlyOff);
    EXPECT_EQ(prefs_.sFTPTrustedKey, "SHA256:abc");  // same server
  }
  FtpSettingsDialog dialog(prefs_);
  EXPECT_FALSE(dialog.findChild<QCheckBox*>("chkChangedOnly")->isChecked());
  dialog.findChild<QLineEdit*>("editHost")->setText("elsewhere.test");
  dialog.apply();
  EXPECT_EQ(prefs_.sFTPTrustedKey, "");
}

}  // namespace
}  // namespace qg::app
