// quillon-gallery: the desktop program. The one optional argument is a project file to open.
#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QStyle>
#include <clocale>

#include "MainWindow.h"
#include "support/QtPrompts.h"

int main(int argc, char** argv) {
  // The icons are built into the static library, whose resources need an explicit start.
  Q_INIT_RESOURCE(icons);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillon Gallery"));
  QGuiApplication::setDesktopFileName(QStringLiteral("quillon-gallery"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillon-gallery.svg")));
  std::setlocale(LC_TIME, "");  // dates in the user's format (camera data, project information)

  qg::app::QtPrompts prompts;
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  qg::app::MainWindow window(prompts, arguments);
  prompts.setParent(&window);
  if (QScreen* screen = QApplication::primaryScreen())
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           screen->availableGeometry()));
  window.show();
  return app.exec();
}
