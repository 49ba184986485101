// One worker thread for long work; see WorkerRunner.h.
#include "support/WorkerRunner.h"

#include <QMetaObject>
#include <QPointer>
#include <exception>
#include <new>

#include "core/Error.h"
#include "support/Text.h"

namespace qg::app {

// Forwards the work's reports to the runner's thread. A queued call to a runner that is gone is
// dropped by Qt, since the runner is the call's context object.
class WorkerRunner::Reporter : public qg::WorkReporter {
 public:
  explicit Reporter(WorkerRunner* runner) : runner_(runner) {}
  void Progress(size_t position, size_t maximum) override {
    WorkerRunner* r = runner_;
    QMetaObject::invokeMethod(
        r, [r, position, maximum] { emit r->progress(position, maximum); }, Qt::QueuedConnection);
  }
  void Phase(const std::string& text) override {
    WorkerRunner* r = runner_;
    const QString q = ToQ(text);
    QMetaObject::invokeMethod(
        r, [r, q] { emit r->phase(q); }, Qt::QueuedConnection);
  }

 private:
  WorkerRunner* runner_;
};

WorkerRunner::WorkerRunner(QObject* parent) : QObject(parent) {}

WorkerRunner::~WorkerRunner() {
  stop();
  wait();
}

bool WorkerRunner::start(qg::LongWork work) {
  if (running_) return false;
  wait();  // a run that ended but whose thread is still joinable
  running_ = true;
  stop_ = qg::StopSource();
  const qg::StopToken token = stop_.Token();
  thread_ = std::thread([this, work = std::move(work), token] {
    Reporter reporter(this);
    QString error;
    try {
      work(token, reporter);
    } catch (const qg::Error& e) {
      error = ToQ(e.what());
    } catch (const std::bad_alloc&) {
      error = QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
      error = ToQ(e.what());
    } catch (...) {
      error = QStringLiteral("Unexpected error");
    }
    QMetaObject::invokeMethod(
        this,
        [this, error] {
          running_ = false;
          emit finished(error);
        },
        Qt::QueuedConnection);
  });
  return true;
}

void WorkerRunner::stop() {
  if (running_) stop_.Stop();
}

void WorkerRunner::wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace qg::app
