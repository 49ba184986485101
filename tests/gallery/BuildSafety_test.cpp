// The build under hostile projects and hard conditions: outputs that would replace the build's
// own sources, option values that would write outside the gallery, background and button files
// that are no pictures, a full disk, a stop requested before the build starts and a worker that
// runs out of memory. Each ends with a message and without a lost or truncated file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "BuildFixture.h"
#include "gallery/OutputPlan.h"

namespace fs = std::filesystem;

// Allocation failures on demand: the next `t_failAllocations` allocations of the calling thread
// throw std::bad_alloc, as they do on a machine that has run out of memory.
namespace {
thread_local int t_failAllocations = 0;
}  // namespace

namespace {
void* Allocate(std::size_t size) {
  if (t_failAllocations > 0) {
    --t_failAllocations;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
}  // namespace

// Every plain form, so that a sanitizer sees std::malloc always paired with std::free.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace qg {
namespace {

using test::Fixture;
using test::Keys;
using test::ReadFile;
using test::Recorder;
using test::Tree;
using test::WriteFile;

const char kNothingWritten[] = "Please choose another destination folder; nothing was written.";

// Every file and folder under the fixture's folder, with content.
std::map<std::string, std::string> Everything(const Fixture& f) { return Tree(f.dir.path()); }

struct OverwriteCase {
  const char* name;
  // Arranges the fixture; returns the output path and the source it would replace.
  std::function<std::pair<std::string, std::string>(Fixture&)> arrange;
};

TEST(BuildSafety, AnOutputOnOneOfTheBuildsOwnSourcesRefusesTheWholeBuild) {
  const OverwriteCase cases[] = {
      {"the display image over the photo, built into the photos' folder",
       [](Fixture& f) {
         f.project.options.blImageResize = true;
         f.Add("photo.jpg", "PHOTO");
         f.project.options.editDestFolder = f.dir.file("src");
         return std::make_pair(f.dir.file("src/photo.jpg"), f.dir.file("src/photo.jpg"));
       }},
      {"an unresized copy over itself, the folder named with a trailing slash and a dot",
       [](Fixture& f) {
         f.Add("photo.jpg", "PHOTO");
         f.project.options.editDestFolder = f.dir.file("src/./");
         return std::make_pair(f.dir.file("src/./photo.jpg"), f.dir.file("src/photo.jpg"));
       }},
      {"the destination is a symbolic link to the photos' folder",
       [](Fixture& f) {
         f.project.options.blImageResize = true;
         f.Add("photo.jpg", "PHOTO");
         fs::create_directory_symlink(f.dir.file("src"), f.dir.file("link"));
         f.project.options.editDestFolder = f.dir.file("link");
         return std::make_pair(f.dir.file("link/photo.jpg"), f.dir.file("src/photo.jpg"));
       }},
      {"a thumbnail name that is a hard link to a photo elsewhere",
       [](Fixture& f) {
         f.Add("photo.jpg", "PHOTO");
         fs::create_directories(f.Out());
         fs::create_hard_link(f.dir.file("src/photo.jpg"), f.Out("tn_photo.jpg"));
         return std::make_pair(f.Out("tn_photo.jpg"), f.dir.file("src/photo.jpg"));
       }},
      {"a page named like a photo of the list",
       [](Fixture& f) {
         f.project.options.editDestFolder = f.dir.file("src");
         f.project.options.editImageFilenameExt = ".jpg";
         f.project.options.chkCreateImages = false;
         f.Add("photoabcd", "A");  // its page: "photo" + ".jpg"
         f.Add("photo.jpg", "PHOTO");
         return std::make_pair(f.dir.file("src/photo.jpg"), f.dir.file("src/photo.jpg"));
       }},
      {"the background picture copied over itself",
       [](Fixture& f) {
         f.Add("photo.jpg", "PHOTO");
         fs::create_directories(f.Out());
         WriteFile(f.Out("paper.gif"), "GIF89a paper");
         f.project.options.editBackgroundBPic = f.Out("paper.gif");
         return std::make_pair(f.Out("paper.gif"), f.Out("paper.gif"));
       }},
  };
  for (const OverwriteCase& c : cases) {
    for (const unsigned jobs : {1u, 3u}) {
      Fixture f;
      const auto [output, source] = c.arrange(f);
      const auto before = Everything(f);
      const BuildResult r = f.Build(jobs);
      EXPECT_EQ(r.outcome, BuildOutcome::Refused) << c.name;
      EXPECT_NE(r.message.find("The gallery file \"" + output + "\" would replace "),
                std::string::npos)
          << c.name << ": " << r.message;
      EXPECT_NE(r.message.find(source), std::string::npos) << c.name << ": " << r.message;
      EXPECT_NE(r.message.find(kNothingWritten), std::string::npos) << c.name;
      EXPECT_EQ(Everything(f), before) << c.name;
      EXPECT_EQ(f.imaging.decodes, 0) << c.name;
    }
  }
}

TEST(BuildSafety, BuildingNextToThePhotosIsFineWhenNoNameMeets) {
  // A sub-folder for the images keeps the photos: the build goes ahead.
  Fixture f;
  f.project.options.blImageResize = true;
  f.project.options.TargetImage = false;
  f.Add("photo.jpg", "PHOTO");
  f.project.options.editDestFolder = f.dir.file("src");
  const BuildResult r = f.Build(2);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  EXPECT_EQ(ReadFile(f.dir.file("src/photo.jpg")), "PHOTO");
  EXPECT_EQ(ReadFile(f.dir.file("src/images/photo.jpg")), "image 400x300: PHOTO");
}

TEST(BuildSafety, OutputNamesThatLeaveTheGalleryAreRefusedNamingTheOption) {
  struct Case {
    const char* option;
    std::function<void(GalleryOptions&)> set;
    const char* value;
    const char* reason;
  };
  const Case cases[] = {
      {"Prefix", [](GalleryOptions& o) { o.Prefix = "../../x"; }, "../../x", "it contains \"/\""},
      {"Suffix", [](GalleryOptions& o) { o.Suffix = "/s"; }, "/s", "it contains \"/\""},
      {"editImageFilenameExt", [](GalleryOptions& o) { o.editImageFilenameExt = ".html/x"; },
       ".html/x", "it contains \"/\""},
      {"Prefix", [](GalleryOptions& o) { o.Prefix = "tn\x1b]0;x\x07"; }, "tn?]0;x?",
       "it contains a control character"},
      {"ThumbFolder",
       [](GalleryOptions& o) {
         o.TargetThumb = false;
         o.ThumbFolder = "/tmp/thumbs";
       },
       "/tmp/thumbs", "it is an absolute path"},
      {"ThumbFolder",
       [](GalleryOptions& o) {
         o.TargetThumb = false;
         o.ThumbFolder = "t/../../up";
       },
       "t/../../up", "it has a \"..\" part, which leads out of the gallery"},
      {"ImageFolder",
       [](GalleryOptions& o) {
         o.TargetImage = false;
         o.ImageFolder = "..";
       },
       "..", "it has a \"..\" part, which leads out of the gallery"},
      {"ImageFolder",
       [](GalleryOptions& o) {
         o.TargetImage = false;
         o.ImageFolder = "big\nimages";
       },
       "big?images", "it contains a control character"},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.Add("a.jpg", "A");
    c.set(f.project.options);
    const BuildResult r = f.Build(2);
    EXPECT_EQ(r.outcome, BuildOutcome::Refused) << c.option;
    EXPECT_EQ(r.message, std::string("The option ") + c.option + " (\"" + c.value +
                             "\") cannot be used for the gallery's file names: " + c.reason +
                             ". Please correct it; nothing was written.");
    EXPECT_EQ(Keys(Everything(f)), (std::vector<std::string>{"src/", "src/a.jpg"})) << c.option;
  }

  // A sub-folder option that the build does not use is not held against it.
  Fixture f;
  f.Add("a.jpg", "A");
  f.project.options.ThumbFolder = "../unused";
  f.project.options.ImageFolder = "deeper/./images";
  f.project.options.TargetImage = false;
  EXPECT_EQ(f.Build(1).outcome, BuildOutcome::Built);
  EXPECT_TRUE(fs::exists(f.Out("deeper/images/a.jpg")));
}

TEST(BuildSafety, APictureFileNameWithAControlCharacterIsRefused) {
  Fixture f;
  f.Add("a.jpg", "A");
  f.Add("b\x1b[2J.jpg", "B");
  const BuildResult r = f.Build(1);
  EXPECT_EQ(r.outcome, BuildOutcome::Refused);
  EXPECT_EQ(r.message, "Picture 2 (" + f.dir.file("src/b?[2J.jpg") +
                           "): the file name \"b?[2J.jpg\" contains a control character");
  EXPECT_FALSE(fs::exists(f.Out()));
}

TEST(BuildSafety, BackgroundsAndButtonsThatAreNoPicturesAreRefusedNamingTheOption) {
  struct Case {
    const char* option;
    const char* file;
    std::string content;  // empty: a named pipe
  };
  const Case cases[] = {
      {"editBackgroundAPic", "passwd", "root:x:0:0:root:/root:/bin/bash\n"},
      {"editBackgroundBPic", "notes.jpg", "just some text"},
      {"sNavImageFirst", "first.gif", "GIF text"},  // extension right, signature wrong
      {"sNavImageLast", "last.txt", "GIF89a"},      // signature right, extension wrong
      {"editBackgroundAPic", "pipe.gif", ""},       // must not hang either
  };
  for (const Case& c : cases) {
    Fixture f;
    f.Add("a.jpg", "A");
    const std::string path = f.dir.file(c.file);
    if (c.content.empty()) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else {
      WriteFile(path, c.content);
    }
    GalleryOptions& o = f.project.options;
    const std::string option = c.option;
    if (option == "editBackgroundAPic") o.editBackgroundAPic = path;
    if (option == "editBackgroundBPic") o.editBackgroundBPic = path;
    if (option == "sNavImageFirst") o.sNavImage[NavFirst] = path;
    if (option == "sNavImageLast") o.sNavImage[NavLast] = path;
    const BuildResult r = f.Build(1);
    EXPECT_EQ(r.outcome, BuildOutcome::Refused) << c.file;
    EXPECT_EQ(r.message, "The option " + option + " names \"" + path +
                             "\", which is not a picture (JPEG, GIF, PNG, BMP or WebP); only "
                             "pictures are copied into the gallery. Please choose a picture; "
                             "nothing was written.");
    EXPECT_FALSE(fs::exists(f.Out())) << c.file;
  }

  // Pictures of every kind are copied; buttons are not looked at when the buttons are off.
  Fixture f;
  f.Add("a.jpg", "A");
  WriteFile(f.dir.file("tile.png"), "\x89PNG\r\n\x1A\n tile");
  WriteFile(f.dir.file("tile.bmp"), "BM tile");
  WriteFile(f.dir.file("text.gif"), "text");
  f.project.options.editBackgroundAPic = f.dir.file("tile.png");
  f.project.options.editBackgroundBPic = f.dir.file("tile.bmp");
  f.project.options.sNavImage[NavHome] = f.dir.file("text.gif");
  f.project.options.blNavShowImages = false;
  const BuildResult r = f.Build(1);
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  EXPECT_EQ(ReadFile(f.Out("tile.png")), "\x89PNG\r\n\x1A\n tile");
  EXPECT_EQ(ReadFile(f.Out("tile.bmp")), "BM tile");
}

TEST(BuildSafety, ThePlanListsWhatABuildWritesAndWhatItWouldReplace) {
  Fixture f;
  f.project.options.TargetThumb = false;
  f.project.options.spinColumns = 1;
  f.project.options.spinRows = 1;
  f.Add("Beach.JPG", "B");
  f.Add("Gone.jpg", nullptr);  // missing: nothing of it is written
  f.Add("beach.jpg", "b");     // the same names as the first: listed once
  WriteFile(f.dir.file("paper.gif"), "GIF89a");
  f.project.options.editBackgroundAPic = f.dir.file("paper.gif");
  f.project.options.editBackgroundBPic = f.dir.file("missing.gif");
  const std::vector<std::string> planned = PlanGalleryOutputs(f.project, f.Out());
  EXPECT_EQ(planned,
            (std::vector<std::string>{f.Out("thumbs/tn_beach.jpg"), f.Out("beach.jpg"),
                                      f.Out("beach.html"), f.Out("paper.gif"), f.Out("index.html"),
                                      f.Out("index1.html"), f.Out("index2.html")}));
  EXPECT_TRUE(ExistingGalleryOutputs(planned).empty());

  fs::create_directories(f.Out());
  WriteFile(f.Out("index1.html"), "old");
  EXPECT_EQ(ExistingGalleryOutputs(planned), std::vector<std::string>{f.Out("index1.html")});

  ASSERT_EQ(f.Build(2).outcome, BuildOutcome::Built);
  EXPECT_EQ(ExistingGalleryOutputs(planned), planned);
  // Exactly the planned files were written, and nothing under a temporary name is left.
  std::vector<std::string> written;
  for (const auto& [path, content] : Tree(f.Out())) {
    if (path.back() != '/') written.push_back(f.Out(path));
  }
  std::vector<std::string> sorted = planned;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(written, sorted);
}

// Lowers the file size limit, as a nearly full disk does, for the life of the object.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // writes fail with EFBIG instead
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
};

TEST(BuildSafety, AFullDiskLeavesNoTruncatedFileAndKeepsTheOlderOne) {
  for (const unsigned jobs : {1u, 2u}) {
    Fixture f;
    f.project.options.chkCreateThumbs = false;
    f.Add("small.jpg", "S");
    f.Add("large.jpg", std::string(40000, 'L').c_str());        // copied unchanged: too large
    f.project.pictures[0].LongTitle = std::string(60000, 'T');  // its page is too large
    fs::create_directories(f.Out());
    WriteFile(f.Out("small.html"), "OLD PAGE");
    BuildResult r;
    {
      const FileSizeLimit limit(20000);
      r = f.Build(jobs);
    }
    EXPECT_EQ(r.outcome, BuildOutcome::Failed) << jobs;
    EXPECT_EQ(r.message, "Picture 1 (" + f.dir.file("src/small.jpg") + "): Cannot write file \"" +
                             f.Out("small.html") + "\": File too large");
    EXPECT_EQ(Keys(Tree(f.Out())), (std::vector<std::string>{"small.html", "small.jpg"}));
    EXPECT_EQ(ReadFile(f.Out("small.html")), "OLD PAGE");

    // A copy that does not fit is left out whole (copies fail silently); the build goes on.
    f.project.pictures[0].LongTitle.clear();
    {
      const FileSizeLimit limit(20000);
      r = f.Build(jobs);
    }
    EXPECT_EQ(r.outcome, BuildOutcome::Built) << r.message;
    EXPECT_EQ(Keys(Tree(f.Out())),
              (std::vector<std::string>{"index.html", "large.html", "small.html", "small.jpg"}));
  }
}

TEST(BuildSafety, AStopRequestedBeforeTheBuildStartsIsHonouredByThatRun) {
  for (const unsigned jobs : {1u, 3u}) {
    Fixture f;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) f.Add(name, "X");
    StopSource stop;
    stop.Stop();
    Recorder rec;
    const BuildResult r = f.Build(jobs, &rec, stop.Token());
    ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
    EXPECT_TRUE(r.stopped);
    // Only the last picture, then the index pages.
    EXPECT_EQ(Keys(Tree(f.Out())),
              (std::vector<std::string>{"d.html", "d.jpg", "index.html", "tn_d.jpg"}));
    EXPECT_EQ(rec.events, (std::vector<std::string>{"progress 0/3", "Creating thumb d.jpg",
                                                    "Creating image d.jpg", "Creating page d.jpg",
                                                    "Ready", "progress 0/3", "finished 0"}));
  }
}

TEST(BuildSafety, AWorkerThatRunsOutOfMemoryEndsTheBuildWithAMessage) {
  for (const unsigned jobs : {1u, 3u}) {
    Fixture f;
    f.project.options.blImageResize = true;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) f.Add(name, "X");
    WriteFile(f.project.pictures[1].FilenameAndPath, "HUGE");
    PictureTools tools = f.imaging.Tools();
    const auto finish = tools.finish;
    tools.finish = [finish](Picture resized, const std::string& out, bool shadow,
                            const GalleryOptions& o, Side side) {
      if (test::FakeImaging::Text(resized).find("HUGE") != std::string::npos) {
        // The decoder gives up for lack of memory, and there is none left for the message.
        std::runtime_error error("the picture needs more memory than there is");
        t_failAllocations = 1;
        throw error;
      }
      finish(std::move(resized), out, shadow, o, side);
    };
    GalleryBuilder builder(jobs, tools);
    const BuildResult r = builder.Build(f.project);
    EXPECT_EQ(r.outcome, BuildOutcome::Failed) << jobs;
    // The worker's own message, or the one of the allocation that failed after it.
    EXPECT_EQ(r.message.rfind("Picture 2 (" + f.dir.file("src/b.jpg") + "): ", 0), 0u) << r.message;
    EXPECT_EQ(Keys(Tree(f.Out())), (std::vector<std::string>{"a.html", "a.jpg", "tn_a.jpg"}));
    t_failAllocations = 0;
  }
}

}  // namespace
}  // namespace qg
