// The incremental build's promise, checked with the real picture pipeline on tiny JPEGs: after
// any sequence of edits (pictures added, deleted, reordered and retitled, any option changed,
// sources touched, replaced and deleted, outputs deleted or changed by hand, the user's own files
// put into the folder, the job count changed), an incremental build leaves the folder holding
// exactly the files, byte for byte, of a full build of the same project into an empty folder,
// with the same upload list, and the user's files untouched. Every few edits a verification of
// the folder finds nothing. Fixed seeds; a failure prints the seed and the edits so far.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../codecs/TestPictures.h"
#include "GalleryFixture.h"
#include "gallery/GalleryBuilder.h"
#include "project/Options.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace qg {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// A new option must be given a change below; this fails to compile when one is added, as a
// reminder (the size of the options on this platform).
static_assert(sizeof(GalleryOptions) == 1464, "a gallery option was added or removed");

std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) return tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string rel = fs::relative(entry.path(), root).string();
    tree[entry.is_directory() ? rel + "/" : rel] =
        entry.is_directory() ? "" : ReadFile(entry.path());
  }
  return tree;
}

class Session {
 public:
  explicit Session(uint32_t seed) : random_(seed) {
    for (const char* folder : {"src", "alt", "app", "out"})
      fs::create_directories(dir_.path() / folder);
    Project& p = project_;
    p = test::NewGalleryProject();
    GalleryOptions& o = p.options;
    o.editDestFolder = dir_.file("out");
    o.iThumbWidth = 16;
    o.iThumbHeigth = 12;
    o.iImageWidth = 24;
    o.iImageHeigth = 18;
    o.iShadowBlurThumb = o.iShadowBlurImage = 2;
    o.sNavImage.fill("");
    for (const char* name : {"bg1.jpg", "bg2.JPG", "b1.jpg", "b2.jpg"})
      WriteFile(dir_.file(std::string("app/") + name), Jpeg(8, 6));
    for (int i = 0; i < 3; ++i) AddPicture();
  }

