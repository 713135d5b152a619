// The Marn terminal's disposal registrations and disposal records.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "record_sim.h"
#include "vorskel.h"

static_assert(sizeof(VorskelDisposalRegistration) == 123);
static_assert(offsetof(VorskelDisposalRegistration, number1) == 16);
static_assert(offsetof(VorskelDisposalRegistration, name) == 32);
static_assert(offsetof(VorskelDisposalRegistration, number2) == 48);
static_assert(offsetof(VorskelDisposalRegistration, number3) == 56);
static_assert(offsetof(VorskelDisposalRegistration, number4) == 72);
static_assert(offsetof(VorskelDisposalRegistration, number5) == 88);
static_assert(offsetof(VorskelDisposalRegistration, number6) == 104);
static_assert(offsetof(VorskelDisposalRegistration, year) == 120);
static_assert(offsetof(VorskelDisposalRegistration, month) == 121);
static_assert(offsetof(VorskelDisposalRegistration, day) == 122);

namespace vorskel {
namespace {

using sim::Bytes;
using testing::hex;

class Disposal : public testing::RecordSim {
 protected:
  void SetUp() override {
    RecordSim::SetUp();
    sim().with_model([](sim::Model& m) {  // the registration command echoes its payload
      m.on(12, [](const sim::Request& r) -> sim::Reply { return r.payload(); });
      return 0;
    });
  }
  static VorskelDisposalRegistration registration() {
    VorskelDisposalRegistration in;
    std::memset(&in, 0, sizeof in);
    std::strcpy(in.card, "12345678");
    std::strcpy(in.number1, "1000");
    std::memcpy(in.name, "NAME1234", 8);
    std::strcpy(in.number2, "300");
    std::strcpy(in.number3, "65537");
    std::strcpy(in.number4, "513");
    std::strcpy(in.number5, "255");
    std::strcpy(in.number6, "5");
    in.year = 2009 & 0xFF;  // 217
    in.month = 7;
    in.day = 4;
    return in;
  }
  std::string payload() const { return hex(last_request().datagram).substr(9); }
};

TEST_F(Disposal, RegistrationPayloads) {
  VorskelDisposalRegistration in = registration();
  EXPECT_EQ(Marn_Disposal_Registry(&in, 1, host(), port()), 0);
  EXPECT_EQ(last_request().code(), 12);
  EXPECT_EQ(payload(),
            "4E 61 BC 00 E8 03 00 00 4E 41 4D 45 31 32 33 34 6D 07 04 2C 01 00 01 02 FF A5 01 00");
  for (int type : {2, 3}) {
    EXPECT_EQ(Marn_Disposal_Registry(&in, type, host(), port()), 0);
    EXPECT_EQ(payload(),
              "4E 61 BC 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
              "00 00 0" +
                  std::to_string(type) + " 00");
  }
  std::strcpy(in.number6, "0");
  EXPECT_EQ(Marn_Disposal_Registry(&in, 1, host(), port()), 0);
  EXPECT_EQ(last_request().p8(25), 0xA0);
}

TEST_F(Disposal, NameConvertedOnTraditionalChineseSystemsOnly) {
  VorskelDisposalRegistration in = registration();
  const char big5[] =
      "\xC5\xE9"
      "ABCDEF";
  std::memcpy(in.name, big5, 8);
  platform::set_lang_id_override(1028);
  ASSERT_EQ(Marn_Disposal_Registry(&in, 1, host(), port()), 0);
  EXPECT_EQ(last_request().p8(8), 0xCC);
  EXPECT_EQ(last_request().p8(9), 0xE5);
  platform::set_lang_id_override(0x0409);
  ASSERT_EQ(Marn_Disposal_Registry(&in, 1, host(), port()), 0);
  EXPECT_EQ(last_request().p8(8), 0xC5);
}

TEST_F(Disposal, DecimalFieldsAreReadNoFurtherThanTheirWidth) {
  VorskelDisposalRegistration in = registration();
  std::memcpy(in.card, "0000000000000012", 16);  // no terminating zero before number1
  std::strcpy(in.number1, "3");
  ASSERT_EQ(Marn_Disposal_Registry(&in, 2, host(), port()), 0);
  EXPECT_EQ(last_request().p32(0), 12u);
}

TEST_F(Disposal, BadTypesSendNothing) {
  VorskelDisposalRegistration in = registration();
  EXPECT_EQ(Marn_Disposal_Registry(&in, 4, host(), port()), -1);
  EXPECT_EQ(Marn_Disposal_Registry(&in, 0, host(), port()), -1);
  EXPECT_EQ(Marn_Disposal_Registry(nullptr, 1, host(), port()), -1);
  EXPECT_TRUE(requests().empty());
}

TEST_F(Disposal, RecordsWithoutTheFlagAreSkippedAndNotCounted) {
  const sim::SlotGeometry g{21, 512, 24};
  std::vector<Bytes> records;
  for (std::uint32_t i = 0; i < 30; ++i)
    records.push_back(sim::disposal_record(1000 + i, sim::seconds_1980({2009, 7, 4, 10, 0, 0}) + i,
                                           i, 2 * i, 3 * i, 0xF3));
  records[5][20] = 0xC0;
  auto area = sim::linear_area(g, 48, 0, records);
  area.total = 29;  // the terminal counts records, not slots
  load(area);
  sim().with_model([&](sim::Model& m) {  // stale records right after the end pointer
    sim::write_area2(m, g.address(30), sim::disposal_record(9999, 0, 0, 0, 0));
    return 0;
  });
  std::vector<std::uint8_t> out(24 * 104, 0xEE);
  EXPECT_EQ(Marn_Disposal_Record(out.data(), 0, host(), port()), 23);
  EXPECT_EQ(codes(), (std::vector<int>{18, 11, 4}));
  EXPECT_EQ(text_at(out, 5, 104, 0), "1006");
  EXPECT_EQ(text_at(out, 0, 104, 96), "e0");
  EXPECT_EQ(text_at(out, 0, 104, 16), "2009-07-04");
  EXPECT_EQ(text_at(out, 0, 104, 32), "10:00:00");
  // Slots 24..29: the 29th record reaches the total before the stale one.
  EXPECT_EQ(Marn_Disposal_Record(out.data(), 1, host(), port()), 6);
  EXPECT_EQ(text_at(out, 5, 104, 0), "1029");
  EXPECT_EQ(Marn_Disposal_Record(out.data(), 2, host(), port()), -1);
  EXPECT_EQ(cwd.record_file("127.0.0.1", "2009-07-04").substr(0, 45),
            "1000 2009-07-04 0 0 0 e0 10:00:00 127.0.0.1\n1");
}

}  // namespace
}  // namespace vorskel
