// Loading and saving the preferences in the per-user preferences file.
#pragma once

#include <string>

#include "project/Preferences.h"

namespace qg {

// Sets the twelve default navigation texts to their factory values.
void SetDefaultNavTexts(Preferences& prefs);

// Reads the preferences file (PreferencesFilePath()). Returns true on the first run, when the
// file did not exist and was written with the defaults.
bool LoadSettings(Preferences& prefs);

// Writes all twenty values; false when the file cannot be written.
bool SaveSettings(const Preferences& prefs);

}  // namespace qg
