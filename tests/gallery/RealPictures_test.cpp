// The build with the real decoder and imaging pipeline: the files it writes are pictures of the
// sizes the index pages announce, and any number of workers writes the same bytes as one.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "GalleryFixture.h"
#include "codecs/Decode.h"
#include "codecs/Encode.h"
#include "gallery/GalleryBuilder.h"
#include "imaging/Pipeline.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace qg {
namespace {

using test::NewGalleryProject;
using test::PictureNamed;
using test::ReadFile;
using test::TempDir;

// A smooth picture with some detail, different for every seed.
Picture Sample(int width, int height, int seed) {
  Picture p(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* px = p.at(x, y);
      px[0] = static_cast<uint8_t>(x * 255 / width + seed * 40);
      px[1] = static_cast<uint8_t>(y * 255 / height);
      px[2] = static_cast<uint8_t>(((x / 8 + y / 8 + seed) % 2) * 200);
    }
  }
  return p;
}

std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) tree[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
  }
  return tree;
}

TEST(RealPictureBuild, OutputsHaveTheSizesTheIndexPageAnnounces) {
  TempDir dir;
  SaveAsJpeg(Sample(800, 600, 1), dir.file("Sunset.JPG"), 90, false);
  SavePng(Sample(300, 400, 2), dir.file("Tall.png"));
  Project project = NewGalleryProject();
  project.options.editDestFolder = dir.file("out");
  project.options.blImageResize = true;
  project.options.AddShadowImage = true;
  project.pictures = {PictureNamed("Sunset.JPG", "800 x 600", dir.path().string()),
                      PictureNamed("Tall.png", "300 x 400", dir.path().string())};
  GalleryBuilder builder(2);
  const BuildResult r = builder.Build(project);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;

  const Picture thumb = LoadSourcePicture(dir.file("out/tn_sunset.jpg"));
  EXPECT_EQ(thumb.width, 168);
  EXPECT_EQ(thumb.height, 138);
  const Picture image = LoadSourcePicture(dir.file("out/sunset.jpg"));
  EXPECT_EQ(image.width, 688);
  EXPECT_EQ(image.height, 528);
  const Picture tallThumb = LoadSourcePicture(dir.file("out/tn_tall.jpg"));
  EXPECT_EQ(tallThumb.width, 168);
  EXPECT_EQ(tallThumb.height, 208);
  const std::string index = ReadFile(dir.file("out/index.html"));
  EXPECT_NE(index.find("<img src=\"tn_sunset.jpg\" alt=\"[Click to enlarge]\" border=\"0\" width=\"168\" "
                       "height=\"138\">"),
            std::string::npos);
  EXPECT_NE(index.find("<img src=\"tn_tall.jpg\" alt=\"[Click to enlarge]\" border=\"0\" width=\"168\" "
                       "height=\"208\">"),
            std::string::npos);
}

TEST(RealPictureBuild, ParallelBuildOfAMixedProjectEqualsTheSerialBuild) {
  TempDir dir;
  fs::create_directories(dir.path() / "a");
  fs::create_directories(dir.path() / "b");
  Project project = NewGalleryProject();
  GalleryOptions& o = project.options;
  o.blImageResize = true;
  o.AddShadowImage = true;
  o.iImageWidth = 200;
  o.TargetThumb = false;
  o.blProgressiveImage = true;
  o.spinColumns = 2;
  o.spinRows = 2;
  for (int i = 0; i < 9; ++i) {
    const std::string folder = dir.file(i % 2 ? "a" : "b");
    const int w = 120 + 40 * i, h = 300 - 15 * i;
    const std::string name = i == 6 ? "same.jpg" : (i % 3 ? "pic" + std::to_string(i) + ".JPG" : "pic" + std::to_string(i) + ".png");
    if (i != 4) {  // picture 5 is missing
      if (name.ends_with(".png")) {
        SavePng(Sample(w, h, i), folder + "/" + name);
      } else {
        SaveAsJpeg(Sample(w, h, i), folder + "/" + name, 85, false);
      }
    }
    project.pictures.push_back(PictureNamed(name, std::to_string(w) + " x " + std::to_string(h), folder));
  }
  project.pictures.push_back(project.pictures[6]);  // the same picture twice
  SaveAsJpeg(Sample(90, 90, 9), dir.file("a/same.jpg"), 70, false);
  project.pictures.push_back(PictureNamed("same.jpg", "90 x 90", dir.file("a")));  // same name, later

  std::map<std::string, std::string> serial;
  for (const unsigned jobs : {1u, 2u, 4u}) {
    project.options.editDestFolder = dir.file("out" + std::to_string(jobs));
    GalleryBuilder builder(jobs);
    const BuildResult r = builder.Build(project);
    ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
    const auto tree = Tree(dir.file("out" + std::to_string(jobs)));
    if (jobs == 1) {
      serial = tree;
      EXPECT_EQ(serial.size(), 8u * 3 + 3);  // 8 names with a source x 3 files, and 3 index pages
      continue;
    }
    EXPECT_TRUE(tree == serial) << "jobs " << jobs;
  }
}

}  // namespace
}  // namespace qg
