// The controller's stored settings: per channel (alarm flags, pass flags, lock mask, time
// segment set, door open password) and controller-wide (linkage groups, way timer, alarm
// password). Each is a row: the set and get codes, what selects it (a channel, a linkage
// group or nothing) and the codec between the host's form and its wire bytes. A set sends
// the selector and the wire bytes and wants them echoed; a get sends the selector and
// decodes the wire bytes that follow it in the reply.
#include <cstdint>
#include <cstdio>

#include "multidoor/controller_texts.h"
#include "multidoor/echo_check.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::multidoor {
namespace {

using Encode = void (*)(const void* value, std::uint8_t* wire);
using Decode = void (*)(const std::uint8_t* wire, void* value);

struct Codec {
  int wire_bytes;
  Encode encode;
  Decode decode;
};

// ---- alarm flags: 7 flags, one bit each; the byte after them is sent as 0 ----------------
constexpr int kAlarmFlags = 7;
void encode_alarm(const void* value, std::uint8_t* wire) {
  const auto* flags = static_cast<const unsigned char*>(value);
  wire[0] = 0;
  for (int k = 0; k < kAlarmFlags; ++k)
    if (flags[k] != 0) wire[0] |= static_cast<std::uint8_t>(1u << k);
  wire[1] = 0;
}
void decode_alarm(const std::uint8_t* wire, void* value) {
  auto* flags = static_cast<unsigned char*>(value);
  for (int k = 0; k < kAlarmFlags; ++k) flags[k] = (wire[0] >> k) & 1u;
}

// ---- pass flags: 9 flags in two bytes, at the bits the controller reads them from --------
struct FlagBit {
  int byte;
  int bit;
};
constexpr FlagBit kPassBits[] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4},
                                 {0, 5}, {0, 7}, {1, 0}, {1, 7}};
void encode_pass(const void* value, std::uint8_t* wire) {
  const auto* flags = static_cast<const unsigned char*>(value);
  wire[0] = wire[1] = 0;
  for (int k = 0; const FlagBit& b : kPassBits)
    if (flags[k++] != 0) wire[b.byte] |= static_cast<std::uint8_t>(1u << b.bit);
}
void decode_pass(const std::uint8_t* wire, void* value) {
  auto* flags = static_cast<unsigned char*>(value);
  for (int k = 0; const FlagBit& b : kPassBits) flags[k++] = (wire[b.byte] >> b.bit) & 1u;
}

// ---- lock mask: 24-bit little-endian channel mask from a '1'/'0' text ------------------
void encode_lock(const void* value, std::uint8_t* wire) {
  const std::uint32_t mask = channel_mask_from_text(static_cast<const char*>(value));
  for (int i = 0; i < 3; ++i) wire[i] = static_cast<std::uint8_t>(mask >> (8 * i));
}
void decode_lock(const std::uint8_t* wire, void* value) {
  const std::uint32_t mask = wire[0] | (wire[1] << 8) | (wire[2] << 16);
  channel_mask_to_text(mask, static_cast<char*>(value));  // 24 characters, no terminator
}

// ---- time segment set: a leading value and 16 pairs, one byte each -----------------------
constexpr int kTimeSegValues = 1 + 16 * 2;
void encode_ints(const void* value, std::uint8_t* wire) {
  const auto* ints = static_cast<const int*>(value);
  for (int i = 0; i < kTimeSegValues; ++i) wire[i] = static_cast<std::uint8_t>(ints[i]);
}
void decode_ints(const std::uint8_t* wire, void* value) {
  auto* ints = static_cast<int*>(value);
  for (int i = 0; i < kTimeSegValues; ++i) ints[i] = static_cast<std::int8_t>(wire[i]);
}

// ---- passwords: 8 hex digits as 4 bytes (the exports upper-case the text first) ----------
constexpr int kPasswordBytes = 4;
void encode_password(const void* value, std::uint8_t* wire) {
  hex_text_bytes(static_cast<const char*>(value), wire, kPasswordBytes);
}
void decode_password(const std::uint8_t* wire, void* value) {
  std::snprintf(static_cast<char*>(value), 2 * kPasswordBytes + 1, "%02X%02X%02X%02X", wire[0],
                wire[1], wire[2], wire[3]);
}

// ---- linkage group: members 1-4 (255 = none) packed to the front, then a 16-bit value ----
constexpr int kMembers = 4;
constexpr int kNoMember = 255;
constexpr std::uint8_t kFreePlace = 0xFF;
void encode_group(const void* value, std::uint8_t* wire) {
  const auto* group = static_cast<const int*>(value);
  int next = 0;
  for (int m = 0; m < kMembers; ++m)
    if (group[m] != kNoMember) wire[next++] = static_cast<std::uint8_t>(group[m]);
  while (next < kMembers) wire[next++] = kFreePlace;
  wire[kMembers] = static_cast<std::uint8_t>(group[kMembers]);
  wire[kMembers + 1] = static_cast<std::uint8_t>(group[kMembers] >> 8);
}
void decode_group(const std::uint8_t* wire, void* value) {
  auto* group = static_cast<int*>(value);
  for (int m = 0; m < kMembers; ++m) group[m] = static_cast<std::int8_t>(wire[m]);
  group[kMembers] = wire[kMembers] | (wire[kMembers + 1] << 8);
}

