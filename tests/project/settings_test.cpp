// The preferences file keeps the registry's reading rules: a first run writes the defaults, a
// missing text reads empty, and a missing or wrongly typed number or flag ends the reading.
#include "project/Settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/Folders.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::ReadFile;
using test::WriteFile;

class SettingsTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  test::ScopedEnv config_{"XDG_CONFIG_HOME", dir_.file("config")};

  // Writes a preferences file holding the key with these value lines.
  void WriteKey(const std::string& lines, const char* eol = "\r\n") {
    std::filesystem::create_directories(std::filesystem::path(PreferencesFilePath()).parent_path());
    std::string text = std::string("Windows Registry Editor Version 5.00") + eol + eol +
                       "[HKEY_CURRENT_USER\\Software\\Corvane-Soft\\Quillon Gallery]" + eol;
    for (char c : lines) {
      if (c == '\n') {
        text += eol;
      } else {
        text += c;
      }
    }
    WriteFile(PreferencesFilePath(), text);
  }

  // A fully written key with every value changed from its default, minus the named lines.
  std::string FullKey() {
    return "\"blHintViewGalleryNow\"=dword:00000000\n"
           "\"iGalleryNumber\"=dword:0000000c\n"
           "\"sDefNavHome\"=\"Start\"\n"
           "\"sDefNavIndex\"=\"Overview\"\n"
           "\"sDefNavFirst\"=\"|<\"\n"
           "\"sDefNavPrevious\"=\"<\"\n"
           "\"sDefNavNext\"=\">\"\n"
           "\"sDefNavLast\"=\">|\"\n"
           "\"sDefNavALTHome\"=\"a1\"\n"
           "\"sDefNavALTIndex\"=\"a2\"\n"
           "\"sDefNavALTFirst\"=\"a3\"\n"
           "\"sDefNavALTPrevious\"=\"a4\"\n"
           "\"sDefNavALTNext\"=\"a5\"\n"
           "\"sDefNavALTLast\"=\"a6\"\n"
           "\"sUserCorvaneFTPFolder\"=\"qg123\"\n"
           "\"blUseCorvaneServer\"=dword:00000000\n"
           "\"sFTPHost\"=\"ftp.example.org:2121\"\n"
           "\"sFTPUser\"=\"me\"\n"
           "\"sFTPPass\"=\"p\\\"w\\\\d\"\n"
           "\"sFTPFolder\"=\"/www/gallery\"\n";
  }
};

std::string Without(std::string text, const std::string& line) {
  const size_t at = text.find(line);
  EXPECT_NE(at, std::string::npos) << line;
  return text.erase(at, line.size() + 1);
}

TEST_F(SettingsTest, FirstRunWritesThePrivateDefaults) {
  Preferences prefs;
  prefs.iGalleryNumber = 99;
  EXPECT_TRUE(LoadSettings(prefs));
  EXPECT_EQ(prefs, Preferences{});
  const std::string path = PreferencesFilePath();
  EXPECT_EQ(path, dir_.file("config/Corvane-Soft/Quillon Gallery.reg"));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFile(path),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Corvane-Soft\\Quillon Gallery]\r\n"
            "\"blHintViewGalleryNow\"=dword:00000001\r\n"
            "\"iGalleryNumber\"=dword:00000001\r\n"
            "\"sDefNavHome\"=\"Home\"\r\n"
            "\"sDefNavIndex\"=\"Index\"\r\n"
            "\"sDefNavFirst\"=\"First\"\r\n"
            "\"sDefNavPrevious\"=\"Prev\"\r\n"
            "\"sDefNavNext\"=\"Next\"\r\n"
            "\"sDefNavLast\"=\"Last\"\r\n"
            "\"sDefNavALTHome\"=\"[Home]\"\r\n"
            "\"sDefNavALTIndex\"=\"[Index]\"\r\n"
            "\"sDefNavALTFirst\"=\"[First]\"\r\n"
            "\"sDefNavALTPrevious\"=\"[Previous]\"\r\n"
            "\"sDefNavALTNext\"=\"[Next]\"\r\n"
            "\"sDefNavALTLast\"=\"[Last]\"\r\n"
            "\"sUserCorvaneFTPFolder\"=\"\"\r\n"
            "\"blUseCorvaneServer\"=dword:00000001\r\n"
            "\"sFTPHost\"=\"\"\r\n"
            "\"sFTPUser\"=\"\"\r\n"
            "\"sFTPPass\"=\"\"\r\n"
            "\"sFTPFolder\"=\"\"\r\n"
            "\r\n");
  EXPECT_FALSE(LoadSettings(prefs));  // the second run is not a first run
}

