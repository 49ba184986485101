// quillon-cli info PROJECT.tnp [--dump]: the project information dialog's values, or with
// --dump the project as the writer would put it into a new, empty file. The project is opened
// as the program opens one: a new project first, then the file read over it.
#include <clocale>
#include <cstdio>
#include <filesystem>

#include "Commands.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "project/ProjectFile.h"
#include "project/ProjectInfo.h"
#include "project/ProjectOpen.h"

namespace qg::cli {

int RunInfo(const Args& args) {
  const CommandLine line = ParseCommandLine(args, {"--dump"});
  const std::string& path = SingleOperand(line, "project file");
  const bool dump = line.flag("--dump");

  std::error_code ec;
  if (!std::filesystem::exists(path, ec))
    std::fprintf(stderr,
                 "quillon-cli info: note: '%s' does not exist; showing what opening it gives\n",
                 path.c_str());

  // The preferences only feed values that every project file overrides, so the factory values
  // do and the preferences file is left alone.
  Project project;
  OpenProject(project, path, Preferences{});

  if (dump) {
    const std::string text = ProjectFileText(project);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  std::setlocale(LC_TIME, "");
  const ProjectInfoValues v = FillProjectInfo(project);
  // The texts come from the project file, which may have been made anywhere.
  std::printf("Project Name: %s\n", PlainDisplayText(v.prjName).c_str());
  std::printf("Last Saved: %s\n", v.lastSaved.c_str());
  std::printf("Gallery Title: %s\n", PlainDisplayText(v.galleryTitle).c_str());
  std::printf("Target Folder: %s\n", PlainDisplayText(v.targetFolder).c_str());
  std::printf("Image Count: %s\n", v.imageCount.c_str());
  std::printf("Thumb Size: %s\n", v.thumbSize.c_str());
  std::printf("Rows & Cols: %s\n", v.rowsCols.c_str());
  return 0;
}

}  // namespace qg::cli
