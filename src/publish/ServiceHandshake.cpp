// Reading the hosting service's status and connection pages.
#include "publish/ServiceHandshake.h"

#include <cstdint>

#include "net/HttpClient.h"

namespace qg {

namespace {

constexpr size_t kWindow = 255;

// text[start, start + count), clamped to the text like the classic Copy: a start past the end
// gives empty text.
std::string CopyFrom(const std::string& text, size_t start, size_t count) {
  if (start >= text.size()) return {};
  return text.substr(start, count);
}

// Index just past `marker` and `skip` more characters; a missing marker counts as standing
// at position 0, so it still skips the marker's length (less one: positions count from 1).
size_t StartAfter(const std::string& text, const std::string& marker, size_t skip) {
  const size_t at = text.find(marker);
  if (at == std::string::npos) return marker.size() - 1 + skip;
  return at + marker.size() + skip;
}

// One marker step of the connection page; false when the marker is not in `current`.
bool TakeValue(std::string& current, const std::string& marker, std::string& value) {
  const size_t at = current.find(marker);
  if (at == std::string::npos) return false;
  current = CopyFrom(current, at + marker.size(), kWindow);
  const size_t end = current.find("!!!");
  value = end == std::string::npos ? std::string() : current.substr(0, end);
  return true;
}

uint64_t SplitMix64(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

}  // namespace

std::string FetchServiceText(net::HttpClient& http, const std::string& address,
                             const std::string& suffix, const StopToken& stop) {
  return http.Get(address + suffix, stop);
}

ServiceStatus ParseServiceStatus(const std::string& text) {
  ServiceStatus status;
  // Exactly the two characters after the colon: "SERVICE: OK" reads " O" and counts as closed.
  if (CopyFrom(text, StartAfter(text, "SERVICE:", 0), 2) == "OK") return status;
  status.open = false;
  status.message = CopyFrom(text, StartAfter(text, "MESSAGE:", 1), kWindow);
  return status;
}

// The hosting service keeps, for each account, a value from which the FTP password follows;
// neither the page nor the program ever holds the password itself in readable form. The
// transformation, agreed with the service:
//   1. h = 64-bit FNV-1a over the bytes of the shared key kServiceKey, continued over the bytes
//      of the value;
//   2. twelve times: h is advanced by SplitMix64 and the output gains the character
//      kAlphabet[result % 62];
// an empty value (an account without password) gives empty text. The program passes on the
// first six characters.
std::string ServicePassword(const std::string& value) {
  static constexpr char kServiceKey[] = "Corvane-Soft/Quillon Gallery/hosting/1";
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  if (value.empty()) return {};
  uint64_t h = 0xCBF29CE484222325ULL;
  auto mix = [&h](unsigned char byte) {
    h ^= byte;
    h *= 0x100000001B3ULL;
  };
  for (const char* p = kServiceKey; *p != '\0'; ++p) mix(static_cast<unsigned char>(*p));
  for (char c : value) mix(static_cast<unsigned char>(c));
  std::string out;
  for (int i = 0; i < 12; ++i) out += kAlphabet[SplitMix64(h) % (sizeof kAlphabet - 1)];
  return out;
}

void ApplyServiceConnection(const std::string& text, std::string& host, std::string& user,
                            std::string& password) {
  if (text.empty()) return;
  // Each step keeps only what follows its marker, so the markers must come in this order.
  std::string current = text;
  TakeValue(current, "HOSTNAME:", host);
  TakeValue(current, "USERNAME:", user);
  std::string value;
  if (TakeValue(current, "PASSWORD:", value)) password = ServicePassword(value).substr(0, 6);
}

bool CheckUploadService(net::HttpClient& http, const std::string& vendorSite,
                        ServicePrompts& prompts, const StopToken& stop) {
  const std::string text = FetchServiceText(http, vendorSite + kServiceStatusPath, "", stop);
  if (text.empty()) return true;  // no answer: the upload itself will tell
  const ServiceStatus status = ParseServiceStatus(text);
  if (status.open) return true;
  if (prompts.ServiceRefused(status.message)) {
    prompts.OpenInBrowser(vendorSite + kServiceInfoPath);
  }
  return false;
}

bool GetServiceConnection(net::HttpClient& http, const std::string& vendorSite, std::string& host,
                          std::string& user, std::string& password, const StopToken& stop) {
  ApplyServiceConnection(FetchServiceText(http, vendorSite + kServiceConnectPath, "", stop), host,
                         user, password);
  return true;
}

}  // namespace qg
