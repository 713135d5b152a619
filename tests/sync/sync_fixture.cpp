#include "sync_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "sim/models/record_area_layouts.h"
#include "sim/models/terminal_state.h"
#include "support/temp_dir.h"

namespace vorskel::testing {
namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

void SyncTest::SetUp() {
  dir_ = make_temp_directory("vorskel-sync-");
}

void SyncTest::TearDown() {
  sims_.clear();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

sim::Simulator& SyncTest::sim(const std::string& model) {
  for (auto& [name, s] : sims_)
    if (name == model) return *s;
  sims_.emplace_back(model, std::make_unique<sim::Simulator>(sim::make_model(model)));
  sims_.back().second->set_recording(false);
  return *sims_.back().second;
}

std::vector<sim::Bytes> SyncTest::load_attendance(sim::Simulator& s, std::size_t count,
                                                  std::uint32_t seed,
                                                  std::optional<std::uint32_t> from_slot) {
  const sim::SlotGeometry g = sim::geometry_of(sim::RecordKind::kStandard);
  const auto slots = static_cast<std::uint32_t>(sim::FlashAreas::kArea2 / g.record_bytes);
  sim::SeriesOptions opt;
  opt.count = count;
  opt.seed = seed;
  opt.first = sim::Stamp{2026, 1 + static_cast<int>(seed % 12), 1, 7, 30, 0};
  auto records = sim::record_series(sim::RecordKind::kStandard, opt);
  s.with_model([&](sim::Model& m) {
    const auto& k = m.part<sim::RecordCounters>();
    const std::uint32_t from = from_slot.value_or(k.end / g.record_bytes);
    const sim::RecordArea area = from + count > slots ? sim::wrapped_area(g, slots, from, records)
                                                      : sim::linear_area(g, slots, from, records);
    sim::load_record_area(m, area);
  });
  return records;
}

bool SyncTest::emptied(sim::Simulator& s) {
  return s.with_model([](sim::Model& m) {
    const auto& k = m.part<sim::RecordCounters>();
    return k.start == k.end && k.cycle == 0;
  });
}

void SyncTest::write_config(const std::string& database_url,
                            const std::vector<TerminalEntry>& terminals, int retries) {
  std::ofstream f(dir_ / "site.toml");
  f << "[database]\nurl = \"" << database_url << "\"\n\n"
    << "[sync]\nretries = " << retries << "\ntimeout_ms = 10\nbackoff_ms = 1\n\n";
  for (const auto& t : terminals)
    f << "[[terminal]]\nname = \"" << t.name << "\"\nmodel = \"" << t.model
      << "\"\nhost = \"127.0.0.1\"\nport = " << t.port
      << "\nclear_after_sync = " << (t.clear_after_sync ? "true" : "false") << "\n\n";
}

pid_t SyncTest::start(const std::vector<std::string>& args) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir_.c_str()) != 0) ::_exit(126);
    const int out = ::open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<std::string> all = {VORSKEL_CLI_PATH, "--config", "site.toml"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

int SyncTest::wait_tool(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ToolResult SyncTest::run(const std::vector<std::string>& args, long file_limit) {
  pid_t pid;
  if (file_limit > 0) {
    // A full disk, as the tool sees one: writes past the limit fail with EFBIG.
    pid = ::fork();
    if (pid == 0) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{static_cast<rlim_t>(file_limit), static_cast<rlim_t>(file_limit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      ::_exit(wait_tool(start(args)));
    }
  } else {
    pid = start(args);
  }
  ToolResult r;
  r.exit_code = wait_tool(pid);
  r.out = slurp(dir_ / "out.txt");
  r.err = slurp(dir_ / "err.txt");
  return r;
}

Rows SyncTest::sqlite_rows(const std::string& sql) const {
  sqlite3* db = nullptr;
  Rows rows;
  if (sqlite3_open_v2((dir_ / "site.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(db);
    ADD_FAILURE() << "cannot open the database";
    return rows;
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const auto* t = sqlite3_column_text(st, i);
        row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
      }
      rows.push_back(std::move(row));
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

std::vector<std::string> expected_event(const sim::Bytes& r) {
  static const char* hex = "0123456789ABCDEF";
  char when[32];
  std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", 1900 + r[10], r[11] & 0x0F,
                r[12], r[13], r[14], r[15]);
  const std::string status = {hex[r[9] >> 4], '0', hex[r[9] & 0x0F]};
  return {std::string(reinterpret_cast<const char*>(r.data()), 8), when, status};
}

Rows sorted(Rows rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace vorskel::testing
