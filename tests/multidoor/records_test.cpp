// The controller's record downloads against its simulated record area: decoding of both card
// kinds, paging (linear, wrapped, empty), the record files, raw pages, clearing, and the
// record-read lock taken after the page-0 queries.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "multidoor/ferrin_fixture.h"
#include "records/temp_cwd.h"
#include "sim/models/consume_records.h"
#include "sim/models/record_area.h"
#include "sim/models/record_area_layouts.h"
#include "transport/library.h"

namespace vorskel {
namespace {

static_assert(sizeof(FerrinRecordEntry) == 64);
static_assert(offsetof(FerrinRecordEntry, eventA) == 24);
static_assert(offsetof(FerrinRecordEntry, eventB) == 28);
static_assert(offsetof(FerrinRecordEntry, card1) == 32);
static_assert(offsetof(FerrinRecordEntry, card2) == 48);

using sim::Bytes;
constexpr sim::SlotGeometry kSlots{16, 512, 32};

// Record i: card facility i, number 1000 + i, stamped i minutes after 2009-05-01 08:00.
Bytes numbered(int i) {
  return sim::ferrin_record(sim::ferrin_seconds(2009, 5, 1, 8, i % 60, 0),
                            {0, static_cast<std::uint8_t>(i), 0x03, 0xE8}, {0, 0, 0, 0},
                            static_cast<std::uint8_t>(i), 1);
}
std::vector<Bytes> numbered(int first, int n) {
  std::vector<Bytes> v;
  for (int i = first; i < first + n; ++i) v.push_back(numbered(i));
  return v;
}

class Records : public testing::FerrinTest {
 protected:
  void load(const sim::RecordArea& area) {
    sim().with_model([&](sim::Model& m) {
      sim::load_record_area(m, area);
      return 0;
    });
  }
  // Facility numbers (= record numbers) of the first n entries.
  static std::vector<int> facilities(const std::vector<FerrinRecordEntry>& e, int n) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i) out.push_back(std::stoi(std::string(e[i].card1, 3)));
    return out;
  }
  std::vector<int> codes() const {
    std::vector<int> out;
    for (const auto& r : requests()) out.push_back(r.code());
    return out;
  }

  std::vector<FerrinRecordEntry> out = std::vector<FerrinRecordEntry>(64);
  testing::TempCwd cwd;
};

TEST_F(Records, BothCardKindsDecodeWithTheirRecordFileLines) {
  Bytes r26 = sim::ferrin_record(sim::ferrin_seconds(2009, 12, 31, 23, 59, 59),
                                 {0xEE, 0x7B, 0x30, 0x39}, {0x05, 0x01, 0x00, 0x02}, 0x85, 3);
  Bytes r66 = sim::ferrin_record(0, {}, {}, 7, 0xFF);
  const Bytes long_card = testing::unhex("01 23 45 67 89 AB CD");
  std::copy(long_card.begin(), long_card.end(), r66.begin() + 4);
  load(sim::linear_area(kSlots, 64, 0, {r26, r66}));

  int count = -5;
  ASSERT_EQ(Ferrin_ReadRecord(out.data(), 0, host(), port(), &count), 0);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(out[0].time, "2009-12-31 23:59:59");  // not the 0th of January 2010
  EXPECT_EQ(out[0].eventA, -123);                    // 0x85 sign-extended
  EXPECT_EQ(out[0].eventB, 3);
  EXPECT_STREQ(out[0].card1, "12312345");  // facility 123, number 12345; 0xEE not printed
  EXPECT_STREQ(out[0].card2, "00100002");
  EXPECT_STREQ(out[1].time, "1980-01-01 00:00:00");

  std::vector<FerrinRecordEntry> long_out(32);
  ASSERT_EQ(Ferrin_ReadRecord_Weigen66(long_out.data(), 0, host(), port()), 2);
  EXPECT_STREQ(long_out[1].card1, "0123456789ABCD");
  EXPECT_STREQ(long_out[1].card2, "0");
  EXPECT_EQ(long_out[1].eventA, 7);
  EXPECT_EQ(long_out[1].eventB, -1);

  EXPECT_EQ(cwd.record_file("127.0.0.1", "2009-12-31"),
            "12312345 00100002 2009-12-31 23:59:59 -123 3 127.0.0.1\n"
            "EE7B3039050100 0 2009-12-31 23:59:59 -123 3 127.0.0.1\n");
  EXPECT_EQ(cwd.record_file("127.0.0.1", "1980-01-01"),
            "03517767 17152480 1980-01-01 00:00:00 7 -1 127.0.0.1\n"
            "0123456789ABCD 0 1980-01-01 00:00:00 7 -1 127.0.0.1\n");
}

