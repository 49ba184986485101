// Opening a project the way the program does, and telling whether the open project has changed
// since it was last made, opened or saved. The window and the command line share both.
#pragma once

#include <string>

#include "project/Preferences.h"
#include "project/Project.h"

namespace qg {

// Opens the project file at `path`: a new project with `prefs` (options that New keeps come from
// `project`), then the file read over it, FProjectFileName = `path` and LastProjectFolder = its
// folder with a trailing "/". The work is done on a scratch copy that replaces `project` only
// when the whole file was read; on failure the error (qg::Error with the load message) is thrown
// and `project` is left exactly as it was. A path that does not exist reads as a file without
// keys.
void OpenProject(Project& project, const std::string& path, const Preferences& prefs);

// The folder part of a path, with its trailing "/" ("" when there is none).
std::string FolderOfPath(const std::string& path);

// The changed-project rule: the project counts as changed when the text its project file would
// hold differs from the text at the last New, Open or Save. Values that are not stored never
// count, and an edit that was undone counts as unchanged.
class ProjectBaseline {
 public:
  // Takes the project's current stored text as the unchanged state.
  void Reset(const Project& project);
  bool Changed(const Project& project) const;

 private:
  std::string text_;
};

}  // namespace qg
