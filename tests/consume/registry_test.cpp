// The payment terminals' card registries against the simulated terminals: request layouts,
// read-back into the caller's structures, refusals and lost exchanges.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "sim/models/consume_state.h"
#include "terminal_flash/wire.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using testing::request_hex;
using testing::sent_hex;
using testing::WireRow;

static_assert(sizeof(NemmarRegistryBlock) == 20);
static_assert(offsetof(NemmarRegistryBlock, first) == 12);
static_assert(offsetof(NemmarRegistryBlock, second) == 16);
static_assert(sizeof(BrellCardEntry) == 140);
static_assert(offsetof(BrellCardEntry, first) == 16);
static_assert(offsetof(BrellCardEntry, second) == 32);
static_assert(offsetof(BrellCardEntry, raw) == 48);
static_assert(offsetof(BrellCardEntry, byteValue) == 64);
static_assert(offsetof(BrellCardEntry, wordValue) == 80);
static_assert(offsetof(BrellCardEntry, highNibble) == 96);
static_assert(offsetof(BrellCardEntry, lowNibble) == 112);
static_assert(offsetof(BrellCardEntry, year) == 128);
static_assert(offsetof(BrellCardEntry, month) == 132);
static_assert(offsetof(BrellCardEntry, day) == 136);

constexpr int kShortTimeoutMs = 150;

class NemmarRegistry : public testing::SimTest {
 protected:
  std::string model_name() const override { return "nemmar"; }
  void force_status(std::uint16_t s) {
    sim().with_model(
        [&](sim::Model& m) { return m.part<sim::ConsumeRegistry>().forced_status = s; });
  }
};

class BrellRegistry : public testing::SimTest {
 protected:
  std::string model_name() const override { return "brell"; }
  static BrellCardEntry entry() {
    BrellCardEntry e{};
    std::strcpy(e.card, "4294967295");
    std::strcpy(e.first, "305419896");
    std::strcpy(e.second, "7");
    std::memcpy(e.raw, "RAWBYTES+tail", 13);
    std::strcpy(e.byteValue, "258");    // low 8 bits: 0x02
    std::strcpy(e.wordValue, "65537");  // low 16 bits: 0x0001
    std::strcpy(e.highNibble, "18");    // low 4 bits: 2
    std::strcpy(e.lowNibble, "11");
    e.year = 2009;
    e.month = 3;
    e.day = 4;
    return e;
  }
};

TEST_F(NemmarRegistry, RequestLayouts) {
  const char* h = host();
  const int p = port();
  NemmarRegistryBlock block{"305419896", 0x01020304, 0xA0B0C0D0};
  char id[11] = "4294967295";
  const std::vector<WireRow> rows = {
      {"store sends both values", [&] { return Nemmar_Regsitry(&block, 1, h, p); },
       "0C 78 56 34 12 04 03 02 01 D0 C0 B0 A0 01 00"},
      {"operation 2 sends zeros for the values", [&] { return Nemmar_Regsitry(&block, 2, h, p); },
       request_hex(12, 14, {{0, "78 56 34 12"}, {12, "02 00"}})},
      {"id store", [&] { return Nemmar_Registry_id(id, 1, h, p); },
       request_hex(12, 14, {{0, "FF FF FF FF"}, {4, "01 00"}})},
  };
  testing::expect_wire(sim(), rows);
}

