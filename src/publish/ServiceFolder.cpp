// Making the hosting-service folder name.
#include "publish/ServiceFolder.h"

#include <chrono>

namespace qg {

namespace {

constexpr char kConsonants[] = "bcdfghklmnprstvwyz";  // 18 letters
constexpr char kVowels[] = "aeiou";

char Draw(std::mt19937& random, const char* letters, int count) {
  std::uniform_int_distribution<int> pick(0, count - 1);
  return letters[pick(random)];
}

}  // namespace

std::string MakeServiceFolderName(std::mt19937& random) {
  std::string name;
  for (int position = 0; position < 5; ++position) {
    name += position % 2 == 0 ? Draw(random, kConsonants, sizeof kConsonants - 1)
                              : Draw(random, kVowels, sizeof kVowels - 1);
  }
  return name;
}

std::string MakeServiceFolderName() {
  // The clock alone would give two users who start at the same tick the same folder; the
  // system's entropy source keeps them apart.
  std::random_device device;
  const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  std::seed_seq seed{static_cast<unsigned>(ticks), static_cast<unsigned>(ticks >> 32), device()};
  std::mt19937 random(seed);
  return MakeServiceFolderName(random);
}

bool EnsureServiceFolderName(Preferences& prefs) {
  if (!prefs.sUserCorvaneFTPFolder.empty()) return false;
  prefs.sUserCorvaneFTPFolder = MakeServiceFolderName();
  return true;
}

}  // namespace qg
