// The download variants, raw pages and the two record-storage commands, through the
// simulator: what goes on the wire, what comes back, which state each uses.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "record_sim.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::Bytes;
using sim::RecordKind;
using sim::Stamp;
using testing::hex;

constexpr sim::SlotGeometry kStd{16, 512, 32};

class RecordVariants : public testing::RecordSim {
 protected:
  std::vector<std::uint8_t> out = std::vector<std::uint8_t>(64 * 104, 0xEE);
  std::string text(std::size_t entry, std::size_t size, std::size_t offset) const {
    return text_at(out, entry, size, offset);
  }
};

TEST_F(RecordVariants, PasswordChangesSkipAndCountRecordsWithoutTheFullMark) {
  std::vector<Bytes> records;
  for (std::uint32_t i = 0; i < 40; ++i)
    records.push_back(sim::password_change_record(100 + i, 86400 * i, i));
  records[1][15] = 0xA0;  // A1 A1 A1 A0
  load(sim::linear_area(kStd, 512, 0, records));
  EXPECT_EQ(Vorsk_Record_Chgpsw(out.data(), 0, host(), port()), 31);
  EXPECT_EQ(text(0, 48, 0), "0000000100");
  EXPECT_EQ(text(0, 48, 12), "1980-01-01");
  EXPECT_EQ(text(0, 48, 24), "00:00:00");
  EXPECT_EQ(text(1, 48, 0), "0000000102");
  EXPECT_EQ(text(1, 48, 36), "0000000002");
  EXPECT_EQ(Vorsk_Record_Chgpsw(out.data(), 1, host(), port()), 8);
  EXPECT_EQ(Vorsk_Record_Chgpsw(out.data(), 2, host(), port()), -1);
}

TEST_F(RecordVariants, EachRingDownloadKeepsItsOwnState) {
  const auto a =
      sim::linear_area(kStd, 512, 0, sim::record_series(RecordKind::kStandard, {.count = 40}));
  const auto b =
      sim::linear_area(kStd, 512, 0, sim::record_series(RecordKind::kCard32, {.count = 70}));
  load(a);
  ASSERT_EQ(Vorsk_Record(out.data(), 0, host(), port()), 32);
  load(b);
  ASSERT_EQ(Vorsk_Record_weigen34(out.data(), 0, host(), port()), 32);
  ASSERT_EQ(Vorsk_Record_Chgpsw(out.data(), 0, host(), port()), 0);  // no such records here
  sim().clear_requests();
  // Vorsk_Record goes on with the pointers and total of its own page 0 (40 records) ...
  EXPECT_EQ(Vorsk_Record(out.data(), 1, host(), port()), 8);
  EXPECT_EQ(Vorsk_Record(out.data(), 2, host(), port()), -1);
  // ... and Vorsk_Record_weigen34 with those of its own (70 records).
  EXPECT_EQ(Vorsk_Record_weigen34(out.data(), 1, host(), port()), 32);
  EXPECT_EQ(Vorsk_Record_weigen34(out.data(), 2, host(), port()), 6);
  EXPECT_EQ(text(0, 54, 0).size(), 10u);
  EXPECT_EQ(codes(), (std::vector<int>{4, 4, 4}));
}

TEST_F(RecordVariants, ShortRecordsAskForLengthAndAddressAndStopAtTheCount) {
  // Start 0, end 100: ten records; valid stale ones follow in flash and are not taken.
  load(sim::linear_area({10, 320, 32}, 64, 0,
                        sim::record_series(RecordKind::kShort, {.count = 10})));
  sim().with_model([](sim::Model& m) {
    sim::write_area2(m, 100, sim::short_record(0xDEADBEEF, {}));
    return 0;
  });
  EXPECT_EQ(Vorsk_RecordEx(out.data(), 0, host(), port()), 10);
  EXPECT_EQ(codes(), (std::vector<int>{18, 4}));  // no count query
  EXPECT_EQ(hex(requests().back().datagram).substr(6), "04 40 01 00 00 00 00 00 00");
  EXPECT_EQ(text(0, 54, 12), "2009-05-01");
  EXPECT_NE(text(9, 54, 0), "DEADBEEF");
  EXPECT_EQ(out[10 * 54], 0xEE);
  sim().clear_requests();
  EXPECT_EQ(Vorsk_RecordEx(out.data(), 1, host(), port()), -1);  // 320 >= end pointer 100
  EXPECT_TRUE(requests().empty());
}

TEST_F(RecordVariants, ShortRecordsOutOfRangeAreSkipped) {
  std::vector<Bytes> records = sim::record_series(RecordKind::kShort, {.count = 6});
  records[1][5] = 0xAD;  // month 13
  records[2][6] = 32;    // day 32
  records[3][7] = 25;    // hour 25
  records[4][9] = 60;    // second 60
  records[5][7] = 24;    // hour 24 is taken
  load(sim::linear_area({10, 320, 32}, 64, 0, records));
  EXPECT_EQ(Vorsk_RecordEx(out.data(), 0, host(), port()), 2);
  EXPECT_EQ(text(1, 54, 24).substr(0, 2), "24");
}

