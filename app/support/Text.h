// Conversions between the core's values and Qt's: text is bytes in the locale's encoding in the
// core and QString in the window; colours are 0x00BBGGRR numbers in the core and QColor here.
#pragma once

#include <QColor>
#include <QString>
#include <string>

#include "project/Project.h"

namespace qg::app {

inline QString ToQ(const std::string& text) { return QString::fromLocal8Bit(text); }
inline std::string FromQ(const QString& text) { return text.toLocal8Bit().toStdString(); }

inline QColor ToQColor(qg::Colour c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline qg::Colour FromQColor(const QColor& c) {
  return static_cast<qg::Colour>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

}  // namespace qg::app
