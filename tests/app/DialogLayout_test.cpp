// Every dialog of app/dialogs, shown at the system font: no visible label, button or check box
// narrower than it needs, every control named for automation, and a fixed size no smaller than
// its contents need.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>

#include "AppFixture.h"
#include "DialogGallery.h"

namespace qg::app {
namespace {

TEST(DialogLayout, NothingIsNarrowerThanItNeedsAndEveryControlIsNamed) {
  test::EnsureApp();
  for (const test::GalleryEntry& entry : test::DialogGallery()) {
    SCOPED_TRACE(entry.name);
    std::unique_ptr<QDialog> dialog = entry.make();
    dialog->show();
    QApplication::processEvents();
    EXPECT_FALSE(dialog->objectName().isEmpty());
    EXPECT_GE(dialog->width(), dialog->minimumSizeHint().width());
    EXPECT_GE(dialog->height(), dialog->minimumSizeHint().height());
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
      if (!w->isVisible()) continue;
      auto* label = qobject_cast<QLabel*>(w);
      auto* button = qobject_cast<QAbstractButton*>(w);
      if (button || (label && !label->wordWrap() && label->pixmap().isNull())) {
        EXPECT_GE(w->width(), w->sizeHint().width())
            << w->metaObject()->className() << " " << w->objectName().toStdString() << " "
            << (label ? label->text() : button->text()).toStdString();
      }
      if (label && label->wordWrap()) {
        EXPECT_GE(w->height(), label->heightForWidth(w->width()))
            << "clipped " << label->text().toStdString();
      }
      const bool control = button || w->inherits("QLineEdit") || w->inherits("QComboBox") ||
                           w->inherits("QAbstractSpinBox") || w->inherits("QListWidget") ||
                           w->inherits("QSlider");
      if (control && !w->objectName().isEmpty() && !w->objectName().startsWith("qt_")) {
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
      }
      if (control && w->parent() && !w->parent()->inherits("QComboBox") &&
          !w->parent()->inherits("QAbstractSpinBox") && !w->inherits("QTabBar")) {
        EXPECT_FALSE(w->objectName().isEmpty())
            << "unnamed " << w->metaObject()->className() << " in " << entry.name;
      }
    }
  }
}

}  // namespace
}  // namespace qg::app
