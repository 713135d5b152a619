// Door controller commands against the simulated controllers: the exact bytes each export
// sends, the clamps, the answers they decode, and their failures.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "sim/models/doors.h"
#include "support/sim_fixture.h"
#include "terminal_flash/wire.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using testing::Field;
using testing::request_hex;
using testing::sent_hex;
using testing::WireRow;

static_assert(sizeof(SondoRegistration) == 172);
static_assert(offsetof(SondoRegistration, high) == 8 && offsetof(SondoRegistration, low) == 12);
static_assert(offsetof(SondoRegistration, value) == 16);
static_assert(offsetof(SondoRegistration, flags) == 20);
static_assert(offsetof(SondoRegistration, year) == 148);
static_assert(offsetof(SondoRegistration, month) == 152 && offsetof(SondoRegistration, day) == 156);
static_assert(offsetof(SondoRegistration, second) == 160);
static_assert(sizeof(LuskRegistration) == 56 && offsetof(LuskRegistration, date) == 8);
static_assert(offsetof(LuskRegistration, time) == 24 && offsetof(LuskRegistration, value) == 40);
static_assert(offsetof(LuskRegistration, year) == 44 && offsetof(LuskRegistration, day) == 52);

class DoorCommands : public testing::SimTest {
 protected:
  std::string model_name() const override { return "doors"; }

  template <class F>
  auto state(F&& f) {
    return sim().with_model([&](sim::Model& m) { return f(m.part<sim::DoorControllers>()); });
  }
  int* gaddo_port() {
    gaddo_port_ = port();
    return &gaddo_port_;
  }

 private:
  int gaddo_port_ = 0;
};

std::vector<unsigned char> row_of(std::initializer_list<std::pair<int, unsigned char>> set) {
  std::vector<unsigned char> row(32, 0);
  for (auto [i, v] : set) row[static_cast<std::size_t>(i)] = v;
  return row;
}

