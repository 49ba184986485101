// Runs one long operation (the gallery build, the upload) on a worker thread at a time and
// reports back to the GUI thread through queued calls: progress, phase text and the end with the
// error message, if any. Each run gets its own stop source, so a stop request of one run can
// never reach the next.
//
// Threading: construct, start(), stop() and every signal on the GUI thread; the work itself and
// the reporter calls run on the worker. The destructor asks the running work to stop and waits
// for it.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <thread>

#include "core/LongWork.h"
#include "core/StopToken.h"

namespace qg::app {

class WorkerRunner : public QObject {
  Q_OBJECT

 public:
  explicit WorkerRunner(QObject* parent = nullptr);
  ~WorkerRunner() override;

  // Starts `work` unless a run is going on; false then.
  bool start(qg::LongWork work);
  // Asks the running work to stop at its next look at the token.
  void stop();
  bool running() const { return running_; }
  // Blocks until the running work has returned (its end is still reported by `finished`).
  void wait();

 signals:
  void progress(qulonglong position, qulonglong maximum);
  void phase(const QString& text);
  // `error` is empty when the work returned normally; otherwise the message for the error
  // display.
  void finished(const QString& error);

 private:
  class Reporter;
  std::thread thread_;
  qg::StopSource stop_;
  bool running_ = false;
};

}  // namespace qg::app
