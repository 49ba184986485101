// The preview samples: the first picture through the side's pipeline, into a private folder of
// the run that disappears with its owner.
#include "gallery/Preview.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "../codecs/TestPictures.h"
#include "GalleryFixture.h"
#include "codecs/Decode.h"
#include "core/Error.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace qg {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class PreviewFile : public ::testing::Test {
 protected:
  void SetUp() override {
    photos_ = temp_.path() / "photos";
    fs::create_directory(photos_);
    test::WriteFile((photos_ / "first.jpg").string(), test::EncodeJpeg(test::PhotoLike(800, 600)));
    test::WriteFile((photos_ / "third.jpg").string(), test::EncodeJpeg(test::PhotoLike(300, 400)));
    project_ = test::NewGalleryProject();
    project_.pictures = {test::PictureNamed("first.jpg", "800 x 600", photos_.string()),
                         test::PictureNamed("missing.jpg", "640 x 480", photos_.string()),
                         test::PictureNamed("third.jpg", "300 x 400", photos_.string())};
  }

  test::TempDir temp_;
  fs::path photos_;
  Project project_;
};

TEST_F(PreviewFile, ThumbnailOfTheFirstPictureWithItsShadowFrame) {
  // The first picture gives a 120 x 90 thumbnail; the shadow adds 48 pixels each way.
  test::ScopedEnv tmp("TMPDIR", temp_.path().string());
  PreviewFolder folder;
  const std::string path = MakePreviewFile(project_, Side::Thumb, folder);
  EXPECT_EQ(fs::path(path).filename(), "temp.jpg");
  const Picture sample = LoadSourcePicture(path);
  EXPECT_EQ(sample.width, 168);
  EXPECT_EQ(sample.height, 138);

  project_.options.AddShadow = false;
  const Picture plain = LoadSourcePicture(MakePreviewFile(project_, Side::Thumb, folder));
  EXPECT_EQ(plain.width, 120);
  EXPECT_EQ(plain.height, 90);
}

TEST_F(PreviewFile, DisplayImageIsResizedEvenWhenResizingIsOff) {
  test::ScopedEnv tmp("TMPDIR", temp_.path().string());
  PreviewFolder folder;
  project_.options.blImageResize = false;
  project_.options.iImageWidth = 200;
  project_.options.AddShadowImage = false;
  Picture sample = LoadSourcePicture(MakePreviewFile(project_, Side::Image, folder));
  EXPECT_EQ(sample.width, 200);
  EXPECT_EQ(sample.height, 150);

  project_.options.AddShadowImage = true;
  const std::string path = MakePreviewFile(project_, Side::Image, folder);
  EXPECT_EQ(fs::path(path).filename(), "temp1.jpg");
  sample = LoadSourcePicture(path);
  EXPECT_EQ(sample.width, 248);
  EXPECT_EQ(sample.height, 198);
}

TEST_F(PreviewFile, FilesGoOnlyIntoAPrivateFolderThatEndsWithItsOwner) {
  const std::string parent = (temp_.path() / "shared-tmp").string();
  fs::create_directory(parent);
  // Another user's link at the old fixed name must not be followed.
  fs::create_symlink(temp_.path() / "victim.jpg", fs::path(parent) / "temp.jpg");
  std::string folderPath;
  {
    test::ScopedEnv tmp("TMPDIR", parent);
    PreviewFolder folder;
    EXPECT_FALSE(folder.made());
    EXPECT_EQ(Entries(parent), std::vector<std::string>{"temp.jpg"});  // nothing made yet

    const std::string thumb = MakePreviewFile(project_, Side::Thumb, folder);
    const std::string image = MakePreviewFile(project_, Side::Image, folder);
    folderPath = folder.path();
    EXPECT_EQ(fs::path(thumb).parent_path(), fs::path(folderPath));
    EXPECT_EQ(fs::path(image).parent_path(), fs::path(folderPath));
    EXPECT_EQ(fs::path(folderPath).parent_path(), fs::path(parent));

    struct stat info {};
    ASSERT_EQ(lstat(folderPath.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(Entries(folderPath), (std::vector<std::string>{"temp.jpg", "temp1.jpg"}));
    EXPECT_EQ(Entries(parent).size(), 2u);  // the link and our folder

    // A second owner (a second run) gets a folder of its own.
    PreviewFolder other;
    EXPECT_NE(other.path(), folderPath);
  }
  EXPECT_FALSE(fs::exists(folderPath));
  EXPECT_EQ(Entries(parent), std::vector<std::string>{"temp.jpg"});
  EXPECT_FALSE(fs::exists(temp_.path() / "victim.jpg"));
}

TEST_F(PreviewFile, RefusalsAndFailuresLeaveNoSample) {
  test::ScopedEnv tmp("TMPDIR", temp_.path().string());
  PreviewFolder folder;
  struct Case {
    Side side;
    const char* message;
  };
  for (const Case& c : {Case{Side::Thumb,
                             "Please add some pictures before previewing thumbs "
                             "(Project Step 2)."},
                        Case{Side::Image,
                             "Please add some pictures before previewing images "
                             "(Project Step 2)."}}) {
    Project empty = test::NewGalleryProject();
    try {
      MakePreviewFile(empty, c.side, folder);
      ADD_FAILURE() << "an empty list made a sample";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_FALSE(folder.made());
  }

  // A sample made earlier is not left behind for a first picture that cannot be read.
  MakePreviewFile(project_, Side::Thumb, folder);
  std::swap(project_.pictures[0], project_.pictures[1]);
  EXPECT_THROW(MakePreviewFile(project_, Side::Thumb, folder), Error);
  EXPECT_TRUE(Entries(folder.path()).empty());
}

TEST_F(PreviewFile, AFolderRemovedOrOpenedDuringTheRunIsMadeAnew) {
  const std::string parent = (temp_.path() / "tmp").string();
  fs::create_directory(parent);
  PreviewFolder folder(parent);
  const std::string first = folder.path();
  EXPECT_EQ(folder.path(), first);

  // A cleaner of the temporary folder removed it; someone else then took the name.
  fs::remove_all(first);
  fs::create_directory(first);
  fs::permissions(first, fs::perms::all);
  const std::string second = MakePreviewFile(project_, Side::Thumb, folder);
  EXPECT_NE(fs::path(second).parent_path(), fs::path(first));
  EXPECT_TRUE(fs::is_empty(first));

  // Replaced by a link: not followed either.
  const std::string current = folder.path();
  fs::remove_all(current);
  fs::create_directory_symlink(first, current);
  EXPECT_NE(folder.path(), current);
  EXPECT_TRUE(fs::is_empty(first));
}

TEST(PreviewFolder, ReportsAFolderItCannotMake) {
  PreviewFolder folder("/nonexistent/parent");
  try {
    folder.path();
    ADD_FAILURE() << "made a folder under a missing parent";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot create a temporary folder in \"/nonexistent/parent\": No such file or "
              "directory");
  }
}

}  // namespace
}  // namespace qg
