// Small pieces shared by the picture views (the preview window and the image details window):
// a core picture as a QImage, text from a picture or a file name made safe for a plain label,
// the wait cursor for the length of a scope, and a picture box that reports clicks.
#pragma once

#include <QImage>
#include <QLabel>
#include <QString>
#include <string>

#include "core/Picture.h"

class QMouseEvent;

namespace qg::app::views {

// A deep copy of the picture's pixels (24-bit RGB).
QImage ImageOfPicture(const qg::Picture& picture);

// Bytes from a picture or a file name as label text: the locale's encoding, with every control
// character shown as ".". Labels showing it are plain text, so "<b>" stays "<b>".
QString DisplayText(const std::string& text);

// Sets the wait cursor for the life of the scope; restored also when an exception leaves it.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// A picture label that reports a left click (and Space or Enter while it has the focus).
class PictureBox : public QLabel {
  Q_OBJECT
 public:
  explicit PictureBox(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace qg::app::views
