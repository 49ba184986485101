// Driver of bench/imaging/run.sh: for every photograph given, makes the thumbnail (default
// options, shadow on) and the 640-wide display image with shadow from one decode, on one thread,
// as a gallery build does. The pictures' sizes are read first, as the picture list holds them.
// Prints wall and processor times and the peak resident memory.
//   imaging_bench OUTDIR PHOTO...
//   imaging_bench --size PHOTO     prints the bytes of the decoded picture
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "codecs/Decode.h"
#include "gallery/SideStyle.h"
#include "imaging/Pipeline.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "--size") {
    std::printf("%zu\n", qg::LoadSourcePicture(args[1]).pixels.size());
    return 0;
  }
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: imaging_bench OUTDIR PHOTO... | --size PHOTO\n");
    return 2;
  }
  const std::string outDir = args[0];
  const qg::GalleryOptions options;  // thumbnails 120 wide with shadow, display images 640 wide
  const qg::ImageStyle thumbStyle = qg::SideStyle(options, qg::Side::Thumb);
  qg::ImageStyle imageStyle = qg::SideStyle(options, qg::Side::Image);
  imageStyle.shadow = true;
  try {
    std::vector<std::string> sizeTexts;
    for (size_t i = 1; i < args.size(); ++i) {
      int32_t w = 0, h = 0, bytes = 0;
      qg::ReadPictureInfo(args[i], w, h, bytes);
      sizeTexts.push_back(std::to_string(w) + " x " + std::to_string(h));
    }
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    for (size_t i = 1; i < args.size(); ++i) {
      const qg::TargetSize thumb = qg::SideTargetSize(sizeTexts[i - 1], options, qg::Side::Thumb);
      const qg::TargetSize image = qg::SideTargetSize(sizeTexts[i - 1], options, qg::Side::Image);
      std::vector<qg::Picture> resized = qg::ResampleSourceFile(args[i], [&](int, int) {
        return std::vector{thumb, image};
      });
      qg::SaveResampledSide(std::move(resized[0]), outDir + "/tn_" + std::to_string(i) + ".jpg",
                            thumbStyle, qg::Side::Thumb);
      qg::SaveResampledSide(std::move(resized[1]), outDir + "/" + std::to_string(i) + ".jpg",
                            imageStyle, qg::Side::Image);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuStart;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("pictures %zu wall %.3f cpu %.3f peak_kb %ld\n", args.size() - 1, wall, cpu,
                usage.ru_maxrss);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "imaging_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
