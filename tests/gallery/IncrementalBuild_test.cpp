// Incremental builds with the fake imaging steps: each cause that makes a file be made again, on
// its own; what is removed as left over and what never is; stops, failures and builds ended by
// force leave a record the next build can trust; verification writes nothing. After every
// incremental build the folder must equal a full build into an empty folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "BuildFixture.h"
#include "gallery/BuildRecord.h"
#include "gallery/OutputPlan.h"

namespace fs = std::filesystem;

namespace qg {
namespace {

using test::Fixture;
using test::Keys;
using test::ReadFile;
using test::Tree;
using test::WriteFile;

}  // namespace

void PrintTo(const GalleryDifference& d, std::ostream* os) {
  *os << static_cast<int>(d.kind) << " " << d.path;
}

namespace {

// When each file under `root` was last replaced or written.
std::map<std::string, std::pair<ino_t, int64_t>> Stamps(const fs::path& root) {
  std::map<std::string, std::pair<ino_t, int64_t>> stamps;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    struct stat st;
    ::stat(entry.path().c_str(), &st);
    stamps[fs::relative(entry.path(), root).string()] = {
        st.st_ino, int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
  }
  return stamps;
}

// The files whose stamp changed (or that are new) between two snapshots.
std::vector<std::string> Written(const std::map<std::string, std::pair<ino_t, int64_t>>& before,
                                 const std::map<std::string, std::pair<ino_t, int64_t>>& after) {
  std::vector<std::string> written;
  for (const auto& [name, stamp] : after) {
    const auto old = before.find(name);
    if (old == before.end() || old->second != stamp) written.push_back(name);
  }
  return written;
}

// What a full build of the same project writes into an empty folder.
std::map<std::string, std::string> FullBuildOf(const Fixture& f) {
  Fixture reference;
  reference.project = f.project;
  reference.project.options.editDestFolder = reference.Out();
  reference.imaging.revision = f.imaging.revision;
  EXPECT_EQ(reference.Build(1).outcome, BuildOutcome::Built);
  return Tree(reference.Out());
}

// Three resized pictures with thumbnails in a sub-folder, built once in full.
struct Built : Fixture {
  Built() {
    project.options.blImageResize = true;
    project.options.TargetThumb = false;
    Add("a.jpg", "AAA");
    Add("b.jpg", "BBB");
    Add("c.jpg", "CCC");
    EXPECT_EQ(Build(2).outcome, BuildOutcome::Built);
    imaging.decodes = 0;
  }
  void Touch(const std::string& path) {
    const auto time = fs::last_write_time(path);
    fs::last_write_time(path, time + std::chrono::seconds(5));
  }
};

TEST(IncrementalBuild, EachCauseRemakesExactlyWhatItAffects) {
  const struct {
    const char* cause;
    std::function<void(Built&)> change;
    int decodes;                       // pictures decoded again
    std::vector<std::string> written;  // files whose bytes changed
  } cases[] = {
      {"nothing changed", [](Built&) {}, 0, {}},
      {"a source touched, its bytes the same",
       [](Built& f) { f.Touch(f.dir.file("src/b.jpg")); },
       0,
       {}},
      {"a source's bytes replaced, size kept",
       [](Built& f) { WriteFile(f.dir.file("src/b.jpg"), "bbb"); },
       1,
       {"b.jpg", "thumbs/tn_b.jpg"}},
      {"a thumbnail option (border)", [](Built& f) { f.project.options.BorderWidth = 3; }, 3, {}},
      {"a thumbnail option (quality)",
       [](Built& f) { f.project.options.iQualityThumb = 50; },
       3,
       {}},
      {"a display-image option (shadow blur)",
       [](Built& f) { f.project.options.iShadowBlurImage = 9; },
       3,
       {}},
      {"the index background, which the thumbnail shadow uses",
       [](Built& f) { f.project.options.colorboxBackgroundA = 0x123456; },
       3,
       {"index.html"}},
      {"the picture's size text",
       [](Built& f) { f.project.pictures[1].ImageSize = "400 x 300"; },
       1,
       {"b.jpg", "index.html", "thumbs/tn_b.jpg"}},
      {"the program",
       [](Built& f) { f.imaging.revision = "v2 "; },
       3,
       {"a.jpg", "b.jpg", "c.jpg", "thumbs/tn_a.jpg", "thumbs/tn_b.jpg", "thumbs/tn_c.jpg"}},
      {"an output deleted by hand",
       [](Built& f) { fs::remove(f.Out("thumbs/tn_b.jpg")); },
       1,
       {"thumbs/tn_b.jpg"}},
      {"an output changed by hand",
       [](Built& f) { WriteFile(f.Out("c.jpg"), "mine"); },
       1,
       {"c.jpg"}},
      {"a page changed by hand",
       [](Built& f) { WriteFile(f.Out("a.html"), "mine"); },
       0,
       {"a.html"}},
      {"a long title",
       [](Built& f) { f.project.pictures[1].LongTitle = "Harbour"; },
       0,
       {"b.html"}},
      {"a caption colour (captions, counters and long titles)",
       [](Built& f) { f.project.options.FThumbFontColor = 0xFF; },
       0,
       {"a.html", "b.html", "c.html", "index.html"}},
      {"the record damaged",
       [](Built& f) {
         WriteFile(BuildRecordPath(ResolvedGalleryFolder(f.Out())), "quillon-gallery build");
       },
       3,
       {}},
      {"the record gone",
       [](Built& f) { fs::remove(BuildRecordPath(ResolvedGalleryFolder(f.Out()))); },
       3,
       {}},
  };
  for (const auto& c : cases) {
    for (const unsigned jobs : {1u, 3u}) {
      Built f;
      c.change(f);
      const auto before = Stamps(f.Out());
      const BuildResult r = f.Incremental(jobs);
      ASSERT_EQ(r.outcome, BuildOutcome::Built) << c.cause << ": " << r.message;
      EXPECT_EQ(f.imaging.decodes, c.decodes) << c.cause << ", jobs " << jobs;
      EXPECT_EQ(Written(before, Stamps(f.Out())), c.written) << c.cause << ", jobs " << jobs;
      EXPECT_EQ(Tree(f.Out()), FullBuildOf(f)) << c.cause << ", jobs " << jobs;
      // And the record now vouches for everything: a second build decodes nothing.
      f.imaging.decodes = 0;
      const auto settled = Stamps(f.Out());
      f.Incremental(jobs);
      EXPECT_EQ(f.imaging.decodes, 0) << c.cause;
      EXPECT_EQ(Written(settled, Stamps(f.Out())), std::vector<std::string>{}) << c.cause;
    }
  }
}

TEST(IncrementalBuild, RemovesWhatEarlierBuildsWroteAndNothingElse) {
  Built f;
  WriteFile(f.Out("notes.txt"), "mine");                     // the user's own file
  WriteFile(f.Out("thumbs/keep.jpg"), "mine too");           // in a folder we made
  f.project.pictures.erase(f.project.pictures.begin() + 2);  // c goes
  f.project.options.ThumbFolder = "small";                   // the thumbnails move
  const BuildResult r = f.Incremental();
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  EXPECT_EQ(r.filesRemoved, 5u);  // c.html, c.jpg and the three old thumbnails
  auto tree = Tree(f.Out());
  EXPECT_EQ(tree.at("notes.txt"), "mine");
  EXPECT_EQ(tree.at("thumbs/keep.jpg"), "mine too");  // so the folder stays too
  tree.erase("notes.txt");
  tree.erase("thumbs/keep.jpg");
  tree.erase("thumbs/");
  EXPECT_EQ(tree, FullBuildOf(f));

  // Once the user's file is gone, the folders we made go as soon as they are empty.
  fs::remove(f.Out("thumbs/keep.jpg"));
  f.project.options.ThumbFolder = "tiny";
  f.Incremental();
  EXPECT_FALSE(fs::exists(f.Out("small")));
  EXPECT_FALSE(fs::exists(f.Out("thumbs")));
  tree = Tree(f.Out());
  tree.erase("notes.txt");
  EXPECT_EQ(tree, FullBuildOf(f));
}

TEST(IncrementalBuild, AFileChangedSinceWeWroteItIsNeverRemoved) {
  Built f;
  WriteFile(f.Out("c.html"), "the user's edit");
  f.project.pictures.pop_back();
  EXPECT_EQ(LeftOverGalleryFiles(f.project),
            (std::vector<std::string>{f.Out("c.jpg"), f.Out("thumbs/tn_c.jpg")}));
  f.Incremental();
  EXPECT_EQ(ReadFile(f.Out("c.html")), "the user's edit");
  EXPECT_FALSE(fs::exists(f.Out("c.jpg")));
  // It is the user's from now on: a later build leaves it alone too.
  f.project.options.ThumbFolder = "small";
  f.Incremental();
  EXPECT_EQ(ReadFile(f.Out("c.html")), "the user's edit");
}

TEST(IncrementalBuild, AFullBuildRemovesLeftOversOnlyWhenAskedTo) {
  Built f;
  f.project.pictures.pop_back();
  ASSERT_EQ(f.Build(2).outcome, BuildOutcome::Built);
  EXPECT_TRUE(fs::exists(f.Out("c.html")));               // a full build deletes nothing by itself
  EXPECT_EQ(LeftOverGalleryFiles(f.project).size(), 3u);  // but still knows them as ours

  const BuildResult r = f.Build(2, nullptr, {}, {.kind = BuildKind::Full, .clearLeftOvers = true});
  EXPECT_EQ(r.filesRemoved, 3u);
  EXPECT_EQ(Tree(f.Out()), FullBuildOf(f));
  EXPECT_EQ(LeftOverGalleryFiles(f.project), std::vector<std::string>{});
}

TEST(IncrementalBuild, NamesSharedByTwoPicturesEndAsInAFullBuild) {
  Built f;
  f.Add("a.jpg", "OTHER A", "elsewhere");  // the later a.jpg wins
  ASSERT_EQ(f.Incremental(3).outcome, BuildOutcome::Built);
  EXPECT_EQ(Tree(f.Out()), FullBuildOf(f));
  std::swap(f.project.pictures[0], f.project.pictures[3]);  // now the first one wins
  ASSERT_EQ(f.Incremental(3).outcome, BuildOutcome::Built);
  EXPECT_EQ(Tree(f.Out()), FullBuildOf(f));
  EXPECT_EQ(ReadFile(f.Out("thumbs/tn_a.jpg")), "thumb 80x60: AAA");
}

TEST(IncrementalBuild, AStoppedOrFailedBuildLeavesARecordTheNextCanTrust) {
  for (const unsigned jobs : {1u, 3u}) {
    Built f;
    for (int i = 0; i < 6; ++i) f.Add("p" + std::to_string(i) + ".jpg", "P");
    f.project.options.BorderWidth = 7;  // every picture is due
    test::Recorder stopper;
    stopper.stopOn = "Creating page b.jpg";
    const BuildResult stopped = f.Build(jobs, &stopper, {}, {.kind = BuildKind::Incremental});
    ASSERT_TRUE(stopped.stopped);
    WriteFile(f.dir.file("src/c.jpg"), "BAD now");  // the next build fails at c
    const BuildResult failed = f.Incremental(jobs);
    ASSERT_EQ(failed.outcome, BuildOutcome::Failed);
    WriteFile(f.dir.file("src/c.jpg"), "CCC again");
    ASSERT_EQ(f.Incremental(jobs).outcome, BuildOutcome::Built);
    EXPECT_EQ(Tree(f.Out()), FullBuildOf(f)) << jobs;
  }
}

TEST(IncrementalBuild, FilesABuildMeantToWriteCountAsOursOnlyIfNoneWasThereBefore) {
  Built f;
  // As a build ended by force leaves the record: two files it was about to write.
  std::optional<BuildRecord> record = ReadBuildRecord(f.Out());
  ASSERT_TRUE(record);
  record->files["gone-picture.html"].pending = true;
  RecordedFile theirs;
  theirs.pending = true;
  theirs.existedBefore = true;
  record->files["users-page.html"] = theirs;
  ASSERT_TRUE(WriteBuildRecord(*record));
  WriteFile(f.Out("gone-picture.html"), "half ours");
  WriteFile(f.Out("users-page.html"), "the user's");
  EXPECT_EQ(LeftOverGalleryFiles(f.project), std::vector<std::string>{f.Out("gone-picture.html")});
  f.Incremental();
  EXPECT_FALSE(fs::exists(f.Out("gone-picture.html")));
  EXPECT_EQ(ReadFile(f.Out("users-page.html")), "the user's");
}

TEST(IncrementalBuild, TheRecordIsWrittenBeforeTheFirstNewFile) {
  Built f;
  f.Add("d.jpg", "DDD");
  test::Recorder watcher;
  std::optional<BuildRecord> seen;
  struct Peek : test::Recorder {
    std::function<void()> onFirstPage;
    void OnText(const std::string& text) override {
      if (text == "Creating page a.jpg" && onFirstPage) onFirstPage();
    }
  } peek;
  peek.onFirstPage = [&] { seen = ReadBuildRecord(f.Out()); };
  f.Build(1, &peek, {}, {.kind = BuildKind::Incremental});
  ASSERT_TRUE(seen);
  for (const char* name : {"d.html", "d.jpg", "thumbs/tn_d.jpg"}) {
    ASSERT_EQ(seen->files.count(name), 1u) << name;
    EXPECT_TRUE(seen->files.at(name).pending) << name;
    EXPECT_FALSE(seen->files.at(name).existedBefore) << name;
  }
  EXPECT_FALSE(seen->files.at("a.html").pending);
}

TEST(VerifyBuild, ReportsWhatDiffersAndWritesNothing) {
  Built f;
  WriteFile(f.Out("b.html"), "edited");
  fs::remove(f.Out("thumbs/tn_c.jpg"));
  WriteFile(f.Out("notes.txt"), "mine");
  f.project.pictures[0].LongTitle = "Changed";  // a.html no longer as a build makes it
  f.project.options.spinColumns = 1;
  f.project.options.spinRows = 2;  // a second index page
  f.Add("z.jpg", "ZZZ");
  f.project.pictures.erase(f.project.pictures.begin() + 1);  // b goes: its files are left over
  const auto tree = Tree(f.Out());
  const std::string record = ReadFile(BuildRecordPath(ResolvedGalleryFolder(f.Out())));

  for (const unsigned jobs : {1u, 3u}) {
    const BuildResult r = f.Build(jobs, nullptr, {}, {.kind = BuildKind::Verify});
    ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
    using K = GalleryDifference::Kind;
    EXPECT_EQ(r.differences, (std::vector<GalleryDifference>{{K::Differs, "a.html"},
                                                             {K::Missing, "thumbs/tn_c.jpg"},
                                                             {K::Differs, "c.html"},
                                                             {K::Missing, "thumbs/tn_z.jpg"},
                                                             {K::Missing, "z.jpg"},
                                                             {K::Missing, "z.html"},
                                                             {K::Differs, "index.html"},
                                                             {K::Missing, "index1.html"},
                                                             {K::LeftOver, "b.jpg"},
                                                             {K::LeftOver, "thumbs/tn_b.jpg"}}))
        << jobs;
    EXPECT_EQ(Tree(f.Out()), tree);
    EXPECT_EQ(ReadFile(BuildRecordPath(ResolvedGalleryFolder(f.Out()))), record);
  }
  ASSERT_EQ(f.Incremental().outcome, BuildOutcome::Built);
  EXPECT_EQ(f.Build(2, nullptr, {}, {.kind = BuildKind::Verify}).differences,
            std::vector<GalleryDifference>{});
}

TEST(VerifyBuild, NamesWrittenTwiceAreJudgedAndCountedByTheirLastWrite) {
  Fixture f;
  f.Add("Beach.JPG", "B");
  f.Add("beach.jpg", "b");  // the same output names: its files replace the first picture's
  ASSERT_EQ(f.Build(1).outcome, BuildOutcome::Built);
  const size_t files = Tree(f.Out()).size();
  BuildResult r = f.Build(1, nullptr, {}, {.kind = BuildKind::Verify});
  EXPECT_EQ(r.differences, std::vector<GalleryDifference>{});
  EXPECT_EQ(r.filesWritten, files);

  // The other order: what the folder holds is now what the first write makes, not the last.
  std::swap(f.project.pictures[0], f.project.pictures[1]);
  r = f.Build(1, nullptr, {}, {.kind = BuildKind::Verify});
  EXPECT_EQ(r.filesWritten, files);
  const auto differs = [&](const std::string& name) {
    return std::count(r.differences.begin(), r.differences.end(),
                      GalleryDifference{GalleryDifference::Kind::Differs, name}) == 1;
  };
  EXPECT_TRUE(differs("beach.jpg"));
  EXPECT_TRUE(differs("tn_beach.jpg"));
}

TEST(VerifyBuild, AMissingFolderIsAllMissingAndStaysMissing) {
  Fixture f;
  f.Add("a.jpg", "A");
  const BuildResult r = f.Build(1, nullptr, {}, {.kind = BuildKind::Verify});
  ASSERT_EQ(r.outcome, BuildOutcome::Built) << r.message;
  EXPECT_EQ(r.differences.size(), 4u);
  EXPECT_FALSE(fs::exists(f.Out()));
}

}  // namespace
}  // namespace qg
