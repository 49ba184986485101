// The hourglass while the window works on the GUI thread (adding pictures, opening a project):
// set on construction, restored on destruction, so an error cannot leave it behind.
#pragma once

#include <QApplication>
#include <QCursor>

namespace qg::app {

class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace qg::app
