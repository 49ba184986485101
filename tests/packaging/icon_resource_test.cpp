// The window's icon is built into the program: the SVG and the PNG sizes of the hicolor theme are
// resources under :/icons, and the SVG draws through Qt's SVG icon engine (libqt6svg6, which the
// package depends on by name since nothing links it).
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

// qg_app is a static library: its resource object is linked only when something refers to it.
static void InitIconResources() { Q_INIT_RESOURCE(icons); }

namespace {

TEST(IconResource, TheSvgDrawsAndEveryPngSizeIsBuiltIn) {
  InitIconResources();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "packaging_tests";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);

  for (const int size : {48, 128, 256}) {
    const QString path = QString(":/icons/quillon-gallery-%1.png").arg(size);
    SCOPED_TRACE(path.toStdString());
    const QImage png(path);
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.width(), size);
    EXPECT_EQ(png.height(), size);
  }

  ASSERT_TRUE(QFile::exists(":/icons/quillon-gallery.svg"));
  const QIcon icon(":/icons/quillon-gallery.svg");
  ASSERT_FALSE(icon.isNull());
  const QImage drawn = icon.pixmap(64, 64).toImage();
  ASSERT_EQ(drawn.width(), 64);
  // The middle of the icon is the front photograph's sky: opaque and blue.
  const QColor middle = drawn.pixelColor(32, 32);
  EXPECT_EQ(middle.alpha(), 255);
  EXPECT_GT(middle.blue(), middle.red());
}

}  // namespace
