#include "codecs/Structure.h"

#include <algorithm>
#include <cctype>

namespace qg::codecs {

namespace {

uint32_t Le16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t Be16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool Short(std::string& problem, const char* format) {
  problem = std::string("Premature end of ") + format + " file";
  return false;
}

// GIF: header, screen descriptor and colour table, then extension blocks up to the first image
// descriptor and that image's data sub-blocks to their terminator.
bool CheckGif(const uint8_t* data, size_t size, std::string& problem) {
  if (size < 13) return Short(problem, "GIF");
  size_t at = 13;
  if (data[10] & 0x80) at += size_t{3} << ((data[10] & 7) + 1);
  auto skipSubBlocks = [&]() {
    for (;;) {
      if (at >= size) return false;
      const size_t length = data[at++];
      if (length == 0) return true;
      if (length > size - at) return false;
      at += length;
    }
  };
  for (;;) {
    if (at >= size) return Short(problem, "GIF");
    const uint8_t introducer = data[at++];
    if (introducer == 0x21) {  // extension: label, then sub-blocks
      if (at >= size) return Short(problem, "GIF");
      ++at;
      if (!skipSubBlocks()) return Short(problem, "GIF");
    } else if (introducer == 0x2C) {  // image descriptor, colour table, code size, data
      if (size - at < 9) return Short(problem, "GIF");
      const uint8_t flags = data[at + 8];
      at += 9;
      if (flags & 0x80) {
        const size_t table = size_t{3} << ((flags & 7) + 1);
        if (table > size - at) return Short(problem, "GIF");
        at += table;
      }
      if (at >= size) return Short(problem, "GIF");
      ++at;
      if (!skipSubBlocks()) return Short(problem, "GIF");
      return true;
    } else if (introducer == 0x3B) {
      problem = "the GIF file holds no picture";
      return false;
    } else {
      problem = "damaged GIF file (unknown block)";
      return false;
    }
  }
}

// Binary portable maps (P4, P5, P6): the header's numbers give the data length exactly.
bool CheckPnm(const uint8_t* data, size_t size, std::string& problem) {
  if (size < 2 || data[0] != 'P') return true;
  const char kind = static_cast<char>(data[1]);
  if (kind != '4' && kind != '5' && kind != '6') return true;  // ASCII maps, PAM: no fixed length
  size_t at = 2;
  uint64_t numbers[3] = {0, 0, 0};
  const int count = kind == '4' ? 2 : 3;
  for (int i = 0; i < count; ++i) {
    for (;;) {  // blanks and comments
      if (at >= size) return Short(problem, "PNM");
      if (data[at] == '#') {
        while (at < size && data[at] != '\n' && data[at] != '\r') ++at;
      } else if (std::isspace(data[at])) {
        ++at;
      } else {
        break;
      }
    }
    if (!std::isdigit(data[at])) {
      problem = "damaged PNM header";
      return false;
    }
    while (at < size && std::isdigit(data[at])) {
      numbers[i] = numbers[i] * 10 + static_cast<uint64_t>(data[at++] - '0');
      if (numbers[i] > 0xFFFFFFFFull) {
        problem = "damaged PNM header";
        return false;
      }
    }
  }
  if (at >= size) return Short(problem, "PNM");
  ++at;  // the one blank before the data
  const uint64_t width = numbers[0], height = numbers[1];
  uint64_t need = 0;
  if (kind == '4') {
    need = (width + 7) / 8 * height;
  } else {
    const uint64_t sampleBytes = numbers[2] > 255 ? 2 : 1;
    need = width * height * sampleBytes * (kind == '6' ? 3 : 1);
  }
  if (need > size - at) return Short(problem, "PNM");
  return true;
}

// Targa: raw pixels have a fixed length; run-length packets are walked to the last pixel.
bool CheckTga(const uint8_t* data, size_t size, std::string& problem) {
  if (size < 18) return Short(problem, "TGA");
  const unsigned type = data[2];
  const uint64_t pixelBytes = (data[16] + 7u) / 8;
  uint64_t at = 18 + uint64_t{data[0]};
  if (data[1] != 0) at += uint64_t{Le16(data + 5)} * ((data[7] + 7u) / 8);
  uint64_t pixels = uint64_t{Le16(data + 12)} * Le16(data + 14);
  if (at > size) return Short(problem, "TGA");
  if (type == 1 || type == 2 || type == 3) {
    if (pixels * pixelBytes > size - at) return Short(problem, "TGA");
    return true;
  }
  if (type != 9 && type != 10 && type != 11) return true;
  while (pixels > 0) {
    if (at >= size) return Short(problem, "TGA");
    const uint8_t packet = data[at++];
    const uint64_t run = (packet & 0x7F) + 1u;
    const uint64_t bytes = (packet & 0x80) ? pixelBytes : run * pixelBytes;
    if (bytes > size - at) return Short(problem, "TGA");
    at += bytes;
    pixels -= std::min(run, pixels);
  }
  return true;
}

// SGI: raw planes have a fixed length; run-length files start with a table of every row's
// offset and length, and each row must lie inside the file.
bool CheckSgi(const uint8_t* data, size_t size, std::string& problem) {
  if (size < 512) return Short(problem, "SGI");
  const unsigned storage = data[2], bytesPerChannel = data[3], dimension = Be16(data + 4);
  const uint64_t width = Be16(data + 6);
  const uint64_t height = dimension >= 2 ? Be16(data + 8) : 1;
  const uint64_t channels = dimension >= 3 ? Be16(data + 10) : 1;
  if (storage == 0) {
    if (width * height * channels * bytesPerChannel > size - 512) return Short(problem, "SGI");
    return true;
  }
  const uint64_t rows = height * channels;
  if (rows * 8 > size - 512) return Short(problem, "SGI");
  for (uint64_t i = 0; i < rows; ++i) {
    const uint64_t start = Be32(data + 512 + 4 * i);
    const uint64_t length = Be32(data + 512 + 4 * (rows + i));
    if (start > size || length > size - start) return Short(problem, "SGI");
  }
  return true;
}

// PCX: run-length rows, walked until every byte of every plane's rows is accounted for.
bool CheckPcx(const uint8_t* data, size_t size, std::string& problem) {
  if (size < 128) return Short(problem, "PCX");
  const uint64_t height = static_cast<uint64_t>(
      std::max(0, static_cast<int>(Le16(data + 10)) - static_cast<int>(Le16(data + 6)) + 1));
  uint64_t left = uint64_t{Le16(data + 66)} * data[65] * height;
  size_t at = 128;
  if (data[2] == 0) {
    if (left > size - at) return Short(problem, "PCX");
    return true;
  }
  while (left > 0) {
    if (at >= size) return Short(problem, "PCX");
    const uint8_t byte = data[at++];
    uint64_t run = 1;
    if ((byte & 0xC0) == 0xC0) {
      run = byte & 0x3F;
      if (at >= size) return Short(problem, "PCX");
      ++at;
    }
    left -= std::min(run, left);
  }
  return true;
}

}  // namespace

bool CheckPictureData(const std::string& coder, const uint8_t* data, size_t size,
                      std::string& problem) {
  if (coder == "GIF") return CheckGif(data, size, problem);
  if (coder == "PNM") return CheckPnm(data, size, problem);
  if (coder == "TGA") return CheckTga(data, size, problem);
  if (coder == "SGI") return CheckSgi(data, size, problem);
  if (coder == "PCX") return CheckPcx(data, size, problem);
  return true;
}

}  // namespace qg::codecs
