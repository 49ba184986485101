// A FIFO or a device under a picture's name must end with a message naming it, at once, when
// the picture is measured for the list and when it is decoded.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "codecs/Decode.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace qg {
namespace {

TEST(SpecialFiles, AreRefusedWithAMessageNamingThem) {
  test::TempDir dir;
  const std::string fifo = dir.file("fifo.jpg");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string device = "/dev/zero";  // no accepted extension: refused before opening
  const std::function<void(const std::string&)> readers[] = {
      [](const std::string& path) { LoadSourcePicture(path); },
      [](const std::string& path) {
        int32_t width, height, size;
        ReadPictureInfo(path, width, height, size);
      },
  };
  for (const auto& read : readers) {
    try {
      read(fifo);
      ADD_FAILURE() << "read a FIFO";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot read picture \"" + fifo + "\": not a regular file");
    }
    EXPECT_THROW(read(device), Error);
  }
}

}  // namespace
}  // namespace qg
