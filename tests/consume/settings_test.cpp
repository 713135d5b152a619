// The payment terminals' settings against the simulated terminals: the exact request of
// every member, and what the queries hand back.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/models/consume_state.h"
#include "terminal_flash/wire.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using testing::request_hex;
using testing::WireRow;

constexpr int kShortTimeoutMs = 150;

class Settings : public testing::SimTest {
 protected:
  std::string model_name() const override { return "nemmarv2"; }
};

class BrellSettings : public testing::SimTest {
 protected:
  std::string model_name() const override { return "brell"; }
};

TEST_F(Settings, EveryMemberSendsItsPayload) {
  const char* h = host();
  const int p = port();
  const unsigned short ten[10] = {0x0102, 0x0304, 0x0506, 0x0708, 0x090A,
                                  0x0B0C, 0x0D0E, 0x0F10, 0x1112, 0xFFFF};
  // Starts of the three periods in 0-5, their ends in 6-11; high bytes are not sent.
  const int table[12] = {0x106, 0x11E, 0x10C, 0x100, 0x112, 0x11E,
                         0x108, 0x100, 0x10D, 0x11E, 0x117, 0x13B};
  unsigned char info[46];
  for (int i = 0; i < 46; ++i) info[i] = static_cast<unsigned char>(0xC0 + i);
  const std::string info_hex = testing::hex(sim::Bytes(info, info + 46));
  const std::vector<WireRow> rows = {
      {"Com_Print", [&] { return Nemmar_Com_Print(0x1F, h, p); }, "55 1F"},
      {"Add_Point keeps the low byte", [&] { return Nemmar_Add_Point(0x102, h, p); }, "56 02"},
      {"OverCost", [&] { return Nemmar_OverCost(7, h, p); }, "57 07"},
      {"set_point_mod", [&] { return Nemmar_set_point_mod(3, h, p); }, "5A 03"},
      {"MasterCard_id least significant first",
       [&] { return Nemmar_MasterCard_id("305419896", h, p); }, "07 78 56 34 12"},
      {"MasterCard_id 2^32-1", [&] { return Nemmar_MasterCard_id("4294967295", h, p); },
       "07 FF FF FF FF"},
      {"MasterCard_id wraps 2^32 to 0", [&] { return Nemmar_MasterCard_id("4294967296", h, p); },
       "07 00 00 00 00"},
      {"MasterCard_id stops at a non-digit", [&] { return Nemmar_MasterCard_id(" 258x9", h, p); },
       "07 02 01 00 00"},
      {"MasterCard pairs in text order", [&] { return Nemmar_MasterCard("12345678", h, p); },
       "07 12 34 56 78"},
      {"MasterCard short text", [&] { return Nemmar_MasterCard("aB", h, p); }, "07 AB 00 00 00"},
      {"Memory", [&] { return Nemmar_Memory(1, 2, 3, 0xA1B2C3D4u, h, p); },
       "50 01 00 00 00 02 00 00 00 03 00 00 00 D4 C3 B2 A1"},
      {"DaySum", [&] { return Nemmar_DaySum(0x1AB, 0x1234, h, p); }, "51 AB 34 12"},
      {"Auto_x", [&] { return Nemmar_Auto_x(ten, h, p); },
       "52 02 01 04 03 06 05 08 07 0A 09 0C 0B 0E 0D 10 0F 12 11 FF FF"},
      {"CostMax", [&] { return Nemmar_CostMax(0x01020304, h, p); }, "53 04 03 02 01"},
      {"SetDelay", [&] { return Nemmar_SetDelay(1, 0x100, 0xFFFFFFFFu, h, p); },
       "54 01 00 00 00 00 01 00 00 FF FF FF FF"},
      {"TimeValue", [&] { return Nemmar_TimeValue(5, 0x10000, h, p); },
       "5C 05 00 00 00 00 00 01 00"},
      {"TimeTable", [&] { return Nemmar_TimeTable(table, h, &p); },
       "14 06 1E 08 00 0C 00 0D 1E 12 1E 17 3B"},
      {"SetDevice cuts the name to 8",
       [&] { return Nemmar_SetDevice("ABCDEFGHIJ", 0x81, 0x7F, h, p); },
       request_hex(8, 20, {{0, "41 42 43 44 45 46 47 48"}, {15, "81 7F"}})},
      {"SetDevice short name", [&] { return Nemmar_SetDevice("AB", 1, 2, h, p); },
       request_hex(8, 20, {{0, "41 42"}, {15, "01 02"}})},
      {"GetDevice", [&] { return Nemmar_GetDevice(nullptr, nullptr, nullptr, h, p); }, "09"},
      {"get_point_mod", [&] { return Nemmar_get_point_mod(nullptr, h, p); }, "5B 00"},
      {"SetPrintInfo", [&] { return Nemmarv2_SetPrintInfo(info, h, p); }, "59 " + info_hex},
  };
  testing::expect_wire(sim(), rows);
}

