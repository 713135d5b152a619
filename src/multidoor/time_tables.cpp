// The controller's time tables: week tables and open-time tables (7 days x 8 segments),
// holiday door tables (8 segments), the 20-entry holiday table and the map table.
#include <cstdint>

#include "multidoor/echo_check.h"
#include "multidoor/time_segments.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::multidoor {
namespace {

// A segment table addressed by index: payload byte 0 is the index, the segments follow.
struct SegmentTable {
  std::uint8_t set_code;
  std::uint8_t get_code;
  int segments;
  int last_index;
};

constexpr int kWeekSegments = 7 * 8;
constexpr SegmentTable kTimeTable{48, 49, kWeekSegments, 7};
constexpr SegmentTable kOpenTimeTable{50, 51, kWeekSegments, 7};
constexpr SegmentTable kHolidayDoorTable{54, 55, 8, 7};

constexpr int kIndexBytes = 1;

int wire_length(const SegmentTable& t) {
  return kIndexBytes + t.segments * kSegmentBytes;
}

// Sends the segments clamped; the caller's table is left as it is.
int set_segments(const SegmentTable& t, const int* table, int index, const char* host, int port) {
  if (table == nullptr || !in_range(index, 0, t.last_index)) return kBadArgument;
  Frame f(t.set_code);
  f.put8(0, static_cast<std::uint32_t>(index));
  encode_segments(table, t.segments, f.payload() + kIndexBytes);
  return exchange_echoed(f, wire_length(t), wire_length(t), kSettingEchoMismatch, host, port);
}

// Week tables are clamped in the caller's table too, so the host sees what was stored.
int set_week(const SegmentTable& t, int* table, int index, const char* host, int port) {
  if (table == nullptr || !in_range(index, 0, t.last_index)) return kBadArgument;
  clamp_segments(table, t.segments);
  return set_segments(t, table, index, host, port);
}

int get_segments(const SegmentTable& t, int* table, int index, const char* host, int port) {
  if (table == nullptr || !in_range(index, 0, t.last_index)) return kBadArgument;
  Frame f(t.get_code);
  f.put8(0, static_cast<std::uint32_t>(index));
  const int r = f.exchange(kIndexBytes, wire_length(t), host, port, wire_length(t));
  if (r != 0) return r;
  decode_segments(f.payload() + kIndexBytes, t.segments, table);
  return 0;
}

// The holiday table travels whole: 20 entries of 4 bytes, one byte per int of an entry.
constexpr std::uint8_t kSetHolidays = 52;
constexpr std::uint8_t kGetHolidays = 53;
constexpr int kHolidays = 20;
constexpr int kHolidayBytes = 4;
constexpr int kHolidayTableBytes = kHolidays * kHolidayBytes;

int set_holiday(const int* entry, int index, const char* host, int port) {
  if (entry == nullptr || !in_range(index, 0, kHolidays - 1)) return kBadArgument;
  // The controller offers no per-entry write: read the table, change one entry, write it
  // back, so the host need not know the other 19 entries.
  Frame read(kGetHolidays);
  const int r = read.exchange(0, kHolidayTableBytes, host, port, kHolidayTableBytes);
  if (r != 0) return r;
  Frame write(kSetHolidays);
  write.put_bytes(0, read.payload(), kHolidayTableBytes);
  for (int i = 0; i < kHolidayBytes; ++i)
    write.put8(index * kHolidayBytes + i, static_cast<std::uint32_t>(entry[i]));
  return exchange_echoed(write, kHolidayTableBytes, kHolidayTableBytes, kSettingEchoMismatch, host,
                         port);
}

int get_holiday(int* entry, int index, const char* host, int port) {
  if (entry == nullptr || !in_range(index, 0, kHolidays - 1)) return kBadArgument;
  Frame f(kGetHolidays);
  const int r = f.exchange(0, kHolidayTableBytes, host, port, (index + 1) * kHolidayBytes);
  if (r != 0) return r;
  for (int i = 0; i < kHolidayBytes; ++i)
    entry[i] = static_cast<std::int8_t>(f.get8(index * kHolidayBytes + i));
  return 0;
}

// The map table is the controller's own 32 bytes; the library only carries them.
constexpr std::uint8_t kSetMap = 102;
constexpr std::uint8_t kGetMap = 103;
constexpr int kMapBytes = 32;

int set_map(const unsigned char* map, const char* host, int port) {
  if (map == nullptr) return kBadArgument;  // zeros would overwrite the controller's map
  Frame f(kSetMap);
  f.put_bytes(0, map, kMapBytes);
  return f.exchange(kMapBytes, kMapBytes, host, port);
}

int get_map(unsigned char* map, const char* host, int port) {
  if (map == nullptr) return kBadArgument;
  Frame f(kGetMap);
  f.put_bytes(0, map, kMapBytes);  // the request carries the caller's bytes as they stand
  const int r = f.exchange(kMapBytes, kMapBytes, host, port, kMapBytes);
  if (r != 0) return r;
  f.get_bytes(0, map, kMapBytes);
  return 0;
}

}  // namespace
}  // namespace vorskel::multidoor

using namespace vorskel::multidoor;

extern "C" {

VORSKEL_API int VORSKEL_CALL Ferrin_SetTimeTable(int* table, int index, const char* host,
                                                 int port) {
  return set_week(kTimeTable, table, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetTimeTable(int* table, int index, const char* host,
                                                 int port) {
  return get_segments(kTimeTable, table, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetOpenTimeTable(int* table, int index, const char* host,
                                                     int port) {
  return set_week(kOpenTimeTable, table, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetOpenTimeTable(int* table, int index, const char* host,
                                                     int port) {
  return get_segments(kOpenTimeTable, table, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetHolidayDoorTable(const int* table, int index,
                                                        const char* host, int port) {
  return set_segments(kHolidayDoorTable, table, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetHolidayDoorTable(int* table, int index, const char* host,
                                                        int port) {
  return get_segments(kHolidayDoorTable, table, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetHolidayTable(const int* entry, int index, const char* host,
                                                    int port) {
  return set_holiday(entry, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetHolidayTable(int* entry, int index, const char* host,
                                                    int port) {
  return get_holiday(entry, index, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_SetMapTable(const unsigned char* map, const char* host,
                                                int port) {
  return set_map(map, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_GetMapTable(unsigned char* map, const char* host, int port) {
  return get_map(map, host, port);
}

}  // extern "C"
