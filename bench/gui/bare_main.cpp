// The baseline: a bare Qt Widgets program that shows a main window with a label and ends at its
// first paint (printing its time).
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include "FirstPaint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setCentralWidget(new QLabel(QStringLiteral("Quillon Gallery")));
  ExitOnFirstPaint quit;
  window.installEventFilter(&quit);
  window.show();
  return app.exec();
}
