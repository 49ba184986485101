// The project file (.tnp): INI text with the section "Project" and one "PicSection<n>" per
// picture, and the routines that make a new project, read one and write one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "project/Preferences.h"
#include "project/Project.h"

namespace qg {

// Resets the project to the values of a new project: file name "untitled.tnp", saved, the title
// "My Gallery <n>", the destination under the documents folder, an empty list, the New values of
// every option (options that New keeps are left alone) and the default navigation texts.
void NewProjectDefaults(Project& project, const Preferences& prefs);

// Reads the project file at `path` into `project` (callers run NewProjectDefaults first).
// Throws qg::Error with the load messages ("'%s' is not a valid integer value",
// "List index out of bounds (%d)"); what was read before the error stays in `project`.
void LoadProjectFile(Project& project, const std::string& path);

// LoadProjectFile on file bytes already in memory; `path` becomes FProjectFileName.
void LoadProjectText(Project& project, std::string_view bytes, const std::string& path);

// The bytes SaveProjectFile writes for this project into a new, empty file.
std::string ProjectFileText(const Project& project);

// The bytes SaveProjectFile writes for this project over a file that holds `existing`: keys are
// updated in place, new keys and sections appended, everything else kept.
std::string UpdatedProjectFileText(std::string_view existing, const Project& project);

// Writes the project to project.FProjectFileName, replacing the file atomically, then marks the
// project saved. Throws qg::Error("Unable to write to <path>") with the old file untouched.
void SaveProjectFile(Project& project);

// The file name Save As uses for the name the user chose: ".tnp" is appended unless the name's
// last four characters are exactly ".tnp".
std::string SaveAsFileName(const std::string& chosen);

// An integer as the project file holds it: leading blanks, an optional sign, then decimal
// digits, or hexadecimal digits after "$" or "0x"/"0X" (up to 32 bits, taken as the bit pattern:
// $FFFFFFFF is -1). False when the text is not a valid 32-bit integer.
bool ParseFileInteger(std::string_view text, int32_t& value);

// The main window caption: " Quillon Gallery  [<file name part>]".
std::string WindowTitleText(const Project& project);

// Byte count to the picture list's display text ("1024 bytes", "3 KB", ...).
std::string FormatFileSize(int64_t bytes);

// "<n> image in the list" / "<n> images in the list".
std::string ImageCountText(size_t count);

// Number of index pages for `count` pictures on a columns x rows grid (0 when the grid is empty).
int64_t IndexPageCount(size_t count, int32_t columns, int32_t rows);

}  // namespace qg