TEST_F(NemmarRegistry, OperationsOutsideOneToThreeSendNothing) {
  NemmarRegistryBlock block{"1", 1, 2};
  char id[11] = "1";
  BrellCardEntry brell{};
  VorskMerchRegistryBlock merchant{};
  for (int op : {0, 4, -1}) {
    EXPECT_EQ(Nemmar_Regsitry(&block, op, host(), port()), -1) << op;
    EXPECT_EQ(Nemmar_Registry_id(id, op, host(), port()), -1) << op;
    EXPECT_EQ(Brell_Registry_id(&brell, op, host(), port()), -1) << op;
    EXPECT_EQ(Vorsk_Merch_Regsitry(&merchant, op, host(), port()), -1) << op;
  }
  EXPECT_EQ(Nemmar_Regsitry(nullptr, 1, host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 0u);
}

TEST_F(NemmarRegistry, ValuesReadBack) {
  NemmarRegistryBlock block{"1234", 500, 0xFFFFFFFF};
  ASSERT_EQ(Nemmar_Regsitry(&block, 1, host(), port()), 0);
  NemmarRegistryBlock back{"1234", 0, 0};
  ASSERT_EQ(Nemmar_Regsitry(&back, 3, host(), port()), 0);
  EXPECT_EQ(back.first, 500u);
  EXPECT_EQ(back.second, 0xFFFFFFFFu);
  EXPECT_EQ(Nemmar_Regsitry(&back, 2, host(), port()), 0);
  EXPECT_EQ(Nemmar_Regsitry(&back, 3, host(), port()), -1);  // status 0xFFFF: not there
}

TEST_F(NemmarRegistry, StatusWordIsTheResult) {
  force_status(0xFFFE);
  NemmarRegistryBlock block{"1", 1, 2};
  EXPECT_EQ(Nemmar_Regsitry(&block, 1, host(), port()), -2);
  force_status(7);
  EXPECT_EQ(Nemmar_Regsitry(&block, 1, host(), port()), 7);
}

TEST_F(NemmarRegistry, IdReadBackGivesTenDigits) {
  char card[11] = "1234";
  ASSERT_EQ(Nemmar_Registry_id(card, 1, host(), port()), 0);
  char back[11] = "  +1234";
  ASSERT_EQ(Nemmar_Registry_id(back, 3, host(), port()), 0);
  EXPECT_STREQ(back, "0000001234");

  char unknown[11] = "99";
  EXPECT_EQ(Nemmar_Registry_id(unknown, 3, host(), port()), -1);
  EXPECT_STREQ(unknown, "99");
  force_status(5);  // operations 1 and 2 do not look at the status
  EXPECT_EQ(Nemmar_Registry_id(card, 2, host(), port()), 0);
}

TEST_F(BrellRegistry, EntryLayout) {
  BrellCardEntry e = entry();
  const std::vector<WireRow> rows = {
      {"store", [&] { return Brell_Registry_id(&e, 1, host(), port()); },
       request_hex(12, 34,
                   {{0, "FF FF FF FF 78 56 34 12 07 00 00 00 02 01 00"},
                    {20, "52 41 57 42 59 54 45 53 2B 6D 03 04 01 00"}})},
  };
  testing::expect_wire(sim(), rows);
}

TEST_F(BrellRegistry, ReadBackFillsTheEntry) {
  BrellCardEntry e = entry();
  ASSERT_EQ(Brell_Registry_id(&e, 1, host(), port()), 0);

  BrellCardEntry back{};
  std::strcpy(back.card, "4294967295");
  std::memset(back.raw, 0xEE, sizeof back.raw);
  ASSERT_EQ(Brell_Registry_id(&back, 3, host(), port()), 0);
  EXPECT_EQ(testing::sent_hex(last_request()).substr(3 * 33), "03 00");
  EXPECT_STREQ(back.card, "4294967295");
  EXPECT_STREQ(back.first, "305419896");
  EXPECT_STREQ(back.second, "7");
  EXPECT_STREQ(back.byteValue, "2");
  EXPECT_STREQ(back.wordValue, "1");
  EXPECT_STREQ(back.highNibble, "2");
  EXPECT_STREQ(back.lowNibble, "11");
  EXPECT_EQ(back.year, 2009);
  EXPECT_EQ(back.month, 3);
  EXPECT_EQ(back.day, 4);
  // Ten bytes come back: the eight sent, then the packed nibbles and the year byte.
  EXPECT_EQ(testing::hex(sim::Bytes(back.raw, back.raw + 16)),
            "52 41 57 42 59 54 45 53 2B 6D EE EE EE EE EE EE");
}

TEST_F(BrellRegistry, SmallCardPrintsTenDigits) {
  BrellCardEntry e = entry();
  std::strcpy(e.card, "5");
  ASSERT_EQ(Brell_Registry_id(&e, 1, host(), port()), 0);
  BrellCardEntry back{};
  std::strcpy(back.card, "5");
  ASSERT_EQ(Brell_Registry_id(&back, 3, host(), port()), 0);
  EXPECT_STREQ(back.card, "0000000005");
}

TEST_F(BrellRegistry, RefusalsAndLostExchanges) {
  BrellCardEntry e = entry();
  EXPECT_EQ(Brell_Registry_id(&e, 3, host(), port()), -1);  // not stored: status 0xFFFF
  EXPECT_EQ(Brell_Registry_id(&e, 2, host(), port()), -1);  // the status word itself

  set_receive_timeout(kShortTimeoutMs);
  sim().inject(12, {sim::FaultKind::kNoReply});
  EXPECT_EQ(Brell_Registry_id(&e, 3, host(), port()), -1);  // not -21
  EXPECT_EQ(Brell_Registry_id(&e, 1, host(), port()), VORSKEL_ERR_NO_REPLY);
  sim().clear_faults();

  ASSERT_EQ(Brell_Registry_id(&e, 1, host(), port()), 0);
  sim().inject(12, {sim::FaultKind::kWrongCode});
  BrellCardEntry back{};
  std::strcpy(back.card, "4294967295");
  EXPECT_EQ(Brell_Registry_id(&back, 3, host(), port()), VORSKEL_ERR_WRONG_CODE);
  EXPECT_STREQ(back.first, "");  // a reply to another command is not read
}

}  // namespace
}  // namespace vorskel
