// The sub-commands of quillon-cli. Each takes the arguments after its own name, prints its
// result on stdout and returns the exit code; errors are thrown as qg::Error and reported by main.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Error.h"

namespace qg::cli {

using Args = std::vector<std::string>;

int RunAdd(const Args& args);   // add PROJECT.tnp PICTURE...
int RunInfo(const Args& args);  // info PROJECT.tnp [--dump]
// build PROJECT.tnp [--dest DIR] [--jobs N] [--incremental | --verify] [--list] [--upload]
int RunBuild(const Args& args);
int RunThumbnail(const Args& args);  // thumbnail PROJECT.tnp SOURCE OUT [--side thumb|image]
int RunExif(const Args& args);       // exif PICTURE [--tags]
int RunUpload(const Args& args);     // upload PROJECT.tnp [--dest DIR] [publishing options]

// Thrown for a malformed command line; main prints the message and the usage text and exits 2
// (any other qg::Error exits 1).
class UsageError : public Error {
 public:
  explicit UsageError(const std::string& message) : Error(message) {}
};

// A command's arguments sorted into operands, flags and options that take the next argument
// (the last of a repeated option wins). "-" is an operand, and so is every word after "--"; any
// other word starting with "-" that is neither flag nor option is refused.
struct CommandLine {
  std::vector<std::string> operands;
  std::vector<std::string> flags;
  std::vector<std::pair<std::string, std::string>> values;

  bool flag(const std::string& name) const;
  const std::string* value(const std::string& name) const;
};
CommandLine ParseCommandLine(const Args& args, std::initializer_list<const char*> flags,
                             std::initializer_list<const char*> valued = {});
CommandLine ParseCommandLine(const Args& args, const std::vector<std::string>& flags,
                             const std::vector<std::string>& valued);

// The command's one operand; `what` names it in "no <what> given" and "more than one <what>
// given".
const std::string& SingleOperand(const CommandLine& line, const std::string& what);

// The whole number `text` (as std::stoul reads it, all of it) when it lies in [low, high];
// otherwise nullopt.
std::optional<unsigned long> WholeNumberIn(const std::string& text, unsigned long low,
                                           unsigned long high);

}  // namespace qg::cli

namespace qg {
struct Project;
struct Preferences;
}  // namespace qg

namespace qg::cli {

// LoadSettings, printing the warning of a damaged or unreadable preferences file on stderr as
// "quillon-cli <command>: warning: <text>".
void LoadPreferences(const char* command, Preferences& prefs);

// The publishing options of `build --upload` and `upload`, for that run only: --transport
// ftp|ftps|sftp, --passive, --port N, --changed-only or --all, --remove-stale (with --yes to
// remove), --identity FILE, --trust SHA256:<base64>.
struct UploadChoices {
  std::string transport;  // empty: the preferences'
  bool passive = false;
  int port = 0;
  int changedOnly = -1;  // -1: the preferences'; 0 --all; 1 --changed-only
  bool removeStale = false;
  bool yes = false;
  std::string identity;
  std::string trust;
  bool any = false;  // some option was given
};
// `own` and the publishing flags, or the options that take a value.
std::vector<std::string> WithUploadFlags(std::vector<std::string> own);
std::vector<std::string> WithUploadValued(std::vector<std::string> own);
// The choices of `line`; a malformed one is a UsageError.
UploadChoices ReadUploadChoices(const CommandLine& line);

// Uploads the gallery built into `destFolder` with the stored preferences and the choices, as
// the upload step does, and prints the gallery address. Used by `build --upload` and `upload`.
int UploadBuiltGallery(const Project& project, const std::vector<std::string>& uploadList,
                       const std::string& destFolder, const UploadChoices& choices = {});

}  // namespace qg::cli
