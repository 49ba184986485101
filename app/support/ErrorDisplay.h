// The window's general error handler. Qt does not carry exceptions through its event loop, so
// every slot and every worker body runs its work through Guarded(), which turns qg::Error and any
// other exception into the error display: the message with the full-stop rule applied.
#pragma once

#include <QString>
#include <functional>

namespace qg::app {

class Prompts;

// Appends "." unless the message ends in a full stop or in a character that sorts below it.
QString WithFullStop(const QString& message);

// Shows a message in the error display (title "Quillon Gallery", error icon, OK).
void ShowError(Prompts& prompts, const QString& message);

// Runs work; an exception ends it and reaches the error display. Returns false after an error.
bool Guarded(Prompts& prompts, const std::function<void()>& work);

}  // namespace qg::app
