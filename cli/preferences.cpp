// The preferences as the command line reads them: the window's reading, with the warning the
// window would show once printed on stderr instead.
#include <cstdio>

#include "Commands.h"
#include "project/Settings.h"

namespace qg::cli {

void LoadPreferences(const char* command, Preferences& prefs) {
  SettingsReading reading;
  LoadSettings(prefs, &reading);
  const std::string warning = SettingsReadingWarning(reading);
  if (!warning.empty())
    std::fprintf(stderr, "quillon-cli %s: warning: %s\n", command, warning.c_str());
}

}  // namespace qg::cli
