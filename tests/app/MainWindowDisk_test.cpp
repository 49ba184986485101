// The window and the files other programs share with it: a project file changed on disk since
// it was opened or saved, and a damaged preferences file.
#include <QSpinBox>
#include <filesystem>

#include "MainWindowFixture.h"
#include "platform/Folders.h"
#include "project/Settings.h"

namespace qg::app::test {
namespace {

namespace fs = std::filesystem;

// Another program's save: new bytes under the same name, with a later modification time.
void ChangeBehindTheWindow(const std::string& path) {
  qg::test::WriteFile(path, qg::test::ReadFile(path) + "\r\n[Other]\r\nkey=1\r\n");
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
}

TEST_F(MainWindowTest, SavingOverAProjectChangedOnDiskAsksFirst) {
  const std::string path = projectFile("shared.tnp", 2);
  MainWindow& w = open({ToQ(path)});
  find<QSpinBox>("spinRows")->setValue(7);
  ChangeBehindTheWindow(path);
  const std::string theirs = qg::test::ReadFile(path);
  const QString question = QStringLiteral(
      "shared.tnp has been changed on disk since it was opened or saved.  Do you want to "
      "overwrite it?");

  prompts.answers = {Answer::No};
  EXPECT_FALSE(w.SaveFlow());
  EXPECT_EQ(prompts.texts("askYesNo"), QStringList{question});
  EXPECT_EQ(qg::test::ReadFile(path), theirs);
  EXPECT_TRUE(w.projectChanged());

  // No, then the close question's Yes: the save is cancelled, so the close is too.
  prompts.calls.clear();
  prompts.answers = {Answer::Yes, Answer::No};
  EXPECT_EQ(w.PromptSaveChanges(), Answer::Cancel);
  EXPECT_EQ(qg::test::ReadFile(path), theirs);

  prompts.calls.clear();
  prompts.answers = {Answer::Yes};
  EXPECT_TRUE(w.SaveFlow());
  EXPECT_EQ(prompts.texts("askYesNo"), QStringList{question});
  EXPECT_NE(qg::test::ReadFile(path), theirs);
  EXPECT_FALSE(w.projectChanged());

  // Our own save is remembered: the next one does not ask.
  prompts.calls.clear();
  find<QSpinBox>("spinRows")->setValue(8);
  EXPECT_TRUE(w.SaveFlow());
  EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());
  EXPECT_TRUE(prompts.texts("unexpected").isEmpty());
}

TEST_F(MainWindowTest, AProjectFileDeletedOnDiskIsSavedAgainWithoutAsking) {
  const std::string path = projectFile("gone.tnp", 1);
  MainWindow& w = open({ToQ(path)});
  find<QSpinBox>("spinRows")->setValue(7);
  fs::remove(path);
  EXPECT_TRUE(w.SaveFlow());
  EXPECT_TRUE(prompts.texts("askYesNo").isEmpty());
  EXPECT_TRUE(fs::exists(path));
  EXPECT_FALSE(fs::exists(dir.file(".gone.tnp.lock")));  // the update lock is released
}

TEST_F(MainWindowTest, ADamagedPreferencesFileIsReportedOnceAtStart) {
  {
    qg::Preferences prefs;
    prefs.sFTPHost = "ftp.example.org";
    ASSERT_TRUE(qg::SaveSettings(prefs));
  }
  const std::string path = qg::PreferencesFilePath();
  std::string text = qg::test::ReadFile(path);
  const size_t at = text.find("ftp.example.org");
  ASSERT_NE(at, std::string::npos);
  text.insert(at + 3, "\n");  // a stray line break inside a value
  qg::test::WriteFile(path, text);

  open();
  const QStringList errors = prompts.texts("showError");
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(
      errors[0].startsWith(ToQ("The preferences file " + path + " could not be read past line ")))
      << errors[0].toStdString();
  EXPECT_TRUE(
      errors[0].endsWith(QStringLiteral("; the remaining settings take their default values.")));
  EXPECT_EQ(qg::test::ReadFile(path), text);  // loading never writes over it

  // Closing without a change leaves the file for the user to mend; a value set in the window
  // is written (with the defaults the message announced).
  window->close();
  EXPECT_EQ(qg::test::ReadFile(path), text);
  open();
  window->preferences().sFTPHost = "ftp.example.net";
  window->close();
  qg::Preferences reread;
  qg::LoadSettings(reread);
  EXPECT_EQ(reread.sFTPHost, "ftp.example.net");
}

}  // namespace
}  // namespace qg::app::test