TEST_F(RecordVariants, RecordAllReadsRawPagesWithoutStateOrFiles) {
  sim().with_model([](sim::Model& m) {
    sim::write_area2(m, 512, sim::standard_record("RAWCARD1", 0x3C, {2011, 1, 2, 3, 4, 5}));
    sim::write_area2(m, 512 + 32, sim::standard_record("RAWCARD2", 0xAF, {2011, 1, 2, 3, 4, 6}));
    return 0;
  });
  EXPECT_EQ(Vorsk_RecordAll(out.data(), 1, host(), port()), 2);
  EXPECT_EQ(codes(), (std::vector<int>{4}));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data()), 10),
            std::string("RAWCARD1\0\x3C", 10));
  EXPECT_EQ(text(1, 54, 34), ":0?");
  EXPECT_FALSE(std::filesystem::exists(cwd.path() / "records"));
  sim().clear_requests();
  EXPECT_EQ(Vorsk_RecordAll(out.data(), 600, host(), port()), 0);
  EXPECT_EQ(page_reads(), (std::vector<std::uint32_t>{262144}));
}

TEST_F(RecordVariants, FlowRecordsStopAtTheFirstWithoutTheMark) {
  auto records = sim::record_series(RecordKind::kFlow, {.count = 40});
  records[2][7] = 0x51;
  load(sim::linear_area({18, 288, 16}, 64, 0, records));
  EXPECT_EQ(Vorsk_FlowControlRecord(out.data(), 0, host(), port()), 2);
  EXPECT_EQ(codes(), (std::vector<int>{18, 4}));
  Bytes first(out.begin(), out.begin() + 18);
  Bytes stored = records[0];
  stored[7] &= 0x0F;
  EXPECT_EQ(first, stored);
  EXPECT_EQ(Vorsk_FlowControlRecord(out.data(), 1, host(), port()), 16);
  EXPECT_EQ(Vorsk_FlowControlRecord(out.data(), 2, host(), port()), 8);
  EXPECT_EQ(Vorsk_FlowControlRecord(out.data(), 3, host(), port()), -1);  // 864 >= end 720
  EXPECT_EQ(page_reads(), (std::vector<std::uint32_t>{0, 288, 576}));
  EXPECT_FALSE(std::filesystem::exists(cwd.path() / "records"));
}

TEST_F(RecordVariants, SharedPointersAreReloadedByAnyOfTheirExports) {
  load(
      sim::linear_area({18, 288, 16}, 64, 0, sim::record_series(RecordKind::kFlow, {.count = 40})));
  ASSERT_GE(Marn_Disposal_Record(out.data(), 0, host(), port()), 0);  // loads the shared pointers
  sim().clear_requests();
  EXPECT_EQ(Vorsk_FlowControlRecord(out.data(), 1, host(), port()), 16);  // uses them
  EXPECT_EQ(codes(), (std::vector<int>{4}));
  load(sim::empty_area(kStd, 8));
  ASSERT_EQ(Vorsk_RecordEx(out.data(), 0, host(), port()), -1);  // reloads: no records now
  EXPECT_EQ(Vorsk_FlowControlRecord(out.data(), 1, host(), port()), -1);
}

TEST_F(RecordVariants, WriteFlash3stCutsDataAt256AndRefusesNegativeLengths) {
  sim().with_model([](sim::Model& m) {
    m.on(245, [](const sim::Request&) -> sim::Reply { return Bytes(4, 0); });
    m.on(143, [](const sim::Request&) -> sim::Reply { return Bytes(131, 0); });
    return 0;
  });
  std::vector<std::uint8_t> data(300);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(Vorsk_WriteFlash3st(data.data(), 300, 0x12345, host(), port()), 0);
  const sim::Request r = last_request();
  ASSERT_EQ(r.payload_size(), 264u);
  EXPECT_EQ(hex(Bytes(r.datagram.begin() + 2, r.datagram.begin() + 13)),
            "F5 00 01 00 00 45 23 01 00 00 01");
  EXPECT_EQ(r.datagram.back(), 255);
  EXPECT_EQ(Vorsk_WriteFlash3st(data.data(), 3, 7, host(), port()), 0);
  EXPECT_EQ(hex(last_request().datagram).substr(6), "F5 03 00 00 00 07 00 00 00 00 01 02");

  EXPECT_EQ(Vorsk_Loop_Record(data.data(), 131, host(), port()), 0);
  EXPECT_EQ(last_request().payload_size(), 131u);
  EXPECT_EQ(last_request().code(), 143);
  sim().clear_requests();
  EXPECT_EQ(Vorsk_WriteFlash3st(data.data(), -1, 0, host(), port()), -1);
  EXPECT_EQ(Vorsk_Loop_Record(data.data(), 132, host(), port()), -1);  // past the payload
  EXPECT_EQ(Vorsk_Loop_Record(data.data(), -1, host(), port()), -1);
  EXPECT_EQ(Vorsk_Loop_Record(nullptr, 4, host(), port()), -1);
  EXPECT_TRUE(requests().empty());
}

}  // namespace
}  // namespace vorskel
