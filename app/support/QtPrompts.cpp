// Qt's windows behind the prompts seam; see QtPrompts.h.
#include "support/QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

namespace qg::app {
namespace {

Answer ToAnswer(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

int RunBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, title, text, buttons, parent);
  box.setTextFormat(Qt::PlainText);  // messages may quote file names and server replies
  box.setDefaultButton(defaultButton);
  return box.exec();
}

QFileDialog::Options DialogOptions() { return QFileDialog::DontUseNativeDialog; }

}  // namespace

QWidget* QtPrompts::parent() const {
  if (parent_) return parent_;
  return QApplication::activeWindow();
}

Answer QtPrompts::askYesNo(const QString& text) {
  return ToAnswer(RunBox(parent(), QMessageBox::Question, QStringLiteral("Confirm"), text,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes));
}

Answer QtPrompts::askYesNoCancel(const QString& text) {
  const int b = RunBox(parent(), QMessageBox::Question, QStringLiteral("Confirm"), text,
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  return ToAnswer(b);
}

void QtPrompts::inform(const QString& text) {
  RunBox(parent(), QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok,
         QMessageBox::Ok);
}

void QtPrompts::showError(const QString& text) {
  RunBox(parent(), QMessageBox::Critical, QStringLiteral("Quillon Gallery"), text, QMessageBox::Ok,
         QMessageBox::Ok);
}

QStringList QtPrompts::chooseOpenFiles(const QString& caption, const QString& folder,
                                       const QString& filter) {
  return QFileDialog::getOpenFileNames(parent(), caption, folder, filter, nullptr, DialogOptions());
}

QString QtPrompts::chooseOpenFile(const QString& caption, const QString& folder,
                                  const QString& filter) {
  return QFileDialog::getOpenFileName(parent(), caption, folder, filter, nullptr, DialogOptions());
}

QString QtPrompts::chooseSaveFile(const QString& caption, const QString& folder,
                                  const QString& filter) {
  // The caller asks before replacing, on the final name (after an extension is added).
  return QFileDialog::getSaveFileName(parent(), caption, folder, filter, nullptr,
                                      DialogOptions() | QFileDialog::DontConfirmOverwrite);
}

QString QtPrompts::chooseFolder(const QString& caption, const QString& folder) {
  return QFileDialog::getExistingDirectory(parent(), caption, folder,
                                           DialogOptions() | QFileDialog::ShowDirsOnly);
}

QColor QtPrompts::chooseColour(const QColor& initial) {
  return QColorDialog::getColor(initial, parent(), QString(), QColorDialog::DontUseNativeDialog);
}

bool QtPrompts::openUrl(const QString& url) {
  const bool hasScheme = url.contains(QStringLiteral("://")) ||
                         url.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive);
  return QDesktopServices::openUrl(hasScheme ? QUrl(url, QUrl::TolerantMode)
                                             : QUrl::fromLocalFile(url));
}

bool QtPrompts::startProgram(const QString& program, const QString& argument) {
  return QProcess::startDetached(program, {argument});
}

int QtPrompts::runDialog(QDialog& dialog) { return dialog.exec(); }

}  // namespace qg::app
