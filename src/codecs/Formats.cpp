// The accepted extensions, their default decoders and the signatures that override them.
//
// Extension -> decoder (GraphicsMagick coder names in capitals):
//   jpg jpe jpeg jfif      libjpeg (our reader)
//   bmp dib                BMP
//   rle                    BMP: a run-length compressed Windows bitmap (a Utah RLE file is
//                          recognised by its signature and goes to GraphicsMagick's RLE coder)
//   ico                    ICO (first icon of the file)
//   wmf                    WMF (rendered through libwmf)
//   emf                    none: no decoder for enhanced metafiles on this system
//   gif                    GIF (first frame)
//   png                    libpng (our reader)
//   tga vst vda icb win    TGA (Truevision Targa under its various extensions)
//   tif tiff               TIFF (first page)
//   fax                    FAX (raw Group 3); a TIFF fax file is recognised by its signature
//   eps                    EPS, or EPT for DOS EPS files with a binary header; both need the
//                          Ghostscript interpreter, without it the message says so
//   pcx pcc scr            PCX (ZSoft Paintbrush, PC Paintbrush screen captures)
//   sgi rgb rgba bw        SGI (Silicon Graphics image; the raw RGB coder is never used)
//   rla rpf                RLA (Alias/Wavefront)
//   psd pdd                our reader of Photoshop's merged picture (GraphicsMagick here has
//                          no PSD coder)
//   ppm pgm pbm            PNM
//   cel pic                our reader of 8-bit Animator CEL/PIC pictures
//   pcd                    PCD (Kodak Photo CD, base resolution)
//   cut                    CUT (DR Halo)
//   psp                    none: no decoder for Paint Shop Pro files on this system
//
// Every coder is named explicitly when the picture is read, so GraphicsMagick never guesses a
// format from content on its own (which would let a renamed script or vector file reach coders
// that this program does not offer).
#include "codecs/Formats.h"

#include <array>
#include <cstring>

#include "codecs/Decode.h"
#include "core/Error.h"
#include "core/Text.h"

