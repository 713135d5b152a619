// Vorsk_Record's paging over linear, wrapped and whole record areas, through the simulator.
#include <gtest/gtest.h>

#include <vector>

#include "record_sim.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::Bytes;
using sim::RecordKind;
using sim::SeriesOptions;
using sim::SlotGeometry;
using testing::hex;

constexpr SlotGeometry kStd{16, 512, 32};
constexpr std::size_t kEntry = 54;

class RecordPaging : public testing::RecordSim {
 protected:
  // One page call; returns the result and the card texts of the entries written.
  int page(int n, std::vector<std::string>* cards = nullptr) {
    std::vector<std::uint8_t> out(64 * kEntry, 0xEE);
    const int r = Vorsk_Record(out.data(), n, host(), port());
    if (cards != nullptr) {
      cards->clear();
      for (int i = 0; i < r; ++i) cards->push_back(text_at(out, i, kEntry, 0));
    }
    return r;
  }
  // Records whose card texts are "c" and the slot number: easy to follow through the pages.
  static std::vector<Bytes> numbered(std::size_t n, std::size_t first = 0) {
    std::vector<Bytes> out;
    for (std::size_t i = 0; i < n; ++i) {
      char card[9];
      std::snprintf(card, sizeof card, "c%07zu", first + i);
      out.push_back(sim::standard_record(card, 0x3C, {}));
    }
    return out;
  }
  static std::vector<std::string> names(std::size_t from, std::size_t to) {
    std::vector<std::string> out;
    for (std::size_t i = from; i < to; ++i) {
      char card[24];
      std::snprintf(card, sizeof card, "c%07zu", i);
      out.push_back(card);
    }
    return out;
  }
};

TEST_F(RecordPaging, NoRecordsEndsAfterTheTwoQueries) {
  load(sim::empty_area(kStd, 64));
  EXPECT_EQ(page(0), -1);
  EXPECT_EQ(codes(), (std::vector<int>{18, 11}));
  sim().clear_requests();
  EXPECT_EQ(page(1), -1);
  EXPECT_EQ(page(7), -1);
  EXPECT_TRUE(requests().empty());
}

TEST_F(RecordPaging, FortyLinearRecordsGiveThirtyTwoThenEightThenTheEnd) {
  auto records = numbered(40);
  // Stale records past the end pointer are never reached: the scanned count stops the walk.
  auto stale = numbered(24, 900);
  auto area = sim::linear_area(kStd, 512, 0, records);
  load(area);
  sim().with_model([&](sim::Model& m) {
    for (std::size_t i = 0; i < stale.size(); ++i) sim::write_area2(m, 640 + 16 * i, stale[i]);
    return 0;
  });
  std::vector<std::string> cards;
  EXPECT_EQ(page(0, &cards), 32);
  EXPECT_EQ(cards, names(0, 32));
  EXPECT_EQ(page(1, &cards), 8);
  EXPECT_EQ(cards, names(32, 40));
  sim().clear_requests();
  EXPECT_EQ(page(2), -1);  // 1024 is past the end pointer 640: nothing is read
  EXPECT_TRUE(requests().empty());
}

TEST_F(RecordPaging, InvalidSlotsProduceNoEntryButCountAgainstTheTotal) {
  auto records = numbered(40);
  records[3][11] = 0x55;  // another mark
  records[7] = sim::erased(16);
  records[35][11] = 0x01;
  load(sim::linear_area(kStd, 512, 0, records));
  sim().with_model([&](sim::Model& m) {  // stale but valid records right after the end
    auto stale = numbered(3, 900);
    for (std::size_t i = 0; i < stale.size(); ++i) sim::write_area2(m, 640 + 16 * i, stale[i]);
    return 0;
  });
  std::vector<std::string> cards;
  EXPECT_EQ(page(0, &cards), 30);
  auto expected = names(0, 32);
  expected.erase(expected.begin() + 7);
  expected.erase(expected.begin() + 3);
  EXPECT_EQ(cards, expected);
  // Slots 32..39 with one invalid: 7 entries, and the 40th slot reaches the total of 40
  // before the stale records after the end pointer.
  EXPECT_EQ(page(1, &cards), 7);
  EXPECT_EQ(cards.back(), "c0000039");
}

