// The build with the real decoder and imaging pipeline: the files it writes are pictures of the
// sizes the index pages announce, and any number of workers writes the same bytes as one.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "../codecs/TestPictures.h"
#include "GalleryFixture.h"
#include "codecs/Decode.h"
#include "codecs/Encode.h"
#include "codecs/JpegOutput.h"
#include "core/Error.h"
#include "gallery/GalleryBuilder.h"
#include "gallery/Layout.h"
#include "gallery/SideStyle.h"
#include "imaging/Pipeline.h"
#include "imaging/Resample.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace qg {
namespace {

using test::NewGalleryProject;
using test::PictureNamed;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

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
    if (entry.is_regular_file())
      tree[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
  }
  return tree;
}

// Build records go to a cache folder of the test's own.
struct OwnCache {
  TempDir folder;
  test::ScopedEnv env{"XDG_CACHE_HOME", folder.path().string()};
};

TEST(RealPictureBuild, OutputsHaveTheSizesTheIndexPageAnnounces) {
  OwnCache cache;
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
  EXPECT_NE(
      index.find("<img src=\"tn_sunset.jpg\" alt=\"[Click to enlarge]\" border=\"0\" width=\"168\" "
                 "height=\"138\">"),
      std::string::npos);
  EXPECT_NE(
      index.find("<img src=\"tn_tall.jpg\" alt=\"[Click to enlarge]\" border=\"0\" width=\"168\" "
                 "height=\"208\">"),
      std::string::npos);
}

TEST(RealPictureBuild, ParallelBuildOfAMixedProjectEqualsTheSerialBuild) {
  OwnCache cache;
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
    const std::string name =
        i == 6 ? "same.jpg"
               : (i % 3 ? "pic" + std::to_string(i) + ".JPG" : "pic" + std::to_string(i) + ".png");
    if (i != 4) {  // picture 5 is missing
      if (name.ends_with(".png")) {
        SavePng(Sample(w, h, i), folder + "/" + name);
      } else {
        SaveAsJpeg(Sample(w, h, i), folder + "/" + name, 85, false);
      }
    }
    project.pictures.push_back(
        PictureNamed(name, std::to_string(w) + " x " + std::to_string(h), folder));
  }
  project.pictures.push_back(project.pictures[6]);  // the same picture twice
  SaveAsJpeg(Sample(90, 90, 9), dir.file("a/same.jpg"), 70, false);
  project.pictures.push_back(
      PictureNamed("same.jpg", "90 x 90", dir.file("a")));  // same name, later

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

