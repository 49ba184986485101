// quillon-cli add PROJECT.tnp PICTURE...: opens the project (or makes a new one with the
// new-project values when the file does not exist), appends the pictures as the Add dialog does
// and saves. Every picture is measured before anything is written, so a picture that cannot be
// decoded leaves the project file exactly as it was. Concurrent adds to one project are
// serialised by the project's update lock.
#include <cstdio>
#include <filesystem>

#include "Commands.h"
#include "core/Error.h"
#include "platform/FileLock.h"
#include "project/PictureList.h"
#include "project/ProjectFile.h"
#include "project/ProjectOpen.h"
#include "project/Settings.h"

namespace qg::cli {
namespace {

// The decoder's message, with the file named when the message does not name it already.
std::string NamingFile(const std::string& path, const std::string& message) {
  if (message.find(path) != std::string::npos) return message;
  return path + ": " + message;
}

}  // namespace

int RunAdd(const Args& args) {
  // Options are refused, so that a mistyped one is not taken for a picture; "--" ends them.
  const CommandLine line = ParseCommandLine(args, {});
  const std::vector<std::string>& operands = line.operands;
  if (operands.empty()) throw UsageError{"no project file given"};
  if (operands.size() < 2) throw UsageError{"no pictures given"};
  const std::string& projectPath = operands[0];

  std::vector<PictureRecord> added;
  for (size_t i = 1; i < operands.size(); ++i) {
    const std::string& picture = operands[i];
    if (picture.find_first_of("\r\n") != std::string::npos)
      throw Error("'" + picture +
                  "': a file name with a line break cannot be kept in a project file");
    std::error_code ec;
    const std::string full = std::filesystem::absolute(picture, ec).lexically_normal().string();
    try {
      added.push_back(MakePictureRecord(ec ? picture : full));
    } catch (const std::exception& e) {
      throw Error(NamingFile(picture, e.what()));
    }
  }

  // Held from the read to the rename, so two adds at once cannot both start from the old list.
  const FileUpdateLock lock = FileUpdateLock::Acquire(projectPath);
  Project project;
  std::error_code ec;
  if (std::filesystem::exists(projectPath, ec)) {
    OpenProject(project, projectPath, Preferences{});
  } else {
    Preferences prefs;
    LoadPreferences("add", prefs);
    NewProjectDefaults(project, prefs);
  }
  project.FProjectFileName = projectPath;

  for (PictureRecord& record : added) project.pictures.push_back(std::move(record));
  project.FProjectSaved = false;
  SaveProjectFile(project);
  std::printf("%s\n", ImageCountText(project.PictureCount()).c_str());
  return 0;
}

}  // namespace qg::cli
