// The one seam through which the window asks, tells and chooses: questions, notes, the error
// display, file and folder choosers, the colour chooser, opening a URL or a file, starting a
// program and running a modal dialog. The window holds a Prompts&; the program passes QtPrompts,
// the tests pass ScriptedPrompts, so a flow test reads like the flow and checks the exact texts.
//
// Threading: every call is made on the GUI thread.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

class QDialog;

namespace qg::app {

enum class Answer { Yes, No, Cancel };

class Prompts {
 public:
  virtual ~Prompts() = default;

  // Questions: title "Confirm", question icon, Yes and No (or Yes, No and Cancel).
  virtual Answer askYesNo(const QString& text) = 0;
  virtual Answer askYesNoCancel(const QString& text) = 0;
  // A note: title "Information", OK.
  virtual void inform(const QString& text) = 0;
  // The error display: title "Quillon Gallery", error icon, OK; the full-stop rule is applied by
  // the caller (ShowError in ErrorDisplay.h), the text arrives here as it is shown.
  virtual void showError(const QString& text) = 0;

  // Choosers; an empty result (or an empty list) means the user cancelled.
  virtual QStringList chooseOpenFiles(const QString& caption, const QString& folder,
                                      const QString& filter) = 0;
  virtual QString chooseOpenFile(const QString& caption, const QString& folder,
                                 const QString& filter) = 0;
  virtual QString chooseSaveFile(const QString& caption, const QString& folder,
                                 const QString& filter) = 0;
  virtual QString chooseFolder(const QString& caption, const QString& folder) = 0;
  // The colour chooser; an invalid QColor means cancelled.
  virtual QColor chooseColour(const QColor& initial) = 0;

  // Opens a URL or a local file with the desktop's handler; false when none could.
  virtual bool openUrl(const QString& url) = 0;
  // Starts a program with one argument (no shell); false when it could not be started.
  virtual bool startProgram(const QString& program, const QString& argument) = 0;

  // Runs a modal dialog and returns its result (QDialog::Accepted or Rejected). Tests answer
  // without showing the dialog, after letting a script act on it.
  virtual int runDialog(QDialog& dialog) = 0;
};

}  // namespace qg::app