namespace qg {

namespace {

struct ExtensionEntry {
  const char* extension;
  codecs::Decoder decoder;
  const char* coder;  // GraphicsMagick coder, or for Decoder::None the format's name
};

using codecs::Decoder;

// In the order the picture-open dialog lists them.
constexpr std::array kExtensions = {
    ExtensionEntry{"bmp", Decoder::Magick, "BMP"},
    ExtensionEntry{"rle", Decoder::Magick, "BMP"},
    ExtensionEntry{"dib", Decoder::Magick, "BMP"},
    ExtensionEntry{"ico", Decoder::Magick, "ICO"},
    ExtensionEntry{"wmf", Decoder::Magick, "WMF"},
    ExtensionEntry{"emf", Decoder::None, "Enhanced Metafile"},
    ExtensionEntry{"jpg", Decoder::Jpeg, ""},
    ExtensionEntry{"jpe", Decoder::Jpeg, ""},
    ExtensionEntry{"jpeg", Decoder::Jpeg, ""},
    ExtensionEntry{"jfif", Decoder::Jpeg, ""},
    ExtensionEntry{"gif", Decoder::Magick, "GIF"},
    ExtensionEntry{"png", Decoder::Png, "PNG"},
    ExtensionEntry{"tga", Decoder::Magick, "TGA"},
    ExtensionEntry{"vst", Decoder::Magick, "TGA"},
    ExtensionEntry{"vda", Decoder::Magick, "TGA"},
    ExtensionEntry{"icb", Decoder::Magick, "TGA"},
    ExtensionEntry{"win", Decoder::Magick, "TGA"},
    ExtensionEntry{"tif", Decoder::Magick, "TIFF"},
    ExtensionEntry{"tiff", Decoder::Magick, "TIFF"},
    ExtensionEntry{"fax", Decoder::Magick, "FAX"},
    ExtensionEntry{"eps", Decoder::Magick, "EPS"},
    ExtensionEntry{"pcx", Decoder::Magick, "PCX"},
    ExtensionEntry{"pcc", Decoder::Magick, "PCX"},
    ExtensionEntry{"scr", Decoder::Magick, "PCX"},
    ExtensionEntry{"sgi", Decoder::Magick, "SGI"},
    ExtensionEntry{"rgb", Decoder::Magick, "SGI"},
    ExtensionEntry{"rgba", Decoder::Magick, "SGI"},
    ExtensionEntry{"bw", Decoder::Magick, "SGI"},
    ExtensionEntry{"rla", Decoder::Magick, "RLA"},
    ExtensionEntry{"rpf", Decoder::Magick, "RLA"},
    ExtensionEntry{"psd", Decoder::Psd, ""},
    ExtensionEntry{"pdd", Decoder::Psd, ""},
    ExtensionEntry{"ppm", Decoder::Magick, "PNM"},
    ExtensionEntry{"pgm", Decoder::Magick, "PNM"},
    ExtensionEntry{"pbm", Decoder::Magick, "PNM"},
    ExtensionEntry{"cel", Decoder::Animator, ""},
    ExtensionEntry{"pic", Decoder::Animator, ""},
    ExtensionEntry{"pcd", Decoder::Magick, "PCD"},
    ExtensionEntry{"cut", Decoder::Magick, "CUT"},
    ExtensionEntry{"psp", Decoder::None, "Paint Shop Pro"},
};

const ExtensionEntry* FindEntry(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  const std::string lower = AsciiLower(extension);
  for (const auto& entry : kExtensions) {
    if (lower == entry.extension) return &entry;
  }
  return nullptr;
}

bool StartsWith(const uint8_t* head, size_t length, const void* signature, size_t size,
                size_t offset = 0) {
  return length >= offset + size && std::memcmp(head + offset, signature, size) == 0;
}

bool IsPnmSignature(const uint8_t* head, size_t length) {
  if (length < 3 || head[0] != 'P' || head[1] < '1' || head[1] > '7') return false;
  const uint8_t c = head[2];
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#';
}

}  // namespace

const std::vector<std::string>& AcceptedExtensions() {
  static const std::vector<std::string> list = [] {
    std::vector<std::string> out;
    for (const auto& entry : kExtensions) out.emplace_back(entry.extension);
    return out;
  }();
  return list;
}

bool IsAcceptedExtension(std::string_view extension) { return FindEntry(extension) != nullptr; }

namespace codecs {

Route RouteForExtension(const std::string& extension) {
  const ExtensionEntry* entry = FindEntry(extension);
  if (entry == nullptr)
    throw Error(Format("Unknown picture file extension (.%s)", extension.c_str()));
  return Route{entry->decoder, entry->coder};
}

Route ChooseRoute(const std::string& extension, const uint8_t* head, size_t length) {
  Route byExtension = RouteForExtension(extension);

  // Signatures distinctive enough to trust over the name. Weak ones (PCX's first byte, the
  // zeros that open an icon, Targa's lack of any) are left to the extension.
  static constexpr uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
  static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  static constexpr uint8_t kTiffLE[] = {'I', 'I', 42, 0};
  static constexpr uint8_t kTiffBE[] = {'M', 'M', 0, 42};
  static constexpr uint8_t kSgi[] = {0x01, 0xDA};
  static constexpr uint8_t kUtahRle[] = {0x52, 0xCC};
  static constexpr uint8_t kPlaceableWmf[] = {0xD7, 0xCD, 0xC6, 0x9A};
  static constexpr uint8_t kDosEps[] = {0xC5, 0xD0, 0xD3, 0xC6};
  static constexpr uint8_t kAnimator[] = {0x19, 0x91};

  if (StartsWith(head, length, kJpeg, sizeof kJpeg)) return {Decoder::Jpeg, ""};
  if (StartsWith(head, length, kPng, sizeof kPng)) return {Decoder::Png, "PNG"};
  if (StartsWith(head, length, "GIF87a", 6) || StartsWith(head, length, "GIF89a", 6)) {
    return {Decoder::Magick, "GIF"};
  }
  if (StartsWith(head, length, kTiffLE, 4) || StartsWith(head, length, kTiffBE, 4)) {
    return {Decoder::Magick, "TIFF"};
  }
  if (StartsWith(head, length, "8BPS", 4)) return {Decoder::Psd, ""};
  if (StartsWith(head, length, kPlaceableWmf, 4)) return {Decoder::Magick, "WMF"};
  if (StartsWith(head, length, "Paint Shop Pro Image File", 25)) {
    return {Decoder::None, "Paint Shop Pro"};
  }
  if (StartsWith(head, length, " EMF", 4, 40)) return {Decoder::None, "Enhanced Metafile"};
  if (StartsWith(head, length, "PCD_OPA", 7) || StartsWith(head, length, "PCD_IPI", 7, 2048)) {
    return {Decoder::Magick, "PCD"};
  }
  // PostScript is a program; it only reaches the interpreter under the one extension that
  // promises it.
  if (AsciiLower(extension) == "eps") {
    if (StartsWith(head, length, kDosEps, 4)) return {Decoder::Magick, "EPT"};
    if (StartsWith(head, length, "%!PS", 4)) return {Decoder::Magick, "EPS"};
  }
  // Two-byte signatures: still far more likely to be what they say than a chance match.
  if (StartsWith(head, length, "BM", 2)) return {Decoder::Magick, "BMP"};
  if (StartsWith(head, length, kSgi, 2)) return {Decoder::Magick, "SGI"};
  if (StartsWith(head, length, kUtahRle, 2)) return {Decoder::Magick, "RLE"};
  if (StartsWith(head, length, kAnimator, 2)) return {Decoder::Animator, ""};
  if (IsPnmSignature(head, length)) return {Decoder::Magick, "PNM"};
  return byExtension;
}

Error CannotRead(const std::string& path, const std::string& reason) {
  return Error(Format("Cannot read picture \"%s\": %s", path.c_str(), reason.c_str()));
}

void CheckPictureSize(const std::string& path, int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) throw CannotRead(path, "the picture has no pixels");
  if (width > kMaxPixels / height) {
    throw CannotRead(path, Format("the picture is too large to decode (%lld x %lld pixels)",
                                  static_cast<long long>(width), static_cast<long long>(height)));
  }
}

}  // namespace codecs
}  // namespace qg
