// Week, open-time and holiday door tables, the holiday table's read-modify-write and the map
// table, against the simulated controller.
#include <array>
#include <string>

#include "multidoor/ferrin_fixture.h"

namespace vorskel {
namespace {

using Tables = testing::FerrinTest;
using testing::hex;

using WeekTable = std::array<int, 224>;
using SetTable = int(VORSKEL_CALL*)(int*, int, const char*, int);

// Segment s of a table: start hour, start minute, end hour, end minute.
void put_segment(int* table, int s, int sh, int sm, int eh, int em) {
  table[4 * s] = sh;
  table[4 * s + 1] = sm;
  table[4 * s + 2] = eh;
  table[4 * s + 3] = em;
}

// The wire bytes of segment s in a sent table (after the index byte).
std::string sent_segment(const std::string& payload_hex, int s) {
  return payload_hex.substr(3 * (1 + 4 * s), 11);
}

TEST_F(Tables, SegmentsGoMinuteFirstAndAreClampedInTheCallersWeekTable) {
  struct Case {
    const char* what;
    int sh, sm, eh, em;
    const char* wire;
    std::array<int, 4> after;  // the caller's segment afterwards
  } cases[] = {
      {"08:30-17:45", 8, 30, 17, 45, "1E 08 2D 11", {8, 30, 17, 45}},
      {"24:60-25:00 is no time of day", 24, 60, 25, 0, "00 00 00 00", {0, 0, 0, 0}},
      {"23:59-23:59 is", 23, 59, 23, 59, "3B 17 3B 17", {23, 59, 23, 59}},
      {"negative start hour goes as its low byte", -1, 0, 1, 0, "00 FF 00 01", {-1, 0, 1, 0}},
  };
  for (SetTable set : {Ferrin_SetTimeTable, Ferrin_SetOpenTimeTable}) {
    for (const auto& c : cases) {
      WeekTable t{};
      put_segment(t.data(), 13, c.sh, c.sm, c.eh, c.em);  // day 1, segment 5
      ASSERT_EQ(set(t.data(), 3, host(), port()), 0) << c.what;
      const std::string sent = sent_payload();
      EXPECT_EQ(sent.substr(0, 2), "03") << c.what;
      EXPECT_EQ(sent_segment(sent, 13), c.wire) << c.what;
      EXPECT_EQ(sent.size(), 225u * 3 - 1) << c.what;
      EXPECT_EQ((std::array<int, 4>{t[52], t[53], t[54], t[55]}), c.after) << c.what;
    }
  }
  EXPECT_EQ(last_request().code(), 50);
}

TEST_F(Tables, WeekTablesRoundTripAndReadBytesSignExtended) {
  WeekTable t{};
  for (int s = 0; s < 56; ++s) put_segment(t.data(), s, s % 24, s, (s + 1) % 24, 59 - s);
  ASSERT_EQ(Ferrin_SetTimeTable(t.data(), 7, host(), port()), 0);
  WeekTable back{};
  back.fill(99);
  ASSERT_EQ(Ferrin_GetTimeTable(back.data(), 7, host(), port()), 0);
  EXPECT_EQ(back, t);
  EXPECT_EQ(sent_payload(), "07");
  EXPECT_EQ(Ferrin_GetOpenTimeTable(back.data(), 7, host(), port()), 0);  // other table: empty
  EXPECT_EQ(back, WeekTable{});

  // A controller byte 0xFF reads back as -1 (reads do not clamp).
  controller([](sim::FerrinController& c) {
    sim::Bytes b(224, 0);
    b[1] = 0xFF;  // segment 0's start hour
    c.stored[{50, 2}] = b;
  });
  ASSERT_EQ(Ferrin_GetOpenTimeTable(back.data(), 2, host(), port()), 0);
  EXPECT_EQ(back[0], -1);
  EXPECT_EQ(last_request().code(), 51);
}

TEST_F(Tables, HolidayDoorTableClampsOnlyWhatItSends) {
  int t[32] = {};
  put_segment(t, 0, 8, 30, 17, 45);
  put_segment(t, 7, 30, 0, 12, 75);
  ASSERT_EQ(Ferrin_SetHolidayDoorTable(t, 5, host(), port()), 0);
  EXPECT_EQ(sent_payload(),
            "05 1E 08 2D 11 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
            "00 00 00 00 00 0C");
  EXPECT_EQ(t[28], 30);  // the caller's table is not modified
  EXPECT_EQ(t[31], 75);
  int back[32];
  ASSERT_EQ(Ferrin_GetHolidayDoorTable(back, 5, host(), port()), 0);
  EXPECT_EQ(back[0], 8);
  EXPECT_EQ(back[3], 45);
  EXPECT_EQ(back[28], 0);
  EXPECT_EQ(back[30], 12);
  EXPECT_EQ(back[31], 0);
  EXPECT_EQ(last_request().code(), 55);
}

TEST_F(Tables, IndexOutOfRangeSendsNothing) {
  WeekTable t{};
  int entry[4] = {};
  struct Case {
    const char* what;
    int result;
  } cases[] = {
      {"time table 8", Ferrin_SetTimeTable(t.data(), 8, host(), port())},
      {"time table -1", Ferrin_GetTimeTable(t.data(), -1, host(), port())},
      {"open table 8", Ferrin_SetOpenTimeTable(t.data(), 8, host(), port())},
      {"open table -1", Ferrin_GetOpenTimeTable(t.data(), -1, host(), port())},
      {"holiday 20", Ferrin_SetHolidayTable(entry, 20, host(), port())},
      {"holiday -1", Ferrin_SetHolidayTable(entry, -1, host(), port())},
      {"holiday get 20", Ferrin_GetHolidayTable(entry, 20, host(), port())},
      {"holiday door 8", Ferrin_SetHolidayDoorTable(t.data(), 8, host(), port())},
      {"holiday door get -1", Ferrin_GetHolidayDoorTable(t.data(), -1, host(), port())},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, -1) << c.what;
  EXPECT_EQ(sim().request_count(), 0u);
}

TEST_F(Tables, OneChangedEchoByteGivesMinusTwo) {
  WeekTable t{};
  put_segment(t.data(), 55, 8, 0, 9, 0);
  corrupt_echo(224);  // the last byte of the week table
  EXPECT_EQ(Ferrin_SetTimeTable(t.data(), 0, host(), port()), -2);
  EXPECT_EQ(Ferrin_SetOpenTimeTable(t.data(), 0, host(), port()), -2);
  corrupt_echo(0);  // the index
  EXPECT_EQ(Ferrin_SetHolidayDoorTable(t.data(), 0, host(), port()), -2);
  int entry[4] = {1, 2, 3, 4};
  EXPECT_EQ(Ferrin_SetHolidayTable(entry, 0, host(), port()), -2);
}

TEST_F(Tables, HolidayEntryIsWrittenIntoTheTableReadFromTheController) {
  controller([](sim::FerrinController& c) {
    sim::Bytes b(80);
    for (int i = 0; i < 80; ++i) b[i] = static_cast<std::uint8_t>(i);
    c.stored[{52, 0}] = b;
  });
  const int entry[4] = {0x7E, 12, 25, -1};
  ASSERT_EQ(Ferrin_SetHolidayTable(entry, 19, host(), port()), 0);
  const auto reqs = requests();
  ASSERT_EQ(reqs.size(), 2u);
  EXPECT_EQ(reqs[0].code(), 53);
  EXPECT_EQ(reqs[0].payload_size(), 0u);
  EXPECT_EQ(reqs[1].code(), 52);
  ASSERT_EQ(reqs[1].payload_size(), 80u);
  for (int i = 0; i < 76; ++i) EXPECT_EQ(reqs[1].p8(i), i) << "entry " << i / 4 << " changed";
  EXPECT_EQ(hex(sim::Bytes(reqs[1].datagram.end() - 4, reqs[1].datagram.end())), "7E 0C 19 FF");

  int back[4] = {};
  ASSERT_EQ(Ferrin_GetHolidayTable(back, 19, host(), port()), 0);
  EXPECT_EQ((std::array<int, 4>{back[0], back[1], back[2], back[3]}),
            (std::array<int, 4>{0x7E, 12, 25, -1}));
  ASSERT_EQ(Ferrin_GetHolidayTable(back, 1, host(), port()), 0);
  EXPECT_EQ((std::array<int, 4>{back[0], back[1], back[2], back[3]}),
            (std::array<int, 4>{4, 5, 6, 7}));
}

TEST_F(Tables, FailedHolidayReadWritesNothing) {
  set_receive_timeout(50);
  sim().inject(53, {sim::FaultKind::kNoReply});
  const int entry[4] = {1, 2, 3, 4};
  EXPECT_EQ(Ferrin_SetHolidayTable(entry, 0, host(), port()), -21);
  EXPECT_EQ(sim().request_count(), 1u);
  EXPECT_EQ(stored(52), "");
}

TEST_F(Tables, MapTableIsCarriedBothWays) {
  unsigned char map[32];
  for (int i = 0; i < 32; ++i) map[i] = static_cast<unsigned char>(0xE0 + i % 16);
  ASSERT_EQ(Ferrin_SetMapTable(map, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 102);
  EXPECT_EQ(stored(102), hex(sim::Bytes(map, map + 32)));

  unsigned char buf[32];
  for (int i = 0; i < 32; ++i) buf[i] = static_cast<unsigned char>(i);
  const sim::Bytes before(buf, buf + 32);
  ASSERT_EQ(Ferrin_GetMapTable(buf, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 103);
  EXPECT_EQ(sent_payload(), hex(before));  // the caller's bytes as they stood
  EXPECT_EQ(hex(sim::Bytes(buf, buf + 32)), hex(sim::Bytes(map, map + 32)));
}

}  // namespace
}  // namespace vorskel
