// Acting on one door channel at once, and the status of all 24 channels.
#include <cstdint>

#include "multidoor/controller_texts.h"
#include "multidoor/echo_check.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::multidoor {
namespace {

constexpr std::uint8_t kOpen = 98;
constexpr std::uint8_t kOpenAlways = 99;
constexpr std::uint8_t kClose = 100;
constexpr std::uint8_t kClearAlarm = 101;
constexpr int kChannelBytes = 1;

// The controller answers with the channel it acted on; another channel means it did not
// act on the one asked for.
int act(std::uint8_t code, int channel, const char* host, int port) {
  if (!in_range(channel, 0, kChannels - 1)) return kBadArgument;
  Frame f(code);
  f.put8(0, static_cast<std::uint32_t>(channel));
  return exchange_echoed(f, kChannelBytes, kChannelBytes, kChannelEchoMismatch, host, port);
}

constexpr std::uint8_t kGetStatus = 97;
constexpr int kStatusReplyLen = 128;
constexpr int kStatusFirstChannel = 1;  // reply byte 0 is not a channel's
constexpr int kStatusBits = 7;

int get_status(unsigned char* status, const char* host, int port) {
  if (status == nullptr) return kBadArgument;  // 168 bytes are written on success
  Frame f(kGetStatus);
  const int r = f.exchange(0, kStatusReplyLen, host, port, kStatusFirstChannel + kChannels);
  if (r != 0) return r;
  for (int c = 0; c < kChannels; ++c) {
    const std::uint8_t bits = f.get8(kStatusFirstChannel + c);
    for (int k = 0; k < kStatusBits; ++k) status[c * kStatusBits + k] = (bits >> k) & 1u;
  }
  return 0;
}

}  // namespace
}  // namespace vorskel::multidoor

using namespace vorskel::multidoor;

extern "C" {

VORSKEL_API int VORSKEL_CALL Ferrin_Open(int channel, const char* host, int port) {
  return act(kOpen, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_OpenAlways(int channel, const char* host, int port) {
  return act(kOpenAlways, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_Close(int channel, const char* host, int port) {
  return act(kClose, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_ClearAlarm(int channel, const char* host, int port) {
  return act(kClearAlarm, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetStatus(unsigned char* status, const char* host, int port) {
  return get_status(status, host, port);
}

}  // extern "C"
