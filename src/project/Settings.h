// Loading and saving the preferences in the per-user preferences file.
#pragma once

#include <string>

#include "project/Preferences.h"

namespace qg {

// Sets the twelve default navigation texts to their factory values.
void SetDefaultNavTexts(Preferences& prefs);

// What reading the preferences file found, beyond the values themselves.
struct SettingsReading {
  std::string path;        // the preferences file
  bool firstRun = false;   // the file, or our key in it, did not exist
  int stoppedAtLine = 0;   // the typed reading stopped at this line of the file (0: it did not)
  std::string unreadable;  // why the file could not be read at all (empty: it could)
};

// Reads the preferences file (PreferencesFilePath()). Returns true on the first run. Only a
// missing file is written (with the defaults); a file without our key, or one that cannot be
// read, is left as it is. `reading` (when given) receives the details.
bool LoadSettings(Preferences& prefs, SettingsReading* reading = nullptr);

// The text to show once when the reading went wrong: "The preferences file <path> could not be
// read past line N; the remaining settings take their default values." for a reading that
// stopped early, a like text for a file that could not be read at all; empty otherwise.
std::string SettingsReadingWarning(const SettingsReading& reading);

// Writes all twenty values into the preferences file, and the publishing values and the
// incremental-build switch where they differ from their defaults or the file holds them already,
// keeping every other key and value in it; false when the file cannot be written, or exists but
// cannot be read (nothing is written then).
bool SaveSettings(const Preferences& prefs);

}  // namespace qg
