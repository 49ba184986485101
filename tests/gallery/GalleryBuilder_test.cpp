// The build driver: what lands in the destination folder, the upload list, progress, stop and
// error semantics, and that any number of workers writes exactly what one does. The imaging steps
// are replaced by fakes that write readable text, so each output shows what it was made from.
#include "gallery/GalleryBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>

#include "BuildFixture.h"
#include "GalleryFixture.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace qg {
namespace {

using test::NewGalleryProject;
using test::PictureNamed;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using test::FakeImaging;
using test::Fixture;
using test::Keys;
using test::Recorder;
using test::Tree;

TEST(GalleryBuild, OnePictureWithTheDefaults) {
  Fixture f;
  f.Add("Sunset.JPG", "SUN");
  Recorder rec;
  const BuildResult r = f.Build(1, &rec);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(r.pageCount, 1u);
  EXPECT_EQ(r.destFolder, f.Out());
  const auto tree = Tree(f.Out());
  EXPECT_EQ(Keys(tree),
            (std::vector<std::string>{"index.html", "sunset.html", "sunset.jpg", "tn_sunset.jpg"}));
  EXPECT_EQ(tree.at("tn_sunset.jpg"), "thumb 80x60: SUN");
  EXPECT_EQ(tree.at("sunset.jpg"), "SUN");  // copied unchanged, under the name the page links to
  EXPECT_EQ(r.uploadList,
            (std::vector<std::string>{"index.html", "sunset.html", "sunset.jpg", "tn_sunset.jpg"}));
  EXPECT_EQ(rec.events,
            (std::vector<std::string>{"progress 0/0", "Creating thumb Sunset.JPG",
                                      "Creating image Sunset.JPG", "Creating page Sunset.JPG",
                                      "Ready", "progress 0/0", "finished 0"}));
  EXPECT_EQ(f.imaging.decodes, 1);
}

TEST(GalleryBuild, ResizedPicturesAreDecodedOnceForBothOutputs) {
  Fixture f;
  f.project.options.blImageResize = true;
  f.project.options.AddShadowImage = true;
  f.Add("Beach.jpeg", "BEACH", "src", "1000 x 500");
  f.Add("IMG_0001.JPG", "IMG");
  const BuildResult r = f.Build(2);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  const auto tree = Tree(f.Out());
  EXPECT_EQ(tree.at("beach..jpg"), "image 500x250 shadow: BEACH");
  EXPECT_EQ(tree.at("tn_beach..jpg"), "thumb 100x50: BEACH");
  EXPECT_EQ(tree.at("img_0001.jpg"), "image 400x300 shadow: IMG");
  EXPECT_TRUE(tree.count("beach..html") && tree.count("img_0001.html"));
  EXPECT_EQ(f.imaging.decodes, 2);
}

TEST(GalleryBuild, NothingIsDecodedWhenNothingIsRendered) {
  Fixture f;
  f.project.options.chkCreateThumbs = false;
  f.Add("a.jpg", "A");
  const BuildResult r = f.Build(4);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  EXPECT_EQ(f.imaging.decodes, 0);
  EXPECT_EQ(Keys(Tree(f.Out())), (std::vector<std::string>{"a.html", "a.jpg", "index.html"}));
  // The thumbnail is listed although it was not made in this build.
  EXPECT_EQ(r.uploadList, (std::vector<std::string>{"a.html", "a.jpg", "index.html", "tn_a.jpg"}));
}

TEST(GalleryBuild, TwelvePicturesMakeOneIndexPageAndThirteenTwo) {
  for (const size_t count : {12u, 13u}) {
    Fixture f;
    for (size_t i = 0; i < count; ++i) f.Add("p" + std::to_string(i) + ".jpg", nullptr);  // missing
    const BuildResult r = f.Build(2);
    ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
    EXPECT_EQ(r.pageCount, count == 12 ? 1u : 2u);
    const std::vector<std::string> expected =
        count == 12 ? std::vector<std::string>{"index.html"}
                    : std::vector<std::string>{"index.html", "index1.html"};
    EXPECT_EQ(Keys(Tree(f.Out())), expected);
    EXPECT_EQ(r.uploadList.size(), count + r.pageCount);  // thumbnails and index pages only
  }
}

TEST(GalleryBuild, AMissingSourceGetsNoFilesButKeepsItsCell) {
  Fixture f;
  f.Add("a.jpg", "A");
  f.Add("Gone.jpg", nullptr);
  f.Add("c.jpg", "C");
  Recorder rec;
  const BuildResult r = f.Build(3, &rec);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  EXPECT_EQ(Keys(Tree(f.Out())), (std::vector<std::string>{"a.html", "a.jpg", "c.html", "c.jpg",
                                                           "index.html", "tn_a.jpg", "tn_c.jpg"}));
  EXPECT_EQ(r.uploadList,
            (std::vector<std::string>{"a.html", "a.jpg", "c.html", "c.jpg", "index.html",
                                      "tn_a.jpg", "tn_c.jpg", "tn_gone.jpg"}));
  EXPECT_NE(ReadFile(f.Out("index.html")).find("<a href=\"gone.html\"><img src=\"tn_gone.jpg\""),
            std::string::npos);
  // The page of the picture before points at the missing page regardless.
  EXPECT_NE(ReadFile(f.Out("a.html")).find("<a href=\"gone.html\">"), std::string::npos);
  EXPECT_EQ(std::count(rec.events.begin(), rec.events.end(), "Creating page Gone.jpg"), 0);
}

TEST(GalleryBuild, TheLaterOfTwoSameNamedPicturesWins) {
  for (const unsigned jobs : {1u, 4u}) {
    Fixture f;
    f.project.options.blImageResize = true;
    f.Add("x.jpg", "FIRST", "one");
    f.Add("X.JPG", "SECOND", "two");
    const BuildResult r = f.Build(jobs);
    ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
    const auto tree = Tree(f.Out());
    EXPECT_EQ(tree.at("x.jpg"), "image 400x300: SECOND") << jobs;
    EXPECT_EQ(tree.at("tn_x.jpg"), "thumb 80x60: SECOND") << jobs;
    EXPECT_NE(tree.at("x.html").find("<p>Page 2 of 2</p>"), std::string::npos) << jobs;
    EXPECT_EQ(r.uploadList, (std::vector<std::string>{"index.html", "tn_x.jpg", "tn_x.jpg",
                                                      "x.html", "x.html", "x.jpg", "x.jpg"}));
  }
}

TEST(GalleryBuild, StopDuringPictureThreeOfTenStillMakesTheLastAndAllIndexPages) {
  std::map<std::string, std::string> serialTree;
  std::vector<std::string> serialEvents;
  for (const unsigned jobs : {1u, 2u, 5u}) {
    Fixture f;
    f.project.options.blImageResize = true;
    f.project.options.spinColumns = 2;
    f.project.options.spinRows = 2;
    for (int i = 1; i <= 10; ++i)
      f.Add("p" + std::to_string(i) + ".jpg", ("P" + std::to_string(i)).c_str());
    Recorder rec;
    rec.stopOn = "Creating page p3.jpg";
    const BuildResult r = f.Build(jobs, &rec);
    ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.pageCount, 3u);
    const auto tree = Tree(f.Out());
    EXPECT_EQ(Keys(tree), (std::vector<std::string>{
                              "index.html", "index1.html", "index2.html", "p1.html", "p1.jpg",
                              "p10.html", "p10.jpg", "p2.html", "p2.jpg", "p3.html", "p3.jpg",
                              "tn_p1.jpg", "tn_p10.jpg", "tn_p2.jpg", "tn_p3.jpg"}))
        << "jobs " << jobs;
    EXPECT_EQ(std::vector<std::string>(rec.events.end() - 7, rec.events.end()),
              (std::vector<std::string>{"progress 3/9", "Creating thumb p10.jpg",
                                        "Creating image p10.jpg", "Creating page p10.jpg", "Ready",
                                        "progress 0/9", "finished 0"}));
    if (jobs == 1) {
      serialTree = tree;
      serialEvents = rec.events;
    } else {
      EXPECT_EQ(tree, serialTree) << "jobs " << jobs;
      EXPECT_EQ(rec.events, serialEvents) << "jobs " << jobs;
    }
  }
}

