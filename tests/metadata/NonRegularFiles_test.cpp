// The camera data reader treats a FIFO or a device named like a picture as no picture, at once.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "metadata/ExifReader.h"
#include "support/TempDir.h"

namespace qg {
namespace {

TEST(ExifSpecialFiles, AFifoIsNoPictureAndDoesNotBlock) {
  test::TempDir dir;
  const std::string fifo = dir.file("fifo.jpg");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TimgData data;
  EXPECT_FALSE(data.ReadPictureFile(fifo));
  EXPECT_EQ(data.fileSize, 0u);
}

}  // namespace
}  // namespace qg