TEST_F(DoorCommands, RequestsOnTheWire) {
  const auto flags = row_of({{0, 1}, {1, 7}, {31, 0xFF}});
  const auto pass_back = row_of({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 255}});
  const auto time_table = row_of({{0, 15}, {1, 16}, {2, 0}, {3, 255}});
  std::vector<unsigned char> counting(32);
  for (int i = 0; i < 32; ++i)
    counting[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
  const unsigned char parameters[14] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
  const std::string long_card = "1a2b3c4d" + std::string(200, '9');
  const unsigned char one_relay[8] = {1, 0, 0, 0, 0, 0, 0, 0};
  const unsigned char no_relay[8] = {};
  const unsigned char voice[200] = {'h', 'e', 'l', 'l', 'o'};
  const unsigned char ack[12] = {0xAB, 0xCD, 0xEF};
  unsigned char machine[3] = {1, 2, 3};
  const int first[2] = {8, 30}, second[2] = {1, 2};
  const std::uint16_t crc = sim::crc16(machine, 3);
  const std::string machine_crc =
      testing::hex({static_cast<std::uint8_t>(crc & 0xFF), static_cast<std::uint8_t>(crc >> 8)});
  const char* h = host();
  const int p = port();

  testing::expect_wire(
      sim(),
      {
          {"Sondo_MutexLock: above 31 (unsigned) is 0xFF",
           [&] { return Sondo_MutexLock(7, 0, 1, 31, 32, 0xFFFFFFFFu, 5, 6, 7, 8, 9, h, p); },
           request_hex(30, 11, {{0, "07 00 01 1F FF FF 05 06 07 08 09"}})},
          {"Kappel_RelayOpenTime: 300 and -1", [&] { return Kappel_RelayOpenTime(300, -1, h, p); },
           request_hex(31, 2, {{0, "FF FF"}})},
          {"Sondo_RelayOpenTime", [&] { return Sondo_RelayOpenTime(5, 255, h, p); },
           request_hex(31, 2, {{0, "05 FF"}})},
          {"Kappel_DeviceGetAllStatus", [&] { return Kappel_DeviceGetAllStatus(nullptr, h, p); },
           request_hex(32, 32, {})},
          {"Kappel_PassBack", [&] { return Kappel_PassBack(7, h, p); },
           request_hex(33, 2, {{0, "01"}})},
          {"Sondo_PassBack off", [&] { return Sondo_PassBack(0, h, p); }, request_hex(33, 2, {})},
          {"Sondo_SetTolkaPsw: reader 9 is 8, number low byte first",
           [&] { return Sondo_SetTolkaPsw(9, "305419896", h, p); },
           request_hex(34, 5, {{0, "08 78 56 34 12"}})},
          {"Sondo_SetTolkaPsw: reader -1, no digits",
           [&] { return Sondo_SetTolkaPsw(-1, "abc", h, p); }, request_hex(34, 5, {{0, "FF"}})},
          {"Sondo_SetTolkaPsw: sign and spaces",
           [&] { return Sondo_SetTolkaPsw(3, "  -1x", h, p); },
           request_hex(34, 5, {{0, "03 FF FF FF FF"}})},
          {"Sondo_ReaderNeedPsw", [&] { return Sondo_ReaderNeedPsw(flags.data(), h, p); },
           request_hex(35, 4, {{0, "03 00 00 80"}})},
          {"Sondo_Switch: clamps a, b, c, d",
           [&] { return Sondo_Switch(0x11, 5, 300, 1, 150, h, p); },
           request_hex(36, 5, {{0, "11 02 C8 01 96"}})},
          {"Sondo_AlwaysOpenDoor: a 8 b 30 c 17 d 45",
           [&] { return Sondo_AlwaysOpenDoor(counting.data(), 8, 30, 17, 45, h, p); },
           request_hex(
               37, 36,
               {{0, testing::hex(std::vector<std::uint8_t>(counting.begin(), counting.end()))},
                {32, "1E 08 2D 11"}})},
          {"Sondo_Attend", [&] { return Sondo_Attend(flags.data(), h, p); },
           request_hex(38, 4, {{0, "03 00 00 80"}})},
          {"Sondo_DoubleCard", [&] { return Sondo_DoubleCard(flags.data(), h, p); },
           request_hex(39, 4, {{0, "03 00 00 80"}})},
          {"Sondo_PassBackEx: above 2 is 0",
           [&] { return Sondo_PassBackEx(pass_back.data(), h, p); },
           request_hex(40, 32, {{0, "00 01 02 00 00"}})},
          {"Sondo_DeviceTimeTable: above 15 is 0xFF",
           [&] { return Sondo_DeviceTimeTable(time_table.data(), h, p); },
           request_hex(41, 32, {{0, "0F FF 00 FF"}})},
          {"Sondo_DeviceParameter", [&] { return Sondo_DeviceParameter(0x42, parameters, h, p); },
           request_hex(60, 15, {{0, "42 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E"}})},
          {"Kappel_OpenRelay", [&] { return Kappel_OpenRelay(3, h, p); },
           request_hex(26, 1, {{0, "03"}})},
          {"Sondo_OpenRelay", [&] { return Sondo_OpenRelay(0x181, h, p); },
           request_hex(26, 1, {{0, "81"}})},
          {"Kappel_ChangeAddressWend",
           [&] { return Kappel_ChangeAddressWend(0x1234, 0xABCD, h, p); },
           request_hex(48, 4, {{0, "34 12 CD AB"}})},
          {"Kappel_OpenRelayWend",
           [&] { return Kappel_OpenRelayWend(0x0102, "1a2B3c4D", 0xDEADBEEF, h, p); },
           request_hex(49, 10, {{0, "02 01 1A 2B 3C 4D EF BE AD DE"}})},
          {"Kappel_OpenRelayWend: a card text far past 32 bytes",
           [&] { return Kappel_OpenRelayWend(1, long_card.c_str(), 0, h, p); },
           request_hex(49, 10, {{0, "01 00 1A 2B 3C 4D"}})},
          {"Kappel_OpenRelayWend: a short card text ends in zeros",
           [&] { return Kappel_OpenRelayWend(1, "12", 0, h, p); },
           request_hex(49, 10, {{0, "01 00 12"}})},
          {"Kappel_OpenInterRelay", [&] { return Kappel_OpenInterRelay(5, 0, h, p); },
           request_hex(50, 2, {{0, "01 00"}})},
          {"Vorskel_AlwaysOpenDoor: first (8, 30)",
           [&] { return Vorskel_AlwaysOpenDoor(first, second, h, p); },
           request_hex(37, 131, {{0, "1E 08 02 01"}})},
          {"Lusk_Master_Card: check byte CC^12^34^56^78",
           [&] { return Lusk_Master_Card("12345678", h, p); },
           request_hex(7, 8, {{0, "CC 12 34 56 78 C4 0D 0A"}})},
          {"Lusk_GetOnline", [&] { return Lusk_GetOnline(nullptr, h, p); }, request_hex(23, 0, {})},
          {"Hesk_Relay: flag 0 set", [&] { return Hesk_Relay(one_relay, h, p); },
           request_hex(26, 4, {{0, "FE"}})},
          {"Hesk_Relay: none set", [&] { return Hesk_Relay(no_relay, h, p); },
           request_hex(26, 4, {{0, "FF"}})},
          {"Hesk_TextVoice", [&] { return Hesk_TextVoice(voice, 5, h, p); },
           request_hex(29, 5, {{0, "68 65 6C 6C 6F"}})},
          {"Hesk_TextVoice: 200 sends 128", [&] { return Hesk_TextVoice(voice, 200, h, p); },
           request_hex(29, 128, {{0, "68 65 6C 6C 6F"}})},
          {"Hesk_TextVoice: negative length sends no text",
           [&] { return Hesk_TextVoice(voice, -5, h, p); }, request_hex(29, 0, {})},
          {"Hesk_TextVoice: null bytes send no text",
           [&] { return Hesk_TextVoice(nullptr, 5, h, p); }, request_hex(29, 0, {})},
          {"Gaddo_Ack: the first two bytes", [&] { return Gaddo_Ack(ack, h, gaddo_port()); },
           request_hex(0, 2, {{0, "AB CD"}})},
          {"Gaddo_SetMchine: bytes and their CRC-16",
           [&] { return Gaddo_SetMchine(machine, h, gaddo_port()); },
           request_hex(112, 5, {{0, "01 02 03"}, {3, machine_crc}})},
          {"Gaddo_GetMchine", [&] { return Gaddo_GetMchine(machine, h, gaddo_port()); },
           request_hex(113, 0, {})},
          {"Gaddo_CloseAlarm", [&] { return Gaddo_CloseAlarm(h, gaddo_port()); },
           request_hex(116, 0, {})},
      });
}

