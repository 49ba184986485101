// The build driver's test fixture: fake imaging steps that write readable text, so each output
// shows what it was made from, an observer that records every event, and a project whose
// pictures live in a fresh temporary folder.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "GalleryFixture.h"
#include "core/Error.h"
#include "gallery/GalleryBuilder.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace qg::test {

namespace fs = std::filesystem;

// Fake imaging: a resampled "picture" is one row holding its size and the source file's text;
// outputs describe what made them.
struct FakeImaging {
  std::atomic<int> decodes{0};
  // Stands for another version of the program: every finished file starts with it.
  std::string revision;

  static TargetSize Parse(const std::string& text, int divisor) {
    int w = 0, h = 0;
    if (std::sscanf(text.c_str(), "%d x %d", &w, &h) != 2) {
      throw Error("'" + text + "' is not a valid picture size");
    }
    return {static_cast<uint16_t>(w / divisor), static_cast<uint16_t>(h / divisor)};
  }
  static Picture Text(const std::string& text) {
    Picture p(static_cast<int>(text.size()), 1);
    std::copy(text.begin(), text.end(), p.pixels.begin());
    return p;
  }
  static std::string Text(const Picture& p) {
    return std::string(p.pixels.begin(), p.pixels.begin() + p.width);
  }
  static void Jitter(const std::string& content) {
    // Later pictures often finish first: the output must not care.
    std::this_thread::sleep_for(std::chrono::microseconds(200 * (content.size() % 7)));
    // Long enough for every other worker to have started and taken a picture.
    if (content.rfind("SLOW", 0) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  PictureTools Tools() {
    PictureTools t;
    t.thumbnailSize = [](const std::string& s, const GalleryOptions&) { return Parse(s, 10); };
    t.displayImageSize = [](const std::string& s, const GalleryOptions&) { return Parse(s, 2); };
    t.resample = [this](const std::string& path, const std::vector<TargetSize>& sizes) {
      ++decodes;
      const std::string content = ReadFile(path);
      if (content.rfind("BAD", 0) == 0) throw Error("damaged picture");
      std::vector<Picture> pictures;
      for (const TargetSize& size : sizes) {
        pictures.push_back(
            Text(std::to_string(size.width) + "x" + std::to_string(size.height) + "|" + content));
      }
      return pictures;
    };
    t.finish = [this](Picture resized, const std::string& out, bool shadow, const GalleryOptions&,
                      Side side) {
      const std::string text = revision + Text(resized);
      const std::string size = text.substr(0, text.find('|'));
      const std::string content = text.substr(text.find('|') + 1);
      if (side == Side::Thumb) {
        Jitter(content);
        WriteFile(out, "thumb " + size + ": " + content);
        return;
      }
      if (content.find("NOIMAGE") != std::string::npos) throw Error("cannot render");
      Jitter(content + "x");
      WriteFile(out, "image " + size + (shadow ? " shadow: " : ": ") + content);
    };
    return t;
  }
};

// Everything the build reports, in order.
class Recorder : public BuildObserver {
 public:
  std::vector<std::string> events;
  std::string stopOn;  // requests a stop when this text is shown
  GalleryBuilder* builder = nullptr;

  void OnProgress(size_t position, size_t maximum) override {
    events.push_back("progress " + std::to_string(position) + "/" + std::to_string(maximum));
  }
  void OnText(const std::string& text) override {
    events.push_back(text);
    if (!stopOn.empty() && text == stopOn) builder->RequestStop();
  }
  void OnFinished(const BuildResult& result) override {
    events.push_back("finished " + std::to_string(static_cast<int>(result.outcome)));
  }
};

// Every file under `root` with its content, keyed by relative path; folders end in "/".
inline std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) return tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string rel = fs::relative(entry.path(), root).string();
    tree[entry.is_directory() ? rel + "/" : rel] =
        entry.is_directory() ? "" : ReadFile(entry.path());
  }
  return tree;
}

inline std::vector<std::string> Keys(const std::map<std::string, std::string>& tree) {
  std::vector<std::string> keys;
  for (const auto& [k, v] : tree) keys.push_back(k);
  return keys;
}

// A project whose pictures live in dir/src (content given per picture, or missing). Build records
// go to a cache folder of the test's own.
struct Fixture {
  TempDir cache;
  ScopedEnv cacheHome{"XDG_CACHE_HOME", cache.path().string()};
  TempDir dir;
  Project project = NewGalleryProject();
  FakeImaging imaging;

  Fixture() {
    fs::create_directories(dir.path() / "src");
    project.options.editDestFolder = dir.file("out");
    project.options.sNavImage.fill("");  // no buttons unless a test adds them
  }
  std::string Out(const std::string& rel = "") const { return dir.file("out/" + rel); }
  void Add(const std::string& name, const char* content, const std::string& folder = "src",
           const std::string& size = "800 x 600") {
    fs::create_directories(dir.path() / folder);
    PictureRecord p = PictureNamed(name, size, dir.file(folder));
    if (content) WriteFile(p.FilenameAndPath, content);
    project.pictures.push_back(p);
  }
  BuildResult Build(unsigned jobs, Recorder* recorder = nullptr, StopToken stop = {},
                    BuildRequest request = {}) {
    GalleryBuilder builder(jobs, imaging.Tools());
    if (recorder) recorder->builder = &builder;
    return builder.Build(project, recorder, std::move(stop), request);
  }
  BuildResult Incremental(unsigned jobs = 1) {
    return Build(jobs, nullptr, {}, {.kind = BuildKind::Incremental});
  }
};

}  // namespace qg::test
