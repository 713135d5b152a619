// The built `vorskel` tool syncing a simulated terminal (in this process, on 127.0.0.1) into
// a database in a temporary directory; the test reads the database with its own client.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/models/record_area.h"
#include "sim/models/record_area_layouts.h"
#include "sim/simulator.h"

namespace vorskel::testing {

using Rows = std::vector<std::vector<std::string>>;

struct ToolResult {
  int exit_code = -1;  // -1: killed or not run
  std::string out, err;
};

struct TerminalEntry {
  std::string name;
  std::string model = "vorsk";
  int port = 0;
  bool clear_after_sync = false;
};

class SyncTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A simulator of this model (made once per name), on a free port.
  sim::Simulator& sim(const std::string& model = "vorsk");
  // count 16-byte attendance records, oldest first, written from the terminal's end pointer
  // on (where a terminal writes its next record), wrapping past the area end when they reach
  // it, or from from_slot. Replaces what the area held.
  std::vector<sim::Bytes> load_attendance(sim::Simulator& s, std::size_t count, std::uint32_t seed,
                                          std::optional<std::uint32_t> from_slot = {});
  // Whether the terminal's record area is empty (cleared).
  static bool emptied(sim::Simulator& s);

  // site.toml in the temporary directory; time-outs short, retries many, for lossy runs.
  void write_config(const std::string& database_url, const std::vector<TerminalEntry>& terminals,
                    int retries = 40);
  std::string sqlite_url() const { return "sqlite:" + (dir_ / "site.db").string(); }

  // Runs `vorskel --config site.toml ARGS...` to its end; file_limit > 0 caps the size of any
  // file it writes (a full disk).
  ToolResult run(const std::vector<std::string>& args, long file_limit = 0);
  // Starts it and returns at once (for kill -9); collect with wait_tool.
  pid_t start(const std::vector<std::string>& args);
  static int wait_tool(pid_t pid);

  // Rows of a query against the SQLite database, read by SQLite itself.
  Rows sqlite_rows(const std::string& sql) const;

  std::filesystem::path dir_;

 private:
  std::vector<std::pair<std::string, std::unique_ptr<sim::Simulator>>> sims_;
};

// (card, occurred_at, status) of a stored attendance record, as the database should hold it.
std::vector<std::string> expected_event(const sim::Bytes& record);
// Sorted, so multisets compare.
Rows sorted(Rows rows);

}  // namespace vorskel::testing