TEST(GalleryBuild, AnErrorEndsTheBuildNamingThePictureAndWritesNothingAfterIt) {
  std::map<std::string, std::string> serialTree;
  for (const unsigned jobs : {1u, 3u}) {
    Fixture f;
    f.project.options.blImageResize = true;
    f.project.options.TargetThumb = false;
    for (int i = 1; i <= 6; ++i) {
      f.Add("p" + std::to_string(i) + ".jpg", i == 3 ? "BAD" : ("P" + std::to_string(i)).c_str());
    }
    Recorder rec;
    const BuildResult r = f.Build(jobs, &rec);
    EXPECT_EQ(r.outcome, BuildOutcome::Failed);
    EXPECT_EQ(r.message, "Picture 3 (" + f.dir.file("src/p3.jpg") + "): damaged picture");
    const auto tree = Tree(f.Out());
    EXPECT_EQ(Keys(tree),
              (std::vector<std::string>{"p1.html", "p1.jpg", "p2.html", "p2.jpg", "thumbs/",
                                        "thumbs/tn_p1.jpg", "thumbs/tn_p2.jpg"}))
        << "jobs " << jobs;
    EXPECT_EQ(rec.events.back(), "finished 3");
    EXPECT_EQ(rec.events[rec.events.size() - 2], "Creating thumb p3.jpg");
    if (jobs == 1) serialTree = tree;
    EXPECT_EQ(tree, serialTree);
  }
}

