// Files we are handed may be anything: a FIFO must not hang the reader, a device must not feed
// it for ever, and a file beyond its kind's cap must be refused before it is read.
#include "core/FileRead.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempDir.h"

namespace qg {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(ReadWholeFile, ReadsEveryByteUpToTheCap) {
  TempDir dir;
  const std::string bytes("a\0b\r\n", 5);
  WriteFile(dir.file("f"), bytes);
  EXPECT_EQ(ReadWholeFile(dir.file("f"), kTextFileCap), bytes);
  EXPECT_EQ(ReadWholeFile(dir.file("f"), 5), bytes);  // exactly the cap is fine
  WriteFile(dir.file("empty"), "");
  EXPECT_EQ(ReadWholeFile(dir.file("empty"), 0), "");
}

struct Refusal {
  const char* name;
  std::string (*make)(const TempDir& dir);  // returns the path to read
  uint64_t cap;
  FileReadProblem problem;
  const char* reason;
};

const Refusal kRefusals[] = {
    {"missing", [](const TempDir& d) { return d.file("missing"); }, kTextFileCap,
     FileReadProblem::Missing, "No such file or directory"},
    {"missing folder", [](const TempDir& d) { return d.file("none/f"); }, kTextFileCap,
     FileReadProblem::Missing, "No such file or directory"},
    {"folder", [](const TempDir& d) { return d.path().string(); }, kTextFileCap,
     FileReadProblem::NotRegularFile, "Is a directory"},
    {"fifo",
     [](const TempDir& d) {
       const std::string path = d.file("fifo");
       EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
       return path;
     },
     kTextFileCap, FileReadProblem::NotRegularFile, "not a regular file"},
    {"endless device", [](const TempDir&) { return std::string("/dev/zero"); }, kPictureFileCap,
     FileReadProblem::NotRegularFile, "not a regular file"},
    {"one byte over",
     [](const TempDir& d) {
       WriteFile(d.file("big"), std::string(1025, 'x'));
       return d.file("big");
     },
     1024, FileReadProblem::TooLarge, "the file is larger than 1024 bytes"},
    {"over the text cap",
     [](const TempDir& d) {
       const std::string path = d.file("sparse");
       std::filesystem::resize_file((WriteFile(path, ""), path), kTextFileCap + 1);
       return path;
     },
     kTextFileCap, FileReadProblem::TooLarge, "the file is larger than 8 MB"},
};

TEST(ReadWholeFile, RefusesWhatIsNotARegularFileOfSensibleSize) {
  for (const Refusal& r : kRefusals) {
    SCOPED_TRACE(r.name);
    TempDir dir;
    const std::string path = r.make(dir);
    try {
      ReadWholeFile(path, r.cap);
      ADD_FAILURE() << "read";
    } catch (const FileReadError& e) {
      EXPECT_EQ(e.problem(), r.problem);
      EXPECT_EQ(e.reason(), r.reason);
      EXPECT_EQ(std::string(e.what()), "Cannot read \"" + path + "\": " + r.reason);
    }
    EXPECT_THROW(OpenRegularFileForReading(path, r.cap), FileReadError);
  }
}

TEST(OpenRegularFileForReading, GivesABlockingDescriptorOfTheFile) {
  TempDir dir;
  WriteFile(dir.file("f"), "hello");
  ReadableFile file = OpenRegularFileForReading(dir.file("f"));
  EXPECT_EQ(file.size(), 5u);
  char buffer[8] = {};
  EXPECT_EQ(::read(file.fd(), buffer, sizeof buffer), 5);
  EXPECT_STREQ(buffer, "hello");
  const int fd = file.Release();
  EXPECT_EQ(file.fd(), -1);
  EXPECT_EQ(::close(fd), 0);  // released, so not closed twice
}

}  // namespace
}  // namespace qg