// The build streams JPEG rows into one resampling pass for both sizes; the files must be the
// ones the routines on the whole decoded picture write, for every kind of source and for each
// choice of outputs, and a source that cannot be decoded must fail with the decoder's message.
TEST(RealPictureBuild, WritesExactlyTheFilesOfTheRoutinesOnTheDecodedPicture) {
  OwnCache cache;
  TempDir dir;
  struct Source {
    std::string name;
    std::string bytes;
  };
  std::vector<Source> sources;
  sources.push_back({"Baseline.JPG", test::EncodeJpeg(test::PhotoLike(333, 251, 1))});
  test::JpegOptions progressive;
  progressive.progressive = true;
  progressive.quality = 75;
  sources.push_back(
      {"Progressive.jpeg", test::EncodeJpeg(test::PhotoLike(250, 333, 2), progressive)});
  test::JpegOptions gray;
  gray.grayscale = true;
  sources.push_back({"Gray.jpg", test::EncodeJpeg(test::PhotoLike(201, 150, 3), gray)});
  test::JpegOptions restarts;
  restarts.restartRows = 1;
  sources.push_back({"Restarts.jpg", test::EncodeJpeg(test::PhotoLike(7, 5, 4), restarts)});
  std::vector<uint8_t> cmyk(160 * 120 * 4);
  for (size_t i = 0; i < cmyk.size(); ++i) cmyk[i] = static_cast<uint8_t>(i * 37 % 251);
  sources.push_back({"Cmyk.jpg", test::EncodeCmykJpeg(160, 120, cmyk, true)});
  // Damage inside the coded data: libjpeg warns and decodes on, as the decoder tolerates.
  std::string damaged = test::EncodeJpeg(test::PhotoLike(300, 200, 5));
  for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 40; i += 4) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(damaged[k]); };
    if (byte(i - 1) == 0xFF || byte(i) == 0xFF || (byte(i) ^ 0x55) == 0xFF) continue;  // no markers
    damaged[i] = static_cast<char>(byte(i) ^ 0x55);
  }
  sources.push_back({"Damaged.jpg", damaged});
  sources.push_back({"Picture.png", ""});
  for (const Source& source : sources) {
    if (!source.bytes.empty()) WriteFile(dir.file(source.name), source.bytes);
  }
  SavePng(Sample(97, 61, 6), dir.file("Picture.png"));

  Project project = NewGalleryProject();
  for (const Source& source : sources) {
    const Picture decoded = LoadSourcePicture(dir.file(source.name));  // the reference decode
    const std::string size = std::to_string(decoded.width) + " x " + std::to_string(decoded.height);
    project.pictures.push_back(PictureNamed(source.name, size, dir.path().string()));
  }
  // Last, a file that cannot be decoded: it ends the build with the decoder's message.
  const std::string cut = sources[0].bytes.substr(0, sources[0].bytes.size() / 2);
  WriteFile(dir.file("Cut.jpg"), cut);
  project.pictures.push_back(PictureNamed("Cut.jpg", "333 x 251", dir.path().string()));
  std::string decodeError;
  try {
    LoadSourcePicture(dir.file("Cut.jpg"));
  } catch (const Error& e) {
    decodeError = e.what();
  }
  ASSERT_FALSE(decodeError.empty());

  for (int variant = 0; variant < 3; ++variant) {
    GalleryOptions& o = project.options;
    o.editDestFolder = dir.file("out" + std::to_string(variant));
    o.chkCreateThumbs = variant != 2;
    o.chkCreateImages = variant != 1;
    o.blImageResize = true;
    o.iImageWidth = 150;
    o.AddShadow = variant == 0;
    o.AddShadowImage = variant == 2;
    o.BorderWidth = variant == 0 ? 3 : 1;
    o.BorderWidthImage = variant == 0 ? 0 : 2;
    o.blProgressiveImage = variant == 2;
    o.iQualityThumb = 90 - variant;

    GalleryBuilder builder(2);
    const BuildResult r = builder.Build(project);
    EXPECT_EQ(r.outcome, BuildOutcome::Failed) << variant;
    EXPECT_EQ(r.message,
              Format("Picture %zu (%s): %s", project.pictures.size(),
                     project.pictures.back().FilenameAndPath.c_str(), decodeError.c_str()));

    const std::string out = o.editDestFolder + "/";
    size_t files = 0;
    for (size_t i = 0; i + 1 < project.pictures.size(); ++i) {
      const PictureRecord& picture = project.pictures[i];
      const Picture decoded = LoadSourcePicture(picture.FilenameAndPath);
      const TargetSize thumb = SideTargetSize(picture.ImageSize, o, Side::Thumb);
      const TargetSize image = SideTargetSize(picture.ImageSize, o, Side::Image);
      const std::string thumbFile = out + ThumbnailFileName(picture, o);
      const std::string imageFile = out + DisplayImageFileName(picture, o);
      if (o.chkCreateThumbs) {
        SaveResampledSide(StretchPicture(decoded, thumb.width, thumb.height),
                          dir.file("expected.jpg"), SideStyle(o, Side::Thumb), Side::Thumb);
        ASSERT_TRUE(fs::exists(thumbFile)) << thumbFile;
        EXPECT_TRUE(ReadFile(thumbFile) == ReadFile(dir.file("expected.jpg")))
            << "thumbnail of " << picture.FileName << ", variant " << variant;
        ++files;
      } else {
        EXPECT_FALSE(fs::exists(thumbFile)) << thumbFile;
      }
      if (o.chkCreateImages) {
        SaveResampledSide(StretchPicture(decoded, image.width, image.height),
                          dir.file("expected.jpg"), SideStyle(o, Side::Image), Side::Image);
        ASSERT_TRUE(fs::exists(imageFile)) << imageFile;
        EXPECT_TRUE(ReadFile(imageFile) == ReadFile(dir.file("expected.jpg")))
            << "display image of " << picture.FileName << ", variant " << variant;
        ++files;
      } else {
        EXPECT_FALSE(fs::exists(imageFile)) << imageFile;
      }
    }
    EXPECT_EQ(Tree(out).size(), files + sources.size()) << variant;  // and one page per picture
  }
}

TEST(RealPictureBuild, ASizeWithoutPixelsFailsAfterTheDecodeWithAFixedMessage) {
  OwnCache cache;
  TempDir dir;
  SaveAsJpeg(Sample(80, 60, 1), dir.file("Good.jpg"), 90, false);
  const std::string whole = ReadFile(dir.file("Good.jpg"));
  WriteFile(dir.file("Cut.jpg"), whole.substr(0, whole.size() / 2));
  Project project = NewGalleryProject();
  project.options.editDestFolder = dir.file("out");
  project.options.iThumbWidth = 0;  // a hand-edited project
  for (const char* name : {"Good.jpg", "Cut.jpg"}) {
    project.pictures = {PictureNamed(name, "80 x 60", dir.path().string())};
    GalleryBuilder builder(2);
    const BuildResult r = builder.Build(project);
    EXPECT_EQ(r.outcome, BuildOutcome::Failed);
    std::string expected = "Cannot make the thumbnail picture: its size 0 x 0 has no pixels";
    if (name == std::string("Cut.jpg")) {
      try {
        LoadSourcePicture(dir.file(name));
      } catch (const Error& e) {
        expected = e.what();  // the source is read before its outputs are sized
      }
    }
    EXPECT_EQ(r.message, "Picture 1 (" + dir.file(name) + "): " + expected);
  }
}

}  // namespace
}  // namespace qg
