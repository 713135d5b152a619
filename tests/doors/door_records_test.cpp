// Sondo and Lusk record downloads on the simulated controllers' record area, and the
// download state they share with the Marn disposal records.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "records/record_sim.h"
#include "sim/models/record_area_layouts.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using sim::Bytes;
using sim::SlotGeometry;

constexpr SlotGeometry kSlots{16, 512, 32};
constexpr std::size_t kSondoEntry = 60;
constexpr std::size_t kSondoExEntry = 54;
constexpr std::size_t kLuskEntry = 74;

// A Sondo record: card bytes, reader, status, date and time, the 0xA mark over the month.
Bytes sondo_record(std::uint32_t card, std::uint32_t more, std::uint8_t reader, std::uint8_t status,
                   const sim::Stamp& at) {
  Bytes r(16, 0);
  for (int i = 0; i < 4; ++i) {
    r[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(card >> (24 - 8 * i));
    r[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(more >> (24 - 8 * i));
  }
  r[8] = reader;
  r[9] = status;
  r[10] = static_cast<std::uint8_t>(at.year - 1900);
  r[11] = static_cast<std::uint8_t>(0xA0 | at.month);
  r[12] = static_cast<std::uint8_t>(at.day);
  r[13] = static_cast<std::uint8_t>(at.hour);
  r[14] = static_cast<std::uint8_t>(at.minute);
  r[15] = static_cast<std::uint8_t>(at.second);
  return r;
}

Bytes lusk_record(std::uint32_t card, std::uint32_t number, const sim::Stamp& at,
                  std::int8_t byte12) {
  Bytes r(16, 0);
  for (int i = 0; i < 4; ++i)
    r[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(card >> (24 - 8 * i));
  sim::put32(r, 4, number);
  sim::put32(r, 8, sim::seconds_1980(at));
  r[12] = static_cast<std::uint8_t>(byte12);
  r[13] = 0xA7;
  return r;
}

class DoorRecords : public testing::RecordSim {
 protected:
  std::string model_name() const override { return "doors"; }
  std::vector<std::uint8_t> out = std::vector<std::uint8_t>(32 * kLuskEntry, 0xEE);
  std::string text(std::size_t entry, std::size_t size, std::size_t off) {
    return text_at(out, entry, size, off);
  }
};

TEST_F(DoorRecords, SondoRecordsBackToBackSkippingUnmarkedSlots) {
  const sim::Stamp at{2009, 5, 6, 7, 8, 9};
  auto area = sim::linear_area(
      kSlots, 64, 0,
      {sondo_record(0x12345678, 0, 1, 0x35, at), sondo_record(0xABCDEF01, 0, 0x85, 0x0B, at),
       sim::erased(16), Bytes(16, 0x11), sim::erased(16),
       sondo_record(0x00000001, 0, 31, 0xF3, {2010, 12, 31, 23, 59, 58})});
  area.total = 3;  // unmarked slots are not records
  load(area);
  ASSERT_EQ(Sondo_Record(out.data(), 0, host(), port()), 3);
  EXPECT_EQ(codes(), (std::vector<int>{18, 11, 4}));
  struct Want {
    const char *reader, *card, *date, *time, *status;
  };
  const Want want[] = {
      {"001", "12345678", "2009-05-06", "07:08:09", "305"},
      {"-123", "ABCDEF01", "2009-05-06", "07:08:09", "00;"},
      {"031", "00000001", "2010-12-31", "23:59:58", "003"},  // 0xF3 is -13: 0 and 3
  };
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(text(i, kSondoEntry, 0), want[i].reader) << i;
    EXPECT_EQ(text(i, kSondoEntry, 6), want[i].card) << i;
    EXPECT_EQ(text(i, kSondoEntry, 18), want[i].date) << i;
    EXPECT_EQ(text(i, kSondoEntry, 30), want[i].time) << i;
    EXPECT_EQ(text(i, kSondoEntry, 40), want[i].status) << i;
    EXPECT_EQ(out[i * kSondoEntry + 44], 0xEE) << i;  // bytes 44-59 are the host's
  }
  EXPECT_EQ(out[3 * kSondoEntry], 0xEE);
  EXPECT_EQ(Sondo_Record(out.data(), 1, host(), port()), -1);  // 512 is past the end pointer
  EXPECT_FALSE(std::filesystem::exists("records"));            // no record files
}

TEST_F(DoorRecords, SondoRecordExLayout) {
  load(sim::linear_area(kSlots, 64, 0,
                        {sondo_record(0x12345678, 0x0A0B0C0D, 0x85, 0x35, {2009, 5, 6, 7, 8, 9})}));
  ASSERT_EQ(Sondo_Record_ex(out.data(), 0, host(), port()), 1);
  EXPECT_EQ(text(0, kSondoExEntry, 0), "345678");
  EXPECT_EQ(testing::hex({out.begin() + 8, out.begin() + 12}), "0D 0C 0B 0A");
  EXPECT_EQ(text(0, kSondoExEntry, 12), "2009-05-06");
  EXPECT_EQ(text(0, kSondoExEntry, 24), "07:08:09");
  EXPECT_EQ(out[34], 0x35);
  EXPECT_EQ(out[38], 0x85);
}

TEST_F(DoorRecords, StopsAtTheSharedRecordTotal) {
  std::vector<Bytes> forty;
  for (std::uint32_t i = 0; i < 40; ++i) forty.push_back(sondo_record(i, 0, 1, 0x10, {}));
  load(sim::linear_area(kSlots, 128, 0, forty));
  EXPECT_EQ(Sondo_Record(out.data(), 0, host(), port()), 32);
  EXPECT_EQ(Sondo_Record(out.data(), 1, host(), port()), 8);
  EXPECT_EQ(Sondo_Record(out.data(), 2, host(), port()), -1);
}

TEST_F(DoorRecords, LuskRecordEntries) {
  auto area = sim::linear_area(kSlots, 64, 0,
                               {lusk_record(0xCAFEF00D, 4000000000u, {2009, 5, 6, 7, 8, 9}, -5),
                                sim::erased(16), lusk_record(1, 7, {1980, 1, 1, 0, 0, 0}, 12)});
  area.total = 2;
  load(area);
  ASSERT_EQ(Lusk_Record(out.data(), 0, host(), port()), 2);
  EXPECT_EQ(text(0, kLuskEntry, 0), "cafef00d");
  EXPECT_EQ(text(0, kLuskEntry, 12), "2009-05-06");
  EXPECT_EQ(text(0, kLuskEntry, 24), "07:08:09");
  // Ten digits fill the number's 10 bytes; the next field follows without a zero between.
  EXPECT_EQ(std::string(out.begin() + 34, out.begin() + 44), "4000000000");
  EXPECT_EQ(text(1, kLuskEntry, 34), "7");
  EXPECT_EQ(text(0, kLuskEntry, 44), "-05");
  EXPECT_EQ(out[9], 0);  // the entry is cleared first
  EXPECT_EQ(out[kLuskEntry - 1], 0);
  EXPECT_EQ(text(1, kLuskEntry, 12), "1980-01-01");
  EXPECT_EQ(text(1, kLuskEntry, 44), "012");
  EXPECT_TRUE(std::filesystem::is_directory("records"));  // made, but no line written
  EXPECT_TRUE(std::filesystem::is_empty("records"));
}

TEST_F(DoorRecords, DownloadStateIsSharedWithLuskAndDisposalRecords) {
  std::vector<Bytes> forty;
  for (std::uint32_t i = 0; i < 40; ++i) forty.push_back(sondo_record(i, 0, 1, 0x10, {}));
  load(sim::linear_area(kSlots, 128, 0, forty));
  ASSERT_EQ(Sondo_Record(out.data(), 0, host(), port()), 32);
  sim().clear_requests();
  // The next pages of the other exports go on from Sondo_Record's page 0: no queries.
  EXPECT_EQ(Sondo_Record_ex(out.data(), 1, host(), port()), 8);
  EXPECT_EQ(Marn_Disposal_Record(out.data(), 2, host(), port()), -1);
  EXPECT_EQ(Lusk_Record(out.data(), 2, host(), port()), -1);
  EXPECT_EQ(codes(), (std::vector<int>{4}));
  EXPECT_EQ(page_reads(), (std::vector<std::uint32_t>{512}));
}

TEST_F(DoorRecords, RecordAllReadsOnePageWithoutState) {
  load(sim::linear_area(
      kSlots, 64, 32,
      {sondo_record(0x01020304, 0, 2, 0x21, {2009, 1, 2, 3, 4, 5}), sim::erased(16),
       sondo_record(0x05060708, 0, 3, 0x21, {2009, 1, 2, 3, 4, 5})}));
  ASSERT_EQ(Sondo_RecordAll(out.data(), 1, host(), port()), 2);
  EXPECT_EQ(text(0, kSondoEntry, 6), "01020304");
  EXPECT_EQ(text(1, kSondoEntry, 6), "05060708");
  EXPECT_EQ(Sondo_RecordAll(out.data(), 600, host(), port()), 0);  // page 512: erased
  EXPECT_EQ(codes(), (std::vector<int>{4, 4}));
  EXPECT_EQ(page_reads(), (std::vector<std::uint32_t>{512, 512 * 512}));
}

}  // namespace
}  // namespace vorskel
