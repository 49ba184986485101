// Where things live on this system.
#pragma once

#include <string>

namespace qg {

// The folder of the running executable, without a trailing separator.
std::string AppFolder();
// The user's personal documents folder (the XDG documents folder, else ~/Documents).
std::string DocumentsFolder();
// The system's temporary folder.
std::string TempFolder();
// $XDG_CONFIG_HOME/Corvane-Soft/Quillon Gallery.reg (XDG_CONFIG_HOME defaults to ~/.config).
std::string PreferencesFilePath();

}  // namespace qg
