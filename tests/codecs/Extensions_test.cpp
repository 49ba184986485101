// The accepted extension list, the unknown-extension message and the errors that come before any
// decoding (missing, empty or unreadable files, formats without a decoder here).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "TestPictures.h"
#include "codecs/Decode.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace qg {
namespace {

using test::TempDir;
using test::WriteFile;

std::string LoadError(const std::string& path) {
  try {
    LoadSourcePicture(path);
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

std::string InfoError(const std::string& path) {
  int32_t w = -1, h = -1, size = -1;
  try {
    ReadPictureInfo(path, w, h, size);
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(AcceptedExtensions, ListsEveryExtensionInDialogOrder) {
  const std::vector<std::string> expected = {
      "bmp", "rle", "dib", "ico", "wmf", "emf", "jpg",  "jpe", "jpeg", "jfif",
      "gif", "png", "tga", "vst", "vda", "icb", "win",  "tif", "tiff", "fax",
      "eps", "pcx", "pcc", "scr", "sgi", "rgb", "rgba", "bw",  "rla",  "rpf",
      "psd", "pdd", "ppm", "pgm", "pbm", "cel", "pic",  "pcd", "cut",  "psp"};
  EXPECT_EQ(AcceptedExtensions(), expected);
}

TEST(AcceptedExtensions, MatchIgnoresCaseAndLeadingDot) {
  EXPECT_TRUE(IsAcceptedExtension("jpg"));
  EXPECT_TRUE(IsAcceptedExtension(".JPG"));
  EXPECT_TRUE(IsAcceptedExtension("Tiff"));
  EXPECT_TRUE(IsAcceptedExtension(".rGbA"));
  EXPECT_FALSE(IsAcceptedExtension(""));
  EXPECT_FALSE(IsAcceptedExtension("."));
  EXPECT_FALSE(IsAcceptedExtension("webp"));
  EXPECT_FALSE(IsAcceptedExtension("jpgx"));
  EXPECT_FALSE(IsAcceptedExtension("..jpg"));
}

TEST(UnknownExtension, MessageNamesTheExtensionAsWritten) {
  TempDir dir;
  const std::string webp = dir.file("photo.webp");
  WriteFile(webp, "RIFF....WEBP");
  EXPECT_EQ(LoadError(webp), "Unknown picture file extension (.webp)");
  EXPECT_EQ(InfoError(webp), "Unknown picture file extension (.webp)");
  EXPECT_EQ(LoadError(dir.file("PHOTO.XYZ")), "Unknown picture file extension (.XYZ)");
}

TEST(UnknownExtension, ComesBeforeLookingAtTheFile) {
  // A missing file with an unknown extension reports the extension, not the missing file.
  EXPECT_EQ(LoadError("/no/such/folder/picture.doc"), "Unknown picture file extension (.doc)");
  // No extension at all, also when a folder name has a dot.
  EXPECT_EQ(LoadError("/no/such/folder/README"), "Unknown picture file extension (.)");
  EXPECT_EQ(LoadError("/no/such.folder/README"), "Unknown picture file extension (.)");
  EXPECT_EQ(LoadError("/no/such/folder/archive.tar.gz"), "Unknown picture file extension (.gz)");
}

TEST(UnreadableFile, MessagesNameTheFileAndTheReason) {
  TempDir dir;
  const std::string missing = dir.file("missing.jpg");
  EXPECT_EQ(LoadError(missing),
            "Cannot read picture \"" + missing + "\": No such file or directory");
  EXPECT_EQ(InfoError(missing),
            "Cannot read picture \"" + missing + "\": No such file or directory");

  const std::string folder = dir.file("folder.png");
  std::filesystem::create_directory(folder);
  EXPECT_EQ(LoadError(folder), "Cannot read picture \"" + folder + "\": Is a directory");

  const std::string fifo = dir.file("pipe.jpg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(LoadError(fifo), "Cannot read picture \"" + fifo + "\": not a regular file");

  for (const char* name : {"empty.jpg", "empty.png", "empty.tga", "empty.cel"}) {
    const std::string empty = dir.file(name);
    WriteFile(empty, "");
    EXPECT_EQ(LoadError(empty), "Cannot read picture \"" + empty + "\": the file is empty");
    EXPECT_EQ(InfoError(empty), "Cannot read picture \"" + empty + "\": the file is empty");
  }
}

TEST(UnreadableFile, NoPermissionIsReported) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TempDir dir;
  const std::string locked = dir.file("locked.png");
  WriteFile(locked, "x");
  chmod(locked.c_str(), 0);
  EXPECT_EQ(LoadError(locked), "Cannot read picture \"" + locked + "\": Permission denied");
}

TEST(NoDecoder, AcceptedFormatsWithoutADecoderFailWithAClearMessage) {
  TempDir dir;
  // An enhanced metafile: EMR_HEADER with the " EMF" signature at offset 40.
  std::string emf(88, '\0');
  emf[0] = 1;
  emf.replace(40, 4, " EMF");
  WriteFile(dir.file("drawing.emf"), emf);
  EXPECT_EQ(LoadError(dir.file("drawing.emf")),
            "Cannot read picture \"" + dir.file("drawing.emf") +
                "\": Enhanced Metafile pictures cannot be decoded on this system");

  WriteFile(dir.file("layers.psp"), "Paint Shop Pro Image File\n\x1a" + std::string(40, '\0'));
  EXPECT_EQ(InfoError(dir.file("layers.psp")),
            "Cannot read picture \"" + dir.file("layers.psp") +
                "\": Paint Shop Pro pictures cannot be decoded on this system");
}

TEST(NoDecoder, PostScriptWithoutGhostscriptSaysWhatIsMissing) {
  if (test::RunCommand("command -v gs >/dev/null 2>&1") == 0) {
    GTEST_SKIP() << "Ghostscript is installed here";
  }
  TempDir dir;
  const std::string eps = dir.file("figure.eps");
  WriteFile(eps, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n");
  EXPECT_EQ(LoadError(eps),
            "Cannot read picture \"" + eps +
                "\": EPS pictures need the Ghostscript interpreter (gs), which is not installed");
}

TEST(NoDecoder, PostScriptUnderAnotherExtensionNeverReachesTheInterpreter) {
  TempDir dir;
  const std::string png = dir.file("figure.png");
  WriteFile(png, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n");
  const std::string message = LoadError(png);
  EXPECT_EQ(message.rfind("Cannot read picture \"" + png + "\": ", 0), 0u) << message;
  EXPECT_EQ(message.find("Ghostscript"), std::string::npos) << message;
}

}  // namespace
}  // namespace qg
