#include "multidoor/echo_check.h"

#include <algorithm>
#include <cstring>

namespace vorskel::multidoor {

EchoCheck::EchoCheck(const Frame& request, int n) : n_(std::clamp(n, 0, kMaxPayload)) {
  request.get_bytes(0, sent_.data(), n_);
}

bool EchoCheck::matches(const Frame& reply) const {
  // A reply cut short holds fewer bytes than were sent: the rest of the frame still holds the
  // request, which would compare equal to itself and confirm what the controller never echoed.
  if (reply.received_payload() < n_) return false;
  return std::memcmp(reply.payload(), sent_.data(), static_cast<std::size_t>(n_)) == 0;
}

int exchange_echoed(Frame& f, int sendLen, int replyLen, int mismatch, const char* host, int port) {
  const EchoCheck echo(f, sendLen);
  const int r = f.exchange(sendLen, replyLen, host, port);
  if (r != 0) return r;
  return echo.matches(f) ? 0 : mismatch;
}

}  // namespace vorskel::multidoor
