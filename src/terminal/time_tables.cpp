// The main terminal's daily time table and alarm clock, its relays and its meal periods.
#include <cstddef>

#include "terminal/command_family.h"
#include "vorskel.h"

static_assert(sizeof(VorskTimePoint) == 8 && offsetof(VorskTimePoint, minute) == 4);
static_assert(sizeof(VorskTimeTable) == 136 && offsetof(VorskTimeTable, header1) == 128 &&
              offsetof(VorskTimeTable, header2) == 132);

namespace vorskel::family {
namespace {

// On the wire a table is 34 bytes: hour and minute of each of the 16 points, then the two
// header values, each as its low byte.
constexpr int kPoints = 16;
constexpr int kTableBytes = 34;
constexpr int kHeader1At = 32, kHeader2At = 33;
constexpr int kLastHour = 23, kLastMinute = 59;

// The alarm clock has no second header value: it travels and reads back as 0.
enum class Header2 { kKept, kZero };

template <Header2 h2>
int table_payload(Frame& f, const Arg* a) {
  const auto* t = static_cast<const VorskTimeTable*>(a[kArg0].in);
  if (t == nullptr) return kRefused;
  for (int k = 0; k < kPoints; ++k) {
    f.put8(2 * k, static_cast<std::uint32_t>(t->point[k].hour));
    f.put8(2 * k + 1, static_cast<std::uint32_t>(t->point[k].minute));
  }
  f.put8(kHeader1At, static_cast<std::uint32_t>(t->header1));
  f.put8(kHeader2At, h2 == Header2::kKept ? static_cast<std::uint32_t>(t->header2) : 0u);
  return 0;
}

// A read names the table it wants by its header values.
int table_request(Frame& f, const Arg* a) {
  const auto* t = static_cast<const VorskTimeTable*>(a[kArg0].in);
  if (t == nullptr || a[kArg0].out == nullptr) return kRefused;
  f.put8(kHeader1At, static_cast<std::uint32_t>(t->header1));
  f.put8(kHeader2At, static_cast<std::uint32_t>(t->header2));
  return 0;
}

// Out-of-range times in a reply read as 0 rather than failing the read.
int in_range_or_zero(std::uint8_t v, int last) {
  return v <= last ? v : 0;
}

template <Header2 h2>
void table_reply(const Frame& f, const Arg* a) {
  VorskTimeTable t{};
  for (int k = 0; k < kPoints; ++k) {
    t.point[k].hour = in_range_or_zero(f.get8(2 * k), kLastHour);
    t.point[k].minute = in_range_or_zero(f.get8(2 * k + 1), kLastMinute);
  }
  t.header1 = f.get8(kHeader1At);
  t.header2 = h2 == Header2::kKept ? f.get8(kHeader2At) : 0;
  *static_cast<VorskTimeTable*>(a[kArg0].out) = t;
}

constexpr std::uint32_t kLastMealPeriod = 3;

constexpr Command kSetTimeTable =
    command(0x0D, kTableBytes, kTableBytes, layout(table_payload<Header2::kKept>));
constexpr Command kGetTimeTable = command(0x0E, kTableBytes, kTableBytes, layout(table_request),
                                          decoded_by(table_reply<Header2::kKept>));
constexpr Command kSetAlarmClock =
    command(0x19, kTableBytes, kTableBytes, layout(table_payload<Header2::kZero>));
constexpr Command kGetAlarmClock = command(0x18, kTableBytes, kTableBytes, layout(table_request),
                                           decoded_by(table_reply<Header2::kZero>));
constexpr Command kOpenRelay = command(0x1A, 2, 2, flag_at(0, kArg0), flag_at(1, kArg1));
constexpr Command kRepastTime =
    command(0x1F, 5, 5, at_most8(0, kArg0, kLastMealPeriod), byte_at(1, kArg1), byte_at(2, kArg2),
            byte_at(3, kArg3), byte_at(4, kArg4));

}  // namespace
}  // namespace vorskel::family

using vorskel::family::run;
namespace f = vorskel::family;

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_SetTimeTable(const VorskTimeTable* table, const char* host,
                                                int port) {
  return run(f::kSetTimeTable, host, port, {table});
}
VORSKEL_API int VORSKEL_CALL Vorsk_GetTimeTable(VorskTimeTable* table, const char* host, int port) {
  return run(f::kGetTimeTable, host, port, {table});
}
VORSKEL_API int VORSKEL_CALL Vorsk_SetAlarmClock(const VorskTimeTable* table, const char* host,
                                                 int port) {
  return run(f::kSetAlarmClock, host, port, {table});
}
VORSKEL_API int VORSKEL_CALL Vorsk_GetAlarmClock(VorskTimeTable* table, const char* host,
                                                 int port) {
  return run(f::kGetAlarmClock, host, port, {table});
}
VORSKEL_API int VORSKEL_CALL Vorsk_OpenRelay(int first, int second, const char* host, int port) {
  return run(f::kOpenRelay, host, port, {first, second});
}
VORSKEL_API int VORSKEL_CALL Vorsk_RepastTime(unsigned int period, int value1, int value2,
                                              int value3, int value4, const char* host, int port) {
  return run(f::kRepastTime, host, port, {period, value1, value2, value3, value4});
}

}  // extern "C"
