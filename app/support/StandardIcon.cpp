#include "support/StandardIcon.h"

#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <utility>
#include <vector>

namespace qg::app {
namespace {

// Holds the work asked for before the first paint. It lives as a child of the application, so
// a test's next application starts with a gate of its own.
class FirstPaintGate : public QObject {
 public:
  explicit FirstPaintGate(QObject* app) : QObject(app) { app->installEventFilter(this); }

  void add(QObject* context, std::function<void()> work) {
    if (painted_) {
      QTimer::singleShot(0, context, std::move(work));
      return;
    }
    pending_.emplace_back(context, std::move(work));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted_) {
      painted_ = true;
      qApp->removeEventFilter(this);
      // After the paint in progress and the rest of its window's.
      QTimer::singleShot(0, this, [this] {
        auto pending = std::exchange(pending_, {});
        for (auto& [context, work] : pending)
          if (context) QTimer::singleShot(0, context.data(), std::move(work));
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool painted_ = false;
  std::vector<std::pair<QPointer<QObject>, std::function<void()>>> pending_;
};

FirstPaintGate& Gate() {
  static QPointer<FirstPaintGate> gate;
  if (!gate) gate = new FirstPaintGate(qApp);
  return *gate;
}

}  // namespace

void AfterFirstPaint(QObject* context, std::function<void()> work) {
  Gate().add(context, std::move(work));
}

void SetStandardIconLater(QAbstractButton* button, QStyle::StandardPixmap icon) {
  QPixmap clear(16, 16);  // not kept in a static: no pixmap may outlive the application
  clear.fill(Qt::transparent);
  button->setIcon(QIcon(clear));
  AfterFirstPaint(button, [button, icon] { button->setIcon(button->style()->standardIcon(icon)); });
}

}  // namespace qg::app
