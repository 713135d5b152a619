#include "cli/errors.h"

#include <netdb.h>
#include <sys/socket.h>

#include "vorskel.h"

namespace vorskel::cli {

namespace {

int reply_timeout_ms = 6000;

std::string reply_timeout_text() {
  return reply_timeout_ms % 1000 == 0 ? std::to_string(reply_timeout_ms / 1000) + " s"
                                      : std::to_string(reply_timeout_ms) + " ms";
}

// The library's send failure covers an unresolvable host and a socket that is not open:
// resolving the name here tells the two apart.
bool resolves(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return false;
  ::freeaddrinfo(found);
  return true;
}

}  // namespace

void set_reply_timeout_ms(int milliseconds) {
  reply_timeout_ms = milliseconds;
}

void check(int result, const Target& target, const std::string& what) {
  switch (result) {
    case VORSKEL_OK:
      return;
    case VORSKEL_ERR_SEND:
      throw Failure(
          kExitSendFailed,
          what + ": " +
              (resolves(target.host)
                   ? "cannot send to " + target.text() + " (the command socket is not open)"
                   : "cannot resolve '" + target.host + "' to an IPv4 address"));
    case VORSKEL_ERR_NO_REPLY:
      throw Failure(kExitNoReply,
                    what + ": no reply from " + target.text() + " within " + reply_timeout_text());
    case VORSKEL_ERR_WRONG_CODE:
      throw Failure(kExitWrongReply, what + ": unexpected reply from " + target.text() +
                                         " (command code differs from the request's)");
    default:
      throw Failure(kExitRefused,
                    what + ": " + target.text() + " refused: status " + std::to_string(result));
  }
}

}  // namespace vorskel::cli
