// The gallery address, the mail that passes it on, the hosting-service folder name and the
// deployment addresses.
#include "publish/GalleryLink.h"

#include <cstdlib>
#include <set>

#include <gtest/gtest.h>

#include "publish/Deployment.h"
#include "publish/ServiceFolder.h"

namespace qg {
namespace {

TEST(GalleryAddress, JoinsBaseOrHostWithTheFolder) {
  EXPECT_EQ(ServiceGalleryAddress("http://galleries.example/", "bakor"),
            "http://galleries.example/bakor/index.html");
  EXPECT_EQ(OwnServerGalleryAddress("ftp.example.com", "gallery"),
            "ftp.example.com/gallery/index.html");
  EXPECT_EQ(OwnServerGalleryAddress("ftp.example.com", ""), "ftp.example.com//index.html");
  EXPECT_EQ(OwnServerGalleryAddress("h", "gallery/"), "h/gallery//index.html");
}

TEST(GalleryMail, IsJoinedWithoutAnyEncoding) {
  const std::string link = ServiceGalleryAddress("http://galleries.example/", "bakor");
  EXPECT_EQ(GalleryLinkMailAddress(link),
            "mailto:?subject=My Quillon Gallery&body=My gallery link: "
            "http://galleries.example/bakor/index.html");
  EXPECT_EQ(ComposeMailAddress("a@b.c", "S & T", "x?y"), "mailto:a@b.c?subject=S & T&body=x?y");
}

TEST(ServiceFolderName, IsAlwaysConsonantVowelConsonantVowelConsonant) {
  const std::string consonants = "bcdfghklmnprstvwyz";
  const std::string vowels = "aeiou";
  std::mt19937 random(12345);
  std::set<char> seenConsonants;
  std::set<std::string> names;
  for (int i = 0; i < 5000; ++i) {
    const std::string name = MakeServiceFolderName(random);
    ASSERT_EQ(name.size(), 5u);
    for (size_t p = 0; p < 5; ++p) {
      const std::string& set = p % 2 == 0 ? consonants : vowels;
      ASSERT_NE(set.find(name[p]), std::string::npos) << name;
      if (p % 2 == 0) seenConsonants.insert(name[p]);
    }
    names.insert(name);
  }
  EXPECT_EQ(seenConsonants.size(), 18u);  // every consonant turns up, none of j, q, x
  EXPECT_GT(names.size(), 4000u);
}

TEST(ServiceFolderName, IsMadeOnlyWhenMissing) {
  Preferences prefs;
  EXPECT_TRUE(EnsureServiceFolderName(prefs));
  const std::string made = prefs.sUserCorvaneFTPFolder;
  EXPECT_EQ(made.size(), 5u);
  EXPECT_FALSE(EnsureServiceFolderName(prefs));
  EXPECT_EQ(prefs.sUserCorvaneFTPFolder, made);
}

TEST(DeploymentAddresses, ComeFromTheEnvironmentWhenSet) {
  unsetenv("QUILLON_VENDOR_SITE");
  unsetenv("QUILLON_HOSTING_URL");
  EXPECT_EQ(VendorSite(), kDefaultVendorSite);
  EXPECT_EQ(HostingBaseUrl(), kDefaultHostingUrl);
  setenv("QUILLON_VENDOR_SITE", "http://127.0.0.1:8080", 1);
  setenv("QUILLON_HOSTING_URL", "http://127.0.0.1:8081/galleries/", 1);
  EXPECT_EQ(VendorSite(), "http://127.0.0.1:8080");
  EXPECT_EQ(HostingBaseUrl(), "http://127.0.0.1:8081/galleries/");
  // Written without the slash the folder name needs, or with one too many for the page paths.
  setenv("QUILLON_VENDOR_SITE", "http://site.test/", 1);
  setenv("QUILLON_HOSTING_URL", "http://host.test/g", 1);
  EXPECT_EQ(VendorSite(), "http://site.test");
  EXPECT_EQ(HostingBaseUrl(), "http://host.test/g/");
  unsetenv("QUILLON_VENDOR_SITE");
  unsetenv("QUILLON_HOSTING_URL");
}

}  // namespace
}  // namespace qg