TEST_F(DoorCommands, SwitchAndWendAnswersAreSigned16) {
  state([](sim::DoorControllers& s) {
    s.switch_answer = static_cast<std::int16_t>(0x8001);  // payload bytes 01 80
    s.wend_answer = -2;
    return 0;
  });
  EXPECT_EQ(Sondo_Switch(0, 0, 0, 0, 0, host(), port()), -32767);
  EXPECT_EQ(Kappel_ChangeAddressWend(1, 2, host(), port()), -2);
}

TEST_F(DoorCommands, SondoRegistrationStoredAndReadBack) {
  SondoRegistration reg{};
  std::memcpy(reg.card, "1a2b3c4d", 8);
  reg.high = 0x15;  // only the low nibble goes out
  reg.low = 3;
  reg.value = 0x01020304;
  reg.flags[0] = 1;
  reg.flags[9] = 7;
  reg.flags[31] = -1;
  reg.year = 2009;
  reg.month = 3;
  reg.day = 4;
  std::strcpy(reg.second, "0a0b0c0d");
  ASSERT_EQ(Sondo_Registry(&reg, 1, host(), port()), 0);
  EXPECT_EQ(sent_hex(last_request()), request_hex(12, 34,
                                                  {{0, "1A 2B 3C 4D 0A 0B 0C 0D"},
                                                   {14, "53 6D 03 04 01 02 00 80 04 03 02 01"},
                                                   {32, "01 00"}}));

  SondoRegistration back{};
  std::memcpy(back.card, "1A2B3C4D", 8);
  std::strcpy(back.second, "0a0b0c0d");
  ASSERT_EQ(Sondo_Registry(&back, 3, host(), port()), 0);
  EXPECT_EQ(sent_hex(last_request()),
            request_hex(12, 34, {{0, "1A 2B 3C 4D 0A 0B 0C 0D"}, {32, "03 00"}}));
  EXPECT_EQ(std::string(back.card, 8), "1a2b3c4d");
  EXPECT_STREQ(back.second, "0a0b0c0d");
  EXPECT_EQ(back.year, 2009);
  EXPECT_EQ(back.month, 3);
  EXPECT_EQ(back.day, 4);
  EXPECT_EQ(back.high, 5);
  EXPECT_EQ(back.low, 3);
  EXPECT_EQ(back.value, 0x01020304u);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(back.flags[i], i == 0 || i == 9 || i == 31 ? 1 : 0) << i;

  // Operation 2 sends card and second value only; an empty second text sends zeros.
  SondoRegistration card_only = reg;
  card_only.second[0] = '\0';
  EXPECT_EQ(Sondo_Registry(&card_only, 2, host(), port()), 0);
  EXPECT_EQ(sent_hex(last_request()), request_hex(12, 34, {{0, "1A 2B 3C 4D"}, {32, "02 00"}}));
  // The controller no longer has it: its answer -1 is the result.
  EXPECT_EQ(Sondo_Registry(&back, 3, host(), port()), -1);
}

