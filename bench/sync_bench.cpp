// What storing costs over downloading: a whole record area (16,383 records, 512 pages) from a
// simulator process on 127.0.0.1 synced into a fresh SQLite file and into a fresh PostgreSQL
// database (a throwaway cluster on a Unix socket), against the library's download of the same
// area with no database, in the same run. Repetitions interleave; medians are compared.
// Record files are off for both (a file named "records" stands where their folder would go).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "bench/sim_process.h"
#include "service/database.h"
#include "service/record_source.h"
#include "service/sync.h"
#include "support/temp_dir.h"
#include "sync/postgres_cluster.h"
#include "vorskel.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRepetitions = 9;
constexpr int kRecords = 16383;
constexpr int kMaxPages = 2048;

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The library's download, nothing stored: page 0 to the end, as `records download` runs it.
double download(int port) {
  std::vector<unsigned char> page(32 * 54);
  const auto t = Clock::now();
  long records = 0;
  for (int p = 0; p < kMaxPages; ++p) {
    const int n = Vorsk_Record(page.data(), p, "127.0.0.1", port);
    if (n == -1) break;
    if (n < -1)
      --p;  // the same page again
    else
      records += n;
  }
  const double s = seconds_since(t);
  if (records != kRecords) std::fprintf(stderr, "download: %ld records\n", records);
  return s;
}

double sync_into(vorskel::site::Database& db, const vorskel::site::TerminalConfig& t) {
  auto source = vorskel::site::open_record_source(t);
  const auto start = Clock::now();
  const auto r = vorskel::site::sync_terminal(t, db, *source, {});
  const double s = seconds_since(start);
  if (!r.ok || r.stored != kRecords)
    std::fprintf(stderr, "sync: %s, %ld stored\n", r.error.c_str(), r.stored);
  return s;
}

}  // namespace

int main() {
  using namespace vorskel;
  const auto dir = testing::make_temp_directory("vorskel-sync-bench-");
  std::filesystem::current_path(dir);
  std::ofstream("records") << "";  // no record files
  bench::SimProcess sim({"--records", std::to_string(kRecords), "--wrapped"});
  site::TerminalConfig t;
  t.name = "bench";
  t.host = "127.0.0.1";
  t.port = sim.port();
  t.timeout_ms = 1000;
  t.backoff_ms = 0;

  std::unique_ptr<testing::PostgresCluster> pg;
  if (!testing::PostgresCluster::bin_dir().empty())
    pg = std::make_unique<testing::PostgresCluster>();

  std::vector<double> plain, sqlite, postgres;
  (void)site::open_record_source(t);  // opens the endpoint before the first timing
  for (int i = 0; i < kRepetitions; ++i) {
    plain.push_back(download(t.port));
    {
      // Appends, not "r" + to_string(i): g++ 12 at -O3 reports a false -Wrestrict there.
      std::string name = "r";
      name += std::to_string(i);
      name += ".db";
      const auto file = dir / name;
      auto db = site::open_sqlite(file.string());
      sqlite.push_back(sync_into(*db, t));
    }
    if (pg) {
      auto db = site::open_postgres(pg->url());
      db->query("TRUNCATE events, sync_positions");
      postgres.push_back(sync_into(*db, t));
    }
  }
  const double base = median(plain);
  std::printf("records per second, medians of %d interleaved runs of %d records:\n", kRepetitions,
              kRecords);
  std::printf("  download, no database   %9.0f\n", kRecords / base);
  std::printf("  sync into SQLite        %9.0f   %.2fx the download's time (goal 1.25x)\n",
              kRecords / median(sqlite), median(sqlite) / base);
  if (pg)
    std::printf("  sync into PostgreSQL    %9.0f   %.2fx the download's time (goal 1.50x)\n",
                kRecords / median(postgres), median(postgres) / base);
  else
    std::printf("  PostgreSQL not installed: not measured\n");
  pg.reset();
  std::filesystem::current_path("/");
  std::filesystem::remove_all(dir);
  return 0;
}
