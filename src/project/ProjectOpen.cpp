// Opening a project and the changed-project rule; see ProjectOpen.h.
#include "project/ProjectOpen.h"

#include <utility>

#include "project/ProjectFile.h"

namespace qg {

std::string FolderOfPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void OpenProject(Project& project, const std::string& path, const Preferences& prefs) {
  Project scratch;
  scratch.options = project.options;  // the options that New keeps, and those never stored
  NewProjectDefaults(scratch, prefs);
  LoadProjectFile(scratch, path);
  scratch.FProjectFileName = path;
  scratch.LastProjectFolder = FolderOfPath(path);
  scratch.FProjectSaved = true;
  project = std::move(scratch);
}

void ProjectBaseline::Reset(const Project& project) { text_ = ProjectFileText(project); }

bool ProjectBaseline::Changed(const Project& project) const {
  return ProjectFileText(project) != text_;
}

}  // namespace qg
