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

TEST(Folders, ExecutableFolderHoldsTheRunningProgram) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(folder + "/platform_tests"));
  // The test folder has no shipped pictures beside it, nor a share/ folder above it.
  EXPECT_EQ(AppFolder(), folder);
}

TEST(Folders, AppFolderIsTheBuildTreeOrTheInstalledShareFolder) {
  test::TempDir dir;
  const std::string root = dir.path().string();
  namespace fs = std::filesystem;
  fs::create_directories(root + "/build/bin/Buttons");
  fs::create_directories(root + "/usr/bin");
  fs::create_directories(root + "/usr/share/quillon-gallery/Buttons");
  fs::create_directories(root + "/both/bin/Buttons");
  fs::create_directories(root + "/both/share/quillon-gallery");
  fs::create_directories(root + "/bare/bin");
  fs::create_directories(root + "/lonely/bin");
  test::WriteFile(root + "/lonely/bin/Buttons", "a file, not a folder");

  struct Row {
    std::string executableFolder;
    std::string expected;
  };
  const Row rows[] = {
      {root + "/build/bin", root + "/build/bin"},  // a build tree: the pictures beside the program
      {root + "/build/bin/", root + "/build/bin"},
      {root + "/usr/bin", root + "/usr/share/quillon-gallery"},  // installed under a prefix
      {root + "/both/bin", root + "/both/bin"},                  // pictures beside the program win
      {root + "/bare/bin", root + "/bare/bin"},  // neither: the program's folder all the same
      {root + "/lonely/bin", root + "/lonely/bin"},
      {root + "/missing/bin", root + "/missing/bin"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.executableFolder);
    EXPECT_EQ(AppFolderFor(row.executableFolder), row.expected);
  }
}

TEST(Folders, TempFolderHasNoTrailingSeparator) {
  ScopedEnv tmp("TMPDIR", "/var/tmp/");
  EXPECT_EQ(TempFolder(), "/var/tmp");
  ScopedEnv none("TMPDIR", std::nullopt);
  EXPECT_EQ(TempFolder(), "/tmp");
}

}  // namespace
}  // namespace qg
