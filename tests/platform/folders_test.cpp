// The user folders follow the XDG rules and their fall-backs.
#include "platform/Folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::ScopedEnv;

TEST(Folders, PreferencesFileHonoursXdgConfigHome) {
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/cfg/");
    EXPECT_EQ(PreferencesFilePath(), "/tmp/cfg/Corvane-Soft/Quillon Gallery.reg");
  }
  ScopedEnv relative("XDG_CONFIG_HOME", "relative/is/ignored");
  EXPECT_EQ(PreferencesFilePath(), "/home/someone/.config/Corvane-Soft/Quillon Gallery.reg");
}

TEST(Folders, DocumentsFolderFromVariableUserDirsOrFallback) {
  test::TempDir dir;
  ScopedEnv home("HOME", dir.path().string());
  ScopedEnv config("XDG_CONFIG_HOME", dir.file("config"));
  ScopedEnv documents("XDG_DOCUMENTS_DIR", std::nullopt);
  EXPECT_EQ(DocumentsFolder(), dir.file("Documents"));

  std::filesystem::create_directory(dir.file("config"));
  test::WriteFile(dir.file("config/user-dirs.dirs"),
                  "# written by xdg-user-dirs-update\n"
                  "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                  "XDG_DOCUMENTS_DIR=\"$HOME/Eigene Dateien\"\n");
  EXPECT_EQ(DocumentsFolder(), dir.file("Eigene Dateien"));

  test::WriteFile(dir.file("config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(DocumentsFolder(), dir.file("Documents"));  // the home folder itself means "none"

  test::WriteFile(dir.file("config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
  EXPECT_EQ(DocumentsFolder(), "/srv/docs");

  ScopedEnv variable("XDG_DOCUMENTS_DIR", "/data/papers/");
  EXPECT_EQ(DocumentsFolder(), "/data/papers");
}

TEST(Folders, AppFolderIsTheExecutablesFolder) {
  const std::string folder = AppFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(folder + "/platform_tests"));
}

TEST(Folders, TempFolderHasNoTrailingSeparator) {
  ScopedEnv tmp("TMPDIR", "/var/tmp/");
  EXPECT_EQ(TempFolder(), "/var/tmp");
  ScopedEnv none("TMPDIR", std::nullopt);
  EXPECT_EQ(TempFolder(), "/tmp");
}

}  // namespace
}  // namespace qg