TEST(GalleryBuild, AFailedDisplayImageKeepsTheThumbnailMadeBeforeIt) {
  for (const unsigned jobs : {1u, 2u}) {
    Fixture f;
    f.project.options.blImageResize = true;
    f.Add("a.jpg", "A");
    f.Add("b.jpg", "B NOIMAGE");
    f.Add("c.jpg", "C");
    const BuildResult r = f.Build(jobs);
    EXPECT_EQ(r.outcome, BuildOutcome::Failed);
    EXPECT_EQ(r.message, "Picture 2 (" + f.dir.file("src/b.jpg") + "): cannot render");
    EXPECT_EQ(Keys(Tree(f.Out())),
              (std::vector<std::string>{"a.html", "a.jpg", "tn_a.jpg", "tn_b.jpg"}));
  }
}

TEST(GalleryBuild, AFailedSharedPassIsRetriedSideBySideToBlameTheRightOutput) {
  for (const unsigned jobs : {1u, 2u}) {
    Fixture f;
    f.project.options.blImageResize = true;
    FakeImaging& imaging = f.imaging;
    PictureTools tools = imaging.Tools();
    // The display image's size is beyond what this picture can be resized to; the thumbnail's is
    // not.
    tools.resample = [&imaging, inner = tools.resample](const std::string& path,
                                                        const std::vector<TargetSize>& sizes) {
      if (ReadFile(path).rfind("HUGE", 0) == 0) {
        for (const TargetSize& size : sizes) {
          if (size.width >= 300) throw Error("too large to resize");
        }
      }
      return inner(path, sizes);
    };
    f.Add("a.jpg", "A");
    f.Add("b.jpg", "HUGE B");
    f.Add("c.jpg", "C");
    GalleryBuilder builder(jobs, tools);
    Recorder rec;
    const BuildResult r = builder.Build(f.project, &rec);
    EXPECT_EQ(r.outcome, BuildOutcome::Failed);
    EXPECT_EQ(r.message, "Picture 2 (" + f.dir.file("src/b.jpg") + "): too large to resize");
    EXPECT_EQ(Keys(Tree(f.Out())),
              (std::vector<std::string>{"a.html", "a.jpg", "tn_a.jpg", "tn_b.jpg"}));
    EXPECT_EQ(ReadFile(f.Out("tn_b.jpg")), "thumb 80x60: HUGE B");
    EXPECT_EQ(rec.events[rec.events.size() - 2], "Creating image b.jpg");
  }
}

TEST(GalleryBuild, ABadSizeTextFailsEvenWhenTheSourceIsMissing) {
  Fixture f;
  f.Add("a.jpg", "A");
  f.Add("b.jpg", nullptr, "src", "big");
  const BuildResult r = f.Build(2);
  EXPECT_EQ(r.outcome, BuildOutcome::Failed);
  EXPECT_EQ(r.message,
            "Picture 2 (" + f.dir.file("src/b.jpg") + "): 'big' is not a valid picture size");
}

