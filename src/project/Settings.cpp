// The preferences in the per-user preferences file: twenty typed values under one registry key
// (and after them the publishing values and the incremental-build switch, each read on its own),
// read at start-up and written at close. Reading keeps the registry's typing rules: a missing
// text reads empty, while a missing or wrongly typed boolean or integer (or a text of the wrong
// type) ends the reading there, leaving the later values at their defaults. Where it ended is
// reported, so the user learns why the upload account is gone. Saving rewrites only our values:
// whatever else the file holds stays.
#include "project/Settings.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "core/Error.h"
#include "core/FileRead.h"
#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "platform/RegistryFile.h"

namespace qg {
namespace {

constexpr const char* kKeyPath = "Software\\Corvane-Soft\\Quillon Gallery";
constexpr const char* kOnlyRemakeChanged = "blOnlyRemakeChanged";

std::string DefNavName(int item) { return std::string("sDefNav") + kNavItemNames[item]; }
std::string DefNavAltName(int item) { return std::string("sDefNavALT") + kNavItemNames[item]; }

// Reads the typed values in the order SaveSettings writes them; every call after the first
// failure does nothing, and the first failure is remembered.
class TypedReader {
 public:
  explicit TypedReader(const RegistryKeyFile& key) : key_(key) {}

  bool Stopped() const { return stopped_; }
  // The line where the reading stopped: that of the unusable value, or for a missing one the
  // last line read before it.
  int StoppedAtLine() const { return stoppedAtLine_; }

  void Flag(const char* name, bool& value) {
    uint32_t number = 0;
    if (Dword(name, number)) value = number != 0;
  }
  void Integer(const char* name, int32_t& value) {
    uint32_t number = 0;
    if (Dword(name, number)) value = static_cast<int32_t>(number);
  }
  void Text(const std::string& name, std::string& value) {
    if (stopped_) return;
    const std::optional<RegistryValue> found = key_.Find(name);
    if (!found) {
      value.clear();
      return;
    }
    if (found->type != RegistryValue::Type::String) {
      Stop(key_.LineOf(name));
      return;
    }
    value = found->text;
    Read(name);
  }

 private:
  bool Dword(const char* name, uint32_t& number) {
    if (stopped_) return false;
    const std::optional<RegistryValue> found = key_.Find(name);
    if (!found) {
      Stop(lastLine_);
      return false;
    }
    if (found->type != RegistryValue::Type::Dword) {
      Stop(key_.LineOf(name));
      return false;
    }
    number = found->dword;
    Read(name);
    return true;
  }

  void Read(std::string_view name) { lastLine_ = std::max(lastLine_, key_.LineOf(name)); }
  void Stop(int line) {
    stopped_ = true;
    stoppedAtLine_ = line;
  }