TEST_F(RecordPaging, WrappedAreaGivesTheNewestFirstAndZeroForAGapPage) {
  // 4 pages; the oldest record at slot 80 (address 1280), 72 records wrap to end at slot 24.
  auto area = sim::wrapped_area(kStd, 128, 80, numbered(72));
  load(area);
  ASSERT_EQ(area.end(), 384u);
  std::vector<std::string> cards;
  EXPECT_EQ(page(0, &cards), 24);  // the newest: slots 0..23 hold records 48..71
  EXPECT_EQ(cards, names(48, 72));
  sim().clear_requests();
  EXPECT_EQ(page(1, &cards), 0);  // [512, 1024) lies wholly in the gap: not even read
  EXPECT_TRUE(requests().empty());
  EXPECT_EQ(page(2, &cards), 16);  // from the start pointer in the middle of page 2
  EXPECT_EQ(cards, names(0, 16));
  EXPECT_EQ(page(3, &cards), 32);
  EXPECT_EQ(cards, names(16, 48));
  EXPECT_EQ(page(4), -1);  // the area end
  EXPECT_EQ(page_reads(), (std::vector<std::uint32_t>{1024, 1536}));
  EXPECT_EQ(hex(requests().front().datagram).substr(6), "04 00 04 00 00");
}

TEST_F(RecordPaging, BothPointersInOnePageGiveTheNewerThenTheOlderInOneBuffer) {
  // 2 pages; oldest at slot 20, 54 records: slots 20..63 then 0..9; the end pointer at 160.
  load(sim::wrapped_area(kStd, 64, 20, numbered(54)));
  std::vector<std::string> cards;
  EXPECT_EQ(page(0, &cards), 22);
  auto expected = names(44, 54);                             // before the end pointer: the newest
  for (const auto& n : names(0, 12)) expected.push_back(n);  // from the start pointer
  EXPECT_EQ(cards, expected);
  EXPECT_EQ(page(1, &cards), 32);
  EXPECT_EQ(cards, names(12, 44));
  EXPECT_EQ(page(2), -1);
}

TEST_F(RecordPaging, WholeAreaReadsEveryPageFromAddressZero) {
  for (std::uint8_t cycle : {1, 2, 7}) {
    auto area = sim::whole_area(kStd, numbered(80), 40);
    area.cycle = cycle;  // cycle 1 with start = end also means the whole area
    load(area);
    std::vector<std::string> all, cards;
    int r = 0;
    for (int p = 0; (r = page(p, &cards)) >= 0; ++p)
      all.insert(all.end(), cards.begin(), cards.end());
    EXPECT_EQ(r, -1);
    std::vector<std::string> expected = names(40, 80);
    for (const auto& n : names(0, 40)) expected.push_back(n);
    EXPECT_EQ(all, expected) << int(cycle);
  }
}

TEST_F(RecordPaging, QueryAndReadFailuresPassThrough) {
  set_receive_timeout(200);
  load(sim::linear_area(kStd, 512, 0, numbered(40)));
  EXPECT_EQ(page(0), 32);
  sim().inject(4, {sim::FaultKind::kNoReply, 0, 0, 1});
  EXPECT_EQ(page(1), -21);
  EXPECT_EQ(page(1), 8);  // the state is as it was
  sim().inject(11, {sim::FaultKind::kNoReply, 0, 0, 1});
  EXPECT_EQ(page(0), -21);
  sim().inject(18, {sim::FaultKind::kWrongCode, 0, 0, 1});
  EXPECT_EQ(page(0), -22);
  EXPECT_EQ(page(1), -1);  // the failed pointer query left the pointers cleared
}

TEST_F(RecordPaging, BadArgumentsSendNothing) {
  std::vector<std::uint8_t> out(32 * kEntry);
  EXPECT_EQ(Vorsk_Record(nullptr, 0, host(), port()), -1);
  EXPECT_EQ(Vorsk_Record(out.data(), -1, host(), port()), -1);
  EXPECT_TRUE(requests().empty());
}

}  // namespace
}  // namespace vorskel
