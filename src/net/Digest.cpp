// Digests and fingerprints through libcrypto, loaded at the first use.
#include "net/Digest.h"
#include "net/SymbolBinding.h"

#include <dlfcn.h>

#include <mutex>

#include "core/Error.h"

namespace qg::net {

namespace {

struct CryptoApi {
  unsigned char* (*sha256)(const unsigned char*, size_t, unsigned char*) = nullptr;
  int (*encodeBlock)(unsigned char*, const unsigned char*, int) = nullptr;
  int (*decodeBlock)(unsigned char*, const unsigned char*, int) = nullptr;
  void* (*d2iX509)(void**, const unsigned char**, long) = nullptr;
  void* (*x509GetPubkey)(void*) = nullptr;
  int (*i2dPubkey)(void*, unsigned char**) = nullptr;
  void (*x509Free)(void*) = nullptr;
  std::string error;
};

const CryptoApi& Crypto() {
  static std::once_flag once;
  static CryptoApi api;
  std::call_once(once, [] {
    void* library = dlopen(kCryptoLibrary, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      const char* why = dlerror();
      api.error = why != nullptr ? why : "not found";
      return;
    }
    std::string& e = api.error;
    (void)(Bind(library, "SHA256", api.sha256, e) &&
           Bind(library, "EVP_EncodeBlock", api.encodeBlock, e) &&
           Bind(library, "EVP_DecodeBlock", api.decodeBlock, e) &&
           Bind(library, "d2i_X509", api.d2iX509, e) &&
           Bind(library, "X509_get_X509_PUBKEY", api.x509GetPubkey, e) &&
           Bind(library, "i2d_X509_PUBKEY", api.i2dPubkey, e) &&
           Bind(library, "X509_free", api.x509Free, e));
  });
  if (!api.error.empty()) {
    throw Error(std::string("The cryptography library ") + kCryptoLibrary +
                " could not be loaded (" + api.error + ")");
  }
  return api;
}

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

std::string Sha256(std::string_view bytes) {
  unsigned char digest[32];
  Crypto().sha256(Bytes(bytes), bytes.size(), digest);
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

std::string HexOf(std::string_view raw) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(raw.size() * 2);
  for (const unsigned char c : raw) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

std::string Base64(std::string_view raw) {
  if (raw.size() > (1u << 30)) throw Error("The data is too large to encode");
  std::string out((raw.size() + 2) / 3 * 4 + 1, '\0');
  const int n = Crypto().encodeBlock(reinterpret_cast<unsigned char*>(out.data()), Bytes(raw),
                                     static_cast<int>(raw.size()));
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

std::string Base64Decode(std::string_view text) {
  std::string compact;
  for (const char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') compact += c;
  }
  if (compact.empty() || compact.size() % 4 != 0 || compact.size() > (1u << 30)) return {};
  std::string out(compact.size() / 4 * 3, '\0');
  const int n = Crypto().decodeBlock(reinterpret_cast<unsigned char*>(out.data()), Bytes(compact),
                                     static_cast<int>(compact.size()));
  if (n < 0) return {};
  out.resize(static_cast<size_t>(n));
  // EVP_DecodeBlock keeps the bytes that the padding stands for.
  size_t padding = 0;
  while (padding < 2 && compact[compact.size() - 1 - padding] == '=') ++padding;
  out.resize(out.size() - padding);
  return out;
}

std::string Fingerprint(std::string_view raw) {
  std::string text = Base64(Sha256(raw));
  while (!text.empty() && text.back() == '=') text.pop_back();
  return "SHA256:" + text;
}

bool LooksLikeFingerprint(std::string_view text) {
  constexpr std::string_view kPrefix = "SHA256:";
  if (text.substr(0, kPrefix.size()) != kPrefix) return false;
  const std::string_view b64 = text.substr(kPrefix.size());
  if (b64.size() != 43) return false;  // 32 bytes without padding
  for (const char c : b64) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '+' || c == '/';
    if (!ok) return false;
  }
  return true;
}

std::string PemToDer(std::string_view pem) {
  constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
  constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
  const size_t begin = pem.find(kBegin);
  if (begin == std::string_view::npos) return {};
  const size_t start = begin + kBegin.size();
  const size_t end = pem.find(kEnd, start);
  if (end == std::string_view::npos) return {};
  return Base64Decode(pem.substr(start, end - start));
}

std::string PublicKeyPin(std::string_view der) {
  const CryptoApi& api = Crypto();
  const unsigned char* cursor = Bytes(der);
  void* certificate = api.d2iX509(nullptr, &cursor, static_cast<long>(der.size()));
  if (certificate == nullptr) return {};
  std::string pin;
  if (void* key = api.x509GetPubkey(certificate)) {
    const int length = api.i2dPubkey(key, nullptr);
    if (length > 0) {
      std::string spki(static_cast<size_t>(length), '\0');
      unsigned char* out = reinterpret_cast<unsigned char*>(spki.data());
      if (api.i2dPubkey(key, &out) == length) pin = "sha256//" + Base64(Sha256(spki));
    }
  }
  api.x509Free(certificate);
  return pin;
}

}  // namespace qg::net