TEST_F(BrellSettings, EveryMemberSendsItsPayload) {
  const char* h = host();
  const int p = port();
  unsigned char mul[32];
  for (int i = 0; i < 32; ++i) mul[i] = static_cast<unsigned char>(i + 1);
  const std::string mul_hex = testing::hex(sim::Bytes(mul, mul + 32));
  unsigned int mask = 0;
  const std::vector<WireRow> rows = {
      {"SetCostMul", [&] { return Brell_SetCostMul(mul, h, p); }, "7A " + mul_hex},
      {"GetCostMul sends the caller's bytes", [&] { return Brell_GetCostMul(mul, h, p); },
       "7B " + mul_hex},
      {"SetCardTypeMask in a 32-byte payload",
       [&] { return Brell_SetCardTypeMask(0x11223344u, h, p); },
       request_hex(0x7C, 32, {{0, "44 33 22 11"}})},
      {"GetCardTypeMask sends 32 zeros", [&] { return Brell_GetCardTypeMask(&mask, h, p); },
       request_hex(0x7D, 32, {})},
  };
  testing::expect_wire(sim(), rows);
}

TEST_F(Settings, PointModeReadBack) {
  ASSERT_EQ(Nemmar_set_point_mod(5, host(), port()), 0);
  unsigned char mode = 0xEE;
  ASSERT_EQ(Nemmar_get_point_mod(&mode, host(), port()), 0);
  EXPECT_EQ(mode, 5);
}

TEST_F(Settings, PointModeStoresZeroWhenTheTerminalIsSilent) {
  set_receive_timeout(kShortTimeoutMs);
  sim().inject(91, {sim::FaultKind::kNoReply});
  unsigned char mode = 0xEE;
  EXPECT_EQ(Nemmar_get_point_mod(&mode, host(), port()), VORSKEL_ERR_NO_REPLY);
  EXPECT_EQ(mode, 0);
}

TEST_F(Settings, DeviceReadBackCopiesEightBytesAndNoZero) {
  ASSERT_EQ(Nemmar_SetDevice("ABCDEFGHIJ", 0x81, 0x7F, host(), port()), 0);
  char name[13] = "xxxxxxxxxxxx";
  int first = 0, second = 0;
  ASSERT_EQ(Nemmar_GetDevice(name, &first, &second, host(), port()), 0);
  EXPECT_STREQ(name, "ABCDEFGHxxxx");
  EXPECT_EQ(first, -127);  // byte 0x81 sign-extended
  EXPECT_EQ(second, 127);

  ASSERT_EQ(Nemmar_SetDevice("AB", 3, 4, host(), port()), 0);
  ASSERT_EQ(Nemmar_GetDevice(name, &first, &second, host(), port()), 0);
  EXPECT_STREQ(name, "ABCDEFGHxxxx");  // "AB" over the old bytes, nothing more
  EXPECT_EQ(first, 3);
  EXPECT_EQ(second, 4);
}

TEST_F(Settings, FailedQueriesLeaveTheirOutputs) {
  set_receive_timeout(kShortTimeoutMs);
  sim().inject(9, {sim::FaultKind::kWrongCode});
  char name[9] = "unchangd";
  int first = 11, second = 12;
  EXPECT_EQ(Nemmar_GetDevice(name, &first, &second, host(), port()), VORSKEL_ERR_WRONG_CODE);
  EXPECT_STREQ(name, "unchangd");
  EXPECT_EQ(first, 11);
  EXPECT_EQ(second, 12);
}

TEST_F(Settings, TimeTableReadsThePortThroughItsPointer) {
  const int table[12] = {};
  EXPECT_EQ(Nemmar_TimeTable(table, host(), nullptr), VORSKEL_ERR_SEND);
  EXPECT_EQ(sim().request_count(), 0u);
  const int p = port();
  EXPECT_EQ(Nemmar_TimeTable(table, host(), &p), 0);
  EXPECT_EQ(sim().request_count(), 1u);
}

TEST_F(BrellSettings, CostMultipliersAndMaskReadBack) {
  unsigned char mul[32];
  for (int i = 0; i < 32; ++i) mul[i] = static_cast<unsigned char>(0x40 + i);
  ASSERT_EQ(Brell_SetCostMul(mul, host(), port()), 0);
  unsigned char back[32] = {};
  ASSERT_EQ(Brell_GetCostMul(back, host(), port()), 0);
  EXPECT_EQ(std::memcmp(back, mul, 32), 0);

  ASSERT_EQ(Brell_SetCardTypeMask(0x80000001u, host(), port()), 0);
  unsigned int mask = 0;
  ASSERT_EQ(Brell_GetCardTypeMask(&mask, host(), port()), 0);
  EXPECT_EQ(mask, 0x80000001u);
}

TEST_F(BrellSettings, FailedReadBacksLeaveTheCallersBytes) {
  set_receive_timeout(kShortTimeoutMs);
  sim().inject(123, {sim::FaultKind::kNoReply});
  sim().inject(125, {sim::FaultKind::kNoReply});
  unsigned char mul[32];
  std::memset(mul, 0x5A, sizeof mul);
  EXPECT_EQ(Brell_GetCostMul(mul, host(), port()), VORSKEL_ERR_NO_REPLY);
  for (unsigned char b : mul) EXPECT_EQ(b, 0x5A);
  unsigned int mask = 77;
  EXPECT_EQ(Brell_GetCardTypeMask(&mask, host(), port()), VORSKEL_ERR_NO_REPLY);
  EXPECT_EQ(mask, 77u);
}

}  // namespace
}  // namespace vorskel
