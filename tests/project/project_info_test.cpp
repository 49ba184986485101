// The project information values, as the dialog and `quillon-cli info` show them.
#include "project/ProjectInfo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include "project/ProjectFile.h"
#include "support/TempDir.h"

namespace qg {
namespace {

TEST(ProjectInfo, NewProjectIsNotSaved) {
  Project project;
  NewProjectDefaults(project, Preferences{});
  const ProjectInfoValues v = FillProjectInfo(project);
  EXPECT_EQ(v.prjName, "untitled.tnp");
  EXPECT_EQ(v.lastSaved, "<not saved>");
  EXPECT_EQ(v.galleryTitle, "My Gallery 1");
  EXPECT_EQ(v.targetFolder, project.options.editDestFolder);
  EXPECT_EQ(v.imageCount, "0 image(s)");
  EXPECT_EQ(v.thumbSize, "120 x 100");  // both numbers, though only the width is in force
  EXPECT_EQ(v.rowsCols, "3 rows x 4 columns");
}

TEST(ProjectInfo, LastSavedIsTheFilesTimeOrUnknown) {
  test::TempDir dir;
  Project project;
  project.FProjectFileName = dir.file("trip.tnp");
  project.options.spinRows = 5;
  project.options.spinColumns = 4;
  project.pictures.resize(7);
  test::WriteFile(project.FProjectFileName, "[Project]\r\n");
  const utimbuf times{1000000000, 1000000000};
  ASSERT_EQ(::utime(project.FProjectFileName.c_str(), &times), 0);

  std::time_t seen = 0;
  const ProjectInfoValues v = FillProjectInfo(project, [&](std::time_t t) {
    seen = t;
    return std::string("formatted");
  });
  EXPECT_EQ(v.prjName, "trip.tnp");
  EXPECT_EQ(seen, 1000000000);
  EXPECT_EQ(v.lastSaved, "formatted");
  EXPECT_EQ(v.imageCount, "7 image(s)");
  EXPECT_EQ(v.rowsCols, "5 rows x 4 columns");

  std::remove(project.FProjectFileName.c_str());
  EXPECT_EQ(FillProjectInfo(project).lastSaved, "<unknown>");
}

TEST(ProjectInfo, MidnightShowsTheDateAlone) {
  std::tm midnight{};
  midnight.tm_year = 124;
  midnight.tm_mon = 5;
  midnight.tm_mday = 15;
  midnight.tm_isdst = -1;
  const std::time_t atMidnight = std::mktime(&midnight);
  const std::string date = FormatLocalDateTime(atMidnight);
  const std::string withTime = FormatLocalDateTime(atMidnight + 61);
  EXPECT_EQ(withTime.rfind(date + " ", 0), 0u) << date << " / " << withTime;
  EXPECT_GT(withTime.size(), date.size() + 1);
}

}  // namespace
}  // namespace qg
