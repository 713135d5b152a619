// The download engine with rows other than the main terminal's: other page and record
// sizes, an invalid-slot hook, the record-read lock, and how reaching the total ends a
// page that holds both pointers.
#include "records/download_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "record_sim.h"
#include "transport/library.h"

namespace vorskel::records {
namespace {

using sim::Bytes;

// A 19-byte test record: byte 0 its number, byte 16 the mark 0xA?, the rest filler.
bool marked(const std::uint8_t* r) {
  return (r[16] >> 4) == 0xA;
}
void decode_number(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  entry[0] = r[0];
  entry[1] = 'v';
  std::snprintf(line.date, sizeof line.date, "2009-01-%02d", 1 + r[0] % 28);
  // Two appends, not "n" + to_string(): g++ 12 at -O3 reports a false -Wrestrict in the
  // inlined operator+ of a literal and a temporary string.
  line.text.clear();
  line.text += "n";
  line.text += std::to_string(r[0]);
}
void mark_cleared(const std::uint8_t*, std::uint8_t* entry) {
  entry[0] = 0;
  entry[1] = 'x';
}

constexpr RecordLayout kNumbered{
    .record_bytes = 19, .entry_bytes = 2, .valid = marked, .decode = decode_number};

Bytes numbered(int n, bool valid = true) {
  Bytes b(19, 0x33);
  b[0] = static_cast<std::uint8_t>(n);
  b[16] = valid ? 0xA1 : 0x51;
  return b;
}

class Engine : public testing::RecordSim {
 protected:
  std::vector<int> numbers(int count) const {
    std::vector<int> out;
    for (int i = 0; i < count; ++i) out.push_back(buffer[2 * i]);
    return out;
  }
  int call(const DownloadRow& row, int page) {
    std::fill(buffer.begin(), buffer.end(), 0xEE);
    return download_page(row, state.view(), buffer.data(), page, host(), port());
  }
  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(128, 0xEE);
  OwnDownloadState state;
};

TEST_F(Engine, OtherPageAndRecordSizes) {
  // 26 records of 19 bytes in pages 494 bytes apart: 30 records from address 0 end at 570.
  const DownloadRow row{.paging = {.page_bytes = 494}, .layout = kNumbered};
  std::vector<Bytes> records;
  for (int i = 0; i < 30; ++i) records.push_back(numbered(i));
  load(sim::linear_area({19, 494, 26}, 52, 0, records));
  EXPECT_EQ(call(row, 0), 26);
  EXPECT_EQ(call(row, 1), 4);
  EXPECT_EQ(numbers(4), (std::vector<int>{26, 27, 28, 29}));
  EXPECT_EQ(call(row, 2), -1);  // 988 >= 570
  EXPECT_EQ(page_reads(), (std::vector<std::uint32_t>{0, 494}));
  EXPECT_EQ(cwd.record_file("127.0.0.1", "2009-01-28"), "n27 127.0.0.1\n");
}

TEST_F(Engine, InvalidSlotHookMarksTheEntryThatTheNextRecordOverwrites) {
  DownloadRow row{.paging = {.page_bytes = 494, .files = RecordFiles::kNone}, .layout = kNumbered};
  row.layout.mark_invalid = mark_cleared;
  load(sim::linear_area({19, 494, 26}, 52, 0,
                        {numbered(1), numbered(2, false), numbered(3), numbered(4, false)}));
  EXPECT_EQ(call(row, 0), 2);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 6), (Bytes{1, 'v', 3, 'v', 0, 'x'}));
  EXPECT_FALSE(std::filesystem::exists(cwd.path() / "records"));
}

TEST_F(Engine, RecordReadLockIsHeldAcrossThePageReadOnly) {
  std::atomic<int> held_at_query{-1}, held_at_read{-1};
  sim().with_model([&](sim::Model& m) {
    auto lock_held = [] {
      auto* lock = library().record_read_lock;
      if (!lock->try_lock()) return 1;  // another thread holds it
      lock->unlock();
      return 0;
    };
    const sim::Handler read = *m.find(4);
    m.on(4, [&, read, lock_held](const sim::Request& r) {
      held_at_read = lock_held();
      return read(r);
    });
    const sim::Handler point = *m.find(18);
    m.on(18, [&, point, lock_held](const sim::Request& r) {
      held_at_query = lock_held();
      return point(r);
    });
    return 0;
  });
  load(sim::linear_area({19, 494, 26}, 52, 0, {numbered(1)}));
  const DownloadRow row{.paging = {.page_bytes = 494, .lock = ReadLock::kRecordRead},
                        .layout = kNumbered};
  EXPECT_EQ(call(row, 0), 1);
  EXPECT_EQ(held_at_query, 0);
  EXPECT_EQ(held_at_read, 1);
  EXPECT_TRUE(library().record_read_lock->try_lock());  // released on return
  library().record_read_lock->unlock();
}