  // One random edit, described in the log.
  void Edit() {
    const int kind = Pick(100);
    if (kind < 12) {
      AddPicture();
    } else if (kind < 20) {
      if (project_.pictures.size() > 1) {
        const size_t i = Pick(project_.pictures.size());
        Log("delete picture " + project_.pictures[i].FileName);
        project_.pictures.erase(project_.pictures.begin() + static_cast<long>(i));
      }
    } else if (kind < 28) {
      const size_t a = Pick(project_.pictures.size()), b = Pick(project_.pictures.size());
      Log("swap pictures " + std::to_string(a) + " and " + std::to_string(b));
      std::swap(project_.pictures[a], project_.pictures[b]);
    } else if (kind < 36) {
      PictureRecord& p = project_.pictures[Pick(project_.pictures.size())];
      const std::string title = Choose({"Harbour", "[ImageSize] at dusk", "", "<b>Bold</b>"});
      Log("retitle " + p.FileName + " to '" + title + "'");
      (Pick(2) ? p.ShortTitle : p.LongTitle) = title;
    } else if (kind < 62) {
      ChangeOption();
    } else if (kind < 67) {
      const std::string path = AnySource();
      Log("touch " + path);
      if (fs::exists(path))
        fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(1 + Pick(9)));
    } else if (kind < 75) {
      const std::string path = AnySource();
      Log("replace " + path);
      WriteFile(path, Jpeg(16, 12));
    } else if (kind < 78) {
      const std::string path = AnySource();
      Log("delete source " + path);
      fs::remove(path);
    } else if (kind < 86) {
      if (const std::string file = AnyOutput(); !file.empty()) {
        Log("delete output " + file);
        fs::remove(file);
      }
    } else if (kind < 91) {
      if (const std::string file = AnyOutput(); !file.empty()) {
        Log("change output " + file);
        WriteFile(file, ReadFile(file) + "x");
      }
    } else if (kind < 94) {
      const std::string name =
          Choose({"", "thumbs/", "images/"}) + "user" + std::to_string(userFiles_.size()) + ".txt";
      Log("the user's file " + name);
      fs::create_directories(fs::path(dir_.file("out/" + name)).parent_path());
      WriteFile(dir_.file("out/" + name), "mine " + name);
      userFiles_[name] = "mine " + name;
    } else {
      jobs_ = 1 + static_cast<unsigned>(Pick(4));
      Log("jobs " + std::to_string(jobs_));
    }
  }

  // The incremental build against a full build into an empty folder; false on a difference.
  bool Check(bool verify) {
    GalleryBuilder incremental(jobs_);
    const BuildResult r =
        incremental.Build(project_, nullptr, {}, {.kind = BuildKind::Incremental});
    Project reference = project_;
    reference.options.editDestFolder = dir_.file("ref");
    fs::remove_all(dir_.file("ref"));
    GalleryBuilder full(1);
    const BuildResult expected = full.Build(reference);
    EXPECT_EQ(r.outcome, expected.outcome) << r.message;
    EXPECT_EQ(r.message, expected.message);
    EXPECT_EQ(r.uploadList, expected.uploadList);
    std::map<std::string, std::string> tree = Tree(dir_.file("out"));
    for (const auto& [name, content] : userFiles_) {
      const auto found = tree.find(name);
      if (found == tree.end() || found->second != content) {
        ADD_FAILURE() << "the user's file " << name << " was touched";
        return false;
      }
      tree.erase(found);
    }
    // Folders that hold only the user's files stay, though a build would not make them.
    for (auto it = tree.begin(); it != tree.end();) {
      const bool userFolder = it->first.back() == '/' && !expected.uploadList.empty() &&
                              std::any_of(userFiles_.begin(), userFiles_.end(), [&](const auto& u) {
                                return u.first.rfind(it->first, 0) == 0;
                              });
      it =
          userFolder && !fs::exists(dir_.file("ref/" + it->first)) ? tree.erase(it) : std::next(it);
    }
    const std::map<std::string, std::string> want = Tree(dir_.file("ref"));
    if (tree != want) {
      for (const auto& [name, content] : want) {
        const auto found = tree.find(name);
        if (found == tree.end())
          ADD_FAILURE() << "missing: " << name;
        else if (found->second != content)
          ADD_FAILURE() << "differs: " << name;
      }
      for (const auto& [name, content] : tree)
        if (want.count(name) == 0) ADD_FAILURE() << "extra: " << name;
      return false;
    }
    if (verify && r.outcome == BuildOutcome::Built) {
      GalleryBuilder verifier(jobs_);
      const BuildResult v = verifier.Build(project_, nullptr, {}, {.kind = BuildKind::Verify});
      EXPECT_TRUE(v.differences.empty())
          << v.differences.size() << " differences, first " << v.differences.front().path;
      if (!v.differences.empty()) return false;
    }
    return !::testing::Test::HasFailure();
  }

  std::string log() const { return log_.str(); }

 private:
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  template <typename T>
  T Choose(std::initializer_list<T> values) {
    return *(values.begin() + Pick(values.size()));
  }
  std::string Choose(std::initializer_list<const char*> values) {
    return *(values.begin() + Pick(values.size()));
  }
  void Log(const std::string& line) { log_ << "  " << line << "\n"; }

  std::string Jpeg(int width, int height) {
    return test::EncodeJpeg(test::PhotoLike(width, height, static_cast<uint32_t>(random_())));
  }

  void AddPicture() {
    // Names repeat, also across folders, so some outputs are written by two pictures.
    const std::string name = Choose({"p1.jpg", "p2.jpg", "P3.JPG", "p4.jpeg", "p5.jpg", "p6.jpg"});
    const std::string folder = Pick(4) == 0 ? "alt" : "src";
    const std::string path = dir_.file(folder + "/" + name);
    if (!fs::exists(path) || Pick(3) == 0)
      WriteFile(path, Jpeg(Pick(2) ? 16 : 12, Pick(2) ? 12 : 16));
    const Picture size = test::PhotoLike(1, 1);  // the size text of the file on disk
    (void)size;
    PictureRecord p = test::PictureNamed(name, SizeText(path), dir_.file(folder));
    project_.pictures.insert(
        project_.pictures.begin() + static_cast<long>(Pick(project_.pictures.size() + 1)), p);
    Log("add " + path + " (" + p.ImageSize + ")");
  }

  static std::string SizeText(const std::string& path) {
    const std::string bytes = ReadFile(path);
    // The SOF0 marker of the baseline JPEGs made here: height, then width.
    const size_t sof = bytes.find("\xFF\xC0");
    if (sof == std::string::npos) return "16 x 12";
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[sof + i]); };
    return std::to_string(at(7) << 8 | at(8)) + " x " + std::to_string(at(5) << 8 | at(6));
  }

  std::string AnySource() {
    return project_.pictures[Pick(project_.pictures.size())].FilenameAndPath;
  }

  std::string AnyOutput() {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.file("out"))) {
      const std::string rel = fs::relative(entry.path(), dir_.file("out")).string();
      if (entry.is_regular_file() && userFiles_.count(rel) == 0) files.push_back(entry.path());
    }
    return files.empty() ? std::string() : files[Pick(files.size())];
  }

  void ChangeOption() {
    GalleryOptions& o = project_.options;
    const std::string app = dir_.file("app/");
    const auto colour = [&] { return static_cast<Colour>(Choose({0x000000, 0xC0C0C0, 0x3366FF})); };
    const auto text = [&] { return Choose({"Home", "[Next]", "", "Zur&uuml;ck"}); };
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"editIndexCaption",
         [&] {
           o.editIndexCaption = Choose({"My Gallery 1", "Trip [ImageCount]"});
         }},
        {"TargetThumb", [&] { o.TargetThumb = !o.TargetThumb; }},
        {"ThumbFolder",
         [&] {
           o.ThumbFolder = Choose({"thumbs", "Small", "a/b", "./t", "images"});
         }},
        {"TargetImage", [&] { o.TargetImage = !o.TargetImage; }},
        {"ImageFolder",
         [&] {
           o.ImageFolder = Choose({"images", "big", "a/c", "thumbs"});
         }},
        {"OverwritePrompt", [&] { o.OverwritePrompt = !o.OverwritePrompt; }},
        {"chkClearTarget", [&] { o.chkClearTarget = !o.chkClearTarget; }},
        {"editThumbTitle",
         [&] {
           o.editThumbTitle = Choose({"[ShortTitle]", "[Filename] [FileSize]"});
         }},
        {"editALTText",
         [&] {
           o.editALTText = Choose({"Click to enlarge", "[LongTitle]"});
         }},
        {"editPageTitleImage", [&] { o.editPageTitleImage = text(); }},
        {"editImageTitle", [&] { o.editImageTitle = text(); }},
        {"editImageALT", [&] { o.editImageALT = text(); }},
        {"FIndexFontFamily",
         [&] {
           o.FIndexFontFamily = Choose({"Verdana", "Courier New, mono"});
         }},
        {"FIndexFontStyle",
         [&] {
           o.FIndexFontStyle = Choose({"Bold", "Italic", "Regular"});
         }},
        {"FIndexFontColor", [&] { o.FIndexFontColor = colour(); }},
        {"FIndexFontSize",
         [&] {
           o.FIndexFontSize = Choose({"5 (18 pt)", "2 (10 pt)"});
         }},
        {"FThumbFontFamily",
         [&] {
           o.FThumbFontFamily = Choose({"Verdana", "Times"});
         }},
        {"FThumbFontStyle",
         [&] {
           o.FThumbFontStyle = Choose({"Bold Italic", "Regular"});
         }},
        {"FThumbFontColor", [&] { o.FThumbFontColor = colour(); }},
        {"FThumbFontSize",
         [&] {
           o.FThumbFontSize = Choose({"1 (8 pt)", "3 (12 pt)"});
         }},
        {"blThumbWidth", [&] { SetThumbWidthBox(o, !o.blThumbWidth); }},
        {"iThumbWidth",
         [&] {
           o.iThumbWidth = Choose({12, 16, 20});
         }},
        {"blThumbHeight", [&] { SetThumbHeightBox(o, !o.blThumbHeight); }},
        {"iThumbHeigth",
         [&] {
           o.iThumbHeigth = Choose({10, 12, 14});
         }},
        {"BorderWidth",
         [&] {
           o.BorderWidth = Choose({0, 1, 2});
         }},
        {"ColorBorder", [&] { o.ColorBorder = colour(); }},
        {"AddShadow", [&] { o.AddShadow = !o.AddShadow; }},
        {"iShadowColorThumb", [&] { o.iShadowColorThumb = colour(); }},
        {"iShadowOffHThumb",
         [&] {
           o.iShadowOffHThumb = Choose({2, 4, 6});
         }},
        {"iShadowOffVThumb",
         [&] {
           o.iShadowOffVThumb = Choose({2, 4, 6});
         }},
        {"iShadowBlurThumb",
         [&] {
           o.iShadowBlurThumb = Choose({0, 2, 3});
         }},
        {"iQualityThumb",
         [&] {
           o.iQualityThumb = Choose({50, 80, 95});
         }},
        {"blProgressiveThumb", [&] { o.blProgressiveThumb = !o.blProgressiveThumb; }},
        {"Prefix",
         [&] {
           o.Prefix = Choose({"tn_", "", "x-"});
         }},
        {"Suffix",
         [&] {
           o.Suffix = Choose({"", "_s"});
         }},
        {"Crop", [&] { o.Crop = !o.Crop; }},
        {"spinColumns",
         [&] {
           o.spinColumns = Choose({1, 2, 4});
         }},
        {"spinRows",
         [&] {
           o.spinRows = Choose({1, 2, 3});
         }},
        {"spinCellPad",
         [&] {
           o.spinCellPad = Choose({0, 2, 5});
         }},
        {"spinCellSpace",
         [&] {
           o.spinCellSpace = Choose({0, 2, 5});
         }},
        {"colorboxBackgroundA", [&] { o.colorboxBackgroundA = colour(); }},
        {"editBackgroundAPic",
         [&] {
           o.editBackgroundAPic = Choose({"", "bg1.jpg", "bg2.JPG", "none.gif"});
         }},
        {"chkNavTop", [&] { o.chkNavTop = !o.chkNavTop; }},
        {"chkNavBottom", [&] { o.chkNavBottom = !o.chkNavBottom; }},
        {"blImageResize", [&] { o.blImageResize = !o.blImageResize; }},
        {"blImageWidth", [&] { SetImageWidthBox(o, !o.blImageWidth); }},
        {"iImageWidth",
         [&] {
           o.iImageWidth = Choose({20, 24, 28});
         }},
        {"blImageHeight", [&] { SetImageHeightBox(o, !o.blImageHeight); }},
        {"iImageHeigth",
         [&] {
           o.iImageHeigth = Choose({16, 18, 22});
         }},
        {"BorderWidthImage",
         [&] {
           o.BorderWidthImage = Choose({0, 1, 3});
         }},
        {"ColorBorderImage", [&] { o.ColorBorderImage = colour(); }},
        {"AddShadowImage", [&] { o.AddShadowImage = !o.AddShadowImage; }},
        {"iShadowColorImage", [&] { o.iShadowColorImage = colour(); }},
        {"iShadowOffHImage",
         [&] {
           o.iShadowOffHImage = Choose({2, 4, 6});
         }},
        {"iShadowOffVImage",
         [&] {
           o.iShadowOffVImage = Choose({2, 4, 6});
         }},
        {"iShadowBlurImage",
         [&] {
           o.iShadowBlurImage = Choose({0, 2, 3});
         }},
        {"iQualityImage",
         [&] {
           o.iQualityImage = Choose({50, 80, 95});
         }},
        {"blProgressiveImage", [&] { o.blProgressiveImage = !o.blProgressiveImage; }},
        {"rbUseImageFilename", [&] { SetUseImageFilename(o, !o.rbUseImageFilename); }},
        {"editImageFilenameExt",
         [&] {
           o.editImageFilenameExt = Choose({".html", ".htm", ".HTML"});
         }},
        {"rbUseGivenFilename", [&] { SetUseGivenFilename(o, !o.rbUseGivenFilename); }},
        {"editGivenFilename",
         [&] {
           o.editGivenFilename = Choose({"image.html", "pic.html"});
         }},
        {"colorboxBackgroundB", [&] { o.colorboxBackgroundB = colour(); }},
        {"editBackgroundBPic",
         [&] {
           o.editBackgroundBPic = Choose({"", "bg1.jpg", "bg2.JPG"});
         }},
        {"chkNavTopImage", [&] { o.chkNavTopImage = !o.chkNavTopImage; }},
        {"chkNavBottomImage", [&] { o.chkNavBottomImage = !o.chkNavBottomImage; }},
        {"blNavShowCaptions", [&] { o.blNavShowCaptions = !o.blNavShowCaptions; }},
        {"blNavShowImages", [&] { o.blNavShowImages = !o.blNavShowImages; }},
        {"blNavShow", [&] { o.blNavShow[Pick(NavItemCount)] ^= true; }},
        {"sNav", [&] { o.sNav[Pick(NavItemCount)] = text(); }},
        {"sNavALT", [&] { o.sNavALT[Pick(NavItemCount)] = text(); }},
        {"sNavImage",
         [&] {
           o.sNavImage[Pick(NavItemCount)] = Choose({"", "b1.jpg", "b2.jpg", "bg1.jpg"});
         }},
        {"chkCreateHTML", [&] { o.chkCreateHTML = !o.chkCreateHTML; }},
        {"chkCreateThumbs", [&] { o.chkCreateThumbs = !o.chkCreateThumbs; }},
        {"chkCreateImages", [&] { o.chkCreateImages = !o.chkCreateImages; }},
    };
    const auto& [name, change] = changes[Pick(changes.size())];
    change();
    // Pictures named by the options live in app/.
    for (std::string* path : {&o.editBackgroundAPic, &o.editBackgroundBPic})
      if (!path->empty() && path->front() != '/') *path = app + *path;
    for (std::string& path : o.sNavImage)
      if (!path.empty() && path.front() != '/') path = app + path;
    Log(std::string("option ") + name);
  }

  TempDir dir_;
  std::mt19937 random_;
  Project project_;
  unsigned jobs_ = 2;
  std::map<std::string, std::string> userFiles_;
  std::ostringstream log_;
};

