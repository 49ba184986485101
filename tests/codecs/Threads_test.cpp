// The gallery build decodes on several threads at once: results must equal a serial decode.
#include <gtest/gtest.h>

#include <thread>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "support/TempDir.h"

namespace qg {
namespace {

TEST(ParallelDecoding, GivesTheSamePicturesAsOneThread) {
  test::TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 6; ++i) {
    const Picture picture = test::PhotoLike(90 + i, 60, static_cast<uint32_t>(i));
    const std::string jpeg = dir.file("p" + std::to_string(i) + ".jpg");
    test::WriteFile(jpeg, test::EncodeJpeg(picture));
    paths.push_back(jpeg);
    for (const char* format : {"PNG", "TIFF", "GIF", "BMP"}) {
      const std::string path = dir.file("p" + std::to_string(i) + "." + format);
      test::WriteWithMagick(picture, path, format);
      paths.push_back(path);
    }
  }
  std::vector<Picture> serial;
  for (const std::string& path : paths) serial.push_back(LoadSourcePicture(path));

  constexpr int kThreads = 4;
  std::vector<std::vector<Picture>> results(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round) {
        for (size_t i = 0; i < paths.size(); ++i) {
          const size_t k = (i + static_cast<size_t>(t) * 5) % paths.size();  // different orders
          Picture picture = LoadSourcePicture(paths[k]);
          if (round == 2) results[t].push_back(std::move(picture));
          int32_t w, h, s;
          ReadPictureInfo(paths[k], w, h, s);
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(results[t].size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
      const size_t k = (i + static_cast<size_t>(t) * 5) % paths.size();
      EXPECT_EQ(results[t][i], serial[k]) << paths[k];
    }
  }
}

}  // namespace
}  // namespace qg