TEST(GalleryBuild, ADisplayImageSizeMattersOnlyWhenTheDisplayImageIsResized) {
  for (const unsigned jobs : {1u, 2u}) {
    Fixture f;
    f.Add("a.jpg", "A");
    f.Add("b.jpg", "B", "src", "80 x 60");
    PictureTools tools = f.imaging.Tools();
    tools.displayImageSize = [](const std::string& text, const GalleryOptions&) -> TargetSize {
      if (text == "80 x 60") throw Error("too tall");
      return {1, 1};
    };
    f.project.options.blImageResize = false;
    GalleryBuilder copying(jobs, tools);
    EXPECT_EQ(copying.Build(f.project).outcome, BuildOutcome::Built);
    EXPECT_EQ(ReadFile(f.Out("b.jpg")), "B");

    f.project.options.blImageResize = true;
    GalleryBuilder resizing(jobs, tools);
    const BuildResult r = resizing.Build(f.project);
    EXPECT_EQ(r.outcome, BuildOutcome::Failed);
    EXPECT_EQ(r.message, "Picture 2 (" + f.dir.file("src/b.jpg") + "): too tall");
  }
}

TEST(GalleryBuild, AFileNameWithAFolderPartIsRefusedRatherThanWrittenOutside) {
  Fixture f;
  f.Add("a.jpg", "A");
  f.Add("b.jpg", "B");
  f.project.pictures[1].FileName = "../../escape.jpg";
  const BuildResult r = f.Build(2);
  // Refused before anything is written.
  EXPECT_EQ(r.outcome, BuildOutcome::Refused);
  EXPECT_EQ(r.message, "Picture 2 (" + f.dir.file("src/b.jpg") +
                           "): the file name \"../../escape.jpg\" is not a plain file name");
  EXPECT_EQ(Keys(Tree(f.dir.path())), (std::vector<std::string>{"src/", "src/a.jpg", "src/b.jpg"}));
}

TEST(GalleryBuild, TheBuilderIsReadyForAnotherBuildAfterAFailureOrAStop) {
  Fixture f;
  f.Add("a.jpg", "BAD");
  GalleryBuilder builder(2, f.imaging.Tools());
  EXPECT_EQ(builder.Build(f.project).outcome, BuildOutcome::Failed);
  builder.RequestStop();  // a stale request does not cut the next build short
  WriteFile(f.project.pictures[0].FilenameAndPath, "GOOD");
  f.Add("b.jpg", "B");
  const BuildResult r = builder.Build(f.project);
  EXPECT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(ReadFile(f.Out("tn_b.jpg")), "thumb 80x60: B");
}

TEST(GalleryBuild, RefusesAnEmptyGridOrDestinationBeforeWritingAnything) {
  Fixture f;
  f.Add("a.jpg", "A");
  f.project.options.spinColumns = 0;
  BuildResult r = f.Build(1);
  EXPECT_EQ(r.outcome, BuildOutcome::Refused);
  EXPECT_EQ(r.message,
            "The index pages need between 1 and 100 columns and rows; the options give 0 "
            "columns and 3 rows. Please correct them on the Index Page tab.");
  f.project.options.spinColumns = 4;
  f.project.options.spinRows = 0;
  EXPECT_EQ(f.Build(2).outcome, BuildOutcome::Refused);
  f.project.options.spinRows = 3;
  f.project.options.editDestFolder = "";
  r = f.Build(1);
  EXPECT_EQ(r.outcome, BuildOutcome::Refused);
  EXPECT_EQ(r.message, "Please choose the folder to write the gallery into (Target Folders tab).");
  EXPECT_FALSE(fs::exists(f.Out()));
  EXPECT_EQ(f.imaging.decodes, 0);
}

TEST(GalleryBuild, AnEmptyListWritesNothing) {
  Fixture f;
  Recorder rec;
  const BuildResult r = f.Build(1, &rec);
  EXPECT_EQ(r.outcome, BuildOutcome::NoPictures);
  EXPECT_EQ(r.message, "Please add some pictures before creating the gallery (Project Step 2).");
  EXPECT_TRUE(r.uploadList.empty());
  EXPECT_FALSE(fs::exists(f.Out()));
  EXPECT_EQ(rec.events, std::vector<std::string>{"finished 1"});
}