// Runs `edits` random edits from `seed`, or fewer when the time is up (a sanitizer build is
// many times slower; the ordinary build finishes well within it).
void RunSession(uint32_t seed, int edits) {
  // Thousands of small files are written, renamed and removed: in memory when the system offers
  // a memory-backed folder, as the disk's latency would otherwise make up nearly all the time.
  std::optional<test::ScopedEnv> inMemory;
  std::error_code ec;
  if (fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0)
    inMemory.emplace("TMPDIR", "/dev/shm");
  TempDir cache;
  const test::ScopedEnv env("XDG_CACHE_HOME", cache.path().string());
  Session session(seed);
  const auto start = std::chrono::steady_clock::now();
  int done = 0;
  ASSERT_TRUE(session.Check(/*verify=*/true)) << "seed " << seed << ", at the start";
  for (; done < edits; ++done) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(100)) break;
    session.Edit();
    if (!session.Check(/*verify=*/done % 20 == 0)) {
      FAIL() << "seed " << seed << ", after edit " << done + 1 << ":\n" << session.log();
    }
  }
  std::printf("seed %u: %d edits checked\n", seed, done);
}

// Four sessions of 260 edits: more than a thousand edits in all.
TEST(IncrementalBuildProperty, MatchesAFullBuildAfterRandomEditsSeed1) { RunSession(1, 260); }
TEST(IncrementalBuildProperty, MatchesAFullBuildAfterRandomEditsSeed2) { RunSession(2, 260); }
TEST(IncrementalBuildProperty, MatchesAFullBuildAfterRandomEditsSeed3) { RunSession(3, 260); }
TEST(IncrementalBuildProperty, MatchesAFullBuildAfterRandomEditsSeed4) { RunSession(4, 260); }

}  // namespace
}  // namespace qg
