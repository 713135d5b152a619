// The Hesk controller's relay and text-to-voice commands, and the Gaddo controller's
// acknowledgement, machine and logic settings (each guarded by its CRC-16) and alarm reset.
// Gaddo hosts pass the port by pointer.
#include <algorithm>
#include <cstring>

#include "doors/door_command.h"
#include "transport/crc16.h"
#include "vorskel.h"

namespace vorskel::doors {
namespace {

constexpr int kHeskRelays = 8;
constexpr int kMaxVoiceBytes = 128;

constexpr int kNullPointer = -2;
constexpr int kCrcMismatch = -1;
constexpr int kAckBytes = 2;  // of the 12 the host hands over, the controller wants two
constexpr int kMachineBytes = 3;
constexpr int kLogicBytes = 7;
constexpr std::uint8_t kMachineRejected = 0x33;  // what a host sees after a bad answer

int hesk_relay(const unsigned char* flags, const char* host, int port) {
  if (flags == nullptr) return kMissingInput;
  Frame f(kHeskRelay.code);
  f.put8(0, ~mask_of(flags, kHeskRelays));  // the controller takes the mask inverted
  return run(kHeskRelay, f, host, port);
}

int text_voice(const unsigned char* bytes, int length, const char* host, int port) {
  const int n = bytes == nullptr ? 0 : std::clamp(length, 0, kMaxVoiceBytes);
  Frame f(kTextVoice.code);
  f.put_bytes(0, bytes, n);
  return f.exchange(n, n, host, port);
}

int gaddo_ack(const unsigned char* bytes, const char* host, const int* port) {
  if (bytes == nullptr || port == nullptr) return kNullPointer;
  Frame f(kGaddoAck.code);
  f.put_bytes(0, bytes, kAckBytes);
  return run(kGaddoAck, f, host, *port);
}

// Sends n setting bytes and their CRC-16; the controller answers with the bytes it took
// and their CRC-16, which are copied back.
int set_guarded(const Command& c, int n, unsigned char* bytes, const char* host, const int* port,
                bool fill_on_mismatch) {
  if (bytes == nullptr || port == nullptr) return kNullPointer;
  Frame f(c.code);
  f.put_bytes(0, bytes, n);
  f.put16(n, crc16(bytes, static_cast<std::size_t>(n)));
  const int r = run(c, f, host, *port);
  if (r != kOk) return r;  // the caller's bytes stay as they were sent
  f.get_bytes(0, bytes, n);
  if (f.get16(n) == crc16(f.payload(), static_cast<std::size_t>(n))) return r;
  if (fill_on_mismatch) std::memset(bytes, kMachineRejected, static_cast<std::size_t>(n));
  return kCrcMismatch;
}

int get_guarded(const Command& c, int n, unsigned char* bytes, const char* host, const int* port) {
  if (bytes == nullptr || port == nullptr) return kNullPointer;
  Frame f(c.code);
  const int r = run(c, f, host, *port);
  // Zeros when no usable reply came back, not what a short or foreign one held.
  if (r != kOk) f = Frame(c.code);
  f.get_bytes(0, bytes, n);
  return r;
}

int close_alarm(const char* host, const int* port) {
  if (port == nullptr) return kNullPointer;
  Frame f(kCloseAlarm.code);
  const int r = run(kCloseAlarm, f, host, *port);
  return r == kNoReply ? kOk : r;  // the controller resets without answering
}

}  // namespace
}  // namespace vorskel::doors

using namespace vorskel::doors;

extern "C" {

VORSKEL_API int VORSKEL_CALL Hesk_Relay(const unsigned char* flags, const char* host, int port) {
  return hesk_relay(flags, host, port);
}
VORSKEL_API int VORSKEL_CALL Hesk_TextVoice(const unsigned char* bytes, int length,
                                            const char* host, int port) {
  return text_voice(bytes, length, host, port);
}
VORSKEL_API int VORSKEL_CALL Gaddo_Ack(const unsigned char* bytes, const char* host, int* port) {
  return gaddo_ack(bytes, host, port);
}
VORSKEL_API int VORSKEL_CALL Gaddo_SetMchine(unsigned char* bytes, const char* host, int* port) {
  return set_guarded(kSetMachine, kMachineBytes, bytes, host, port, true);
}
VORSKEL_API int VORSKEL_CALL Gaddo_SetLogic(unsigned char* bytes, const char* host, int* port) {
  return set_guarded(kSetLogic, kLogicBytes, bytes, host, port, false);
}
VORSKEL_API int VORSKEL_CALL Gaddo_GetMchine(unsigned char* bytes, const char* host, int* port) {
  return get_guarded(kGetMachine, kMachineBytes, bytes, host, port);
}
VORSKEL_API int VORSKEL_CALL Gaddo_GetLogic(unsigned char* bytes, const char* host, int* port) {
  return get_guarded(kGetLogic, kLogicBytes, bytes, host, port);
}
VORSKEL_API int VORSKEL_CALL Gaddo_CloseAlarm(const char* host, int* port) {
  return close_alarm(host, port);
}

}  // extern "C"
