// The preferences in the per-user preferences file: twenty typed values under one registry key,
// read at start-up and written at close. Reading keeps the registry's typing rules: a missing
// text reads empty, while a missing or wrongly typed boolean or integer (or a text of the wrong
// type) ends the reading there, leaving the later values at their defaults.
#include "project/Settings.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "platform/RegistryFile.h"

namespace qg {
namespace {

constexpr const char* kKeyPath = "Software\\Corvane-Soft\\Quillon Gallery";

std::string DefNavName(int item) { return std::string("sDefNav") + kNavItemNames[item]; }
std::string DefNavAltName(int item) { return std::string("sDefNavALT") + kNavItemNames[item]; }

// Reads the typed values in the order SaveSettings writes them; every call after the first
// failure does nothing, and the first failure is remembered.
class TypedReader {
 public:
  explicit TypedReader(const RegistryKeyFile& key) : key_(key) {}

  bool Stopped() const { return stopped_; }

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
      stopped_ = true;
      return;
    }
    value = found->text;
  }

 private:
  bool Dword(const char* name, uint32_t& number) {
    if (stopped_) return false;
    const std::optional<RegistryValue> found = key_.Find(name);
    if (!found || found->type != RegistryValue::Type::Dword) {
      stopped_ = true;
      return false;
    }
    number = found->dword;
    return true;
  }

  const RegistryKeyFile& key_;
  bool stopped_ = false;
};

}  // namespace

void SetDefaultNavTexts(Preferences& prefs) {
  const Preferences factory;
  prefs.sDefNav = factory.sDefNav;
  prefs.sDefNavALT = factory.sDefNavALT;
}

bool LoadSettings(Preferences& prefs) {
  prefs.blHintViewGalleryNow = true;
  prefs.blUseCorvaneServer = true;
  prefs.iGalleryNumber = 1;
  SetDefaultNavTexts(prefs);
  prefs.sUserCorvaneFTPFolder.clear();
  prefs.sFTPHost.clear();
  prefs.sFTPUser.clear();
  prefs.sFTPPass.clear();
  prefs.sFTPFolder.clear();

  const std::string path = PreferencesFilePath();
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return false;  // there but unreadable: keep the defaults
    SaveSettings(prefs);
    return true;
  }
  const RegistryKeyFile key = RegistryKeyFile::Parse(bytes, kKeyPath);
  if (!key.KeyFound()) {
    SaveSettings(prefs);
    return true;
  }

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
  if (in.Stopped()) prefs.blUseCorvaneServer = true;

  if (prefs.sDefNav[NavHome].empty() && prefs.sDefNav[NavIndex].empty()) SetDefaultNavTexts(prefs);
  return false;
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
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code ec;
  const bool created = std::filesystem::create_directories(folder, ec);
  if (ec) return false;
  // The file holds a password: a folder we make for it is private too.
  if (created) ::chmod(folder.c_str(), 0700);
  return WriteFileAtomically(path, FormatRegistryKeyFile(kKeyPath, values), {.ownerOnly = true});
}

}  // namespace qg
