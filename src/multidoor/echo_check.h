// The multi-door controller answers a write by sending back the payload it took. A host
// relies on that echo to know the controller stored what was sent, so every checked write
// goes through one place that keeps the request aside and compares.
#pragma once

#include <array>
#include <cstdint>

#include "transport/frame.h"

namespace vorskel::multidoor {

using protocol::kBadArgument;                    // index, channel or operation out of range
inline constexpr int kChannelEchoMismatch = -1;  // a channel action answered for another channel
using protocol::kNotAccepted;  // refused (status byte), or answered with other bytes
inline constexpr int kSettingEchoMismatch = kNotAccepted;

// The first n payload bytes of a request, kept to compare with the reply.
class EchoCheck {
 public:
  EchoCheck(const Frame& request, int n);
  bool matches(const Frame& reply) const;

 private:
  std::array<std::uint8_t, kMaxPayload> sent_{};
  int n_;
};

// Runs the transaction on f and compares the reply payload with the request payload over
// sendLen bytes. The transaction's error passes through; any differing or missing byte gives
// mismatch.
int exchange_echoed(Frame& f, int sendLen, int replyLen, int mismatch, const char* host, int port);

// Index and channel checks are signed: a negative value is out of range like a large one.
inline bool in_range(int value, int first, int last) {
  return value >= first && value <= last;
}

}  // namespace vorskel::multidoor
