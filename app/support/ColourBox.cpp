// The colour list box; see ColourBox.h.
#include "support/ColourBox.h"

#include <QPainter>
#include <QPixmap>
#include <array>

#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

struct Named {
  const char* name;
  qg::Colour colour;  // 0x00BBGGRR
};

constexpr std::array<Named, 16> kStandard = {{
    {"Black", 0x000000},
    {"Maroon", 0x000080},
    {"Green", 0x008000},
    {"Olive", 0x008080},
    {"Navy", 0x800000},
    {"Purple", 0x800080},
    {"Teal", 0x808000},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},
    {"Lime", 0x00FF00},
    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF},
}};

constexpr int kColourRole = Qt::UserRole + 1;

QIcon Swatch(qg::Colour colour) {
  QPixmap pixmap(16, 12);
  pixmap.fill(ToQColor(colour));
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 15, 11);
  return QIcon(pixmap);
}

QString HexName(qg::Colour colour) { return ToQColor(colour).name(QColor::HexRgb).toUpper(); }

}  // namespace

ColourBox::ColourBox(Prompts& prompts, QWidget* parent) : QComboBox(parent), prompts_(prompts) {
  for (const Named& n : kStandard)
    addItem(Swatch(n.colour), QString::fromLatin1(n.name), QVariant::fromValue(n.colour));
  addItem(QStringLiteral("Custom..."));
  setCurrentIndex(0);
  connect(this, qOverload<int>(&QComboBox::activated), this, &ColourBox::onActivated);
}

int ColourBox::indexOf(qg::Colour colour) const {
  for (int i = 0; i < customIndex(); ++i) {
    const QVariant v = itemData(i);
    if (v.isValid() && v.value<qg::Colour>() == colour) return i;
  }
  return -1;
}

void ColourBox::setColour(qg::Colour colour) {
  colour_ = colour;
  int index = indexOf(colour);
  if (index < 0) {
    if (extraIndex_ < 0) {
      extraIndex_ = customIndex();
      insertItem(extraIndex_, QString(), QVariant());
    }
    setItemText(extraIndex_, HexName(colour));
    setItemIcon(extraIndex_, Swatch(colour));
    setItemData(extraIndex_, QVariant::fromValue(colour));
    index = extraIndex_;
  }
  setCurrentIndex(index);
  setAccessibleDescription(itemText(index));
}

void ColourBox::onActivated(int index) {
  if (index == customIndex()) {
    const QColor chosen = prompts_.chooseColour(ToQColor(colour_));
    if (!chosen.isValid()) {
      setColour(colour_);  // back to the colour shown before
      return;
    }
    setColour(FromQColor(chosen));
  } else {
    setColour(itemData(index).value<qg::Colour>());
  }
  emit colourChanged(colour_);
}

}  // namespace qg::app
