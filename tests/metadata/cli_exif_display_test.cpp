// quillon-cli exif on a picture whose camera texts carry terminal controls: the texts are
// shown, the controls are not. The reader already shows C0 controls in texts as "."; C1
// controls (here the CSI U+009B with its parameters) and DEL are the command line's to remove.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ExifBuilder.h"
#include "support/TempDir.h"

namespace qg {
namespace {

std::string Output(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  *status = pclose(pipe);
  return out;
}

TEST(ExifCommandLine, CameraTextsCannotSteerTheTerminal) {
  const std::string cli = std::string(QG_BIN_DIR) + "/quillon-cli";
  if (!std::filesystem::exists(cli)) GTEST_SKIP() << "quillon-cli is not built";
  test::TempDir dir;
  const std::string path = dir.file("hostile.jpg");
  test::TiffBuilder tiff;
  tiff.Ascii(0, 0x010F, "ACME\x1B]0;pwned\x07\x1B[2J\x1B[H")
      .Ascii(0, 0x0110,
             "Z1\xC2\x9B"
             "31m\r\x7F!");
  test::WriteFile(path, test::JpegFile({{test::kApp1, test::ExifPayload(tiff.Build())}}));

  int status = -1;
  const std::string summary = Output("'" + cli + "' exif '" + path + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(summary.find("\nMake (Model): ACME.]0;pwned..[2J.[H (Z1.!)\n"), std::string::npos)
      << summary;

  const std::string tags = Output("'" + cli + "' exif '" + path + "' --tags", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(tags, "Make\tACME.]0;pwned..[2J.[H\nModel\tZ1.!\n");

  for (const std::string& text : {summary, tags}) {
    EXPECT_EQ(text.find_first_of("\x1B\x07\r\x7F"), std::string::npos) << text;
    EXPECT_EQ(text.find("\xC2\x9B"), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace qg
