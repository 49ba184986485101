// Measures what adding pictures to the list costs: ReadPictureInfo over many large JPEGs, against
// baselines taken in the same run on the same files, with the file cache warm for all of them:
//   read       reading every file's bytes (the floor for any pass that checks the whole file);
//   info       ReadPictureInfo (frame header plus a structural pass to the end marker);
//   coeffs     libjpeg's jpeg_read_coefficients (entropy decoding without the IDCT), sampled;
//   decode     LoadSourcePicture, the full decode, sampled.
// Sampled passes run on a few files and are scaled to the full count. Each pass runs three
// times; the best time counts, since the machine is shared.
//
//   bench_add [--count N] FILE...    (the files are cycled until N have been measured)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "codecs/Decode.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double BestOfThree(F&& pass) {
  double best = 1e30;
  for (int round = 0; round < 3; ++round) {
    const auto start = Clock::now();
    pass();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

size_t ReadAll(const std::string& path, std::vector<char>& buffer) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(0, std::ios::end);
  buffer.resize(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  return buffer.size();
}

void ReadCoefficients(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) std::exit(1);
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_read_coefficients(&cinfo);
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
  int count = 500;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
      count = std::atoi(argv[++i]);
    } else {
      files.emplace_back(argv[i]);
    }
  }
  if (files.empty() || count <= 0) {
    std::fprintf(stderr, "usage: bench_add [--count N] FILE...\n");
    return 2;
  }
  auto file = [&](int i) -> const std::string& {
    return files[static_cast<size_t>(i) % files.size()];
  };

  // Warm the file cache for every file, and check that each one measures.
  std::vector<char> buffer;
  double megabytes = 0;
  for (const std::string& path : files) megabytes += ReadAll(path, buffer) / 1e6;
  int32_t width = 0, height = 0, bytes = 0;
  try {
    qg::ReadPictureInfo(files[0], width, height, bytes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_add: %s\n", e.what());
    return 1;
  }

  size_t sink = 0;
  const double read = BestOfThree([&] {
    for (int i = 0; i < count; ++i) sink += ReadAll(file(i), buffer);
  });
  const double info = BestOfThree([&] {
    for (int i = 0; i < count; ++i) {
      int32_t w, h, s;
      qg::ReadPictureInfo(file(i), w, h, s);
      sink += static_cast<size_t>(w);
    }
  });
  const int sample = std::min<int>(4, static_cast<int>(files.size()));
  const double coeffs = BestOfThree([&] {
                          for (int i = 0; i < sample; ++i) ReadCoefficients(file(i));
                        }) *
                        count / sample;
  const double decode = BestOfThree([&] {
                          for (int i = 0; i < sample; ++i)
                            sink += qg::LoadSourcePicture(file(i)).pixels.size();
                        }) *
                        count / sample;

  std::printf("files: %d (cycling %zu distinct), %dx%d, %.1f MB on average\n", count, files.size(),
              width, height, megabytes / static_cast<double>(files.size()));
  std::printf("read bytes (floor)       %7.2f s\n", read);
  std::printf("ReadPictureInfo          %7.2f s   %.2fx the read floor\n", info, info / read);
  std::printf("coefficient pass (est.)  %7.2f s   %.1fx ReadPictureInfo\n", coeffs, coeffs / info);
  std::printf("full decode (est.)       %7.2f s   %.1fx ReadPictureInfo\n", decode, decode / info);
  return sink == 0 ? 1 : 0;
}
