// Marks the first paint of a window: prints the wall-clock time in milliseconds since the epoch
// and ends the process at once, so a benchmark measures start to the first shown window and
// nothing of the shutdown.
#pragma once

#include <QDateTime>
#include <QEvent>
#include <QObject>
#include <cstdio>
#include <cstdlib>

class ExitOnFirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      std::printf("%lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
      std::fflush(stdout);
      std::_Exit(0);
    }
    return QObject::eventFilter(watched, event);
  }
};
