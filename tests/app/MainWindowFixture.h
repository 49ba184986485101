// A main window for one test: its own preferences and documents folders, scripted prompts, and
// small helpers to make pictures and project files and to find controls by their names.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <memory>
#include <string>

#include "AppFixture.h"
#include "MainWindow.h"
#include "project/ProjectFile.h"
#include "support/ColourBox.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "support/Text.h"

namespace qg::app::test {

class MainWindowTest : public ::testing::Test {
 public:
  void SetUp() override { EnsureApp(); }

  MainWindow& open(const QStringList& arguments = {}) {
    window = std::make_unique<MainWindow>(prompts, arguments);
    return *window;
  }

  // A JPEG of the given size.
  std::string jpeg(const std::string& name, int width = 8, int height = 6) {
    const std::string path = dir.file(name);
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::darkCyan);
    EXPECT_TRUE(image.save(ToQ(path), "JPG"));
    return path;
  }

  // A saved project with `count` pictures (records only; the files need not exist).
  std::string projectFile(const std::string& name, int count, const std::string& title = "Saved") {
    qg::Project p;
    qg::NewProjectDefaults(p, qg::Preferences{});
    p.options.editIndexCaption = title;
    for (int i = 0; i < count; ++i) {
      const std::string file = "p" + std::to_string(i) + ".jpg";
      p.pictures.push_back({file, "8 x 6", "1 KB", dir.file(file), file, "", ""});
    }
    p.FProjectFileName = dir.file(name);
    qg::SaveProjectFile(p);
    return p.FProjectFileName;
  }

  template <typename W>
  W* find(const char* name) {
    W* w = window->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void click(const char* name) { find<QAbstractButton>(name)->click(); }
  QString label(const char* name) { return find<QLabel>(name)->text(); }

  qg::test::TempDir dir;
  qg::test::ScopedEnv config{"XDG_CONFIG_HOME", dir.file("config")};
  qg::test::ScopedEnv cache{"XDG_CACHE_HOME", dir.file("cache")};
  qg::test::ScopedEnv documents{"XDG_DOCUMENTS_DIR", dir.file("docs")};
  ScriptedPrompts prompts;
  std::unique_ptr<MainWindow> window;
};

}  // namespace qg::app::test