TEST_F(SettingsTest, SavedValuesReadBackWithCrLfOrLf) {
  Preferences prefs;
  prefs.blHintViewGalleryNow = false;
  prefs.iGalleryNumber = -3;
  prefs.sDefNav[NavLast] = "Ende \"fin\" C:\\";
  prefs.sUserCorvaneFTPFolder = "qg42";
  prefs.blUseCorvaneServer = false;
  prefs.sFTPPass = "secret";
  ASSERT_TRUE(SaveSettings(prefs));
  Preferences read;
  EXPECT_FALSE(LoadSettings(read));
  EXPECT_EQ(read, prefs);

  for (const char* eol : {"\n", "\r\n"}) {
    WriteKey(FullKey(), eol);
    Preferences p;
    EXPECT_FALSE(LoadSettings(p));
    EXPECT_FALSE(p.blHintViewGalleryNow);
    EXPECT_EQ(p.iGalleryNumber, 12);
    EXPECT_EQ(p.sDefNav[NavFirst], "|<");
    EXPECT_EQ(p.sDefNavALT[NavLast], "a6");
    EXPECT_FALSE(p.blUseCorvaneServer);
    EXPECT_EQ(p.sFTPHost, "ftp.example.org:2121");
    EXPECT_EQ(p.sFTPPass, "p\"w\\d");
    EXPECT_EQ(p.sFTPFolder, "/www/gallery");
  }
}

TEST_F(SettingsTest, PublishingValuesAreWrittenOnceTheyLeaveTheirDefaults) {
  Preferences prefs;
  ASSERT_TRUE(SaveSettings(prefs));
  EXPECT_EQ(ReadFile(PreferencesFilePath()).find("FTPPassive"), std::string::npos);

  prefs.blFTPPassive = true;
  prefs.iFTPSecure = kFtpSsh;
  prefs.iFTPPort = 2222;
  prefs.iFTPChangedOnly = kChangedOnlyOff;
  prefs.blFTPRemoveStale = true;
  prefs.sFTPTrustedKey = "SHA256:abc";
  prefs.sFTPKeyFile = "/home/anna/.ssh/id_ed25519";
  ASSERT_TRUE(SaveSettings(prefs));
  Preferences read;
  EXPECT_FALSE(LoadSettings(read));
  EXPECT_EQ(read, prefs);
  const std::string text = ReadFile(PreferencesFilePath());
  EXPECT_NE(text.find("\"sFTPFolder\"=\"\"\r\n\"blFTPPassive\"=dword:00000001\r\n\"iFTPSecure\"="
                      "dword:00000002\r\n\"iFTPPort\"=dword:000008ae\r\n"),
            std::string::npos)
      << text;

  // Back to the defaults: written back, not left behind.
  ASSERT_TRUE(SaveSettings(Preferences{}));
  EXPECT_FALSE(LoadSettings(read));
  EXPECT_EQ(read, Preferences{});
  EXPECT_NE(ReadFile(PreferencesFilePath()).find("\"blFTPPassive\"=dword:00000000"),
            std::string::npos);
}

