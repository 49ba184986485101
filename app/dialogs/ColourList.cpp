// The colour list; see ColourList.h.
#include "dialogs/ColourList.h"

#include <QPixmap>

#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {
namespace {

constexpr int kCustomMarker = -1;

QIcon Swatch(qg::Colour colour) {
  QPixmap pixmap(16, 12);
  pixmap.fill(ToQColor(colour));
  return QIcon(pixmap);
}

QString HexName(qg::Colour colour) {
  return QStringLiteral("#%1%2%3")
      .arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
      .arg((colour >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
      .arg((colour >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
      .toUpper();
}

}  // namespace

const ColourList::Standard ColourList::kStandard[16] = {
    {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
};

ColourList::ColourList(QWidget* parent, Prompts* prompts) : QComboBox(parent), prompts_(prompts) {
  for (const Standard& s : kStandard)
    addItem(Swatch(s.value), QString::fromLatin1(s.name), QVariant::fromValue<qint64>(s.value));
  if (prompts_) addItem(QStringLiteral("Custom..."), QVariant::fromValue<qint64>(kCustomMarker));
  setCurrentIndex(0);
  lastIndex_ = 0;
  connect(this, &QComboBox::currentIndexChanged, this, &ColourList::onIndexChanged);
}

qg::Colour ColourList::colour() const {
  const int index = currentIndex() == customIndex() ? lastIndex_ : currentIndex();
  return static_cast<qg::Colour>(itemData(index).toLongLong());
}

void ColourList::setColour(qg::Colour colour) {
  int index = -1;
  for (int i = 0; i < count(); ++i) {
    if (i != customIndex() && itemData(i).toLongLong() == colour) {
      index = i;
      break;
    }
  }
  if (index < 0) index = addExtra(colour);
  setCurrentIndex(index);
}

int ColourList::customIndex() const { return prompts_ ? count() - 1 : -1; }

int ColourList::addExtra(qg::Colour colour) {
  const int at = prompts_ ? count() - 1 : count();
  insertItem(at, Swatch(colour), HexName(colour), QVariant::fromValue<qint64>(colour));
  if (lastIndex_ >= at) ++lastIndex_;
  return at;
}

void ColourList::onIndexChanged(int index) {
  if (index < 0) return;
  if (index != customIndex()) {
    lastIndex_ = index;
    emit colourChanged(colour());
    return;
  }
  // "Custom...": ask, then select the chosen colour or go back to the previous entry.
  const QColor chosen = prompts_->chooseColour(ToQColor(colour()));
  QSignalBlocker block(this);
  if (!chosen.isValid()) {
    setCurrentIndex(lastIndex_);
    return;
  }
  const qg::Colour value = FromQColor(chosen);
  int found = -1;
  for (int i = 0; i < count(); ++i)
    if (i != customIndex() && itemData(i).toLongLong() == value) found = i;
  if (found < 0) found = addExtra(value);
  setCurrentIndex(found);
  lastIndex_ = found;
  emit colourChanged(value);
}

}  // namespace qg::app
