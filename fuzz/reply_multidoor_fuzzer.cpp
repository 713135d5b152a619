// Replies of the multi-door controller's reading exports: every getter (time tables, holiday
// entries, map table, channel status, per-channel and controller-wide settings), every write
// the controller answers with an echo that is compared (the holiday entry's read-modify-write
// gets one reply per transaction), the channel actions' echoed channel, and the card
// registrations (stored with an echo check, read back into the caller's entry).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/reply_calls.h"
#include "vorskel.h"

namespace {

using namespace vorskel::fuzz;  // the calls, buffers and replies of the reply targets

constexpr Replies kOne = Replies::kOne;
constexpr Replies kSequence = Replies::kSequence;
constexpr int kLastChannel = 23;
constexpr int kWeekInts = 7 * 8 * 4;
constexpr int kHolidayDoorInts = 8 * 4;
constexpr int kStore = 1;
constexpr int kReadBack = 3;

// Getters and setters that take a table of ints and an index or channel.
template <int (*F)(int*, int, const char*, int), int Ints, int Index>
void ints_get() {
  Guarded<Ints * sizeof(int)> table;
  F(table.template as<int>(), Index, kHost, kPort);
}
template <int (*F)(const int*, int, const char*, int), int Ints, int Index>
void ints_set() {
  Guarded<Ints * sizeof(int)> table;
  int* t = table.template as<int>();
  for (int i = 0; i < Ints; ++i) t[i] = i % 3 == 0 ? 255 : i;
  F(t, Index, kHost, kPort);
}
template <int (*F)(int*, int, const char*, int), int Index>
void week_set() {
  Guarded<kWeekInts * sizeof(int)> table;
  int* t = table.template as<int>();
  for (int i = 0; i < kWeekInts; ++i) t[i] = i % 70;  // some out of range: clamped in place
  F(t, Index, kHost, kPort);
}
template <class Out, int (*F)(Out*, int, const char*, int), std::size_t N, int Channel>
void channel_get() {
  Guarded<N> out;
  F(out.template as<Out>(), Channel, kHost, kPort);
}
template <class In, int (*F)(const In*, int, const char*, int), std::size_t N, int Channel>
void channel_set() {
  Guarded<N> in;
  for (std::size_t i = 0; i < N; ++i) in.data[i] = static_cast<std::uint8_t>(i & 1);
  F(in.template as<const In>(), Channel, kHost, kPort);
}
template <int (*F)(int, const char*, int)>
void act() {
  F(kLastChannel, kHost, kPort);
}

FerrinDoorRegistration* filled(Guarded<sizeof(FerrinDoorRegistration)>& g, const char* card1) {
  auto* e = g.as<FerrinDoorRegistration>();
  std::strncpy(e->card1, card1, sizeof e->card1 - 1);
  std::memcpy(e->card2, "0badf00d", 9);
  std::memcpy(e->password, "a1b2c3", 7);
  e->mode = 10;
  e->index = 15;
  std::memcpy(e->doors, "101010101010101010101010", 24);
  e->year = 2024;
  e->month = 12;
  e->day = 31;
  return e;
}
template <int (*F)(FerrinDoorRegistration*, const char*, int, int), int Operation>
void registration() {
  Guarded<sizeof(FerrinDoorRegistration)> entry;
  F(filled(entry, F == Ferrin_REG_WEIGEN66 ? "0123456789abcd" : "1a2b3c4d"), kHost, kPort,
    Operation);
}

const ReplyCall kCalls[] = {
    // getters
    {kOne, ints_get<Ferrin_GetTimeTable, kWeekInts, 0>},
    {kOne, ints_get<Ferrin_GetTimeTable, kWeekInts, 7>},
    {kOne, ints_get<Ferrin_GetOpenTimeTable, kWeekInts, 7>},
    {kOne, ints_get<Ferrin_GetHolidayTable, 4, 0>},
    {kOne, ints_get<Ferrin_GetHolidayTable, 4, 19>},
    {kOne, ints_get<Ferrin_GetHolidayDoorTable, kHolidayDoorInts, 7>},
    {kOne,
     [] {
       Guarded<32> map;
       Ferrin_GetMapTable(map.data, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<24 * 7> status;
       Ferrin_GetStatus(status.data, kHost, kPort);
     }},
    {kOne, channel_get<unsigned char, Ferrin_GetWayAlarm, 7, kLastChannel>},
    {kOne, channel_get<unsigned char, Ferrin_GetWayPass, 9, 0>},
    {kOne, channel_get<char, Ferrin_GetWayLock, 24, kLastChannel>},  // no terminator
    {kOne, ints_get<Ferrin_GetWayTimeSeg, 33, 0>},
    {kOne, channel_get<char, Ferrin_GetDoorOpenPsw, 9, kLastChannel>},
    {kOne, ints_get<Ferrin_GetWayConnect, 5, 1>},
    {kOne,
     [] {
       Guarded<4> timer;
       Ferrin_GetWayTimer(timer.data, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<9> password;
       Ferrin_GetDoorAlarmPsw(password.text(), kHost, kPort);
     }},
    // writes whose echo is compared
    {kOne, week_set<Ferrin_SetTimeTable, 0>},
    {kOne, week_set<Ferrin_SetOpenTimeTable, 7>},
    {kSequence, ints_set<Ferrin_SetHolidayTable, 4, 19>},
    {kOne, ints_set<Ferrin_SetHolidayDoorTable, kHolidayDoorInts, 7>},
    {kOne, channel_set<unsigned char, Ferrin_SetWayAlarm, 7, kLastChannel>},
    {kOne, channel_set<unsigned char, Ferrin_SetWayPass, 9, 0>},
    {kOne,
     [] {
       Guarded<25> mask;
       std::memcpy(mask.data, "110011001100110011001100", 25);
       Ferrin_SetWayLock(mask.text(), kLastChannel, kHost, kPort);
     }},
    {kOne, ints_set<Ferrin_SetWayTimeSeg, 33, kLastChannel>},
    {kOne,
     [] {
       Guarded<9> password;
       std::memcpy(password.data, "1a2b3c4d", 9);
       Ferrin_SetDoorOpenPsw(password.text(), 0, kHost, kPort);
     }},
    {kOne, ints_set<Ferrin_SetWayConnect, 5, 0>},
    {kOne,
     [] {
       Guarded<4> timer;
       std::memcpy(timer.data, "\x01\x02\x03\x04", 4);
       Ferrin_SetWayTimer(timer.data, kHost, kPort);
     }},
    {kOne,
     [] {
       Guarded<9> password;
       std::memcpy(password.data, "ffee", 5);
       Ferrin_SetDoorAlarmPsw(password.text(), kHost, kPort);
     }},
    // channel actions: the channel comes back
    {kOne, act<Ferrin_Open>},
    {kOne, act<Ferrin_OpenAlways>},
    {kOne, act<Ferrin_Close>},
    {kOne, act<Ferrin_ClearAlarm>},
    // card registrations
    {kOne, registration<Ferrin_Single, kStore>},
    {kOne, registration<Ferrin_Single, kReadBack>},
    {kOne, registration<Ferrin_Double, kStore>},
    {kOne, registration<Ferrin_Double, kReadBack>},
    {kOne, registration<Ferrin_REG_WEIGEN66, kStore>},
    {kOne, registration<Ferrin_REG_WEIGEN66, kReadBack>},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return vorskel::fuzz::run_reply_call(kCalls, data, size);
}