TEST_F(Engine, ReachingTheTotalEndsTheRunOrThePage) {
  // Both pointers in page 0 of a 2-page area; the total is reached inside the first run.
  std::vector<Bytes> records;
  for (int i = 0; i < 40; ++i) records.push_back(numbered(i));
  auto area = sim::wrapped_area({19, 494, 26}, 52, 20, records);  // end at slot 8
  area.total = 5;
  load(area);
  const DownloadRow run{.paging = {.page_bytes = 494, .at_total = AtTotal::kEndRun},
                        .layout = kNumbered};
  const DownloadRow page{.paging = {.page_bytes = 494, .at_total = AtTotal::kEndPage},
                         .layout = kNumbered};
  // The first run (slots 0..7, the newest) stops at the fifth; the second run still gives
  // its first record, whatever the count.
  EXPECT_EQ(call(run, 0), 6);
  EXPECT_EQ(numbers(6), (std::vector<int>{32, 33, 34, 35, 36, 0}));
  EXPECT_EQ(call(page, 0), 5);
}

TEST(EnginePlan, PagesGiveTheRecordsBetweenThePointersOnly) {
  const RecordPointers wrapped{.start = 1300, .end = 384, .area_end = 2048, .cycle = 1};
  const RecordPointers linear{.start = 100, .end = 700, .area_end = 2048, .cycle = 0};
  struct Case {
    RecordPointers p;
    PageRuns runs;
    int page;
    bool read;
    int result;
    std::vector<std::pair<int, int>> runs_of_page;
  } cases[] = {
      {wrapped, PageRuns::kBetweenPointers, 0, true, 0, {{0, 24}}},
      {wrapped, PageRuns::kBetweenPointers, 1, false, 0, {}},          // [512, 1024) in the gap
      {wrapped, PageRuns::kBetweenPointers, 2, true, 0, {{276, 14}}},  // from the start pointer
      {wrapped, PageRuns::kBetweenPointers, 3, true, 0, {{0, 32}}},
      {wrapped, PageRuns::kBetweenPointers, 4, false, -1, {}},
      // The shared-pointer readers: the same pages. Page 2 begins 276 bytes before the start
      // pointer and was taken as gap; page 0 gave the 8 slots after the end pointer too.
      {wrapped, PageRuns::kWholePage, 0, true, 0, {{0, 24}}},
      {wrapped, PageRuns::kWholePage, 1, false, 0, {}},
      {wrapped, PageRuns::kWholePage, 2, true, 0, {{276, 14}}},
      {wrapped, PageRuns::kWholePage, 3, true, 0, {{0, 32}}},
      {wrapped, PageRuns::kWholePage, 4, false, -1, {}},
      // Linear: the record reader reads pages from the start pointer and walks its last page
      // whole; the shared-pointer readers read the pages holding the start pointer and what
      // follows, from the start pointer to the end pointer.
      {linear, PageRuns::kBetweenPointers, 1, true, 0, {{0, 32}}},
      {linear, PageRuns::kWholePage, 0, true, 0, {{100, 25}}},  // (512 - 100) / 16
      {linear, PageRuns::kWholePage, 1, true, 0, {{0, 11}}},    // (700 - 512) / 16
      {linear, PageRuns::kWholePage, 2, false, -1, {}},
  };
  for (const auto& c : cases) {
    const PagePlan plan = plan_page({.runs = c.runs}, 16, c.p, c.page);
    EXPECT_EQ(plan.read, c.read) << c.page;
    EXPECT_EQ(plan.result, c.result) << c.page;
    std::vector<std::pair<int, int>> runs;
    for (int i = 0; i < plan.run_count; ++i)
      runs.push_back({plan.runs[i].offset, plan.runs[i].count});
    EXPECT_EQ(runs, c.runs_of_page) << c.page;
  }
}

}  // namespace
}  // namespace vorskel::records
