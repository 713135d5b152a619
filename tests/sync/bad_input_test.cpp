// What goes wrong around a sync gives one clear error and leaves the database consistent:
// nothing half-stored, the position not past what is stored, the terminal not cleared; the
// next run continues. Configuration mistakes name the file, line and key.
#include <sqlite3.h>

#include <fstream>

#include "postgres_cluster.h"
#include "sync_fixture.h"

namespace vorskel::testing {
namespace {

constexpr std::size_t kRecords = 16383;

class BadInput : public SyncTest {
 protected:
  std::vector<sim::Bytes> lossless_terminal(bool clear = true) {
    auto& s = sim();
    auto records = load_attendance(s, kRecords, 11, 16384 - 8199);
    write_config(sqlite_url(), {{"gate", "vorsk", s.port(), clear}});
    return records;
  }
  void expect_each_record_once(const std::vector<sim::Bytes>& records) {
    Rows expected;
    for (const auto& r : records) expected.push_back(expected_event(r));
    EXPECT_EQ(sorted(sqlite_rows("SELECT card, occurred_at, status FROM events")),
              sorted(expected));
  }
  // Every committed batch moved the position with it.
  void expect_position_matches_events() {
    const Rows stored = sqlite_rows("SELECT coalesce(sum(stored), 0) FROM sync_positions");
    const Rows events = sqlite_rows("SELECT count(*) FROM events");
    EXPECT_EQ(stored, events);
  }
};

TEST_F(BadInput, ACorruptDatabaseFileIsReportedAndLeftAsItWas) {
  lossless_terminal();
  const std::string junk(4096, 'x');
  std::ofstream(dir_ / "site.db") << junk;
  const ToolResult r = run({"sync"});
  EXPECT_EQ(r.exit_code, 10);
  EXPECT_NE(r.err.find("file is not a database"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  std::ifstream in(dir_ / "site.db");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), junk);
  EXPECT_FALSE(emptied(sim()));
}

TEST_F(BadInput, ALockedDatabaseFailsTheRunAndTheNextRunStoresEverything) {
  const auto records = lossless_terminal();
  ASSERT_EQ(run({"events"}).exit_code, 0);  // creates the database
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open((dir_ / "site.db").c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  const ToolResult locked = run({"sync"});
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_EQ(locked.exit_code, 10);
  EXPECT_NE((locked.out + locked.err).find("locked"), std::string::npos)
      << locked.out << locked.err;
  EXPECT_FALSE(emptied(sim()));

  const ToolResult next = run({"sync"});
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
  expect_each_record_once(records);
  EXPECT_TRUE(emptied(sim()));
}

TEST_F(BadInput, AFullDiskStopsTheRunBetweenBatchesAndTheNextRunContinues) {
  const auto records = lossless_terminal();
  ASSERT_EQ(run({"events"}).exit_code, 0);
  const ToolResult full = run({"sync"}, 1 << 20);
  EXPECT_EQ(full.exit_code, 10) << full.out << full.err;
  EXPECT_NE(full.out.find("database:"), std::string::npos) << full.out;
  EXPECT_FALSE(emptied(sim()));
  expect_position_matches_events();

  const ToolResult next = run({"sync"});
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
  expect_each_record_once(records);
}

TEST_F(BadInput, AStoppedPostgresServerFailsTheRunAndTheNextRunStoresEverything) {
  if (PostgresCluster::bin_dir().empty()) GTEST_SKIP() << "PostgreSQL is not installed";
  PostgresCluster pg;
  auto& s = sim();
  const auto records = load_attendance(s, 2000, 12, 0);
  write_config(pg.url(), {{"gate", "vorsk", s.port(), true}});
  pg.stop();
  const ToolResult down = run({"sync"});
  EXPECT_EQ(down.exit_code, 10);
  EXPECT_NE(down.err.find("cannot connect"), std::string::npos) << down.err;
  EXPECT_FALSE(emptied(s));
  pg.start();
  const ToolResult up = run({"sync"});
  EXPECT_EQ(up.exit_code, 0) << up.out << up.err;
  EXPECT_EQ(pg.rows("SELECT count(*), count(DISTINCT (card, occurred_at)) FROM events"),
            (Rows{{"2000", "2000"}}));
}

TEST_F(BadInput, ASilentTerminalIsReportedAndSkippedWhileTheOthersSync) {
  auto& live = sim();
  const auto records = load_attendance(live, 500, 13, 0);
  auto& silent = sim("pirrel");
  silent.set_loss(100);
  write_config(sqlite_url(),
               {{"dead", "vorsk", silent.port(), false}, {"gate", "vorsk", live.port(), false}}, 3);
  const ToolResult some = run({"sync"});
  EXPECT_EQ(some.exit_code, 9);
  EXPECT_NE(some.out.find("dead: FAILED"), std::string::npos) << some.out;
  EXPECT_NE(some.out.find("no reply"), std::string::npos) << some.out;
  expect_each_record_once(records);

  const ToolResult none = run({"sync", "dead"});
  EXPECT_EQ(none.exit_code, 10);
}

TEST_F(BadInput, ConfigurationMistakesNameFileLineAndKey) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"[[terminal]]\nname = \"a\"\nhost = \"h\"\nport = 70000\n",
       "site.toml:4: terminal[0].port: 70000 is out of range"},
      {"[[terminal]]\nname = \"a\"\nhost = \"h\"\ncolour = 1\n",
       "site.toml:4: terminal[0].colour: unknown key"},
      {"[[terminal]]\nname = \"a\"\nmodel = \"nosuch\"\nhost = \"h\"\n",
       "site.toml:3: terminal[0].model: unknown record model"},
      {"[[terminal]]\nname = \"a\"\nmodel = \"nemmar\"\nhost = \"h\"\nclear_after_sync = true\n",
       "site.toml:5: terminal[0].clear_after_sync"},
      {"[[terminal]]\nname = \"a\"\n", "site.toml:1: terminal[0].host: missing"},
      {"[database]\nurl = \"mysql://x\"\n", "site.toml:2: database.url"},
      {"[database\n", "site.toml:1:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::ofstream(dir_ / "site.toml") << c.text;
    const ToolResult r = run({"sync"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
  }
}

// The file of the issue that asked for the sync, as it stands.
TEST_F(BadInput, TheDocumentedExampleConfigurationIsAccepted) {
  std::ofstream(dir_ / "site.toml") << R"([database]
url = "sqlite:site.db"            # or "postgresql://user@/dbname?host=/path/to/socket"

[[terminal]]
name = "gate"
model = "vorsk"                   # the record models of `vorskel records download --model`
host = "127.0.0.1"
port = 5200
clear_after_sync = true
)";
  const ToolResult r = run({"events"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir_ / "site.db"));
}

}  // namespace
}  // namespace vorskel::testing
