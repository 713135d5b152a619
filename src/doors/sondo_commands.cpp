// The Sondo and Kappel configuration and relay commands with fixed payloads, and the
// library-wide always-open command. Out-of-range values are clamped the way the controllers
// expect rather than refused: hosts have always sent them and relied on the clamping.
#include "doors/door_command.h"
#include "transport/codecs.h"
#include "vorskel.h"

namespace vorskel::doors {
namespace {

constexpr int kMutexValues = 10;
constexpr std::uint32_t kMaxMutexDoor = 31;  // a larger value means "no door"
constexpr std::uint8_t kNoDoor = 0xFF;
constexpr long long kMaxByte = 255;
constexpr long long kMaxReader = 8;
constexpr long long kMaxSwitchMode = 2;
constexpr long long kMaxSwitchDelay = 200;
constexpr std::uint8_t kMaxPassBackMode = 2;  // larger modes are sent as 0 (off)
constexpr std::uint8_t kMaxTimeTable = 15;    // larger numbers are sent as 0xFF (none)
constexpr int kParameterBytes = 14;
constexpr int kAlwaysOpenTimesAt = 32;

int mutex_lock(int first, const unsigned (&v)[kMutexValues], const char* host, int port) {
  Frame f(kMutexLock.code);
  f.put8(0, static_cast<std::uint32_t>(first));
  for (int k = 0; k < kMutexValues; ++k) f.put8(1 + k, v[k] <= kMaxMutexDoor ? v[k] : kNoDoor);
  return run(kMutexLock, f, host, port);
}

int relay_open_time(int a, int b, const char* host, int port) {
  Frame f(kRelayOpenTime.code);
  f.put8(0, at_most(a, kMaxByte));
  f.put8(1, at_most(b, kMaxByte));
  return run(kRelayOpenTime, f, host, port);
}

int pass_back(int on, const char* host, int port) {
  Frame f(kPassBack.code);
  f.put8(0, flag(on));
  return run(kPassBack, f, host, port);
}

int open_relay(int relay, const char* host, int port) {
  Frame f(kOpenRelay.code);
  f.put8(0, static_cast<std::uint32_t>(relay));
  return run(kOpenRelay, f, host, port);
}

int flag_mask(const Command& c, const unsigned char* flags, const char* host, int port) {
  if (flags == nullptr) return kMissingInput;
  Frame f(c.code);
  f.put32(0, mask_of(flags, kFlagRow));
  return run(c, f, host, port);
}

// 32 door bytes, each above max replaced.
int door_row(const Command& c, const unsigned char* doors, std::uint8_t max,
             std::uint8_t replacement, const char* host, int port) {
  if (doors == nullptr) return kMissingInput;
  Frame f(c.code);
  for (int i = 0; i < kFlagRow; ++i) f.put8(i, doors[i] <= max ? doors[i] : replacement);
  return run(c, f, host, port);
}

std::uint32_t high_low(long long high, long long low) {
  return static_cast<std::uint32_t>(high * 256 + low);  // sent as its low 16 bits
}

}  // namespace
}  // namespace vorskel::doors

using namespace vorskel;
using namespace vorskel::doors;

