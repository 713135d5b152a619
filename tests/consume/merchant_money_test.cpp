// Merchant department names and registry entries, and the two ways of showing an amount of
// money, against the simulated payment terminal.
#include <gtest/gtest.h>

#include <cstddef>

#include "sim/models/consume_state.h"
#include "sim/models/terminal_state.h"
#include "terminal_flash/wire.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using testing::request_hex;
using testing::WireRow;

static_assert(sizeof(VorskMerchRegistryBlock) == 20);
static_assert(offsetof(VorskMerchRegistryBlock, number) == 4);
static_assert(offsetof(VorskMerchRegistryBlock, second) == 8);
static_assert(offsetof(VorskMerchRegistryBlock, third) == 12);
static_assert(offsetof(VorskMerchRegistryBlock, word) == 16);

class Merchant : public testing::SimTest {
 protected:
  std::string model_name() const override { return "nemmar"; }
  int money_count() {
    return sim().with_model([](sim::Model& m) { return m.part<sim::MoneyShown>().count; });
  }
};

TEST_F(Merchant, AmountsAsTextAndAsBusFares) {
  const char* h = host();
  const int p = port();
  const std::vector<WireRow> rows = {
      {"60000 as six characters", [&] { return Vorsk_RealChangeMoney(60000, h, p); },
       "26 36 30 30 2E 30 30"},
      {"5 as four characters", [&] { return Vorsk_RealChangeMoney(5, h, p); }, "26 30 2E 30 35"},
      {"1234", [&] { return Vorsk_RealChangeMoney(1234, h, p); }, "26 31 32 2E 33 34"},
      {"0", [&] { return Vorsk_RealChangeMoney(0, h, p); }, "26 30 2E 30 30"},
      {"negative keeps its sign in front", [&] { return Vorsk_RealChangeMoney(-5, h, p); },
       "26 2D 30 2E 30 35"},
      {"bus 25600 in hundredths", [&] { return Vorsk_ChangeMoneyForBus(25600, h, p); }, "26 00 64"},
      {"bus 100", [&] { return Vorsk_ChangeMoneyForBus(100, h, p); }, "26 64 00"},
      {"bus 0", [&] { return Vorsk_ChangeMoneyForBus(0, h, p); }, "26 00 00"},
  };
  testing::expect_wire(sim(), rows);
}

TEST_F(Merchant, AmountsOutOfRangeSendNothing) {
  struct Case {
    int (*call)(int, const char*, int);
    int amount;
  } cases[] = {
      {Vorsk_RealChangeMoney, 60001},
      {Vorsk_ChangeMoneyForBus, 2550},   // not whole units
      {Vorsk_ChangeMoneyForBus, 25700},  // above 256 units
      {Vorsk_ChangeMoneyForBus, 25601},
  };
  for (const auto& c : cases) EXPECT_EQ(c.call(c.amount, host(), port()), -1) << c.amount;
  EXPECT_EQ(sim().request_count(), 0u);
  EXPECT_EQ(money_count(), 0);
}

TEST_F(Merchant, DepartmentNameGoesToAreaTwo) {
  const unsigned char name[20] = {'K', 'i', 't', 'c', 'h', 'e', 'n', ' ', 'a', 'n',
                                  'd', ' ', 'b', 'a', 'r', '!', 'x', 'y', 'z', 'w'};
  const std::vector<WireRow> rows = {
      {"index 3, 20 bytes: first 16 at 48",
       [&] { return Vorsk_Merch_Dept(3, name, 20, host(), port()); },
       request_hex(0x37, 22,
                   {{0, "30 00 00 00 10 00"}, {6, testing::hex(sim::Bytes(name, name + 16))}})},
      {"short name zero-padded", [&] { return Vorsk_Merch_Dept(1, name, 2, host(), port()); },
       request_hex(0x37, 22, {{0, "10 00 00 00 10 00 4B 69"}})},
      {"negative length writes zeros",
       [&] { return Vorsk_Merch_Dept(2, name, -4, host(), port()); },
       request_hex(0x37, 22, {{0, "20 00 00 00 10 00"}})},
  };
  testing::expect_wire(sim(), rows);
  const sim::Bytes stored = sim().with_model(
      [](sim::Model& m) { return sim::read_area(m.part<sim::FlashAreas>().area2, 48, 16); });
  EXPECT_EQ(stored, sim::Bytes(name, name + 16));
}

TEST_F(Merchant, DepartmentWriteReturnsTheStatusWord) {
  const unsigned char name[4] = {'a', 'b', 'c', 'd'};
  // Index 0x1000000 is address 0x10000000, far past area 2: the terminal refuses.
  EXPECT_EQ(Vorsk_Merch_Dept(0x1000000, name, 4, host(), port()), -1);
}

TEST_F(Merchant, RegistryEntry) {
  VorskMerchRegistryBlock block{0x1A1, 0x00ABCDEF, 0x2B2, 0x3C3, 0x14D4D};
  const std::vector<WireRow> rows = {
      {"store: low bits of each value",
       [&] { return Vorsk_Merch_Regsitry(&block, 1, host(), port()); },
       "0C EF CD AB 00 A1 B2 C3 4D 4D 01 00"},
      {"operation 2: zeros in 4-8", [&] { return Vorsk_Merch_Regsitry(&block, 2, host(), port()); },
       "0C EF CD AB 00 00 00 00 00 00 02 00"},
  };
  testing::expect_wire(sim(), rows);
  ASSERT_EQ(Vorsk_Merch_Regsitry(&block, 1, host(), port()), 0);
  VorskMerchRegistryBlock back{0xFFFFFFFF, 0x00ABCDEF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  ASSERT_EQ(Vorsk_Merch_Regsitry(&back, 3, host(), port()), 0);
  EXPECT_EQ(back.first, 0xA1u);
  EXPECT_EQ(back.second, 0xB2u);
  EXPECT_EQ(back.third, 0xC3u);
  EXPECT_EQ(back.word, 0x4D4Du);
  back.number = 1;
  EXPECT_EQ(Vorsk_Merch_Regsitry(&back, 3, host(), port()), -1);  // unknown: status 0xFFFF
}

}  // namespace
}  // namespace vorskel
