// Digests and their spellings, checked against values worked out by other tools.
#include "net/Digest.h"

#include <gtest/gtest.h>

namespace qg::net {
namespace {

TEST(Digest, Sha256AndItsSpellings) {
  EXPECT_EQ(HexOf(Sha256("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // As `printf abc | openssl dgst -sha256 -binary | base64` gives it, less the padding.
  EXPECT_EQ(Fingerprint("abc"), "SHA256:ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0");
  EXPECT_TRUE(LooksLikeFingerprint(Fingerprint("abc")));
  for (const char* bad : {"", "SHA256:", "sha256:ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0",
                          "SHA256:ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=",
                          "SHA256:ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa",
                          "SHA256:ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAF-0"})
    EXPECT_FALSE(LooksLikeFingerprint(bad)) << bad;
}

TEST(Digest, Base64BothWays) {
  struct Case {
    std::string raw, text;
  };
  for (const Case& c : {Case{"", ""}, Case{"f", "Zg=="}, Case{"fo", "Zm8="}, Case{"foo", "Zm9v"},
                        Case{std::string("\0\xff\x10", 3), "AP8Q"}}) {
    EXPECT_EQ(Base64(c.raw), c.text);
    if (!c.text.empty()) EXPECT_EQ(Base64Decode(c.text), c.raw) << c.text;
  }
  EXPECT_EQ(Base64Decode("Zm9v\nYmFy\n"), "foobar");
  EXPECT_EQ(Base64Decode("Zm9"), "");
  EXPECT_EQ(Base64Decode("Zm9*"), "");
}

TEST(Digest, NoCertificateNoPin) {
  EXPECT_EQ(PemToDer("no certificate here"), "");
  EXPECT_EQ(PublicKeyPin("not DER"), "");
}

}  // namespace
}  // namespace qg::net
