// The program's icon (window icon, logo), or an empty icon while the resource is not built in.
#pragma once

#include <QFile>
#include <QIcon>

namespace qg::app {

inline QIcon AppIcon() {
  static const QString path = QStringLiteral(":/icons/quillon-gallery.svg");
  return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace qg::app
