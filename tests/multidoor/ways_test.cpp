// Door channels, per-channel way settings and the controller-wide settings against the
// simulated controller: exact wire bytes per command, read-back, range checks and echoes.
#include <array>
#include <cstring>
#include <string>

#include "multidoor/ferrin_fixture.h"

namespace vorskel {
namespace {

using Ways = testing::FerrinTest;
using testing::hex;

TEST_F(Ways, ChannelActionsSendTheChannelAndWantItBack) {
  struct Case {
    int (*fn)(int, const char*, int);
    int code;
  } cases[] = {
      {Ferrin_Open, 98}, {Ferrin_OpenAlways, 99}, {Ferrin_Close, 100}, {Ferrin_ClearAlarm, 101}};
  for (const auto& c : cases) {
    corrupt_echo(~std::size_t{0}, false);
    ASSERT_EQ(c.fn(23, host(), port()), 0) << c.code;
    EXPECT_EQ(last_request().code(), c.code);
    EXPECT_EQ(sent_payload(), "17");
    EXPECT_EQ(c.fn(24, host(), port()), -1) << c.code;
    EXPECT_EQ(c.fn(-1, host(), port()), -1) << c.code;
    corrupt_echo(0);  // channel 0 answered as channel 1
    EXPECT_EQ(c.fn(0, host(), port()), -1) << c.code;
  }
  EXPECT_EQ(sim().request_count(), 8u);  // the out-of-range calls sent nothing
  const auto actions = controller([](sim::FerrinController& c) { return c.actions; });
  ASSERT_EQ(actions.size(), 8u);
  EXPECT_EQ(actions[0], std::make_pair(98, 23));
  EXPECT_EQ(actions[7], std::make_pair(101, 0));
}

TEST_F(Ways, StatusBitsOfEveryChannel) {
  controller([](sim::FerrinController& c) {
    c.status[0] = 0x45;
    c.status[23] = 0xFF;  // bit 7 is not a status bit
  });
  std::array<unsigned char, 168> status;
  status.fill(9);
  ASSERT_EQ(Ferrin_GetStatus(status.data(), host(), port()), 0);
  EXPECT_EQ(last_request().code(), 97);
  EXPECT_EQ(last_request().payload_size(), 0u);
  EXPECT_EQ(hex(sim::Bytes(status.begin(), status.begin() + 7)), "01 00 01 00 00 00 01");
  EXPECT_EQ(hex(sim::Bytes(status.begin() + 7, status.begin() + 14)), "00 00 00 00 00 00 00");
  EXPECT_EQ(hex(sim::Bytes(status.end() - 7, status.end())), "01 01 01 01 01 01 01");
}

// Golden bytes of each per-channel and controller-wide setting, written and read back.
TEST_F(Ways, SettingsWireBytesAndReadBack) {
  const unsigned char alarm[7] = {1, 0, 5, 0, 0, 0, 1};
  ASSERT_EQ(Ferrin_SetWayAlarm(alarm, 3, host(), port()), 0);
  EXPECT_EQ(sent_payload(), "03 45 00");
  unsigned char alarm_back[7];
  ASSERT_EQ(Ferrin_GetWayAlarm(alarm_back, 3, host(), port()), 0);
  EXPECT_EQ(sent_payload(), "03");
  EXPECT_EQ(hex(sim::Bytes(alarm_back, alarm_back + 7)), "01 00 01 00 00 00 01");

  const unsigned char pass[9] = {1, 0, 0, 0, 0, 0, 1, 1, 1};
  ASSERT_EQ(Ferrin_SetWayPass(pass, 22, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 64);
  EXPECT_EQ(sent_payload(), "16 81 81");
  unsigned char pass_back[9];
  controller([](sim::FerrinController& c) { c.stored[{64, 22}] = {0xFF, 0xFF}; });
  ASSERT_EQ(Ferrin_GetWayPass(pass_back, 22, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 65);
  EXPECT_EQ(hex(sim::Bytes(pass_back, pass_back + 9)), "01 01 01 01 01 01 01 01 01");

  int seg[33];
  for (int i = 0; i < 33; ++i) seg[i] = i == 32 ? -2 : 0x100 + i;  // low bytes travel
  ASSERT_EQ(Ferrin_SetWayTimeSeg(seg, 5, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 56);
  EXPECT_EQ(sent_payload(),
            "05 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A "
            "1B 1C 1D 1E 1F FE");
  int seg_back[33];
  ASSERT_EQ(Ferrin_GetWayTimeSeg(seg_back, 5, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 57);
  EXPECT_EQ(seg_back[0], 0);
  EXPECT_EQ(seg_back[31], 31);
  EXPECT_EQ(seg_back[32], -2);

  const unsigned char timer[4] = {0x10, 0x20, 0x30, 0xF0};
  ASSERT_EQ(Ferrin_SetWayTimer(timer, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 68);
  EXPECT_EQ(sent_payload(), "10 20 30 F0");
  unsigned char timer_back[4] = {};
  ASSERT_EQ(Ferrin_GetWayTimer(timer_back, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 69);
  EXPECT_EQ(last_request().payload_size(), 0u);
  EXPECT_EQ(hex(sim::Bytes(timer_back, timer_back + 4)), "10 20 30 F0");
}

TEST_F(Ways, LockMaskTexts) {
  struct Case {
    const char* text;
    const char* wire;
  } cases[] = {
      {"1", "01 00 00"},
      {"", "00 00 00"},
      {"0100000010000000000000011", "02 01 80"},       // the 25th character does not count
      {"111111111111111111111111111111", "FF FF FF"},  // 30 characters: the first 24
      {"1x1", "05 00 00"},                             // only '1' sets a bit
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Ferrin_SetWayLock(c.text, 9, host(), port()), 0) << c.text;
    EXPECT_EQ(last_request().code(), 58);
    EXPECT_EQ(sent_payload(), std::string("09 ") + c.wire) << c.text;
  }
  char text[25] = {};
  controller([](sim::FerrinController& c) { c.stored[{58, 4}] = {0x81, 0x00, 0xC0}; });
  ASSERT_EQ(Ferrin_GetWayLock(text, 4, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 107);
  EXPECT_STREQ(text, "100000010000000000000011");  // exactly 24 characters

  char marked[26];
  std::memset(marked, '#', sizeof marked);
  ASSERT_EQ(Ferrin_GetWayLock(marked, 4, host(), port()), 0);
  EXPECT_EQ(marked[24], '#');  // no terminating zero is written
}

TEST_F(Ways, PasswordsAreUpperCasedInPlace) {
  char psw[] = "a1b2c3d4";
  ASSERT_EQ(Ferrin_SetDoorOpenPsw(psw, 2, host(), port()), 0);
  EXPECT_STREQ(psw, "A1B2C3D4");
  EXPECT_EQ(last_request().code(), 62);
  EXPECT_EQ(sent_payload(), "02 A1 B2 C3 D4");
  char back[9];
  ASSERT_EQ(Ferrin_GetDoorOpenPsw(back, 2, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 63);
  EXPECT_STREQ(back, "A1B2C3D4");

  char alarm_psw[] = "00ffzz12";  // a non-hex character counts as 0
  ASSERT_EQ(Ferrin_SetDoorAlarmPsw(alarm_psw, host(), port()), 0);
  EXPECT_STREQ(alarm_psw, "00FFZZ12");
  EXPECT_EQ(last_request().code(), 70);
  EXPECT_EQ(sent_payload(), "00 FF 00 12");
  ASSERT_EQ(Ferrin_GetDoorAlarmPsw(back, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 71);
  EXPECT_STREQ(back, "00FF0012");

  // A short text is not read past its end: the missing digits count as 0.
  char short_psw[] = "12a";
  ASSERT_EQ(Ferrin_SetDoorAlarmPsw(short_psw, host(), port()), 0);
  EXPECT_EQ(sent_payload(), "12 A0 00 00");
}

TEST_F(Ways, LinkageMembersArePackedToTheFront) {
  struct Case {
    std::array<int, 5> group;
    const char* wire;
    std::array<int, 5> back;
  } cases[] = {
      {{3, 255, 7, 255, 0x1234}, "01 03 07 FF FF 34 12", {3, 7, -1, -1, 0x1234}},
      {{255, 255, 255, 255, 0}, "01 FF FF FF FF 00 00", {-1, -1, -1, -1, 0}},
      {{255, 1, 2, 23, 0x1FFFF}, "01 01 02 17 FF FF FF", {1, 2, 23, -1, 0xFFFF}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Ferrin_SetWayConnect(c.group.data(), 1, host(), port()), 0) << c.wire;
    EXPECT_EQ(last_request().code(), 60);
    EXPECT_EQ(sent_payload(), c.wire);
    std::array<int, 5> back{};
    ASSERT_EQ(Ferrin_GetWayConnect(back.data(), 1, host(), port()), 0);
    EXPECT_EQ(last_request().code(), 61);
    EXPECT_EQ(back, c.back) << c.wire;
  }
}

TEST_F(Ways, SelectorsOutOfRangeSendNothing) {
  unsigned char flags[9] = {};
  char text[32] = "00000000";
  int ints[33] = {};
  struct Case {
    const char* what;
    int result;
  } cases[] = {
      {"alarm 24", Ferrin_SetWayAlarm(flags, 24, host(), port())},
      {"alarm -1", Ferrin_GetWayAlarm(flags, -1, host(), port())},
      {"pass 24", Ferrin_SetWayPass(flags, 24, host(), port())},
      {"pass -1", Ferrin_GetWayPass(flags, -1, host(), port())},
      {"lock 24", Ferrin_SetWayLock(text, 24, host(), port())},
      {"lock -1", Ferrin_GetWayLock(text, -1, host(), port())},
      {"time seg 24", Ferrin_SetWayTimeSeg(ints, 24, host(), port())},
      {"time seg -1", Ferrin_GetWayTimeSeg(ints, -1, host(), port())},
      {"open psw 24", Ferrin_SetDoorOpenPsw(text, 24, host(), port())},
      {"open psw -1", Ferrin_GetDoorOpenPsw(text, -1, host(), port())},
      {"group 2", Ferrin_SetWayConnect(ints, 2, host(), port())},
      {"group -1", Ferrin_GetWayConnect(ints, -1, host(), port())},
      {"input format port 2", Ferrin_Com_InputFormat(2, 1, 2, 3, 4, host(), port())},
      {"input format port 0x80", Ferrin_Com_InputFormat(0x80, 1, 2, 3, 4, host(), port())},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, -1) << c.what;
  EXPECT_EQ(sim().request_count(), 0u);
}

TEST_F(Ways, ChangedEchoOfASettingGivesMinusTwo) {
  unsigned char flags[9] = {1, 1};
  int group[5] = {1, 2, 3, 4, 5};
  char psw[] = "11223344";
  corrupt_echo(1);
  EXPECT_EQ(Ferrin_SetWayAlarm(flags, 0, host(), port()), -2);
  EXPECT_EQ(Ferrin_SetWayPass(flags, 0, host(), port()), -2);
  EXPECT_EQ(Ferrin_SetWayLock("1", 0, host(), port()), -2);
  const int seg[33] = {1};
  EXPECT_EQ(Ferrin_SetWayTimeSeg(seg, 0, host(), port()), -2);
  EXPECT_EQ(Ferrin_SetDoorOpenPsw(psw, 0, host(), port()), -2);
  EXPECT_EQ(Ferrin_SetWayConnect(group, 0, host(), port()), -2);
  EXPECT_EQ(Ferrin_SetWayTimer(flags, host(), port()), -2);
  EXPECT_EQ(Ferrin_SetDoorAlarmPsw(psw, host(), port()), -2);
}

TEST_F(Ways, UncheckedControllerCommands) {
  unsigned char info[42];
  for (int i = 0; i < 42; ++i) info[i] = static_cast<unsigned char>(i + 1);
  corrupt_echo(5);  // these commands return the transaction's result whatever comes back
  ASSERT_EQ(Ferrin_SetPrintInfo(info, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 89);
  EXPECT_EQ(sent_payload(), "00 00 " + hex(sim::Bytes(info, info + 42)));

  ASSERT_EQ(Ferrin_Com_Usetype(0x101, 0x2FE, host(), port()), 0);  // low bytes, unchecked
  EXPECT_EQ(last_request().code(), 105);
  EXPECT_EQ(sent_payload(), "01 FE");

  ASSERT_EQ(Ferrin_Com_InputFormat(0x101, 0x1A, 0x2B, 0x3C, 0x14D, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 104);
  EXPECT_EQ(sent_payload(), "01 1A 2B 3C 4D");

  const auto before = sim().request_count();
  EXPECT_EQ(Ferrin_SetGPRSInfo(1, 2, 3), 0);
  EXPECT_EQ(sim().request_count(), before);
}

}  // namespace
}  // namespace vorskel