TEST_F(SettingsTest, AnUnusablePublishingValueKeepsItsDefaultAndStopsNothing) {
  WriteKey(FullKey() +
           "\"iFTPSecure\"=\"two\"\n"
           "\"iFTPPort\"=dword:00010000\n"
           "\"iFTPChangedOnly\"=dword:00000007\n"
           "\"blFTPRemoveStale\"=dword:00000001\n");
  Preferences prefs;
  SettingsReading reading;
  EXPECT_FALSE(LoadSettings(prefs, &reading));
  EXPECT_EQ(reading.stoppedAtLine, 0);
  EXPECT_EQ(prefs.sFTPHost, "ftp.example.org:2121");
  EXPECT_EQ(prefs.iFTPSecure, kFtpPlain);
  EXPECT_EQ(prefs.iFTPPort, 0);
  EXPECT_EQ(prefs.iFTPChangedOnly, kChangedOnlyByTransport);
  EXPECT_TRUE(prefs.blFTPRemoveStale);
}

TEST_F(SettingsTest, TheIncrementalBuildSwitchIsReadOnItsOwnAndWrittenOnceItWasOn) {
  Preferences prefs;
  ASSERT_TRUE(SaveSettings(prefs));
  EXPECT_EQ(ReadFile(PreferencesFilePath()).find("blOnlyRemakeChanged"), std::string::npos);
  prefs.blOnlyRemakeChanged = true;
  ASSERT_TRUE(SaveSettings(prefs));
  EXPECT_NE(ReadFile(PreferencesFilePath()).find("\"blOnlyRemakeChanged\"=dword:00000001\r\n"),
            std::string::npos);
  Preferences read;
  LoadSettings(read);
  EXPECT_TRUE(read.blOnlyRemakeChanged);
  prefs.blOnlyRemakeChanged = false;  // turned off again, it stays written as off
  ASSERT_TRUE(SaveSettings(prefs));
  EXPECT_NE(ReadFile(PreferencesFilePath()).find("\"blOnlyRemakeChanged\"=dword:00000000\r\n"),
            std::string::npos);
  LoadSettings(read);
  EXPECT_FALSE(read.blOnlyRemakeChanged);

  // Mistyped, it is off and the twenty values read on; where the typed reading stops does not
  // touch it.
  WriteKey(FullKey() + "\"blOnlyRemakeChanged\"=\"1\"\n");
  SettingsReading reading;
  LoadSettings(read, &reading);
  EXPECT_FALSE(read.blOnlyRemakeChanged);
  EXPECT_EQ(reading.stoppedAtLine, 0);
  EXPECT_EQ(read.sFTPFolder, "/www/gallery");
  WriteKey(Without(FullKey(), "\"iGalleryNumber\"=dword:0000000c") +
           "\"blOnlyRemakeChanged\"=dword:00000001\n");
  LoadSettings(read);
  EXPECT_TRUE(read.blOnlyRemakeChanged);
}

TEST_F(SettingsTest, WronglyTypedFirstValueKeepsEveryDefault) {
  WriteKey("\"blHintViewGalleryNow\"=\"1\"\n" +
           Without(FullKey(), "\"blHintViewGalleryNow\"=dword:00000000"));
  Preferences p;
  EXPECT_FALSE(LoadSettings(p));
  EXPECT_EQ(p, Preferences{});
}

TEST_F(SettingsTest, ReadingStopsAtAMissingOrWronglyTypedNumber) {
  WriteKey(Without(FullKey(), "\"iGalleryNumber\"=dword:0000000c"));
  Preferences p;
  LoadSettings(p);
  EXPECT_FALSE(p.blHintViewGalleryNow);  // read before the stop
  EXPECT_EQ(p.iGalleryNumber, 1);
  EXPECT_EQ(p.sDefNav, Preferences{}.sDefNav);
  EXPECT_EQ(p.sFTPHost, "");
  EXPECT_TRUE(p.blUseCorvaneServer);

  // A text stored as a number stops the reading too; blUseCorvaneServer read before it falls
  // back to true.
  WriteKey(Without(FullKey(), "\"sFTPUser\"=\"me\"") + "\"sFTPUser\"=dword:00000001\n");
  LoadSettings(p);
  EXPECT_EQ(p.sFTPHost, "ftp.example.org:2121");
  EXPECT_EQ(p.sFTPUser, "");
  EXPECT_EQ(p.sFTPPass, "");
  EXPECT_TRUE(p.blUseCorvaneServer);
  EXPECT_EQ(p.sUserCorvaneFTPFolder, "qg123");
}

