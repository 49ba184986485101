// The per-user preferences that outlive a project: the first-use hint switch, the gallery
// counter, the default navigation texts and the upload account. Read once at start, written when
// the window closes and when the navigation dialog saves new defaults.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "project/Project.h"

namespace qg {

// How the upload reaches the own server (iFTPSecure).
enum FtpSecurity : int32_t { kFtpPlain = 0, kFtpTls = 1, kFtpSsh = 2 };
// Whether an upload sends only new and changed files (iFTPChangedOnly): by default only over
// the transports that go beyond active plain FTP.
enum FtpChangedOnly : int32_t {
  kChangedOnlyByTransport = 0,
  kChangedOnlyOn = 1,
  kChangedOnlyOff = 2
};

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

  // Publishing choices beyond the twenty values above. The preferences file holds them only
  // once they differ from these defaults, so the default upload is the original one.
  bool blFTPPassive = false;      // passive data connections
  int32_t iFTPSecure = 0;         // FtpSecurity: plain FTP, FTPS or SFTP
  int32_t iFTPPort = 0;           // 0: the transport's usual port (or the one in sFTPHost)
  int32_t iFTPChangedOnly = 0;    // FtpChangedOnly
  bool blFTPRemoveStale = false;  // remove the files the gallery no longer has, after asking
  std::string sFTPTrustedKey;     // "SHA256:..." of the certificate or host key confirmed
  std::string sFTPKeyFile;        // SFTP: log in with this private key (the password unlocks it)

  friend bool operator==(const Preferences&, const Preferences&) = default;
};

// True when the upload goes beyond active plain FTP (passive mode, FTPS or SFTP).
inline bool UsesNewTransport(const Preferences& p) {
  return p.blFTPPassive || p.iFTPSecure == kFtpTls || p.iFTPSecure == kFtpSsh;
}
// Whether the upload sends only what changed, as the preferences set it.
inline bool ChangedOnly(const Preferences& p) {
  if (p.iFTPChangedOnly == kChangedOnlyOn) return true;
  if (p.iFTPChangedOnly == kChangedOnlyOff) return false;
  return UsesNewTransport(p);
}

}  // namespace qg
