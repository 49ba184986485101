// Where things live on this system.
#pragma once

#include <string>

namespace qg {

// The folder that stands in for the program's own folder, without a trailing separator: the one
// that holds the shipped pictures (Buttons/, Backgrounds/, Samples/). See AppFolderFor.
std::string AppFolder();
// The folder of the running executable, without a trailing separator.
std::string ExecutableFolder();
// AppFolder for an executable in `executableFolder`: that folder itself when it holds Buttons/ (a
// build tree, or an unpacked copy), else <prefix>/share/quillon-gallery when the executable sits in
// <prefix>/bin of an installed copy that has it, else the executable's folder all the same.
std::string AppFolderFor(const std::string& executableFolder);
// The user's personal documents folder (the XDG documents folder, else ~/Documents).
std::string DocumentsFolder();
// The system's temporary folder.
std::string TempFolder();
// $XDG_CONFIG_HOME/Corvane-Soft/Quillon Gallery.reg (XDG_CONFIG_HOME defaults to ~/.config).
std::string PreferencesFilePath();
// $XDG_CACHE_HOME/Corvane-Soft/Quillon Gallery (XDG_CACHE_HOME defaults to ~/.cache): files the
// program can always make again, such as the build records of the galleries it wrote.
std::string CacheFolder();

}  // namespace qg