TEST_F(SettingsTest, MissingTextsReadEmptyUnlessHomeAndIndexAreBothEmpty) {
  WriteKey(Without(FullKey(), "\"sDefNavFirst\"=\"|<\""));
  Preferences p;
  LoadSettings(p);
  EXPECT_EQ(p.sDefNav[NavFirst], "");
  EXPECT_EQ(p.sDefNav[NavHome], "Start");
  EXPECT_FALSE(p.blUseCorvaneServer);  // no stop

  WriteKey(
      Without(Without(FullKey(), "\"sDefNavHome\"=\"Start\""), "\"sDefNavIndex\"=\"Overview\""));
  LoadSettings(p);
  EXPECT_EQ(p.sDefNav, Preferences{}.sDefNav);
  EXPECT_EQ(p.sDefNavALT, Preferences{}.sDefNavALT);
  EXPECT_EQ(p.sFTPUser, "me");
}

TEST_F(SettingsTest, SaveFailsWhenTheFolderCannotBeMade) {
  WriteFile(dir_.file("config"), "a file where the folder should be");
  EXPECT_FALSE(SaveSettings(Preferences{}));
}

TEST_F(SettingsTest, LoadingNeverWritesAFileThatExists) {
  // Another program's key only: a first run for us, but the file stays as it is.
  std::filesystem::create_directories(std::filesystem::path(PreferencesFilePath()).parent_path());
  const std::string foreign =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n"
      "\"x\"=dword:00000001\r\n";
  WriteFile(PreferencesFilePath(), foreign);
  Preferences p;
  SettingsReading reading;
  EXPECT_TRUE(LoadSettings(p, &reading));
  EXPECT_TRUE(reading.firstRun);
  EXPECT_EQ(SettingsReadingWarning(reading), "");
  EXPECT_EQ(ReadFile(PreferencesFilePath()), foreign);

  // A damaged key of ours is not repaired behind the user's back either.
  WriteKey("\"blHintViewGalleryNow\"=\"1\"\n");
  const std::string damaged = ReadFile(PreferencesFilePath());
  EXPECT_FALSE(LoadSettings(p));
  EXPECT_EQ(ReadFile(PreferencesFilePath()), damaged);
}

TEST_F(SettingsTest, SavingKeepsEveryOtherKeyAndValue) {
  std::filesystem::create_directories(std::filesystem::path(PreferencesFilePath()).parent_path());
  WriteFile(PreferencesFilePath(),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
            "\"sFTPPass\"=\"not ours\"\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Corvane-Soft\\Quillon Gallery]\r\n"
            "\"sFTPPass\"=\"old\"\r\n"
            "\"sWindowPlacement\"=\"10,20\"\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Corvane-Soft\\Quillon Gallery\\Recent]\r\n"
            "\"1\"=\"/home/me/a.tnp\"\r\n");
  Preferences prefs;
  prefs.sFTPPass = "new";
  ASSERT_TRUE(SaveSettings(prefs));
  EXPECT_EQ(ReadFile(PreferencesFilePath()),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
            "\"sFTPPass\"=\"not ours\"\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Corvane-Soft\\Quillon Gallery]\r\n"
            "\"blHintViewGalleryNow\"=dword:00000001\r\n"
            "\"iGalleryNumber\"=dword:00000001\r\n"
            "\"sDefNavHome\"=\"Home\"\r\n"
            "\"sDefNavIndex\"=\"Index\"\r\n"
            "\"sDefNavFirst\"=\"First\"\r\n"
            "\"sDefNavPrevious\"=\"Prev\"\r\n"
            "\"sDefNavNext\"=\"Next\"\r\n"
            "\"sDefNavLast\"=\"Last\"\r\n"
            "\"sDefNavALTHome\"=\"[Home]\"\r\n"
            "\"sDefNavALTIndex\"=\"[Index]\"\r\n"
            "\"sDefNavALTFirst\"=\"[First]\"\r\n"
            "\"sDefNavALTPrevious\"=\"[Previous]\"\r\n"
            "\"sDefNavALTNext\"=\"[Next]\"\r\n"
            "\"sDefNavALTLast\"=\"[Last]\"\r\n"
            "\"sUserCorvaneFTPFolder\"=\"\"\r\n"
            "\"blUseCorvaneServer\"=dword:00000001\r\n"
            "\"sFTPHost\"=\"\"\r\n"
            "\"sFTPUser\"=\"\"\r\n"
            "\"sFTPPass\"=\"new\"\r\n"
            "\"sFTPFolder\"=\"\"\r\n"
            "\"sWindowPlacement\"=\"10,20\"\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Corvane-Soft\\Quillon Gallery\\Recent]\r\n"
            "\"1\"=\"/home/me/a.tnp\"\r\n");
  Preferences read;
  EXPECT_FALSE(LoadSettings(read));
  EXPECT_EQ(read, prefs);
}

