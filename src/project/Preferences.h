// The per-user preferences that outlive a project: the first-use hint switch, the gallery
// counter, the default navigation texts and the upload account. Read once at start, written when
// the window closes and when the navigation dialog saves new defaults.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "project/Project.h"

namespace qg {

struct Preferences {
  bool blHintViewGalleryNow = true;
  int32_t iGalleryNumber = 1;
  std::array<std::string, NavItemCount> sDefNav = {"Home", "Index", "First",
                                                   "Prev", "Next",  "Last"};
  std::array<std::string, NavItemCount> sDefNavALT = {"[Home]",     "[Index]", "[First]",
                                                      "[Previous]", "[Next]",  "[Last]"};
  std::string sUserCorvaneFTPFolder;
  bool blUseCorvaneServer = true;
  std::string sFTPHost;
  std::string sFTPUser;
  std::string sFTPPass;  // stored as entered
  std::string sFTPFolder;
  // "Only remake what changed" on the Create Gallery step: builds are incremental. Stored after
  // the twenty values above and read on its own, so a file without it reads as before.
  bool blOnlyRemakeChanged = false;

  friend bool operator==(const Preferences&, const Preferences&) = default;
};

}  // namespace qg