TEST_F(Records, LinearAreaOf40RecordsEndsAtTheTotal) {
  load(sim::linear_area(kSlots, 128, 0, numbered(0, 40)));
  int count = -1;
  ASSERT_EQ(Ferrin_ReadRecord(out.data(), 0, host(), port(), &count), 0);
  EXPECT_EQ(count, 32);
  ASSERT_EQ(Ferrin_ReadRecord(out.data(), 1, host(), port(), &count), 0);
  EXPECT_EQ(count, 8);
  EXPECT_EQ(facilities(out, 2), (std::vector<int>{32, 33}));
  EXPECT_EQ(Ferrin_ReadRecord(out.data(), 2, host(), port(), &count), -1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(codes(), (std::vector<int>{18, 11, 4, 4}));

  EXPECT_EQ(Ferrin_ReadRecord_Weigen66(out.data(), 0, host(), port()), 32);
  EXPECT_EQ(Ferrin_ReadRecord_Weigen66(out.data(), 1, host(), port()), 8);
  EXPECT_EQ(Ferrin_ReadRecord_Weigen66(out.data(), 2, host(), port()), -1);
}

TEST_F(Records, WrappedAreaSkipsTheGapAndJoinsBothEndsOfOnePage) {
  // 4 pages; the oldest 28 records fill page 3 from slot 100, the newest 12 start page 0.
  load(sim::wrapped_area(kSlots, 128, 100, numbered(0, 40)));
  int count = -1;
  const int expected[][2] = {{0, 12}, {0, 0}, {0, 0}, {0, 28}, {-1, 0}};
  for (int page = 0; page < 5; ++page) {
    EXPECT_EQ(Ferrin_ReadRecord(out.data(), page, host(), port(), &count), expected[page][0])
        << page;
    EXPECT_EQ(count, expected[page][1]) << page;
    if (page == 0) {
      EXPECT_EQ(facilities(out, 1), std::vector<int>{28});  // the newest first
    } else if (page == 3) {
      EXPECT_EQ(facilities(out, 1), std::vector<int>{0});
    }
  }

  // One page holding both pointers: the newest records, then the oldest, in one buffer.
  load(sim::wrapped_area(kSlots, 32, 20, numbered(0, 20)));
  EXPECT_EQ(Ferrin_ReadRecord_Weigen66(out.data(), 0, host(), port()), 20);
  ASSERT_EQ(Ferrin_ReadRecord(out.data(), 0, host(), port(), &count), 0);
  ASSERT_EQ(count, 20);
  EXPECT_EQ(facilities(out, 20), (std::vector<int>{12, 13, 14, 15, 16, 17, 18, 19, 0,  1,
                                                   2,  3,  4,  5,  6,  7,  8,  9,  10, 11}));
}

TEST_F(Records, NoRecordsEndsTheDownloadAfterTheQueries) {
  load(sim::empty_area(kSlots, 64));
  int count = 9;
  EXPECT_EQ(Ferrin_ReadRecord(out.data(), 0, host(), port(), &count), -1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Ferrin_ReadRecord(out.data(), 1, host(), port(), &count), -1);
  EXPECT_EQ(codes(), (std::vector<int>{18, 11}));
}

TEST_F(Records, ClearingTheRecordMemory) {
  load(sim::linear_area(kSlots, 64, 0, numbered(0, 3)));
  for (auto clear : {Ferrin_InitRecord, Ferrin_InitFlash3}) {
    sim().clear_requests();
    ASSERT_EQ(clear(host(), port()), 0);
    EXPECT_EQ(last_request().code(), 32);
    EXPECT_EQ(last_request().payload_size(), 0u);
    EXPECT_EQ(Ferrin_ReadRecord_Weigen66(out.data(), 0, host(), port()), -1);
    load(sim::linear_area(kSlots, 64, 0, numbered(0, 3)));
  }
}

TEST_F(Records, RawPagesStopAtTheFirstUnmarkedRecord) {
  std::vector<Bytes> page(32, numbered(1));
  for (auto& r : page) r[14] = 0xA0;
  page[0] = sim::ferrin_record(sim::ferrin_seconds(2010, 2, 3, 4, 5, 6), {0x00, 0x7B, 0x30, 0x39},
                               {0x12, 0x34, 0x00, 0x05}, 0xA0, 0);
  page[2][14] = 0xFF;
  sim().with_model([&](sim::Model& m) {
    for (int i = 0; i < 32; ++i) sim::write_area2(m, 3 * 512 + 16 * i, page[i]);
    return 0;
  });
  std::vector<FerrinRecordEntry> raw(9);
  std::memset(raw.data(), 0x5A, raw.size() * sizeof raw[0]);
  ASSERT_EQ(Ferrin_ReadAllRecord(raw.data(), 3, host(), port()), 0);
  EXPECT_EQ(codes(), std::vector<int>{4});  // no pointer query
  EXPECT_EQ(last_request().p32(0), 3u * 512);
  EXPECT_STREQ(raw[0].time, "2010-02-03 04:05:06");
  EXPECT_STREQ(raw[0].card1, "12312345");  // bytes 4-5 and 6-7, both big-endian
  EXPECT_STREQ(raw[0].card2, "466000005");
  EXPECT_EQ(raw[0].eventA, 0);    // byte 4
  EXPECT_EQ(raw[0].eventB, 123);  // byte 5
  EXPECT_STREQ(raw[1].card1, "00101000");
  EXPECT_EQ(raw[2].time[0], 0x5A);  // untouched from the unmarked record on

  page[2][14] = 0xA0;  // a full page of marked records decodes exactly 8
  sim().with_model([&](sim::Model& m) {
    sim::write_area2(m, 3 * 512 + 32, page[2]);
    return 0;
  });
  ASSERT_EQ(Ferrin_ReadAllRecord(raw.data(), 3, host(), port()), 0);
  EXPECT_STREQ(raw[7].card1, "00101000");
  EXPECT_EQ(raw[8].time[0], 0x5A);
  EXPECT_TRUE(std::filesystem::is_directory(cwd.path() / "records"));
  EXPECT_TRUE(std::filesystem::is_empty(cwd.path() / "records"));
}

TEST_F(Records, PageReadFailureReturnsItsCodeAndReleasesTheLock) {
  load(sim::linear_area(kSlots, 64, 0, numbered(0, 3)));
  set_receive_timeout(50);
  sim().inject(4, {sim::FaultKind::kNoReply, 0, 0, 1});
  int count = 7;
  EXPECT_EQ(Ferrin_ReadRecord(out.data(), 0, host(), port(), &count), -21);
  EXPECT_EQ(count, 0);
  std::thread other([] {
    std::unique_lock<std::recursive_mutex> lock(*library().record_read_lock, std::try_to_lock);
    EXPECT_TRUE(lock.owns_lock());
  });
  other.join();
  EXPECT_EQ(Ferrin_ReadRecord(out.data(), 0, host(), port(), &count), 0);
  EXPECT_EQ(count, 3);
}

// The page-0 queries run before the record-read lock; the page read waits for it.
TEST_F(Records, PageReadWaitsForTheRecordReadLock) {
  load(sim::linear_area(kSlots, 64, 0, numbered(0, 3)));
  std::unique_lock<std::recursive_mutex> held(*library().record_read_lock);
  std::atomic<int> result{1};
  int count = -1;
  std::thread reader([&] { result = Ferrin_ReadRecord(out.data(), 0, host(), port(), &count); });
  ASSERT_TRUE(sim().wait_for_requests(2, std::chrono::seconds(2)));
  EXPECT_FALSE(sim().wait_for_requests(3, std::chrono::milliseconds(100)));
  EXPECT_EQ(codes(), (std::vector<int>{18, 11}));
  EXPECT_EQ(result.load(), 1);  // still waiting
  held.unlock();
  reader.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(codes(), (std::vector<int>{18, 11, 4}));
}

}  // namespace
}  // namespace vorskel

