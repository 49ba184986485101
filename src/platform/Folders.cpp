// Where things live on this system: the program's own folder (the build tree's bin/ or an
// installed copy's share/quillon-gallery/), the user's documents folder, the
// temporary folder and the preferences file. The XDG base-directory rules decide the user
// folders, so a test (or a user) can move them with the usual environment variables.
#include "platform/Folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string_view>
#include <system_error>

#include "core/FileRead.h"

namespace qg {
namespace {

std::string EnvValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeFolder() {
  std::string home = EnvValue("HOME");
  if (!home.empty()) return StripTrailingSlashes(home);
  // A session without HOME (a service, a stripped test environment) still has a password entry.
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return StripTrailingSlashes(entry->pw_dir);
  return "/";
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  if (folder.empty() || folder.back() == '/') return folder + std::string(name);
  return folder + "/" + std::string(name);
}

std::string ConfigHome() {
  // The base-directory rules ignore a relative XDG_CONFIG_HOME.
  std::string config = EnvValue("XDG_CONFIG_HOME");
  if (!config.empty() && config.front() == '/') return StripTrailingSlashes(config);
  return JoinPath(HomeFolder(), ".config");
}

std::string CacheHome() {
  std::string cache = EnvValue("XDG_CACHE_HOME");
  if (!cache.empty() && cache.front() == '/') return StripTrailingSlashes(cache);
  return JoinPath(HomeFolder(), ".cache");
}

// Expands one value of user-dirs.dirs: a double-quoted text that is either "$HOME/..." or an
// absolute path, with backslash escaping. Returns an empty text when the form is not one of these.
std::string ExpandUserDirValue(std::string_view raw) {
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r'))
    raw.remove_suffix(1);
  if (raw.size() < 2 || raw.front() != '"' || raw.back() != '"') return {};
  raw = raw.substr(1, raw.size() - 2);
  std::string text;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
    text += raw[i];
  }
  if (text.rfind("$HOME", 0) == 0) {
    const std::string rest = text.substr(5);
    if (!rest.empty() && rest.front() != '/') return {};
    return StripTrailingSlashes(HomeFolder() + rest);
  }
  if (!text.empty() && text.front() == '/') return StripTrailingSlashes(text);
  return {};
}

std::string DocumentsFromUserDirsFile() {
  std::string text;
  try {
    text = ReadWholeFile(JoinPath(ConfigHome(), "user-dirs.dirs"), kTextFileCap);
  } catch (const FileReadError&) {
    return {};  // no usable file: the default folder applies
  }
  std::istringstream in(text);
  std::string line;
  std::string found;
  while (std::getline(in, line)) {
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0) continue;
    found = ExpandUserDirValue(std::string_view(line).substr(start + kKey.size()));
  }
  return found;
}

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

}  // namespace

std::string ExecutableFolder() {
  std::string buffer(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return ".";
  buffer.resize(static_cast<size_t>(n));
  const size_t slash = buffer.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return buffer.substr(0, slash);
}

std::string AppFolderFor(const std::string& executableFolder) {
  const std::string folder = StripTrailingSlashes(executableFolder);
  if (IsFolder(JoinPath(folder, "Buttons"))) return folder;
  // An installed copy: the executables in <prefix>/bin, the pictures in <prefix>/share.
  const size_t slash = folder.rfind('/');
  if (slash != std::string::npos) {
    const std::string prefix = folder.substr(0, slash);
    const std::string shared = prefix + "/share/quillon-gallery";
    if (IsFolder(shared)) return shared;
  }
  return folder;
}

std::string AppFolder() { return AppFolderFor(ExecutableFolder()); }

std::string DocumentsFolder() {
  // An explicit variable wins; otherwise the user-dirs file. A documents folder that is the home
  // folder itself means "not configured" there, so it falls through to ~/Documents.
  const std::string home = HomeFolder();
  std::string documents = EnvValue("XDG_DOCUMENTS_DIR");
  if (!documents.empty() && documents.front() == '/') {
    documents = StripTrailingSlashes(documents);
  } else {
    documents = DocumentsFromUserDirsFile();
  }
  if (documents.empty() || documents == home) return JoinPath(home, "Documents");
  return documents;
}

std::string TempFolder() {
  std::string temp = EnvValue("TMPDIR");
  if (!temp.empty() && temp.front() == '/') return StripTrailingSlashes(temp);
  return "/tmp";
}

std::string PreferencesFilePath() {
  return JoinPath(JoinPath(ConfigHome(), "Corvane-Soft"), "Quillon Gallery.reg");
}

std::string CacheFolder() {
  return JoinPath(JoinPath(CacheHome(), "Corvane-Soft"), "Quillon Gallery");
}

}  // namespace qg
