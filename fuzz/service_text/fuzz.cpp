// Text that comes from servers we do not control: FTP control-connection replies and the
// hosting service's status and connection pages. Each input goes through all three readers;
// none may crash, read out of bounds or loop, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Error.h"
#include "net/FtpReply.h"
#include "publish/ServiceHandshake.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  // Replies fed in two pieces, split where the first byte says, as they may arrive.
  qg::net::FtpReplyReader reader;
  const size_t split = size == 0 ? 0 : data[0] % (size + 1);
  try {
    qg::net::FtpReply reply;
    reader.Feed(std::string_view(text).substr(0, split));
    while (reader.Next(reply)) {
    }
    reader.Feed(std::string_view(text).substr(split));
    while (reader.Next(reply)) {
      if (reply.code < 100 || reply.code > 599) __builtin_trap();
    }
  } catch (const qg::Error&) {
    // A clear refusal is the wanted outcome for bytes that are no reply.
  }

  const qg::ServiceStatus status = qg::ParseServiceStatus(text);
  if (status.message.size() > 255) __builtin_trap();

  std::string host, user, password;
  qg::ApplyServiceConnection(text, host, user, password);
  if (host.size() > 255 || user.size() > 255 || password.size() > 6) __builtin_trap();
  return 0;
}
