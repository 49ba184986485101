// Adding pictures: every record is measured from the decoded picture, and a picture that cannot
// be decoded stops the adding without a record of its own.
#include "project/PictureList.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestJpeg.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace qg {
namespace {

TEST(AddPictures, RecordsHoldTheDisplayTextsOfEachPicture) {
  test::TempDir dir;
  const std::string a = dir.file("Beach Day.JPG");
  const std::string b = dir.file("hill.jpeg");
  test::WriteTestJpeg(a, 37, 21);
  test::WriteTestJpeg(b, 8, 300);
  Project project;
  AddPictures(project, {a, b, a});
  ASSERT_EQ(project.pictures.size(), 3u);
  const PictureRecord& first = project.pictures[0];
  EXPECT_EQ(first.FileName, "Beach Day.JPG");
  EXPECT_EQ(first.ImageSize, "37 x 21");
  EXPECT_EQ(first.FileSize, std::to_string(std::filesystem::file_size(a)) + " bytes");
  EXPECT_EQ(first.FilenameAndPath, a);
  EXPECT_EQ(first.ShortTitle, "Beach Day.JPG");
  EXPECT_EQ(first.LongTitle, "");
  EXPECT_EQ(first.RotateValue, "");
  EXPECT_EQ(project.pictures[1].ImageSize, "8 x 300");
  EXPECT_EQ(project.pictures[2], first);  // the same file twice gives two equal records
  EXPECT_FALSE(project.FProjectSaved);
}

TEST(AddPictures, UndecodablePictureStopsTheAddingThere) {
  test::TempDir dir;
  const std::string good = dir.file("good.jpg");
  const std::string broken = dir.file("broken.jpg");
  test::WriteTestJpeg(good, 4, 4);
  test::WriteFile(broken, "not a picture");
  Project project;
  EXPECT_THROW(AddPictures(project, {good, broken, good}), Error);
  ASSERT_EQ(project.pictures.size(), 1u);
  EXPECT_FALSE(project.FProjectSaved);

  Project untouched;
  AddPictures(untouched, {});
  EXPECT_TRUE(untouched.FProjectSaved);
}

}  // namespace
}  // namespace qg
