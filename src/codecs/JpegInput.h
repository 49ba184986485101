// Streaming JPEG input for the picture pipeline: decodes a JPEG source with libjpeg a block of
// rows at a time and hands the rows on (to the resampler), so the full-size picture is never held
// in memory.
// It covers the common case only (a three-component JPEG that libjpeg decodes without a single
// warning) with exactly the calls and parameters of the codecs' JPEG decoder, so its rows are
// LoadSourcePicture's rows. Everything else (other formats, grayscale or CMYK JPEGs, damaged
// files, files that cannot be read) is left to LoadSourcePicture, whose pixels and messages
// then apply.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qg {

class JpegRowSource {
 public:
  // Reads the file and its header. Returns null when the streaming path does not apply; never
  // throws for the file's content.
  static std::unique_ptr<JpegRowSource> Open(const std::string& path);
  ~JpegRowSource();
  JpegRowSource(const JpegRowSource&) = delete;
  JpegRowSource& operator=(const JpegRowSource&) = delete;

  int width() const;
  int height() const;
  // The most memory the decode takes, from the header: row buffers, and for a progressive file
  // the coefficients of the whole picture. Nothing that large is taken before Stream().
  uint64_t decodeBytes() const;
  // Rows handed to the sink at a time (fewer in the last block).
  static constexpr int kBlockRows = 8;

  // Decodes every row, handing each block of rows (width() * 3 bytes each) to `sink`, which may
  // throw to stop. False when libjpeg reported a warning or an error on the way; the sink has
  // then seen only part of the picture and the caller starts over the general way.
  using RowSink = std::function<void(const uint8_t* const* rows, int count)>;
  bool Stream(const RowSink& sink);

 private:
  struct State;
  explicit JpegRowSource(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace qg