TEST_F(DoorCommands, RefusedArgumentsSendNothing) {
  SondoRegistration reg{};
  LuskRegistration lusk{};
  sim().clear_requests();
  for (int op : {0, 4, -1}) {
    EXPECT_EQ(Sondo_Registry(&reg, op, host(), port()), -1);
    EXPECT_EQ(Lusk_Registry(&lusk, op, host(), port()), -1);
  }
  EXPECT_EQ(Sondo_Registry(nullptr, 1, host(), port()), -1);
  EXPECT_EQ(Lusk_Master_Card("1234567", host(), port()), -1);
  EXPECT_EQ(Lusk_Master_Card("123456789", host(), port()), -1);
  EXPECT_EQ(Lusk_Master_Card(nullptr, host(), port()), -1);
  // Null inputs: zeros would reconfigure the controller behind the host's back.
  EXPECT_EQ(Sondo_ReaderNeedPsw(nullptr, host(), port()), -1);
  EXPECT_EQ(Sondo_Attend(nullptr, host(), port()), -1);
  EXPECT_EQ(Sondo_DoubleCard(nullptr, host(), port()), -1);
  EXPECT_EQ(Sondo_PassBackEx(nullptr, host(), port()), -1);
  EXPECT_EQ(Sondo_DeviceTimeTable(nullptr, host(), port()), -1);
  EXPECT_EQ(Sondo_AlwaysOpenDoor(nullptr, 1, 2, 3, 4, host(), port()), -1);
  EXPECT_EQ(Sondo_DeviceParameter(1, nullptr, host(), port()), -1);
  EXPECT_EQ(Kappel_OpenRelayWend(1, nullptr, 0, host(), port()), -1);
  EXPECT_EQ(Hesk_Relay(nullptr, host(), port()), -1);
  const int pair[2] = {1, 2};
  EXPECT_EQ(Vorskel_AlwaysOpenDoor(nullptr, pair, host(), port()), -1);
  EXPECT_EQ(Vorskel_AlwaysOpenDoor(pair, nullptr, host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 0u);
}

TEST_F(DoorCommands, LuskRegistrationStoredAndReadBack) {
  LuskRegistration reg{};
  std::memcpy(reg.card, "CAFEF00D", 8);
  reg.value = 77;
  reg.year = 2009;
  reg.month = 3;
  reg.day = 4;
  ASSERT_EQ(Lusk_Registry(&reg, 1, host(), port()), 0);
  EXPECT_EQ(sent_hex(last_request()),
            request_hex(12, 22, {{0, "CA FE F0 0D 4D 00 00 00 6D 03 04"}, {20, "01 00"}}));
  LuskRegistration back{};
  std::memcpy(back.card, "cafef00d", 8);
  ASSERT_EQ(Lusk_Registry(&back, 3, host(), port()), 0);
  EXPECT_EQ(sent_hex(last_request()), request_hex(12, 22, {{0, "CA FE F0 0D"}, {20, "03 00"}}));
  EXPECT_EQ(std::string(back.card, 8), "cafef00d");
  EXPECT_STREQ(back.date, "2009-03-04");  // the controller stamps the day at 08:30
  EXPECT_STREQ(back.time, "08:30:00");
  EXPECT_EQ(back.value, 77u);
  EXPECT_EQ(back.year, 2009);
  EXPECT_EQ(back.month, 3);
  EXPECT_EQ(back.day, 4);
}

TEST_F(DoorCommands, RelayStatusTable) {
  state([](sim::DoorControllers& s) {
    s.relay_status[0] = 0x81;
    s.relay_status[2] = 0xFF;
    s.relay_status[3] = 0x12;  // bits 4 and 1 are not reported
    return 0;
  });
  std::vector<unsigned char> table(544, 0xEE);
  ASSERT_EQ(Sondo_DeviceGetAllStatus(table.data(), host(), port()), 0);
  auto entry = [&](int i) {
    return std::vector<std::uint8_t>(table.begin() + 17 * i, table.begin() + 17 * i + 17);
  };
  EXPECT_EQ(
      testing::hex(entry(0)),
      "01 00 00 00 00 01 00 " + testing::hex({'c', 'o', 'n', 'n', 'e', 'c', 't', 'e', 'd', 0}));
  EXPECT_EQ(
      testing::hex(entry(1)),
      "00 00 00 00 00 00 00 " + testing::hex({'d', 'i', 's', 'c', 'o', 'n', 'n', 'e', 'c', 't'}));
  EXPECT_EQ(
      testing::hex(entry(2)),
      "01 01 01 01 01 01 00 " + testing::hex({'c', 'o', 'n', 'n', 'e', 'c', 't', 'e', 'd', 0}));
  EXPECT_EQ(testing::hex(entry(3)).substr(0, 20), "00 00 00 00 00 00 00");
  for (int i = 4; i < 32; ++i) EXPECT_EQ(entry(i), entry(1)) << i;
}

TEST_F(DoorCommands, FailuresPassThroughAndWriteNothing) {
  set_receive_timeout(100);
  sim().inject(sim::kAnyCode, {sim::FaultKind::kNoReply});
  std::vector<unsigned char> table(544, 0xEE), online(32, 0xEE);
  SondoRegistration reg{};
  std::memcpy(reg.card, "12345678", 8);
  reg.year = 1234;
  EXPECT_EQ(Kappel_DeviceGetAllStatus(table.data(), host(), port()), -21);
  EXPECT_EQ(Lusk_GetOnline(online.data(), host(), port()), -21);
  EXPECT_EQ(Sondo_Registry(&reg, 3, host(), port()), -21);
  EXPECT_EQ(Sondo_Switch(0, 0, 0, 0, 0, host(), port()), -21);
  EXPECT_EQ(Kappel_ChangeAddressWend(0, 0, host(), port()), -21);
  EXPECT_EQ(table, std::vector<unsigned char>(544, 0xEE));
  EXPECT_EQ(online, std::vector<unsigned char>(32, 0xEE));
  EXPECT_EQ(reg.year, 1234);
  sim().clear_faults();
  sim().inject(sim::kAnyCode, {sim::FaultKind::kWrongCode});
  EXPECT_EQ(Sondo_Switch(0, 0, 0, 0, 0, host(), port()), -22);
  EXPECT_EQ(Sondo_PassBack(1, host(), port()), -22);
}

TEST_F(DoorCommands, OnlineTableAndRelayStatesReachTheController) {
  state([](sim::DoorControllers& s) {
    for (int i = 0; i < 32; ++i)
      s.online[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(100 + i);
    return 0;
  });
  unsigned char online[32] = {};
  ASSERT_EQ(Lusk_GetOnline(online, host(), port()), 0);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(online[i], 100 + i);
  const unsigned char relays[8] = {0, 1, 0, 0, 0, 0, 0, 1};
  ASSERT_EQ(Hesk_Relay(relays, host(), port()), 0);
  ASSERT_EQ(Kappel_OpenInterRelay(0, 9, host(), port()), 0);
  state([](sim::DoorControllers& s) {
    EXPECT_EQ(s.hesk_relays, 0x7D);
    EXPECT_EQ(s.inter_relays[1], 1);
    return 0;
  });
}

TEST_F(DoorCommands, GaddoSettingsGuardedByCrc16) {
  unsigned char machine[3] = {9, 8, 7};
  unsigned char logic[7] = {1, 2, 3, 4, 5, 6, 7};
  ASSERT_EQ(Gaddo_SetMchine(machine, host(), gaddo_port()), 0);
  ASSERT_EQ(Gaddo_SetLogic(logic, host(), gaddo_port()), 0);
  unsigned char got_machine[3] = {}, got_logic[7] = {};
  ASSERT_EQ(Gaddo_GetMchine(got_machine, host(), gaddo_port()), 0);
  ASSERT_EQ(Gaddo_GetLogic(got_logic, host(), gaddo_port()), 0);
  EXPECT_EQ(0, std::memcmp(got_machine, machine, 3));
  EXPECT_EQ(0, std::memcmp(got_logic, logic, 7));

  // An answer whose CRC-16 does not match: -1; the machine bytes become 0x33, the logic
  // bytes are the answer's.
  state([](sim::DoorControllers& s) {
    s.spoil_setting_crc = true;
    return 0;
  });
  unsigned char other_machine[3] = {1, 1, 1};
  unsigned char other_logic[7] = {0, 0, 0, 0, 0, 0, 9};
  EXPECT_EQ(Gaddo_SetMchine(other_machine, host(), gaddo_port()), -1);
  EXPECT_EQ(Gaddo_SetLogic(other_logic, host(), gaddo_port()), -1);
  const unsigned char rejected[3] = {0x33, 0x33, 0x33};
  EXPECT_EQ(0, std::memcmp(other_machine, rejected, 3));
  const unsigned char answered[7] = {0, 0, 0, 0, 0, 0, 9};  // what the controller now holds
  EXPECT_EQ(0, std::memcmp(other_logic, answered, 7));
}

TEST_F(DoorCommands, GaddoWithoutAnswer) {
  set_receive_timeout(100);
  sim().inject(sim::kAnyCode, {sim::FaultKind::kNoReply});
  unsigned char machine[3] = {5, 5, 5};
  EXPECT_EQ(Gaddo_CloseAlarm(host(), gaddo_port()), 0);  // the controller never answers it
  EXPECT_EQ(Gaddo_GetMchine(machine, host(), gaddo_port()), -21);
  EXPECT_EQ(machine[0], 0);  // the request's own zero bytes
  unsigned char set[3] = {4, 5, 6};
  EXPECT_EQ(Gaddo_SetMchine(set, host(), gaddo_port()), -21);  // its own bytes and CRC match
  EXPECT_EQ(set[2], 6);
  sim().clear_faults();
  sim().inject(116, {sim::FaultKind::kWrongCode});
  EXPECT_EQ(Gaddo_CloseAlarm(host(), gaddo_port()), -22);
}

TEST_F(DoorCommands, GaddoNullPointersGiveMinusTwoAndSendNothing) {
  unsigned char bytes[12] = {};
  int p = port();
  sim().clear_requests();
  EXPECT_EQ(Gaddo_Ack(nullptr, host(), &p), -2);
  EXPECT_EQ(Gaddo_Ack(bytes, host(), nullptr), -2);
  EXPECT_EQ(Gaddo_SetMchine(nullptr, host(), &p), -2);
  EXPECT_EQ(Gaddo_SetMchine(bytes, host(), nullptr), -2);
  EXPECT_EQ(Gaddo_GetMchine(nullptr, host(), &p), -2);
  EXPECT_EQ(Gaddo_SetLogic(nullptr, host(), &p), -2);
  EXPECT_EQ(Gaddo_GetLogic(bytes, host(), nullptr), -2);
  EXPECT_EQ(Gaddo_CloseAlarm(host(), nullptr), -2);
  EXPECT_EQ(sim().request_count(), 0u);
}

}  // namespace
}  // namespace vorskel
