// The one QApplication of the app_tests process, made on first use (never at static
// initialisation), shared by every test file.
#pragma once

#include <QApplication>

namespace qg::app::test {

inline QApplication& EnsureApp() {
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
  return *static_cast<QApplication*>(QApplication::instance());
}

}  // namespace qg::app::test
