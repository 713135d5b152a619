// What the main terminal's getters make of its replies: set-then-get round trips through the
// simulated terminal, the decoding rules of each reader, and outputs left alone on failure.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "sim/models/terminal_commands.h"
#include "support/sim_fixture.h"
#include "vorskel.h"

namespace vorskel::testing {
namespace {

using sim::TerminalSettings;

class ReadBack : public SimTest {
 protected:
  template <class F>
  void with_settings(F&& f) {
    sim().with_model([&](sim::Model& m) {
      f(m.part<TerminalSettings>());
      return 0;
    });
  }
};

TEST_F(ReadBack, IdentityRoundTrip) {
  ASSERT_EQ(Vorsk_SetDevice_Ex("TERM-01", 0xFE, 123456, host(), port()), 0);
  char text[9];
  std::memset(text, '#', sizeof text);
  int device = 0, value = 0;
  ASSERT_EQ(Vorsk_GetDevice_Ex(text, &device, &value, host(), port()), 0);
  EXPECT_EQ(std::string(text, 8), "TERM-01#") << "text up to its zero, no terminator written";
  EXPECT_EQ(device, -2) << "the device byte is sign-extended";
  EXPECT_EQ(value, 123456);

  ASSERT_EQ(Vorsk_SetDevice("ABCDEFGHIJKL", 3, host(), port()), 0);
  std::memset(text, '#', sizeof text);
  ASSERT_EQ(Vorsk_GetDevice(text, &device, host(), port()), 0);
  EXPECT_EQ(std::string(text, 9), "ABCDEFGH#") << "at most 8 characters";
  EXPECT_EQ(device, 3);
}

TEST_F(ReadBack, VersionTextIsCopiedWithoutTerminator) {
  with_settings([](TerminalSettings& s) { s.version = "VORSK 3.20 2009-0305"; });  // 20 chars
  char text[130];
  std::memset(text, '#', sizeof text);
  ASSERT_EQ(Vorsk_Version(text, host(), port()), 0);
  EXPECT_EQ(std::string(text, 21), "VORSK 3.20 2009-0305#");

  with_settings([](TerminalSettings& s) { s.version = std::string(200, 'V'); });
  std::memset(text, '#', sizeof text);
  ASSERT_EQ(Vorsk_Version(text, host(), port()), 0);
  EXPECT_EQ(std::string(text, 129), std::string(128, 'V') + "#") << "at most 128 bytes";
}

VorskTimeTable table_with(int header1, int header2, int base) {
  VorskTimeTable t{};
  for (int k = 0; k < 16; ++k) t.point[k] = {(base + k) % 24, (base * 3 + k) % 60};
  t.header1 = header1;
  t.header2 = header2;
  return t;
}

bool same(const VorskTimeTable& a, const VorskTimeTable& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(ReadBack, TimeTablesAndAlarmClockRoundTrip) {
  const VorskTimeTable first = table_with(1, 2, 5), second = table_with(2, 2, 11);
  ASSERT_EQ(Vorsk_SetTimeTable(&first, host(), port()), 0);
  ASSERT_EQ(Vorsk_SetTimeTable(&second, host(), port()), 0);
  VorskTimeTable got = table_with(1, 2, 0);
  ASSERT_EQ(Vorsk_GetTimeTable(&got, host(), port()), 0);
  EXPECT_TRUE(same(got, first)) << "the header values name the table";
  got = table_with(2, 2, 0);
  ASSERT_EQ(Vorsk_GetTimeTable(&got, host(), port()), 0);
  EXPECT_TRUE(same(got, second));

  const VorskTimeTable alarm = table_with(4, 9, 3);
  ASSERT_EQ(Vorsk_SetAlarmClock(&alarm, host(), port()), 0);
  VorskTimeTable alarm_back = table_with(4, 77, 0);
  ASSERT_EQ(Vorsk_GetAlarmClock(&alarm_back, host(), port()), 0);
  VorskTimeTable expected = alarm;
  expected.header2 = 0;
  EXPECT_TRUE(same(alarm_back, expected)) << "the alarm clock has no second header value";
}

TEST_F(ReadBack, OutOfRangeTimesReadAsZero) {
  sim::Bytes reply(34, 0);
  reply[0] = 24, reply[1] = 60;  // just out of range
  reply[2] = 23, reply[3] = 59;  // just inside
  reply[4] = 0xFF, reply[5] = 0x80;
  reply[32] = 7, reply[33] = 8;
  with_settings([&](TerminalSettings& s) {
    s.time_tables[{7, 8}] = reply;
    s.alarm_clocks[7] = reply;
  });
  for (auto get : {Vorsk_GetTimeTable, Vorsk_GetAlarmClock}) {
    VorskTimeTable t = table_with(7, 8, 1);
    ASSERT_EQ(get(&t, host(), port()), 0);
    EXPECT_EQ(t.point[0].hour, 0);
    EXPECT_EQ(t.point[0].minute, 0);
    EXPECT_EQ(t.point[1].hour, 23);
    EXPECT_EQ(t.point[1].minute, 59);
    EXPECT_EQ(t.point[2].hour, 0);
    EXPECT_EQ(t.point[2].minute, 0);
    EXPECT_EQ(t.header1, 7);
  }
}

TEST_F(ReadBack, SystemParameters) {
  const VorskCardKeys keys = {{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F},
                              {0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0x00}};
  ASSERT_EQ(Vorsk_MifarePsw(0x17, 0x80, keys, host(), port()), 0);
  with_settings([](TerminalSettings& s) {
    for (int i = 0; i < 80; ++i) s.block_a[i] = static_cast<std::uint8_t>(0x40 + i);
    for (int i = 0; i < 61; ++i) s.block_b[i] = static_cast<std::uint8_t>(0xA0 + i);
    s.set_block_b_numbers(0x1234, 0xABCD);
  });

  unsigned char block_a[81], block_b[67];
  std::memset(block_a, 0xEE, sizeof block_a);
  std::memset(block_b, 0xEE, sizeof block_b);
  VorskCardKeyReport report;
  std::memset(&report, 0xEE, sizeof report);
  ASSERT_EQ(Vorsk_Read_SystemParameter(block_a, &report, block_b, host(), port()), 0);

  with_settings([](TerminalSettings& s) { EXPECT_EQ(s.rejected_key_blocks, 0) << "bad CRC"; });
  for (int i = 0; i < 80; ++i) EXPECT_EQ(block_a[i], 0x40 + i) << i;
  EXPECT_EQ(block_a[80], 0xEE) << "exactly 80 bytes";
  EXPECT_EQ(report.numberA, 0x17);
  EXPECT_EQ(std::string(report.keyA, 12), "0A1B2C3D4E5F");
  EXPECT_EQ(report.numberB, -128) << "sign-extended";
  EXPECT_EQ(std::string(report.keyB, 12), "F0E1D2C3B400");
  for (int i = 0; i < 61; ++i) EXPECT_EQ(block_b[i], 0xA0 + i) << i;
  EXPECT_EQ(hex({block_b + 61, block_b + 67}), "34 34 12 CD AB EE")
      << "the odd-offset numbers move to 62 and 64; 61 keeps the first's low byte";
}

TEST_F(ReadBack, CardKeyRecordStoresTheSameKeys) {
  const VorskCardKeyRecord record = {0x1FE, 2, {1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
  ASSERT_EQ(Vorsk_MifarePsw_Ptr(&record, host(), port()), 0);
  VorskCardKeyReport report{};
  ASSERT_EQ(Vorsk_Read_SystemParameter(nullptr, &report, nullptr, host(), port()), 0);
  EXPECT_EQ(report.numberA, -2);
  EXPECT_EQ(std::string(report.keyA, 12), "010203040506");
  EXPECT_EQ(report.numberB, 2);
  EXPECT_EQ(std::string(report.keyB, 12), "0708090A0B0C");
}

TEST_F(ReadBack, OtherSettingsRoundTrip) {
  unsigned char written[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ASSERT_EQ(Vorsk_OtherSet(written, 1, host(), port()), 0);
  EXPECT_EQ(written[11], 12) << "writing leaves the buffer alone";
  unsigned char read[12];
  std::memset(read, 0xEE, sizeof read);
  ASSERT_EQ(Vorsk_OtherSet(read, 0, host(), port()), 0);
  EXPECT_EQ(hex({read, read + 12}), "01 02 03 04 05 06 07 08 09 0A 0B 00");
}

TEST_F(ReadBack, TerminalStatusIsTheResult) {
  struct Case {
    std::int16_t status;
  } cases[] = {{0}, {1}, {-2}, {0x7FFF}, {-32768}};
  for (const auto& c : cases) {
    with_settings([&](TerminalSettings& s) {
      s.door_status = c.status;
      s.outgo_status = c.status;
    });
    EXPECT_EQ(Vorsk_OpenDoorPassword("8888", 1, host(), port()), c.status);
    EXPECT_EQ(Vorsk_OutGoMessage("hello", 2, host(), port()), c.status);
  }
}

TEST_F(ReadBack, SettersReachTheTerminal) {
  // A few settings the terminal keeps, read from its side: what a setter sent is what it
  // holds.
  ASSERT_EQ(Vorsk_SetOpenDoorPassword(987654, host(), port()), 0);
  ASSERT_EQ(Vorsk_SetWorkArea(9, host(), port()), 0);
  ASSERT_EQ(Vorsk_IpConfig("10.1.2.3", "255.0.0.0", "10.1.2.1", "10.1.2.4", host(), port()), 0);
  ASSERT_EQ(Vorsk_Logo("Hello", "World", host(), port()), 0);
  ASSERT_EQ(Vorsk_ClearRecord(host(), port()), 0);
  ASSERT_EQ(Vorsk_ClearRegistry(host(), port()), 0);
  ASSERT_EQ(Vorsk_Reset(host(), port()), 0);
  with_settings([](TerminalSettings& s) {
    EXPECT_EQ(s.door_password, 987654u);
    EXPECT_EQ(s.work_area, 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&s.network[60])), "10.1.2.4");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&s.greetings[16])), "World");
    EXPECT_EQ(s.clears, (std::vector<std::uint8_t>{1, 3}));
    EXPECT_EQ(s.resets, 1);
  });
}

// Readers write their outputs only when the transaction succeeds.
TEST_F(ReadBack, FailedReadsLeaveOutputsAlone) {
  char text[130];
  int device = 0x5A5A, value = 0x5A5A;
  VorskTimeTable table = table_with(1, 2, 4);
  const VorskTimeTable table_before = table;
  unsigned char other[12], block_a[80], block_b[66];
  VorskCardKeyReport report;
  std::memset(text, '#', sizeof text);
  std::memset(other, 0xEE, sizeof other);
  std::memset(block_a, 0xEE, sizeof block_a);
  std::memset(block_b, 0xEE, sizeof block_b);
  std::memset(&report, 0xEE, sizeof report);
  with_settings([](TerminalSettings& s) {
    s.version = "NEW";
    s.identity = {'N', 'E', 'W'};
    s.other.fill(1);
    s.block_a.fill(1);
  });
  struct Case {
    const char* what;
    std::uint8_t code;
    std::function<int()> call;
  } cases[] = {
      {"GetDevice_Ex", 9,
       [&] { return Vorsk_GetDevice_Ex(text, &device, &value, host(), port()); }},
      {"GetDevice", 9, [&] { return Vorsk_GetDevice(text, &device, host(), port()); }},
      {"Version", 10, [&] { return Vorsk_Version(text, host(), port()); }},
      {"GetTimeTable", 14, [&] { return Vorsk_GetTimeTable(&table, host(), port()); }},
      {"GetAlarmClock", 24, [&] { return Vorsk_GetAlarmClock(&table, host(), port()); }},
      {"OtherSet read", 28, [&] { return Vorsk_OtherSet(other, 0, host(), port()); }},
      {"Read_SystemParameter", 27,
       [&] { return Vorsk_Read_SystemParameter(block_a, &report, block_b, host(), port()); }},
      {"OpenDoorPassword", 52, [&] { return Vorsk_OpenDoorPassword("1", 1, host(), port()); }},
      {"OutGoMessage", 39, [&] { return Vorsk_OutGoMessage("x", 1, host(), port()); }},
  };
  for (const auto& c : cases) {
    sim().inject(c.code, sim::Fault{sim::FaultKind::kWrongCode, 0, 0, 1});
    EXPECT_EQ(c.call(), -22) << c.what << ": a status word is not taken from a wrong reply";
  }
  set_receive_timeout(100);
  sim().inject(52, sim::Fault{sim::FaultKind::kNoReply, 0, 0, 1});
  EXPECT_EQ(Vorsk_OpenDoorPassword("1", 1, host(), port()), -21);

  EXPECT_EQ(std::string(text, 4), "####");
  EXPECT_EQ(device, 0x5A5A);
  EXPECT_EQ(value, 0x5A5A);
  EXPECT_TRUE(same(table, table_before));
  EXPECT_EQ(other[0], 0xEE);
  EXPECT_EQ(other[11], 0xEE);
  EXPECT_EQ(block_a[0], 0xEE);
  EXPECT_EQ(block_b[0], 0xEE);
  EXPECT_EQ(report.numberA, static_cast<int>(0xEEEEEEEE));
}

TEST_F(ReadBack, TransactionResultsPassThrough) {
  set_receive_timeout(100);
  sim().inject(sim::kAnyCode, sim::Fault{sim::FaultKind::kNoReply, 0, 0, 2});
  EXPECT_EQ(Vorsk_Beep(1, host(), port()), -21);
  EXPECT_EQ(Vorsk_RealMessage("x", 1, 0, host(), port()), -21);
  sim().inject(sim::kAnyCode, sim::Fault{sim::FaultKind::kWrongCode, 0, 0, 1});
  const VorskTimeTable table = table_with(1, 1, 1);
  EXPECT_EQ(Vorsk_SetTimeTable(&table, host(), port()), -22);
}

}  // namespace
}  // namespace vorskel::testing
