// Assembling FTP replies from control-connection bytes.
#include "net/FtpReply.h"

#include "core/Error.h"

namespace qg::net {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A line that carries a reply code: three digits, the first from 1 to 5, then a blank, a
// hyphen or the line's end.
bool HasCode(std::string_view line) {
  return line.size() >= 3 && line[0] >= '1' && line[0] <= '5' && IsDigit(line[1]) &&
         IsDigit(line[2]) && (line.size() == 3 || line[3] == ' ' || line[3] == '-');
}

std::string_view StripCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string Shorten(std::string_view text) {
  std::string out(text.substr(0, 80));
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return out;
}

}  // namespace

bool FtpReplyReader::Next(FtpReply& reply) {
  const size_t firstEnd = buffer_.find('\n');
  if (firstEnd == std::string::npos) {
    if (buffer_.size() > kMaxReplySize) throw Error("The FTP server sent an overlong reply");
    return false;
  }
  const std::string_view all(buffer_);
  const std::string_view first = StripCr(all.substr(0, firstEnd));
  if (!HasCode(first)) {
    throw Error("The FTP server sent a reply that FTP does not allow: '" + Shorten(first) + "'");
  }
  const std::string_view code = first.substr(0, 3);
  size_t end = firstEnd;  // position of the '\n' that ends the reply
  if (first.size() > 3 && first[3] == '-') {
    size_t lineStart = firstEnd + 1;
    for (;;) {
      const size_t lineEnd = buffer_.find('\n', lineStart);
      if (lineEnd == std::string::npos) {
        if (buffer_.size() > kMaxReplySize) throw Error("The FTP server sent an overlong reply");
        return false;
      }
      const std::string_view line = StripCr(all.substr(lineStart, lineEnd - lineStart));
      if (line.substr(0, 3) == code && (line.size() == 3 || line[3] == ' ')) {
        end = lineEnd;
        break;
      }
      lineStart = lineEnd + 1;
    }
  }
  reply.code = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
  reply.text.clear();
  size_t lineStart = 0;
  while (lineStart <= end) {
    const size_t lineEnd = buffer_.find('\n', lineStart);
    if (!reply.text.empty() || lineStart > 0) reply.text += '\n';
    reply.text += StripCr(all.substr(lineStart, lineEnd - lineStart));
    lineStart = lineEnd + 1;
  }
  buffer_.erase(0, end + 1);
  return true;
}

}  // namespace qg::net
