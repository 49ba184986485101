// The style's standard icons on buttons, loaded once the event loop runs: looking them up in the
// desktop's icon theme is a noticeable part of the start-up, and the window can be shown without
// them. Until then the button holds a clear icon of the same size, so no layout moves.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>
#include <QStyle>
#include <QTimer>

namespace qg::app {

inline void SetStandardIconLater(QAbstractButton* button, QStyle::StandardPixmap icon) {
  QPixmap clear(16, 16);  // not kept in a static: no pixmap may outlive the application
  clear.fill(Qt::transparent);
  button->setIcon(QIcon(clear));
  QTimer::singleShot(0, button,
                     [button, icon] { button->setIcon(button->style()->standardIcon(icon)); });
}

}  // namespace qg::app
