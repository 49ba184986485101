// quillon-cli: the headless front end. Other tools rely on its sub-commands, their output and
// their exit codes, so both stay as documented in DEVELOPERS.md.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "Commands.h"
#include "core/DisplayText.h"
#include "core/Error.h"

namespace {

const char kUsage[] =
    "usage: quillon-cli <command> [arguments]\n"
    "  add PROJECT.tnp PICTURE...\n"
    "  info PROJECT.tnp [--dump]\n"
    "  build PROJECT.tnp [--dest DIR] [--jobs N] [--list] [--upload]\n"
    "  thumbnail PROJECT.tnp SOURCE OUT [--side thumb|image]\n"
    "  exif PICTURE [--tags]\n";

struct Command {
  const char* name;
  int (*run)(const qg::cli::Args&);
};

const Command kCommands[] = {
    {"add", qg::cli::RunAdd},     {"info", qg::cli::RunInfo},
    {"build", qg::cli::RunBuild}, {"thumbnail", qg::cli::RunThumbnail},
    {"exif", qg::cli::RunExif},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string name = argv[1];
  qg::cli::Args args(argv + 2, argv + argc);
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    try {
      const int rc = command.run(args);
      std::fflush(stdout);
      return rc;
    } catch (const qg::cli::UsageError& e) {
      std::fprintf(stderr, "quillon-cli %s: %s\n%s", name.c_str(),
                   qg::PlainDisplayText(e.message).c_str(), kUsage);
      return 2;
    } catch (const std::exception& e) {
      std::fflush(stdout);
      // Messages carry server replies, file names and picture texts: nothing in them may
      // steer the terminal.
      std::fprintf(stderr, "quillon-cli %s: %s\n", name.c_str(),
                   qg::PlainDisplayText(e.what()).c_str());
      return 1;
    }
  }
  std::fprintf(stderr, "quillon-cli: unknown command '%s'\n%s", qg::PlainDisplayText(name).c_str(),
               kUsage);
  return 2;
}
