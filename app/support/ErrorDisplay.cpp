#include "support/ErrorDisplay.h"

#include <exception>
#include <new>

#include "core/Error.h"
#include "support/Prompts.h"
#include "support/Text.h"

namespace qg::app {

QString WithFullStop(const QString& message) {
  if (!message.isEmpty() && message.back().unicode() <= u'.') return message;
  return message + QLatin1Char('.');
}

void ShowError(Prompts& prompts, const QString& message) {
  prompts.showError(WithFullStop(message));
}

bool Guarded(Prompts& prompts, const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const qg::Error& e) {
    ShowError(prompts, ToQ(e.what()));
  } catch (const std::bad_alloc&) {
    ShowError(prompts, QStringLiteral("Out of memory"));
  } catch (const std::exception& e) {
    ShowError(prompts, ToQ(e.what()));
  } catch (...) {
    ShowError(prompts, QStringLiteral("Unexpected error"));
  }
  return false;
}

}  // namespace qg::app