extern "C" {

VORSKEL_API int VORSKEL_CALL Sondo_MutexLock(int first, unsigned int v0, unsigned int v1,
                                             unsigned int v2, unsigned int v3, unsigned int v4,
                                             unsigned int v5, unsigned int v6, unsigned int v7,
                                             unsigned int v8, unsigned int v9, const char* host,
                                             int port) {
  return mutex_lock(first, {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9}, host, port);
}

VORSKEL_API int VORSKEL_CALL Kappel_RelayOpenTime(int a, int b, const char* host, int port) {
  return relay_open_time(a, b, host, port);
}
VORSKEL_API int VORSKEL_CALL Sondo_RelayOpenTime(int a, int b, const char* host, int port) {
  return relay_open_time(a, b, host, port);
}

VORSKEL_API int VORSKEL_CALL Kappel_PassBack(int on, const char* host, int port) {
  return pass_back(on, host, port);
}
VORSKEL_API int VORSKEL_CALL Sondo_PassBack(int on, const char* host, int port) {
  return pass_back(on, host, port);
}

VORSKEL_API int VORSKEL_CALL Kappel_OpenRelay(int relay, const char* host, int port) {
  return open_relay(relay, host, port);
}
VORSKEL_API int VORSKEL_CALL Sondo_OpenRelay(int relay, const char* host, int port) {
  return open_relay(relay, host, port);
}

VORSKEL_API int VORSKEL_CALL Sondo_SetTolkaPsw(int reader, const char* password, const char* host,
                                               int port) {
  Frame f(kTolkaPassword.code);
  f.put8(0, at_most(reader, kMaxReader));
  f.put32(1, decimal_text_to_u32(password));
  return run(kTolkaPassword, f, host, port);
}

VORSKEL_API int VORSKEL_CALL Sondo_ReaderNeedPsw(const unsigned char* flags, const char* host,
                                                 int port) {
  return flag_mask(kReaderNeedPassword, flags, host, port);
}
VORSKEL_API int VORSKEL_CALL Sondo_Attend(const unsigned char* flags, const char* host, int port) {
  return flag_mask(kAttend, flags, host, port);
}
VORSKEL_API int VORSKEL_CALL Sondo_DoubleCard(const unsigned char* flags, const char* host,
                                              int port) {
  return flag_mask(kDoubleCard, flags, host, port);
}

VORSKEL_API int VORSKEL_CALL Sondo_Switch(int s, int a, int b, int c, int d, const char* host,
                                          int port) {
  Frame f(kSwitch.code);
  f.put8(0, static_cast<std::uint32_t>(s));
  f.put8(1, at_most(a, kMaxSwitchMode));
  f.put8(2, at_most(b, kMaxSwitchDelay));
  f.put8(3, at_most(c, kMaxSwitchMode));
  f.put8(4, at_most(d, kMaxSwitchDelay));
  return signed16_answer(f, 0, run(kSwitch, f, host, port));
}

VORSKEL_API int VORSKEL_CALL Sondo_AlwaysOpenDoor(const unsigned char* doors, int a, int b, int c,
                                                  int d, const char* host, int port) {
  if (doors == nullptr) return kMissingInput;
  Frame f(kAlwaysOpenDoor.code);
  f.put_bytes(0, doors, kFlagRow);
  f.put16(kAlwaysOpenTimesAt, high_low(a, b));
  f.put16(kAlwaysOpenTimesAt + 2, high_low(c, d));
  return run(kAlwaysOpenDoor, f, host, port);
}

VORSKEL_API int VORSKEL_CALL Sondo_PassBackEx(const unsigned char* doors, const char* host,
                                              int port) {
  return door_row(kPassBackEx, doors, kMaxPassBackMode, 0, host, port);
}

VORSKEL_API int VORSKEL_CALL Sondo_DeviceTimeTable(const unsigned char* doors, const char* host,
                                                   int port) {
  return door_row(kTimeTable, doors, kMaxTimeTable, kNoDoor, host, port);
}

VORSKEL_API int VORSKEL_CALL Sondo_DeviceParameter(int p, const unsigned char* parameters,
                                                   const char* host, int port) {
  if (parameters == nullptr) return kMissingInput;
  Frame f(kDeviceParameter.code);
  f.put8(0, static_cast<std::uint32_t>(p));
  f.put_bytes(1, parameters, kParameterBytes);
  return run(kDeviceParameter, f, host, port);
}

VORSKEL_API int VORSKEL_CALL Kappel_ChangeAddressWend(int a, int b, const char* host, int port) {
  Frame f(kChangeAddressWend.code);
  f.put16(0, static_cast<std::uint32_t>(a));
  f.put16(2, static_cast<std::uint32_t>(b));
  return signed16_answer(f, 0, run(kChangeAddressWend, f, host, port));
}

VORSKEL_API int VORSKEL_CALL Kappel_OpenRelayWend(int a, const char* card, unsigned int value,
                                                  const char* host, int port) {
  // Hosts pass card texts of any length; only the first 31 characters were ever looked at.
  constexpr int kCardTextRoom = 31;
  if (card == nullptr) return kMissingInput;
  Frame f(kOpenRelayWend.code);
  f.put16(0, static_cast<std::uint32_t>(a));
  put_card_text(f, 2, card, kCardTextRoom);
  f.put32(6, value);
  return run(kOpenRelayWend, f, host, port);
}

VORSKEL_API int VORSKEL_CALL Kappel_OpenInterRelay(int flag1, int flag2, const char* host,
                                                   int port) {
  Frame f(kOpenInterRelay.code);
  f.put8(0, flag(flag1));
  f.put8(1, flag(flag2));
  return run(kOpenInterRelay, f, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorskel_AlwaysOpenDoor(const int* first, const int* second,
                                                    const char* host, int port) {
  if (first == nullptr || second == nullptr) return kMissingInput;
  Frame f(kAlwaysOpenDoorLong.code);
  f.put16(0, high_low(first[0], first[1]));
  f.put16(2, high_low(second[0], second[1]));
  return run(kAlwaysOpenDoorLong, f, host, port);
}

}  // extern "C"