namespace vorskel {
namespace {

// Two long record reads that share the record-read lock: the controller's download and a
// payment terminal's short-record download, on two threads against two terminals. Each page
// call holds the lock across its page read (the lock order is record-read lock, then command
// lock), so both complete, each with every one of its records, and neither deadlocks.
TEST_F(Records, DownloadsSharingTheRecordReadLockBothCompleteWithEveryRecord) {
  constexpr int kFerrinRecords = 1500, kShortRecords = 900;
  load(sim::wrapped_area(kSlots, 64 * 32, 64 * 32 - 500, numbered(0, kFerrinRecords)));
  sim::Simulator payment(sim::make_model("nemmar"));
  std::vector<Bytes> shorts;
  for (int i = 0; i < kShortRecords; ++i)
    shorts.push_back(sim::short_consumption_record(static_cast<std::uint32_t>(i + 1),
                                                   sim::seconds_1980(sim::Stamp{}) + 60u * i,
                                                   static_cast<std::uint16_t>(i)));
  payment.with_model([&](sim::Model& m) {
    sim::load_record_area(m, sim::linear_area(sim::kShortConsumptionSlots, 64 * 32, 0, shorts));
    return 0;
  });

  int ferrin_total = 0, short_total = 0, ferrin_error = 0, short_error = 0;
  std::thread controller([&] {
    std::vector<FerrinRecordEntry> entries(64);
    for (int page = 0; page < 200; ++page) {
      int count = 0;
      const int r = Ferrin_ReadRecord(entries.data(), page, host(), port(), &count);
      if (r == -1) break;
      if (r < -1) {
        ferrin_error = r;
        break;
      }
      ferrin_total += count;
    }
  });
  std::thread consumption([&] {
    std::vector<unsigned char> entries(32 * 96);
    for (int page = 0; page < 200; ++page) {
      const int r = Nemmar_Record_id(entries.data(), page, "127.0.0.1", payment.port());
      if (r == -1) break;
      if (r < -1) {
        short_error = r;
        break;
      }
      short_total += r;
    }
  });
  controller.join();
  consumption.join();
  EXPECT_EQ(ferrin_error, 0);
  EXPECT_EQ(short_error, 0);
  EXPECT_EQ(ferrin_total, kFerrinRecords);
  EXPECT_EQ(short_total, kShortRecords);
}

}  // namespace
}  // namespace vorskel