TEST(GalleryBuild, SubfoldersWithAndWithoutTrailingSeparator) {
  Fixture f;
  f.project.options.TargetThumb = false;
  f.project.options.ThumbFolder = "Thumbs";
  f.project.options.TargetImage = false;
  f.project.options.ImageFolder = "big/Images/";
  f.project.options.chkCreateThumbs = false;
  f.Add("Sunset.JPG", "SUN");
  const BuildResult r = f.Build(1);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  // The thumbnail folder is made although no thumbnail is; names on disk match the links.
  EXPECT_EQ(Keys(Tree(f.Out())),
            (std::vector<std::string>{"big/", "big/images/", "big/images/sunset.jpg", "index.html",
                                      "sunset.html", "thumbs/"}));
  EXPECT_EQ(r.uploadList, (std::vector<std::string>{"big/images/sunset.jpg", "index.html",
                                                    "sunset.html", "thumbs/tn_sunset.jpg"}));
  EXPECT_NE(ReadFile(f.Out("sunset.html")).find("<img src=\"big/images/sunset.jpg\">"),
            std::string::npos);
}

TEST(GalleryBuild, BackgroundsAndButtonsAreCopiedAndListed) {
  Fixture f;
  fs::create_directories(f.dir.path() / "app/Buttons");
  for (const char* name : {"bhome.gif", "bfirst.gif", "bprev.gif", "bnext.gif"}) {
    WriteFile(f.dir.file(std::string("app/Buttons/") + name), std::string("GIF89a") + name);
  }
  const std::string buttons = f.dir.file("app/Buttons/");
  f.project.options.sNavImage = {buttons + "bhome.gif",  buttons + "bhome.gif",
                                 buttons + "bfirst.gif", buttons + "bprev.gif",
                                 buttons + "bnext.gif",  buttons + "blast.gif"};
  WriteFile(f.dir.file("app/Paper.JPG"), "\xFF\xD8\xFFPAPER");
  f.project.options.editBackgroundAPic = f.dir.file("app/Paper.JPG");
  f.project.options.editBackgroundBPic = f.dir.file("app/Missing.gif");
  f.Add("a.jpg", "A");
  BuildResult r = f.Build(2);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  // The missing background is listed all the same; the missing button is not.
  EXPECT_EQ(r.uploadList,
            (std::vector<std::string>{"a.html", "a.jpg", "bfirst.gif", "bhome.gif", "bhome.gif",
                                      "bnext.gif", "bprev.gif", "index.html", "Missing.gif",
                                      "Paper.JPG", "tn_a.jpg"}));
  const auto tree = Tree(f.Out());
  EXPECT_EQ(tree.at("Paper.JPG"), "\xFF\xD8\xFFPAPER");
  EXPECT_EQ(tree.at("bnext.gif"), "GIF89abnext.gif");
  EXPECT_EQ(tree.count("blast.gif"), 0u);
  EXPECT_NE(tree.at("a.html").find("background=\"Missing.gif\""), std::string::npos);

  f.project.options.blNavShowImages = false;
  r = f.Build(1);
  EXPECT_EQ(r.uploadList, (std::vector<std::string>{"a.html", "a.jpg", "index.html", "Missing.gif",
                                                    "Paper.JPG", "tn_a.jpg"}));
}

TEST(GalleryBuild, ASourceThatAnOutputWouldReplaceRefusesTheBuild) {
  // The second picture's source is where the first picture's display image goes.
  for (const unsigned jobs : {1u, 4u}) {
    Fixture f;
    f.project.options.blImageResize = true;
    f.Add("a.jpg", "NEW");
    fs::create_directories(f.Out());
    WriteFile(f.Out("a.jpg"), "OLD");
    PictureRecord second = PictureNamed("a.jpg", "800 x 600", f.Out());
    second.FileName = "b.jpg";
    f.project.pictures.push_back(second);
    const BuildResult r = f.Build(jobs);
    EXPECT_EQ(r.outcome, BuildOutcome::Refused) << jobs;
    EXPECT_EQ(r.message, "The gallery file \"" + f.Out("a.jpg") +
                             "\" would replace picture 2 of the list, \"" + second.FilenameAndPath +
                             "\". Please choose another destination folder; nothing was written.");
    EXPECT_EQ(Keys(Tree(f.Out())), std::vector<std::string>{"a.jpg"});
    EXPECT_EQ(f.imaging.decodes, 0);
  }
}

