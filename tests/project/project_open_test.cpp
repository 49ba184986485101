// Opening a project as the program does (a scratch project swapped in only when the whole file
// was read) and the changed-project rule (the stored text against the text at the last New,
// Open or Save).
#include "project/ProjectOpen.h"

#include <gtest/gtest.h>

#include "core/Error.h"
#include "project/ProjectFile.h"
#include "support/TempDir.h"

namespace qg {
namespace {

Project SavedProject(const std::string& path, int pictures) {
  Project p;
  NewProjectDefaults(p, Preferences{});
  p.options.editIndexCaption = "Saved";
  for (int i = 0; i < pictures; ++i) {
    PictureRecord r;
    r.FileName = "p" + std::to_string(i) + ".jpg";
    r.ImageSize = "4 x 3";
    r.FileSize = "1 KB";
    r.FilenameAndPath = "/x/" + r.FileName;
    r.ShortTitle = r.FileName;
    p.pictures.push_back(r);
  }
  p.FProjectFileName = path;
  SaveProjectFile(p);
  return p;
}

TEST(OpenProject, ReadsTheFileOverANewProject) {
  test::TempDir dir;
  const std::string path = dir.file("g.tnp");
  SavedProject(path, 2);
  Project project;
  project.options.editThumbTitle = "[LongTitle]";  // not stored: survives the open
  project.FProjectSaved = false;
  Preferences prefs;
  prefs.sDefNav[NavHome] = "Start";
  OpenProject(project, path, prefs);
  EXPECT_EQ(project.FProjectFileName, path);
  EXPECT_EQ(project.LastProjectFolder, dir.path().string() + "/");
  EXPECT_TRUE(project.FProjectSaved);
  EXPECT_EQ(project.options.editIndexCaption, "Saved");
  EXPECT_EQ(project.pictures.size(), 2u);
  EXPECT_EQ(project.options.editThumbTitle, "[LongTitle]");
  EXPECT_EQ(project.options.sNav[NavHome], "Home");  // the file's value wins over the preference
}

TEST(OpenProject, AFailedLoadLeavesTheProjectAsItWas) {
  test::TempDir dir;
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"[Project]\r\nPictureCount=abc\r\nName=Broken\r\n", "'abc' is not a valid integer value"},
      {"[Project]\r\nPictureCount=2\r\nName=Broken\r\n[PicSection0]\r\nName=a\r\nImageSize=1 x "
       "1\r\nFileSize=1\r\nFileLocation=/a\r\nShortTitle=a\r\nLongTitle=\r\n",
       "List index out of bounds (0)"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file("broken.tnp");
    test::WriteFile(path, c.text);
    Project project;
    NewProjectDefaults(project, Preferences{});
    project.options.editIndexCaption = "Before";
    project.pictures.push_back(PictureRecord{"keep.jpg", "", "", "", "", "", ""});
    const Project before = project;
    try {
      OpenProject(project, path, Preferences{});
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(project.FProjectFileName, before.FProjectFileName);
    EXPECT_EQ(project.options, before.options);
    EXPECT_EQ(project.pictures, before.pictures);
  }
}

TEST(OpenProject, AMissingFileReadsAsAnEmptyUntitledProject) {
  test::TempDir dir;
  const std::string path = dir.file("none.tnp");
  Project project;
  OpenProject(project, path, Preferences{});
  EXPECT_EQ(project.FProjectFileName, path);
  EXPECT_EQ(project.options.editIndexCaption, "untitled");
  EXPECT_TRUE(project.pictures.empty());
}

TEST(ProjectBaseline, StoredValuesCountAndUndoneEditsDoNot) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  ProjectBaseline baseline;
  baseline.Reset(project);
  EXPECT_FALSE(baseline.Changed(project));

  project.options.editThumbTitle = "[LongTitle]";  // not stored
  project.options.chkNavBottom = true;             // not stored
  EXPECT_FALSE(baseline.Changed(project));

  const std::string title = project.options.editIndexCaption;
  project.options.editIndexCaption = "Other";
  EXPECT_TRUE(baseline.Changed(project));
  project.options.editIndexCaption = title;  // undone
  EXPECT_FALSE(baseline.Changed(project));

  project.options.spinColumns = 5;
  EXPECT_TRUE(baseline.Changed(project));
  baseline.Reset(project);
  EXPECT_FALSE(baseline.Changed(project));

  PictureRecord r{"a.jpg", "1 x 1", "1 bytes", "/a.jpg", "a.jpg", "", ""};
  project.pictures.push_back(r);
  EXPECT_TRUE(baseline.Changed(project));
  baseline.Reset(project);
  project.pictures[0].RotateValue = "2";  // preview only
  EXPECT_FALSE(baseline.Changed(project));
  project.pictures[0].LongTitle = "Sunset";
  EXPECT_TRUE(baseline.Changed(project));
}

TEST(FolderOfPath, KeepsTheTrailingSlash) {
  EXPECT_EQ(FolderOfPath("/a/b/c.tnp"), "/a/b/");
  EXPECT_EQ(FolderOfPath("c.tnp"), "");
  EXPECT_EQ(FolderOfPath("/c.tnp"), "/");
}

}  // namespace
}  // namespace qg
