// Small makers for the window's controls: each gets its control name as objectName and an
// accessible name (its caption without the mnemonic "&", or the text of its label), so screen
// readers and automation find every control by the names the program uses.
#pragma once

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QString>
#include <QToolButton>

namespace qg::app {

// "Save Project &As..." -> "Save Project As...", "Rows && Cols:" -> "Rows & Cols:".
inline QString WithoutMnemonic(QString caption) {
  QString out;
  out.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 < caption.size() && caption[i + 1] == u'&') {
        out += u'&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

template <typename W>
W* Named(W* widget, const char* name, const QString& accessible) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setAccessibleName(WithoutMnemonic(accessible));
  return widget;
}

inline QPushButton* MakeButton(const char* name, const QString& caption,
                               const QString& hint = QString()) {
  auto* b = Named(new QPushButton(caption), name, caption);
  if (!hint.isEmpty()) {
    b->setToolTip(hint);
    b->setAccessibleDescription(hint);
  }
  return b;
}

inline QCheckBox* MakeCheck(const char* name, const QString& caption) {
  return Named(new QCheckBox(caption), name, caption);
}

inline QRadioButton* MakeRadio(const char* name, const QString& caption) {
  return Named(new QRadioButton(caption), name, caption);
}

inline QLineEdit* MakeEdit(const char* name, const QString& accessible) {
  return Named(new QLineEdit, name, accessible);
}

inline QSpinBox* MakeSpin(const char* name, const QString& accessible, int min, int max,
                          int step = 1) {
  auto* s = Named(new QSpinBox, name, accessible);
  s->setRange(min, max);
  s->setSingleStep(step);
  s->setAccelerated(true);
  return s;
}

// A label for `buddy`: Alt + its mnemonic moves the focus to the buddy.
inline QLabel* MakeLabel(const QString& text, QWidget* buddy = nullptr) {
  auto* l = new QLabel(text);
  if (buddy) l->setBuddy(buddy);
  return l;
}

// A label that shows text from files, pictures or servers: never rich text.
inline QLabel* MakePlainLabel(const char* name, const QString& accessible) {
  auto* l = Named(new QLabel, name, accessible);
  l->setTextFormat(Qt::PlainText);
  return l;
}

// The width and height rows of a thumbnail or display-image size box: check box, then spin box.
inline void FillSizeBox(QGroupBox* box, QCheckBox* width, QSpinBox* widthSpin, QCheckBox* height,
                        QSpinBox* heightSpin) {
  auto* grid = new QGridLayout(box);
  grid->addWidget(width, 0, 0);
  grid->addWidget(widthSpin, 0, 1);
  grid->addWidget(height, 1, 0);
  grid->addWidget(heightSpin, 1, 1);
  grid->setColumnStretch(2, 1);
}

// The "Border and Shadow" box of the thumbnail and display-image pages.
inline QGroupBox* MakeBorderShadowBox(QSpinBox* borderWidth, QWidget* borderColour,
                                      QCheckBox* addShadow, QPushButton* shadowSettings) {
  auto* box = new QGroupBox(QStringLiteral("Border and Shadow"));
  auto* grid = new QGridLayout(box);
  grid->addWidget(MakeLabel(QStringLiteral("&Border Width"), borderWidth), 0, 0);
  grid->addWidget(borderWidth, 0, 1);
  grid->addWidget(MakeLabel(QStringLiteral("Border Co&lour"), borderColour), 1, 0);
  grid->addWidget(borderColour, 1, 1);
  grid->addWidget(addShadow, 2, 0, 1, 2);
  grid->addWidget(shadowSettings, 3, 0, 1, 2, Qt::AlignLeft);
  grid->setColumnStretch(2, 1);
  return box;
}

}  // namespace qg::app
