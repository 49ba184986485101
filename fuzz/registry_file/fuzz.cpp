// Fuzz target for the preferences file reader (.reg export syntax, possibly exported on another
// system) and the in-place update that saves use. Beyond not crashing, it checks:
// - an update reads back with every value written exactly as given;
// - an update leaves every other value of the key and every other key as they read before;
// - updating an updated file changes nothing (a save after a save is byte-identical).
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/RegistryFile.h"

namespace {

constexpr std::string_view kKey = "Software\\Corvane-Soft\\Quillon Gallery";
constexpr std::string_view kOtherKey = "Software\\Other";

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Same(const std::optional<qg::RegistryValue>& a, const std::optional<qg::RegistryValue>& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  return a->type == b->type && a->dword == b->dword && a->text == b->text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const qg::RegistryKeyFile before = qg::RegistryKeyFile::Parse(bytes, kKey);
  const qg::RegistryKeyFile otherBefore = qg::RegistryKeyFile::Parse(bytes, kOtherKey);
  Check(before.KeyFound() == (before.KeyLine() > 0));

  // Values to write: fixed ones, plus a text taken from the input (without line breaks, which
  // go the hex way and need valid UTF-8 to come back unchanged).
  std::string taken(bytes.substr(0, 40));
  std::erase_if(taken, [](char c) { return c == '\r' || c == '\n'; });
  const std::vector<std::pair<std::string, qg::RegistryValue>> values = {
      {"blHintViewGalleryNow", qg::RegistryValue::Dword(1)},
      {"iGalleryNumber", qg::RegistryValue::Dword(static_cast<uint32_t>(size))},
      {"sFTPHost", qg::RegistryValue::String(taken)},
      {"sDefNavHome", qg::RegistryValue::String("two\nlines \"quoted\" \\")},
      {"sFTPPass", qg::RegistryValue::String("")},
  };
  const std::string updated = qg::UpdateRegistryKeyFile(bytes, kKey, values);

  const qg::RegistryKeyFile after = qg::RegistryKeyFile::Parse(updated, kKey);
  Check(after.KeyFound());
  for (const auto& [name, value] : values) Check(Same(after.Find(name), value));
  for (const char* name : {"keep", "sFTPUser", "blUseCorvaneServer", "x", ""})
    Check(Same(after.Find(name), before.Find(name)));

  const qg::RegistryKeyFile otherAfter = qg::RegistryKeyFile::Parse(updated, kOtherKey);
  Check(otherAfter.KeyFound() == otherBefore.KeyFound());
  for (const char* name : {"keep", "sFTPHost", "blHintViewGalleryNow", "x"})
    Check(Same(otherAfter.Find(name), otherBefore.Find(name)));

  Check(qg::UpdateRegistryKeyFile(updated, kKey, values) == updated);
  return 0;
}
