// Small helpers shared by the dialogs: control names for automation and screen readers, the
// fixed size of a dialog that must still fit its contents at the system font, and the
// plain-text labels that show text from files or servers.
#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSize>
#include <QString>
#include <QWidget>
#include <algorithm>

namespace qg::app {

// The control's name (objectName) and its accessible name: the caption without "&", or the text
// of the label that describes it.
inline void NameControl(QWidget* control, const QString& objectName,
                        const QString& accessibleName) {
  control->setObjectName(objectName);
  QString spoken = accessibleName;
  spoken.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  spoken.remove(QLatin1Char('&'));
  spoken.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  control->setAccessibleName(spoken.trimmed());
}

// A label that never interprets its text as rich text.
inline QLabel* PlainLabel(const QString& text, QWidget* parent = nullptr) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// Fixes the dialog's size at the larger of its design size and what its layout needs; word-
// wrapped labels get the height they need at the final width. Callers that show or hide
// controls after construction call it again.
inline void FixDialogSize(QDialog* dialog, QSize designSize) {
  dialog->ensurePolished();
  // Children shown or hidden since the last layout pass must count now, not at the next event.
  for (QWidget* child : dialog->findChildren<QWidget*>())
    if (QLayout* layout = child->layout()) layout->invalidate();
  if (QLayout* layout = dialog->layout()) layout->invalidate();
  dialog->setMinimumSize(0, 0);
  dialog->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  dialog->adjustSize();
  QSize size = dialog->sizeHint().expandedTo(dialog->minimumSizeHint()).expandedTo(designSize);
  if (QLayout* layout = dialog->layout(); layout && layout->hasHeightForWidth())
    size.setHeight(std::max(size.height(), layout->totalHeightForWidth(size.width())));
  dialog->setFixedSize(size);
}

// Window decorations of a fixed dialog with only a close box.
inline void CloseBoxOnly(QDialog* dialog) {
  dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
}

// The bottom row of an option dialog: an extra button on the left, then OK (the default) and
// Cancel on the right, each named for tests and screen readers.
struct DialogButtonRow {
  QHBoxLayout* layout;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};
inline DialogButtonRow OkCancelRow(QDialog* dialog, QPushButton* left,
                                   const QString& cancelCaption) {
  auto* btnOK = new QPushButton(QStringLiteral("&OK"), dialog);
  NameControl(btnOK, QStringLiteral("btnOK"), btnOK->text());
  btnOK->setDefault(true);
  auto* btnCancel = new QPushButton(cancelCaption, dialog);
  NameControl(btnCancel, QStringLiteral("btnCancel"), btnCancel->text());
  auto* layout = new QHBoxLayout;
  layout->addWidget(left);
  layout->addStretch(1);
  layout->addWidget(btnOK);
  layout->addWidget(btnCancel);
  return {layout, btnOK, btnCancel};
}

}  // namespace qg::app
