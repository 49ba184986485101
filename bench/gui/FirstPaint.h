// Ends the program when `window` has painted for the first time, so a process's run time is its
// start to the first shown window.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>

class QuitOnFirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_) {
      done_ = true;
      QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool done_ = false;
};