  const RegistryKeyFile& key_;
  bool stopped_ = false;
  int lastLine_ = key_.KeyLine();
  int stoppedAtLine_ = 0;
};

// The publishing values that came after the twenty. Each is read on its own: a missing or
// unusable one keeps its default and stops nothing, since an older program never wrote them.
void ReadPublishingValues(const RegistryKeyFile& key, Preferences& prefs) {
  const auto dword = [&key](const char* name) -> std::optional<uint32_t> {
    const std::optional<RegistryValue> found = key.Find(name);
    if (!found || found->type != RegistryValue::Type::Dword) return std::nullopt;
    return found->dword;
  };
  if (const auto v = dword("blFTPPassive")) prefs.blFTPPassive = *v != 0;
  if (const auto v = dword("iFTPSecure"); v && *v <= kFtpSsh)
    prefs.iFTPSecure = static_cast<int32_t>(*v);
  if (const auto v = dword("iFTPPort"); v && *v <= 65535) prefs.iFTPPort = static_cast<int32_t>(*v);
  if (const auto v = dword("iFTPChangedOnly"); v && *v <= kChangedOnlyOff)
    prefs.iFTPChangedOnly = static_cast<int32_t>(*v);
  if (const auto v = dword("blFTPRemoveStale")) prefs.blFTPRemoveStale = *v != 0;
  const std::optional<RegistryValue> trusted = key.Find("sFTPTrustedKey");
  if (trusted && trusted->type == RegistryValue::Type::String) prefs.sFTPTrustedKey = trusted->text;
  const std::optional<RegistryValue> keyFile = key.Find("sFTPKeyFile");
  if (keyFile && keyFile->type == RegistryValue::Type::String) prefs.sFTPKeyFile = keyFile->text;
}

// The publishing values to write: those that differ from their defaults, and those the file
// holds already (so that a value set back to its default is written back too).
void AddPublishingValues(const Preferences& prefs, const std::string& existing,
                         std::vector<std::pair<std::string, RegistryValue>>& values) {
  const RegistryKeyFile key = RegistryKeyFile::Parse(existing, kKeyPath);
  const Preferences defaults;
  const auto add = [&](const char* name, bool differs, RegistryValue value) {
    if (differs || key.Find(name)) values.emplace_back(name, std::move(value));
  };
  add("blFTPPassive", prefs.blFTPPassive != defaults.blFTPPassive,
      RegistryValue::Dword(prefs.blFTPPassive ? 1 : 0));
  add("iFTPSecure", prefs.iFTPSecure != defaults.iFTPSecure,
      RegistryValue::Dword(static_cast<uint32_t>(prefs.iFTPSecure)));
  add("iFTPPort", prefs.iFTPPort != defaults.iFTPPort,
      RegistryValue::Dword(static_cast<uint32_t>(prefs.iFTPPort)));
  add("iFTPChangedOnly", prefs.iFTPChangedOnly != defaults.iFTPChangedOnly,
      RegistryValue::Dword(static_cast<uint32_t>(prefs.iFTPChangedOnly)));
  add("blFTPRemoveStale", prefs.blFTPRemoveStale != defaults.blFTPRemoveStale,
      RegistryValue::Dword(prefs.blFTPRemoveStale ? 1 : 0));
  add("sFTPTrustedKey", prefs.sFTPTrustedKey != defaults.sFTPTrustedKey,
      RegistryValue::String(prefs.sFTPTrustedKey));
  add("sFTPKeyFile", prefs.sFTPKeyFile != defaults.sFTPKeyFile,
      RegistryValue::String(prefs.sFTPKeyFile));
}

}  // namespace

void SetDefaultNavTexts(Preferences& prefs) {
  const Preferences factory;
  prefs.sDefNav = factory.sDefNav;
  prefs.sDefNavALT = factory.sDefNavALT;
}

bool LoadSettings(Preferences& prefs, SettingsReading* reading) {
  prefs.blOnlyRemakeChanged = false;
  prefs.blHintViewGalleryNow = true;
  prefs.blUseCorvaneServer = true;
  prefs.iGalleryNumber = 1;
  SetDefaultNavTexts(prefs);
  prefs.sUserCorvaneFTPFolder.clear();
  prefs.sFTPHost.clear();
  prefs.sFTPUser.clear();
  prefs.sFTPPass.clear();
  prefs.sFTPFolder.clear();
  {
    const Preferences defaults;
    prefs.blFTPPassive = defaults.blFTPPassive;
    prefs.iFTPSecure = defaults.iFTPSecure;
    prefs.iFTPPort = defaults.iFTPPort;
    prefs.iFTPChangedOnly = defaults.iFTPChangedOnly;
    prefs.blFTPRemoveStale = defaults.blFTPRemoveStale;
    prefs.sFTPTrustedKey = defaults.sFTPTrustedKey;
    prefs.sFTPKeyFile = defaults.sFTPKeyFile;
  }

  SettingsReading details;
  details.path = PreferencesFilePath();
  const auto report = [&](bool firstRun) {
    details.firstRun = firstRun;
    if (reading != nullptr) *reading = details;
    return firstRun;
  };

  std::string bytes;
  try {
    bytes = ReadWholeFile(details.path, kTextFileCap);
  } catch (const FileReadError& e) {
    if (e.problem() == FileReadProblem::Missing) {
      SaveSettings(prefs);
      return report(true);
    }
    details.unreadable = e.reason();  // there but unusable: keep the defaults, leave it alone
    return report(false);
  }
  const RegistryKeyFile key = RegistryKeyFile::Parse(bytes, kKeyPath);
  // A file without our key is someone else's too: the defaults reach it with the next save.
  if (!key.KeyFound()) return report(true);

  TypedReader in(key);
  in.Flag("blHintViewGalleryNow", prefs.blHintViewGalleryNow);
  in.Integer("iGalleryNumber", prefs.iGalleryNumber);
  for (int i = 0; i < NavItemCount; ++i) in.Text(DefNavName(i), prefs.sDefNav[i]);
  for (int i = 0; i < NavItemCount; ++i) in.Text(DefNavAltName(i), prefs.sDefNavALT[i]);
  in.Text("sUserCorvaneFTPFolder", prefs.sUserCorvaneFTPFolder);
  in.Flag("blUseCorvaneServer", prefs.blUseCorvaneServer);
  in.Text("sFTPHost", prefs.sFTPHost);
  in.Text("sFTPUser", prefs.sFTPUser);
  in.Text("sFTPPass", prefs.sFTPPass);
  in.Text("sFTPFolder", prefs.sFTPFolder);
  // Not one of the twenty: missing or mistyped, it keeps its default and stops nothing.
  if (const std::optional<RegistryValue> only = key.Find(kOnlyRemakeChanged);
      only && only->type == RegistryValue::Type::Dword)
    prefs.blOnlyRemakeChanged = only->dword != 0;
  if (in.Stopped()) {
    prefs.blUseCorvaneServer = true;
    details.stoppedAtLine = std::max(in.StoppedAtLine(), 1);
  }

  if (prefs.sDefNav[NavHome].empty() && prefs.sDefNav[NavIndex].empty()) SetDefaultNavTexts(prefs);
  ReadPublishingValues(key, prefs);
  return report(false);
}

std::string SettingsReadingWarning(const SettingsReading& reading) {
  if (!reading.unreadable.empty()) {
    return Format(
        "The preferences file %s could not be read (%s); the settings take their default values.",
        reading.path.c_str(), reading.unreadable.c_str());
  }
  if (reading.stoppedAtLine > 0) {
    return Format(
        "The preferences file %s could not be read past line %d; the remaining settings take "
        "their default values.",
        reading.path.c_str(), reading.stoppedAtLine);
  }
  return {};
}

bool SaveSettings(const Preferences& prefs) {
  std::vector<std::pair<std::string, RegistryValue>> values;
  values.emplace_back("blHintViewGalleryNow",
                      RegistryValue::Dword(prefs.blHintViewGalleryNow ? 1 : 0));
  values.emplace_back("iGalleryNumber",
                      RegistryValue::Dword(static_cast<uint32_t>(prefs.iGalleryNumber)));
  for (int i = 0; i < NavItemCount; ++i)
    values.emplace_back(DefNavName(i), RegistryValue::String(prefs.sDefNav[i]));
  for (int i = 0; i < NavItemCount; ++i)
    values.emplace_back(DefNavAltName(i), RegistryValue::String(prefs.sDefNavALT[i]));
  values.emplace_back("sUserCorvaneFTPFolder", RegistryValue::String(prefs.sUserCorvaneFTPFolder));
  values.emplace_back("blUseCorvaneServer", RegistryValue::Dword(prefs.blUseCorvaneServer ? 1 : 0));
  values.emplace_back("sFTPHost", RegistryValue::String(prefs.sFTPHost));
  values.emplace_back("sFTPUser", RegistryValue::String(prefs.sFTPUser));
  values.emplace_back("sFTPPass", RegistryValue::String(prefs.sFTPPass));
  values.emplace_back("sFTPFolder", RegistryValue::String(prefs.sFTPFolder));

  const std::string path = PreferencesFilePath();
  std::string existing;
  try {
    existing = ReadWholeFile(path, kTextFileCap);
  } catch (const FileReadError& e) {
    if (e.problem() != FileReadProblem::Missing)
      return false;  // never overwrite what we cannot keep
  }
  AddPublishingValues(prefs, existing, values);
  // The switch is written once it was turned on, so a file that never had it keeps the twenty.
  if (prefs.blOnlyRemakeChanged ||
      RegistryKeyFile::Parse(existing, kKeyPath).Find(kOnlyRemakeChanged))
    values.emplace_back(kOnlyRemakeChanged,
                        RegistryValue::Dword(prefs.blOnlyRemakeChanged ? 1 : 0));
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code ec;
  const bool created = std::filesystem::create_directories(folder, ec);
  if (ec) return false;
  // The file holds a password: a folder we make for it is private too.
  if (created) ::chmod(folder.c_str(), 0700);
  return WriteFileAtomically(path, UpdateRegistryKeyFile(existing, kKeyPath, values),
                             {.ownerOnly = true});
}

}  // namespace qg
