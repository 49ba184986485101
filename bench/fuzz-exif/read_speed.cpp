// Reading camera data must not cost the whole picture file: this driver writes a 20 MB JPEG
// (an Exif section from a real-looking camera, then image data) and prints the time of one
// camera data reading against the baseline of reading the whole file once, in the same run.
//   build/bin/bench_exif_read [MEGABYTES]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "metadata/CameraData.h"
#include "metadata/ExifReader.h"

namespace {

// A little-endian Exif block: IFD0 with make, model and the Exif directory link; the Exif
// directory with exposure time, F-number and ISO.
std::string ExifPayload() {
  auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  auto u32 = [&](uint32_t v) { return u16(uint16_t(v)) + u16(uint16_t(v >> 16)); };
  std::string t = "II" + u16(42) + u32(8);
  // IFD0 at 8: 3 entries, so its values start at 8 + 2 + 36 + 4 = 50.
  t += u16(3);
  t += u16(0x010F) + u16(2) + u32(5) + u32(50);
  t += u16(0x0110) + u16(2) + u32(8) + u32(56);
  t += u16(0x8769) + u16(4) + u32(1) + u32(64);
  t += u32(0);
  t += std::string("ACME\0\0", 6) + std::string("ACME Z1\0", 8);  // 50..63
  // Exif directory at 64: 3 entries -> values from 64 + 2 + 36 + 4 = 106.
  t += u16(3);
  t += u16(0x829A) + u16(5) + u32(1) + u32(106);
  t += u16(0x829D) + u16(5) + u32(1) + u32(114);
  t += u16(0x8827) + u16(3) + u32(1) + u32(100);
  t += u32(0);
  t += u32(1) + u32(125) + u32(28) + u32(10);
  return std::string("Exif\0\0", 6) + t;
}

double Microseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
  const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20;
  char path[] = "/tmp/qg-exif-bench-XXXXXX.jpg";
  const int fd = mkstemps(path, 4);
  if (fd < 0) return 1;
  close(fd);
  {
    const std::string exif = ExifPayload();
    std::string head = "\xFF\xD8\xFF\xE1";
    head += char((exif.size() + 2) >> 8);
    head += char((exif.size() + 2) & 0xFF);
    head += exif;
    head += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    std::ofstream out(path, std::ios::binary);
    out << head;
    const std::string block(1 << 20, '\x5A');
    for (size_t i = 0; i < megabytes; ++i) out << block;
    out << "\xFF\xD9";
  }

  // Baseline: the whole file read once (warm cache after the first pass).
  auto wholeRead = [&] {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.size();
  };
  wholeRead();
  const auto b0 = std::chrono::steady_clock::now();
  size_t wholeBytes = 0;
  for (int i = 0; i < 5; ++i) wholeBytes = wholeRead();
  const double wholeUs = Microseconds(std::chrono::steady_clock::now() - b0) / 5;

  const int rounds = 2000;
  uint64_t exifBytes = 0;
  std::string summary;
  const auto e0 = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) {
    qg::TimgData data;
    data.ReadPictureFile(path);
    exifBytes = data.bytesRead();
    summary = qg::CameraDataSummary(data);
  }
  const double exifUs = Microseconds(std::chrono::steady_clock::now() - e0) / rounds;
  std::remove(path);

  std::printf("file: %zu bytes\n", wholeBytes);
  std::printf("baseline, whole file read:      %10.1f us\n", wholeUs);
  std::printf("camera data read and summary:   %10.1f us  (%llu bytes read)\n", exifUs,
              static_cast<unsigned long long>(exifBytes));
  std::printf("ratio camera data / baseline:   %10.5f\n", exifUs / wholeUs);
  return summary.find("ACME (ACME Z1)") == std::string::npos ? 1 : 0;
}
