// The values of the project information dialog, as texts, so the dialog and the command line
// show the same thing.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "project/Project.h"

namespace qg {

struct ProjectInfoValues {
  std::string prjName;       // "Project Name:"  file-name part of FProjectFileName
  std::string lastSaved;     // "Last Saved:"    "<not saved>", "<unknown>" or the file's time
  std::string galleryTitle;  // "Gallery Title:"
  std::string targetFolder;  // "Target Folder:"
  std::string imageCount;    // "Image Count:"   "<n> image(s)"
  std::string thumbSize;     // "Thumb Size:"    "<iThumbWidth> x <iThumbHeigth>"
  std::string rowsCols;      // "Rows & Cols:"   "<rows> rows x <columns> columns"
};

// Turns a file time into the "Last Saved" text.
using TimeFormatter = std::function<std::string(std::time_t)>;

// The local date and time in the current locale's date and time formats ("%x %X"); the time is
// left out when it is exactly midnight.
std::string FormatLocalDateTime(std::time_t time);

// The dialog's values, taken once from the project (and the project file's modification time).
ProjectInfoValues FillProjectInfo(const Project& project,
                                  const TimeFormatter& formatTime = FormatLocalDateTime);

}  // namespace qg
