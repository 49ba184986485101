#include "dialogs/ViewSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "support/Text.h"

namespace qg::app::views {

QImage ImageOfPicture(const qg::Picture& picture) {
  if (picture.empty()) return QImage();
  const QImage view(picture.pixels.data(), picture.width, picture.height,
                    static_cast<qsizetype>(picture.stride()), QImage::Format_RGB888);
  return view.copy();
}

QString DisplayText(const std::string& text) {
  QString shown = ToQ(text);
  for (QChar& c : shown)
    if (c.category() == QChar::Other_Control) c = QLatin1Char('.');
  return shown;
}

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

PictureBox::PictureBox(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignCenter);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
    return;
  }
  QLabel::mouseReleaseEvent(event);
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
      event->key() == Qt::Key_Enter) {
    emit clicked();
    return;
  }
  QLabel::keyPressEvent(event);
}

}  // namespace qg::app::views
