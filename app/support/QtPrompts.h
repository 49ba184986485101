// The prompts seam with Qt's own windows: message boxes with the program's titles, icons and
// buttons, Qt's file dialog (not the desktop's, so that "*.jpg" also offers "P.JPG" on every
// desktop), the colour dialog, the desktop's URL handler and detached program starts.
//
// Threading: GUI thread only.
#pragma once

#include <QPointer>
#include <QWidget>

#include "support/Prompts.h"

namespace qg::app {

class QtPrompts : public Prompts {
 public:
  // Dialogs are centred over `parent` (the main window, set once it exists), else over the
  // active window.
  explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  Answer askYesNo(const QString& text) override;
  Answer askYesNoCancel(const QString& text) override;
  void inform(const QString& text) override;
  void showError(const QString& text) override;
  QStringList chooseOpenFiles(const QString& caption, const QString& folder,
                              const QString& filter) override;
  QString chooseOpenFile(const QString& caption, const QString& folder,
                         const QString& filter) override;
  QString chooseSaveFile(const QString& caption, const QString& folder,
                         const QString& filter) override;
  QString chooseFolder(const QString& caption, const QString& folder) override;
  QColor chooseColour(const QColor& initial) override;
  bool openUrl(const QString& url) override;
  bool startProgram(const QString& program, const QString& argument) override;
  int runDialog(QDialog& dialog) override;

 private:
  QWidget* parent() const;
  QPointer<QWidget> parent_;
};

}  // namespace qg::app
