// quillon-cli exif PICTURE [--tags]: the camera data summary the "Image Data" tab shows, one line
// each (for a picture without camera data that is "No image data available"); with --tags
// instead every entry of the tag list as NAME, a tab and its display text (nothing for a picture
// without an Exif record). Characters below 32 in a display text print as "." so that every
// entry stays on its line, and whatever could steer the terminal (escape sequences, C1 and
// other controls) is left out. A missing or unreadable file is an error.
#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "Commands.h"
#include "core/DisplayText.h"
#include "core/Error.h"
#include "metadata/CameraData.h"
#include "metadata/ExifReader.h"

namespace qg::cli {

namespace {

// ESC and BEL stay for the filter, which removes them with the sequences they open and end.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 32 && c != '\x1B' && c != '\a') c = '.';
  }
  return PlainDisplayText(text);
}

}  // namespace

int RunExif(const Args& args) {
  const CommandLine line = ParseCommandLine(args, {"--tags"});
  const std::string& path = SingleOperand(line, "picture");
  const bool tags = line.flag("--tags");

  struct stat st;
  if (::stat(path.c_str(), &st) != 0) throw Error("File not found: " + path);
  if (!S_ISREG(st.st_mode)) throw Error("Not a picture file: " + path);

  // "File Date: " is written in the user's short date format.
  std::setlocale(LC_TIME, "");
  TimgData data;
  data.ReadPictureFile(path);
  if (data.status == ExifStatus::Unreadable) throw Error("Cannot read " + path);

  if (tags) {
    if (const TImageInfo* info = data.exif()) {
      for (const TTagEntry& entry : info->tags) {
        std::printf("%s\t%s\n", OneLine(entry.name).c_str(), OneLine(entry.displayText).c_str());
      }
    }
    return 0;
  }
  const std::string summary = CameraDataSummary(data);
  size_t start = 0;
  while (start <= summary.size()) {
    size_t end = summary.find("\r\n", start);
    if (end == std::string::npos) end = summary.size();
    std::printf("%s\n", PlainDisplayText(summary.substr(start, end - start)).c_str());
    start = end + 2;
  }
  return 0;
}

}  // namespace qg::cli