TEST(GalleryBuild, MoreThan65535PicturesNeitherWrapNorHang) {
  Fixture f;
  f.project.options.chkCreateThumbs = false;
  f.project.options.spinColumns = 100;
  f.project.options.spinRows = 100;
  PictureRecord missing = PictureNamed("gone.jpg", "800 x 600", f.dir.file("nowhere"));
  f.project.pictures.assign(65537, missing);
  f.Add("last.jpg", "L");
  struct Counter : BuildObserver {
    size_t calls = 0, lastPosition = 0, maximum = 0;
    void OnProgress(size_t position, size_t max) override {
      ++calls;
      lastPosition = std::max(lastPosition, position);
      maximum = max;
    }
  } counter;
  GalleryBuilder builder(2, f.imaging.Tools());
  const BuildResult r = builder.Build(f.project, &counter);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  EXPECT_EQ(counter.maximum, 65537u);
  EXPECT_EQ(counter.lastPosition, 65537u);
  EXPECT_EQ(counter.calls, 65539u);  // every picture, then the reset after the loop
  EXPECT_EQ(r.pageCount, 7u);
  EXPECT_TRUE(fs::exists(f.Out("last.html")));
  EXPECT_TRUE(fs::exists(f.Out("index6.html")));
  EXPECT_EQ(r.uploadList.size(), 65538u + 7u + 2u);
}

// A project that exercises every path at once: resized and copied images, shadows, missing
// sources, same-named files, sub-folders, captions, backgrounds and buttons.
void MakeMixedProject(Fixture& f) {
  GalleryOptions& o = f.project.options;
  o.blImageResize = true;
  o.AddShadowImage = true;
  o.TargetThumb = false;
  o.blNavShowCaptions = true;
  o.spinColumns = 3;
  o.spinRows = 2;
  WriteFile(f.dir.file("bg.gif"), "GIF89a BG");
  o.editBackgroundAPic = f.dir.file("bg.gif");
  o.sNavImage[NavHome] = f.dir.file("bg.gif");
  o.editThumbTitle = "[ShortTitle] ([ImageSize])";
  for (int i = 0; i < 40; ++i) {
    const std::string name =
        (i % 9 == 4 ? "Same" : "pic" + std::to_string(i)) + (i % 2 ? ".JPG" : ".jpeg");
    const std::string content =
        std::string(static_cast<size_t>(i % 5 + 1), 'x') + std::to_string(i);
    f.Add(name, i % 11 == 7 ? nullptr : content.c_str(), i % 3 ? "src" : "other",
          std::to_string(400 + 37 * i) + " x " + std::to_string(300 + 11 * i));
    f.project.pictures.back().LongTitle = "Picture [Filename] of [FileSize]";
  }
}

TEST(GalleryBuild, ParallelBuildsWriteExactlyWhatASerialBuildWrites) {
  std::map<std::string, std::string> serialTree;
  std::vector<std::string> serialEvents, serialList;
  for (const bool resize : {true, false}) {
    for (const unsigned jobs : {1u, 2u, 3u, 8u}) {
      Fixture f;
      MakeMixedProject(f);
      f.project.options.blImageResize = resize;
      Recorder rec;
      const BuildResult r = f.Build(jobs, &rec);
      ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
      const auto tree = Tree(f.Out());
      if (jobs == 1) {
        serialTree = tree;
        serialEvents = rec.events;
        serialList = r.uploadList;
        EXPECT_GT(tree.size(), 100u);
        continue;
      }
      EXPECT_EQ(tree, serialTree) << "jobs " << jobs;
      EXPECT_EQ(rec.events, serialEvents) << "jobs " << jobs;
      EXPECT_EQ(r.uploadList, serialList) << "jobs " << jobs;
    }
  }
}

TEST(GalleryBuild, AnUnwritableDestinationIsReportedWithItsName) {
  Fixture f;
  WriteFile(f.dir.file("file"), "not a folder");
  f.project.options.editDestFolder = f.dir.file("file") + "/gallery/";
  f.Add("a.jpg", "A");
  const BuildResult r = f.Build(2);
  EXPECT_EQ(r.outcome, BuildOutcome::Failed);
  EXPECT_NE(r.message.find(f.dir.file("file") + "/gallery/"), std::string::npos) << r.message;
}

}  // namespace
}  // namespace qg
