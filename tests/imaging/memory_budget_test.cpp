// Decoding and resizing a source hold a share of the process's memory budget from the header
// to the resized pictures: workers that together would need more than the budget take turns
// instead of failing, and the results are the same as when they run alone.
#include <gtest/gtest.h>

#include <thread>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "codecs/Encode.h"
#include "codecs/JpegOutput.h"
#include "core/Error.h"
#include "core/MemoryBudget.h"
#include "imaging/Pipeline.h"
#include "support/TempDir.h"

namespace qg {
namespace {

TEST(MemoryBudget, WorkersResizingTogetherTakeTurnsWithinTheBudget) {
  test::TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 3; ++i) {
    const Picture picture = test::PhotoLikePicture(700, 500, static_cast<uint32_t>(i));
    paths.push_back(dir.file("p" + std::to_string(i) + ".png"));
    SavePng(picture, paths.back());
    paths.push_back(dir.file("p" + std::to_string(i) + ".jpg"));
    SaveAsJpeg(picture, paths.back(), 90, /*progressive=*/i % 2 == 1);
  }
  const auto sizes = [](int, int) { return std::vector<TargetSize>{{120, 86}, {640, 457}}; };
  std::vector<std::vector<Picture>> alone;
  for (const std::string& path : paths) alone.push_back(ResampleSourceFile(path, sizes));

  // Room for one picture's decode and resizing at a time, not for two.
  MemoryBudget& budget = ProcessMemoryBudget();
  const uint64_t oldTotal = budget.total();
  const uint64_t one = SourcePicture(paths[0]).decodeBytes();
  budget.SetTotal(one * 3 / 2 + (8 << 20));
  budget.ResetPeak();
  std::vector<std::vector<std::vector<Picture>>> results(2);
  std::vector<std::thread> workers;
  for (int w = 0; w < 2; ++w) {
    workers.emplace_back([&, w] {
      for (const std::string& path : paths) results[w].push_back(ResampleSourceFile(path, sizes));
    });
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_GT(budget.peak(), one);  // the work did take its shares
  EXPECT_LE(budget.peak(), budget.total());
  EXPECT_EQ(budget.inUse(), 0u);
  budget.SetTotal(oldTotal);
  for (int w = 0; w < 2; ++w) EXPECT_EQ(results[w], alone) << "worker " << w;
}

TEST(MemoryBudget, AResizeBeyondTheBudgetIsRefusedNamingThePicture) {
  test::TempDir dir;
  const std::string path = dir.file("wide.jpg");
  SaveAsJpeg(test::PhotoLikePicture(300, 200, 1), path, 90, false);
  MemoryBudget& budget = ProcessMemoryBudget();
  const uint64_t oldTotal = budget.total();
  budget.SetTotal(64 << 20);
  // The source is small, but a 20000 x 20000 target needs far more than 64 MB.
  try {
    ResampleSourceFile(path, [](int, int) { return std::vector<TargetSize>{{20000, 20000}}; });
    ADD_FAILURE() << "resized";
  } catch (const Error& e) {
    const std::string message = e.what();
    EXPECT_EQ(message.rfind("Cannot resize picture \"" + path +
                                "\" (300 x 200 pixels): with its resized pictures it needs ",
                            0),
              0u)
        << message;
    EXPECT_NE(message.find(" of memory; the limit is 64.0 MB"), std::string::npos) << message;
  }
  budget.SetTotal(oldTotal);
}

}  // namespace
}  // namespace qg
