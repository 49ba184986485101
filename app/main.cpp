// quillon-gallery: the desktop program.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel placeholder("Quillon Gallery");
  placeholder.show();
  return app.exec();
}
