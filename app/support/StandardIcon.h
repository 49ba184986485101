// The style's standard icons on buttons, loaded once the first window has been painted: decoding
// them is a noticeable part of the start-up, and the window can be seen and used without them.
// Until then a button holds a clear icon of the same size, so no layout moves when they arrive.
#pragma once

#include <QAbstractButton>
#include <QStyle>
#include <functional>

namespace qg::app {

// Runs `work` through the event loop once a widget of the application has been painted (soon,
// when one has been already). Nothing runs when `context` is gone by then.
void AfterFirstPaint(QObject* context, std::function<void()> work);

void SetStandardIconLater(QAbstractButton* button, QStyle::StandardPixmap icon);

}  // namespace qg::app
