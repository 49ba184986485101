// Replies on an FTP control connection, assembled from received bytes as RFC 959 defines them:
// a single line "ddd text", or a multi-line reply that opens with "ddd-" and ends at the first
// later line that begins with the same code and a blank.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qg::net {

struct FtpReply {
  int code = 0;
  // Every line of the reply as the server sent it, without line ends, joined by "\n". This is
  // the text that errors carry.
  std::string text;

  bool IsPreliminary() const { return code >= 100 && code < 200; }
  bool IsCompletion() const { return code >= 200 && code < 300; }
};

class FtpReplyReader {
 public:
  // A reply that grows past this without ending is not from an FTP server.
  static constexpr size_t kMaxReplySize = 64 * 1024;

  void Feed(std::string_view bytes) { buffer_.append(bytes); }
  // Takes the next complete reply out of the bytes fed so far; false when it is not complete
  // yet. Throws qg::Error when the bytes cannot be an FTP reply.
  bool Next(FtpReply& reply);
  bool HasPendingBytes() const { return !buffer_.empty(); }

 private:
  std::string buffer_;
};

}  // namespace qg::net
