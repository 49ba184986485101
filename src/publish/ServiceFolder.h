// The user's folder on the hosting service: five lower-case letters that read like a word
// (consonant, vowel, consonant, vowel, consonant), made once and kept in the preferences.
#pragma once

#include <random>
#include <string>

#include "project/Preferences.h"

namespace qg {

// Consonants exclude j, q and x; every letter is drawn uniformly from its set.
std::string MakeServiceFolderName(std::mt19937& random);
// The same with a generator seeded from the clock.
std::string MakeServiceFolderName();

// Gives `prefs` a folder name when it has none, as start-up does; true when one was made.
bool EnsureServiceFolderName(Preferences& prefs);

}  // namespace qg
