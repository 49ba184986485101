// Pictures, files and waiting for the picture-view and upload tests: JPEG files written with the
// project's own encoder, an Exif JPEG made with exiv2, a stand-in built gallery, and an event loop
// run until a condition holds.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "codecs/JpegOutput.h"
#include "core/Picture.h"
#include "imaging/Pipeline.h"

namespace qg::app::test {

// Diagonal colour bands, so a turned or distorted picture differs from the original.
inline qg::Picture BandPicture(int width, int height) {
  qg::Picture p(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* px = p.at(x, y);
      px[0] = static_cast<uint8_t>((x * 255) / (width > 1 ? width - 1 : 1));
      px[1] = static_cast<uint8_t>((y * 255) / (height > 1 ? height - 1 : 1));
      px[2] = static_cast<uint8_t>(((x + y) / 8 % 2) * 200);
    }
  return p;
}

inline void WriteJpeg(const std::string& path, int width, int height) {
  qg::SaveAsJpeg(BandPicture(width, height), path, 90, false);
}

inline bool HaveExiv2() { return std::system("exiv2 --version >/dev/null 2>&1") == 0; }

// Adds camera data with exiv2; `sets` are exiv2 modify commands ("set Exif.Image.Make ACME").
inline bool AddExif(const std::string& path, std::initializer_list<std::string> sets) {
  std::string command = "exiv2";
  for (const std::string& s : sets) command += " -M'" + s + "'";
  command += " '" + path + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Processes events until `done` holds or `timeoutMs` passes; returns whether it holds.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

// A stand-in for a built gallery: each of `entries` (relative to `folder`, sub-folders made as
// needed) holding "content of <entry>".
inline void WriteGalleryFiles(const std::string& folder, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    const std::filesystem::path path = std::filesystem::path(folder) / entry;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << "content of " << entry;
  }
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace qg::app::test
