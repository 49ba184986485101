// The prompts seam for tests: every call is recorded with its exact text, and answers come from
// queues the test fills beforehand. An unexpected question (empty answer queue) fails the test
// through the recorded log rather than blocking: it answers No (or Cancel) and notes it.
#pragma once

#include <QColor>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "support/Prompts.h"

namespace qg::app {

class ScriptedPrompts : public Prompts {
 public:
  struct Call {
    QString kind;  // "askYesNo", "askYesNoCancel", "inform", "showError", "chooseOpenFiles", ...
    QString text;  // the question, note or error text, or the chooser's caption, or the URL
  };

  // Answers, used in order.
  std::deque<Answer> answers;
  std::deque<QStringList> files;  // for chooseOpenFiles / chooseOpenFile / chooseSaveFile
  std::deque<QString> folders;
  std::deque<QColor> colours;
  bool openUrlResult = true;
  bool startProgramResult = true;
  // Acts on a dialog given to runDialog (set fields, press buttons) and returns its result; the
  // default rejects it.
  std::function<int(QDialog&)> dialogScript;

  std::vector<Call> calls;
  QStringList openedUrls;
  QStringList startedPrograms;  // "program argument"

  Answer askYesNo(const QString& text) override { return answer("askYesNo", text, Answer::No); }
  Answer askYesNoCancel(const QString& text) override {
    return answer("askYesNoCancel", text, Answer::Cancel);
  }
  void inform(const QString& text) override { calls.push_back({"inform", text}); }
  void showError(const QString& text) override { calls.push_back({"showError", text}); }

  QStringList chooseOpenFiles(const QString& caption, const QString&, const QString&) override {
    calls.push_back({"chooseOpenFiles", caption});
    return takeFiles();
  }
  QString chooseOpenFile(const QString& caption, const QString&, const QString&) override {
    calls.push_back({"chooseOpenFile", caption});
    QStringList f = takeFiles();
    return f.isEmpty() ? QString() : f.front();
  }
  QString chooseSaveFile(const QString& caption, const QString&, const QString&) override {
    calls.push_back({"chooseSaveFile", caption});
    QStringList f = takeFiles();
    return f.isEmpty() ? QString() : f.front();
  }
  QString chooseFolder(const QString& caption, const QString&) override {
    calls.push_back({"chooseFolder", caption});
    if (folders.empty()) return QString();
    QString f = folders.front();
    folders.pop_front();
    return f;
  }
  QColor chooseColour(const QColor&) override {
    calls.push_back({"chooseColour", QString()});
    if (colours.empty()) return QColor();
    QColor c = colours.front();
    colours.pop_front();
    return c;
  }
  bool openUrl(const QString& url) override {
    calls.push_back({"openUrl", url});
    openedUrls << url;
    return openUrlResult;
  }
  bool startProgram(const QString& program, const QString& argument) override {
    calls.push_back({"startProgram", program + ' ' + argument});
    startedPrograms << program + ' ' + argument;
    return startProgramResult;
  }
  int runDialog(QDialog& dialog) override {
    calls.push_back({"runDialog", dialog.objectName()});
    return dialogScript ? dialogScript(dialog) : int(QDialog::Rejected);
  }

  // The texts of the calls of one kind, in order.
  QStringList texts(const QString& kind) const {
    QStringList out;
    for (const Call& c : calls)
      if (c.kind == kind) out << c.text;
    return out;
  }

 private:
  Answer answer(const char* kind, const QString& text, Answer fallback) {
    calls.push_back({kind, text});
    if (answers.empty()) {
      calls.push_back({"unexpected", text});
      return fallback;
    }
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  QStringList takeFiles() {
    if (files.empty()) return {};
    QStringList f = files.front();
    files.pop_front();
    return f;
  }
};

}  // namespace qg::app
