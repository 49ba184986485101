// quillon-cli thumbnail PROJECT.tnp SOURCE OUT [--side thumb|image]: one picture through one
// side's pipeline with the project's options, as the gallery build makes it: the target size
// from the decoded source's "W x H", resampling, border, drop shadow (the thumbnail side's shadow
// follows its option, the display-image side's the display-image option), then a JPEG with the
// side's quality and progressive flag for .jpg/.jpeg, or a lossless PNG for .png. The project is
// opened as the program opens one: a new project first, then the file read over it.
#include <cstdio>
#include <filesystem>

#include "Commands.h"
#include "codecs/Encode.h"
#include "codecs/JpegOutput.h"
#include "core/Error.h"
#include "core/PathName.h"
#include "core/Text.h"
#include "gallery/SideStyle.h"
#include "imaging/Pipeline.h"
#include "project/ProjectFile.h"
#include "project/ProjectOpen.h"

namespace qg::cli {

int RunThumbnail(const Args& args) {
  std::vector<std::string> positional;
  std::string sideName = "thumb";
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded) {
      positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--side") {
      if (i + 1 >= args.size()) throw UsageError{"--side needs 'thumb' or 'image'"};
      sideName = args[++i];
    } else if (arg.rfind("--side=", 0) == 0) {
      sideName = arg.substr(7);
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      throw UsageError{"unknown option '" + arg + "'"};
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 3) throw UsageError{"expected PROJECT.tnp SOURCE OUT"};
  if (sideName != "thumb" && sideName != "image")
    throw UsageError{"--side must be 'thumb' or 'image', not '" + sideName + "'"};
  const std::string& projectPath = positional[0];
  const std::string& sourcePath = positional[1];
  const std::string& outPath = positional[2];
  const std::string ext = AsciiLower(ExtensionOf(outPath));
  const bool png = ext == "png";
  if (!png && ext != "jpg" && ext != "jpeg")
    throw UsageError{"OUT must end in .jpg, .jpeg or .png: '" + outPath + "'"};
  const Side side = sideName == "thumb" ? Side::Thumb : Side::Image;

  // The preferences only feed values the imaging never reads, so the factory values do. A
  // missing project file stores no option, so every option keeps its new-project value (reading
  // the missing file would give the reading defaults instead: black border and background).
  Project project;
  NewProjectDefaults(project, Preferences{});
  std::error_code ec;
  if (std::filesystem::exists(projectPath, ec))
    OpenProject(project, projectPath, Preferences{});
  else
    std::fprintf(stderr,
                 "quillon-cli thumbnail: note: '%s' does not exist; using new-project options\n",
                 projectPath.c_str());
  const GalleryOptions& options = project.options;
  const ImageStyle style = SideStyle(options, side);

  const char* what = side == Side::Thumb ? "thumbnail" : "display image";
  std::vector<Picture> resized = ResampleSourceFile(sourcePath, [&](int width, int height) {
    const TargetSize size = SideTargetSize(Format("%d x %d", width, height), options, side);
    if (size.width == 0 || size.height == 0)
      throw Error(Format("Cannot make the %s of %s: its size %u x %u has no pixels", what,
                         sourcePath.c_str(), size.width, size.height));
    return std::vector<TargetSize>{size};
  });
  const Picture finished = FinishSide(std::move(resized[0]), style);
  if (png)
    SavePng(finished, outPath);
  else
    SaveAsJpeg(finished, outPath, style.quality, style.progressive);
  return 0;
}

}  // namespace qg::cli
