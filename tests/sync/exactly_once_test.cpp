// Each record on a terminal lands in the database once, whatever stops the sync: kill -9 at
// seeded random moments, the database server going away, and plain reruns.
#include <signal.h>

#include <chrono>
#include <random>
#include <thread>

#include "postgres_cluster.h"
#include "sync_fixture.h"

namespace vorskel::testing {
namespace {

constexpr std::size_t kWrappedRecords = 16383;  // every slot of the area but one
constexpr int kInterruptions = 50;
// Kill moments spread over a whole lossy run (about 0.5-1 s here), so some land in the
// download, some in the commits and some between the commit and the clear.
constexpr int kLatestMomentMs = 1200;

const char* kEvents = "SELECT card, occurred_at, status FROM events WHERE kind = 'attendance'";

Rows expected_rows(const std::vector<sim::Bytes>& records) {
  Rows rows;
  for (const auto& r : records) rows.push_back(expected_event(r));
  return rows;
}

class ExactlyOnce : public SyncTest {
 protected:
  // Syncs a wrapped, lossy terminal with clear-after-sync while `interrupt` stops each run at
  // a seeded moment; whenever the terminal has been emptied, it gets a fresh 16,383 records
  // written after the last. Returns every record the terminal ever held.
  template <class Interrupt>
  std::vector<sim::Bytes> interrupted_syncs(const std::string& url, Interrupt interrupt) {
    auto& s = sim();
    s.set_loss(10, 7);
    std::vector<sim::Bytes> all = load_attendance(s, kWrappedRecords, 1, 16384 - 8199);
    write_config(url, {{"gate", "vorsk", s.port(), true}});
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> moment(0, kLatestMomentMs);
    std::uint32_t round = 1;
    for (int i = 0; i < kInterruptions; ++i) {
      const pid_t pid = start({"sync"});
      std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
      interrupt(i, pid);
      if (emptied(s)) {
        const auto more = load_attendance(s, kWrappedRecords, ++round);
        all.insert(all.end(), more.begin(), more.end());
      }
    }
    const ToolResult last = run({"sync"});
    EXPECT_EQ(last.exit_code, 0) << last.out << last.err;
    RecordProperty("rounds", static_cast<int>(round));
    return all;
  }
};

TEST_F(ExactlyOnce, KillNineAtFiftyMomentsStoresEachRecordOnceInSqlite) {
  const auto all = interrupted_syncs(sqlite_url(), [](int, pid_t pid) {
    ::kill(pid, SIGKILL);
    wait_tool(pid);
  });
  EXPECT_EQ(sorted(sqlite_rows(kEvents)), sorted(expected_rows(all)));
  EXPECT_TRUE(sqlite_rows("SELECT * FROM events WHERE kind = 'gap'").empty());
}

TEST_F(ExactlyOnce, KillNineAndServerRestartsStoreEachRecordOnceInPostgres) {
  if (PostgresCluster::bin_dir().empty()) GTEST_SKIP() << "PostgreSQL is not installed";
  PostgresCluster pg;
  const auto all = interrupted_syncs(pg.url(), [&pg](int i, pid_t pid) {
    if (i % 5 == 4) {
      // The server goes away under the running sync, which must fail cleanly.
      pg.stop();
      wait_tool(pid);
      pg.start();
    } else {
      ::kill(pid, SIGKILL);
      wait_tool(pid);
    }
  });
  EXPECT_EQ(sorted(pg.rows(std::string(kEvents) + " ORDER BY 1")), sorted(expected_rows(all)));
}

TEST_F(ExactlyOnce, ASecondSyncStoresNothingAndAThirdOnlyWhatIsNew) {
  auto& s = sim();
  constexpr std::uint32_t kFirstSlot = 10000;
  const auto first = load_attendance(s, 3000, 3, kFirstSlot);
  write_config(sqlite_url(), {{"gate", "vorsk", s.port(), false}});
  const ToolResult one = run({"sync"});
  ASSERT_EQ(one.exit_code, 0) << one.err;
  const ToolResult two = run({"--format", "json", "sync"});
  ASSERT_EQ(two.exit_code, 0) << two.err;
  EXPECT_NE(two.out.find("\"stored\":0,"), std::string::npos) << two.out;
  EXPECT_NE(two.out.find("\"already\":3000"), std::string::npos) << two.out;
  EXPECT_EQ(sorted(sqlite_rows(kEvents)), sorted(expected_rows(first)));

  // The terminal, never cleared, writes 5,000 more after them, wrapping past the area's end:
  // the downloads visit those newest records first, yet only they are new.
  sim::SeriesOptions more;
  more.count = 5000;
  more.first = sim::Stamp{2027, 3, 1, 8, 0, 0};
  more.seed = 5;
  auto grown = first;
  const auto added = sim::record_series(sim::RecordKind::kStandard, more);
  grown.insert(grown.end(), added.begin(), added.end());
  s.with_model([&](sim::Model& m) {
    const auto g = sim::geometry_of(sim::RecordKind::kStandard);
    sim::load_record_area(m, sim::wrapped_area(g, 16384, kFirstSlot, grown));
  });
  const ToolResult three = run({"--format", "json", "sync"});
  ASSERT_EQ(three.exit_code, 0) << three.err;
  EXPECT_NE(three.out.find("\"stored\":5000,"), std::string::npos) << three.out;
  EXPECT_EQ(sorted(sqlite_rows(kEvents)), sorted(expected_rows(grown)));
}

}  // namespace
}  // namespace vorskel::testing
