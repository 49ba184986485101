// SHA-256 digests and their usual spellings: the content hashes of the upload manifest, the
// fingerprints of server certificates and SSH host keys ("SHA256:" and base64 without padding,
// as OpenSSH prints them), and the public-key pin of a certificate. The system's libcrypto does
// the work; like libcurl it is loaded at the first use, not when the program starts.
//
// Threading: every function may be called from any thread.
#pragma once

#include <string>
#include <string_view>

namespace qg::net {

constexpr const char* kCryptoLibrary = "libcrypto.so.3";

// The 32 bytes of the SHA-256 digest of `bytes`. Throws qg::Error when libcrypto cannot be
// loaded.
std::string Sha256(std::string_view bytes);
// Lower-case hexadecimal.
std::string HexOf(std::string_view raw);
// Standard base64 (with padding) and its reverse; Base64Decode skips white space and returns
// nothing for text that is not base64.
std::string Base64(std::string_view raw);
std::string Base64Decode(std::string_view text);

// "SHA256:" + base64 without padding of SHA-256(`raw`): an SSH host key's fingerprint from its
// key blob, a certificate's from its DER encoding.
std::string Fingerprint(std::string_view raw);
// True when `text` is spelled as Fingerprint spells one.
bool LooksLikeFingerprint(std::string_view text);

// The DER bytes of the first certificate of a PEM text; empty when there is none.
std::string PemToDer(std::string_view pem);
// "sha256//" + base64 of SHA-256 of the certificate's public key (its SubjectPublicKeyInfo), as
// libcurl pins a server key; empty when `der` is no certificate.
std::string PublicKeyPin(std::string_view der);

}  // namespace qg::net
