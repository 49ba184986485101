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
    "  build PROJECT.tnp [--dest DIR] [--jobs N] [--incremental | --verify] [--list]\n"
    "                    [--upload [PUBLISHING]]\n"
    "  upload PROJECT.tnp [--dest DIR] [PUBLISHING]\n"
    "  thumbnail PROJECT.tnp SOURCE OUT [--side thumb|image]\n"
    "  exif PICTURE [--tags]\n"
    "  --version\n"
    "Every command takes --help.\n";

struct Command {
  const char* name;
  int (*run)(const qg::cli::Args&);
  const char* help;  // what `<command> --help` prints
};

const Command kCommands[] = {
    {"add", qg::cli::RunAdd,
     "usage: quillon-cli add PROJECT.tnp PICTURE...\n"
     "Appends the pictures to the project as the Add dialog does and saves it; a project that\n"
     "does not exist is made with the new-project values. \"--\" ends the options.\n"},
    {"info", qg::cli::RunInfo,
     "usage: quillon-cli info PROJECT.tnp [--dump]\n"
     "Shows the project information; --dump prints the project as the project writer writes it.\n"},
    {"build", qg::cli::RunBuild,
     "usage: quillon-cli build PROJECT.tnp [--dest DIR] [--jobs N] [--incremental | --verify]\n"
     "                         [--list] [--upload]\n"
     "Creates the gallery with the project's options.\n"
     "  --dest DIR     write into DIR instead of the project's destination folder\n"
     "  --jobs N       render with N workers (1 to 256; default: one per processor core)\n"
     "  --incremental  remake only the files whose sources, options or program changed, write\n"
     "                 pages and copies only when their bytes differ, and remove the files\n"
     "                 earlier builds wrote that this one does not (never any other file)\n"
     "  --verify       make every file in a scratch folder and compare it with the gallery;\n"
     "                 print each file that is missing, differs or is left over from an\n"
     "                 earlier build, and exit 1 when there is one; writes nothing\n"
     "  --list         print the upload list, one entry a line\n"
     "  --upload       upload the gallery with the stored preferences afterwards\n"
     "A first Ctrl-C stops the build as the Stop button does (exit 130); a second one, or\n"
     "SIGTERM, ends it at once after removing its temporary files.\n"
     "With --upload the publishing options of `quillon-cli upload --help` apply.\n"},
    {"upload", qg::cli::RunUpload,
     "usage: quillon-cli upload PROJECT.tnp [--dest DIR] [PUBLISHING]\n"
     "Uploads the gallery built before into the project's destination folder (or DIR) with the\n"
     "stored preferences, without building it; a file of the gallery that is missing ends the\n"
     "run before anything is sent. Exit 0 only when every file arrived.\n"
     "Publishing options, for this run only (own FTP server):\n"
     "  --transport ftp|ftps|sftp  plain FTP, FTPS (explicit TLS) or SFTP\n"
     "  --passive                  passive FTP data connections\n"
     "  --port N                   the server's port\n"
     "  --changed-only, --all      send only new and changed files, or every file\n"
     "  --remove-stale             list the files an earlier upload sent that the gallery no\n"
     "                             longer has; --yes removes them from the server\n"
     "  --identity FILE            SFTP: log in with this private key, not the password\n"
     "  --trust SHA256:<base64>    accept the server certificate or SSH host key with this\n"
     "                             fingerprint; otherwise FTPS checks the system's trusted\n"
     "                             certificates and SFTP ~/.ssh/known_hosts\n"},
    {"thumbnail", qg::cli::RunThumbnail,
     "usage: quillon-cli thumbnail PROJECT.tnp SOURCE OUT [--side thumb|image]\n"
     "Makes one picture through the thumbnail (default) or display-image pipeline; OUT ends\n"
     "in .jpg, .jpeg or .png.\n"},
    {"exif", qg::cli::RunExif,
     "usage: quillon-cli exif PICTURE [--tags]\n"
     "Prints the camera data summary; --tags prints every tag as NAME, a tab and its text.\n"},
};

// `--help` or `-h` before any "--".
bool AsksForHelp(const qg::cli::Args& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("quillon-cli %s\n", QUILLON_VERSION);
    return 0;
  }
  const std::string name = argv[1];
  qg::cli::Args args(argv + 2, argv + argc);
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    if (AsksForHelp(args)) {
      std::fputs(command.help, stdout);
      return 0;
    }
    try {
      const int rc = command.run(args);
      std::fflush(stdout);
      return rc;
    } catch (const qg::cli::UsageError& e) {
      std::fprintf(stderr, "quillon-cli %s: %s\n%s", name.c_str(),
                   qg::PlainDisplayText(e.what()).c_str(), command.help);
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