// ---- way timer: 4 bytes carried as they are -----------------------------------------------
constexpr int kTimerBytes = 4;
void encode_timer(const void* value, std::uint8_t* wire) {
  for (int i = 0; i < kTimerBytes; ++i) wire[i] = static_cast<const unsigned char*>(value)[i];
}
void decode_timer(const std::uint8_t* wire, void* value) {
  for (int i = 0; i < kTimerBytes; ++i) static_cast<unsigned char*>(value)[i] = wire[i];
}

// ---- the rows ---------------------------------------------------------------------------
enum class Selector { kNone, kChannel, kLinkageGroup };

struct Setting {
  std::uint8_t set_code;
  std::uint8_t get_code;
  Selector selector;
  Codec codec;
};

constexpr Setting kWayAlarm{66, 67, Selector::kChannel, {2, encode_alarm, decode_alarm}};
constexpr Setting kWayPass{64, 65, Selector::kChannel, {2, encode_pass, decode_pass}};
constexpr Setting kWayLock{58, 107, Selector::kChannel, {3, encode_lock, decode_lock}};
constexpr Setting kWayTimeSeg{
    56, 57, Selector::kChannel, {kTimeSegValues, encode_ints, decode_ints}};
constexpr Setting kDoorOpenPsw{
    62, 63, Selector::kChannel, {kPasswordBytes, encode_password, decode_password}};
constexpr Setting kWayConnect{
    60, 61, Selector::kLinkageGroup, {kMembers + 2, encode_group, decode_group}};
constexpr Setting kWayTimer{68, 69, Selector::kNone, {kTimerBytes, encode_timer, decode_timer}};
constexpr Setting kDoorAlarmPsw{
    70, 71, Selector::kNone, {kPasswordBytes, encode_password, decode_password}};

constexpr int kLinkageGroups = 2;

// Puts a checked selector into payload byte 0; returns the payload offset of the setting's
// wire bytes, or -1 for a selector out of range.
int put_selector(Frame& f, Selector s, int selector) {
  switch (s) {
    case Selector::kNone:
      return 0;
    case Selector::kChannel:
      if (!in_range(selector, 0, kChannels - 1)) return -1;
      break;
    case Selector::kLinkageGroup:
      if (!in_range(selector, 0, kLinkageGroups - 1)) return -1;
      break;
  }
  f.put8(0, static_cast<std::uint32_t>(selector));
  return 1;
}

int set_setting(const Setting& s, const void* value, int selector, const char* host, int port) {
  if (value == nullptr) return kBadArgument;  // the codecs read and write through it
  Frame f(s.set_code);
  const int at = put_selector(f, s.selector, selector);
  if (at < 0) return kBadArgument;
  s.codec.encode(value, f.payload() + at);
  const int length = at + s.codec.wire_bytes;
  return exchange_echoed(f, length, length, kSettingEchoMismatch, host, port);
}

int get_setting(const Setting& s, void* value, int selector, const char* host, int port) {
  if (value == nullptr) return kBadArgument;
  Frame f(s.get_code);
  const int at = put_selector(f, s.selector, selector);
  if (at < 0) return kBadArgument;
  const int r = f.exchange(at, at + s.codec.wire_bytes, host, port, at + s.codec.wire_bytes);
  if (r != 0) return r;
  s.codec.decode(f.payload() + at, value);
  return 0;
}

}  // namespace
}  // namespace vorskel::multidoor

using namespace vorskel::multidoor;

extern "C" {

VORSKEL_API int VORSKEL_CALL Ferrin_SetWayAlarm(const unsigned char* flags, int channel,
                                                const char* host, int port) {
  return set_setting(kWayAlarm, flags, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayAlarm(unsigned char* flags, int channel, const char* host,
                                                int port) {
  return get_setting(kWayAlarm, flags, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayPass(const unsigned char* flags, int channel,
                                               const char* host, int port) {
  return set_setting(kWayPass, flags, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayPass(unsigned char* flags, int channel, const char* host,
                                               int port) {
  return get_setting(kWayPass, flags, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayLock(const char* mask, int channel, const char* host,
                                               int port) {
  return set_setting(kWayLock, mask, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayLock(char* mask, int channel, const char* host,
                                               int port) {
  return get_setting(kWayLock, mask, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayTimeSeg(const int* set, int channel, const char* host,
                                                  int port) {
  return set_setting(kWayTimeSeg, set, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayTimeSeg(int* set, int channel, const char* host,
                                                  int port) {
  return get_setting(kWayTimeSeg, set, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetDoorOpenPsw(char* password, int channel, const char* host,
                                                   int port) {
  return set_setting(kDoorOpenPsw, upper_case_in_place(password), channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetDoorOpenPsw(char* password, int channel, const char* host,
                                                   int port) {
  return get_setting(kDoorOpenPsw, password, channel, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayConnect(const int* group, int index, const char* host,
                                                  int port) {
  return set_setting(kWayConnect, group, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayConnect(int* group, int index, const char* host,
                                                  int port) {
  return get_setting(kWayConnect, group, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayTimer(const unsigned char* timer, const char* host,
                                                int port) {
  return set_setting(kWayTimer, timer, 0, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayTimer(unsigned char* timer, const char* host, int port) {
  return get_setting(kWayTimer, timer, 0, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetDoorAlarmPsw(char* password, const char* host, int port) {
  return set_setting(kDoorAlarmPsw, upper_case_in_place(password), 0, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetDoorAlarmPsw(char* password, const char* host, int port) {
  return get_setting(kDoorAlarmPsw, password, 0, host, port);
}

}  // extern "C"