TEST_F(SettingsTest, ADamagedFileSaysWhereTheReadingStopped) {
  // The key's header is line 3 and the values of FullKey() follow from line 4 in table order,
  // so sFTPHost is on line 20.
  struct Case {
    const char* name;
    std::string lines;
    int line;
  };
  const Case cases[] = {
      {"a stray line break in a text",
       Without(FullKey(), "\"sFTPHost\"=\"ftp.example.org:2121\"") +
           "\"sFTPHost\"=\"ftp.example.\norg:2121\"\n",
       23},
      {"the stray line break in table order",
       Without(FullKey(), "\"sFTPUser\"=\"me\"")
           .insert(FullKey().find("\"sFTPUser\""), "\"sFTPUser\"=\"m\ne\"\n"),
       21},
      {"a flag given as text", "\"blHintViewGalleryNow\"=\"0\"\n", 4},
      {"the first value missing", "\"sFTPHost\"=\"x\"\n", 3},
      {"a number missing after the first value",
       Without(FullKey(), "\"iGalleryNumber\"=dword:0000000c"), 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteKey(c.lines);
    Preferences p;
    SettingsReading reading;
    EXPECT_FALSE(LoadSettings(p, &reading));
    EXPECT_TRUE(p.blUseCorvaneServer);
    EXPECT_EQ(reading.stoppedAtLine, c.line);
    EXPECT_EQ(SettingsReadingWarning(reading),
              "The preferences file " + PreferencesFilePath() + " could not be read past line " +
                  std::to_string(c.line) + "; the remaining settings take their default values.");
  }

  WriteKey(FullKey());
  SettingsReading whole;
  Preferences p;
  LoadSettings(p, &whole);
  EXPECT_EQ(whole.stoppedAtLine, 0);
  EXPECT_EQ(SettingsReadingWarning(whole), "");
}

TEST_F(SettingsTest, AFileThatIsNoRegularFileIsReportedAndLeftAlone) {
  const std::string path = PreferencesFilePath();
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  Preferences p;
  p.iGalleryNumber = 5;
  SettingsReading reading;
  EXPECT_FALSE(LoadSettings(p, &reading));  // returns at once instead of waiting for a writer
  EXPECT_EQ(p, Preferences{});
  EXPECT_EQ(SettingsReadingWarning(reading),
            "The preferences file " + path +
                " could not be read (not a regular file); the settings take their default values.");
  EXPECT_FALSE(SaveSettings(p));
  struct stat st {};
  ASSERT_EQ(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(SettingsTest, SavingThroughALinkKeepsTheLink) {
  const std::string path = PreferencesFilePath();
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::filesystem::create_directories(dir_.file("dotfiles"));
  std::filesystem::create_symlink(dir_.file("dotfiles/prefs.reg"), path);  // not made yet
  Preferences prefs;
  EXPECT_TRUE(LoadSettings(prefs));  // a first run creates the link's target
  prefs.sFTPHost = "ftp.example.org";
  ASSERT_TRUE(SaveSettings(prefs));
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  Preferences read;
  EXPECT_FALSE(LoadSettings(read));
  EXPECT_EQ(read.sFTPHost, "ftp.example.org");
}

}  // namespace
}  // namespace qg
