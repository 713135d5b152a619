// Record downloads: a whole record area with Vorsk_Record (decoding only, and decoding with
// record files) against a plain loop that fetches the same flash pages and decodes nothing;
// and the time per page for areas of growing size, which should stay flat.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/alloc_counter.h"
#include "bench/bench_env.h"
#include "bench/sim_process.h"
#include "vorskel.h"

namespace vorskel::bench {
namespace {

constexpr int kRecordsPerPage = 32;
constexpr int kEntryBytes = 54;
constexpr int kAreaPages = 512;  // flash area 2: 16,384 slots of 16 bytes
constexpr int kPageBytes = 512;
constexpr int kPageCommand = 4;
constexpr int kPageReplyBytes = 515;
constexpr int kMaxCalls = 4 * kAreaPages;  // bound on the calls of one download
const int kGrowthPages[] = {64, 128, 256, 512};

std::vector<std::unique_ptr<SimProcess>>& sims() {
  static std::vector<std::unique_ptr<SimProcess>> s;
  return s;
}
std::string& no_files_dir() {
  static std::string dir;
  return dir;
}
RecordTerminals& terminals_mut() {
  static RecordTerminals t;
  return t;
}

int start_area(int records, bool wrapped) {
  std::vector<std::string> args = {"--records", std::to_string(records)};
  if (wrapped) args.push_back("--wrapped");
  sims().push_back(std::make_unique<SimProcess>(args));
  return sims().back()->port();
}

struct Download {
  int calls = 0;
  long long records = 0;
  bool ok = true;
};

// One whole download as a host runs it: page 0, 1, ... until -1.
Download download(int port) {
  static std::uint8_t out[kRecordsPerPage * kEntryBytes];
  Download d;
  for (int page = 0; page < kMaxCalls; ++page) {
    const int r = Vorsk_Record(out, page, "127.0.0.1", port);
    ++d.calls;
    if (r == -1) return d;
    if (r < 0) {
      d.ok = false;
      return d;
    }
    d.records += r;
  }
  d.ok = false;
  return d;
}

// Runs the benchmark loop with the current directory set to dir.
class InDirectory {
 public:
  explicit InDirectory(const std::string& dir) : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InDirectory() { std::filesystem::current_path(before_); }

 private:
  std::filesystem::path before_;
};

void run_downloads(benchmark::State& state, int port) {
  const Download warm = download(port);  // the download state's first use is not steady
  if (!warm.ok) {
    state.SkipWithError("download failed");
    return;
  }
  long long records = 0, pages = 0;
  const long long allocs_before = allocations();
  for (auto _ : state) {
    const Download d = download(port);
    if (!d.ok) {
      state.SkipWithError("download failed");
      break;
    }
    records += d.records;
    pages += d.calls - 1;  // the last call only says the download is over
  }
  const long long allocs = allocations() - allocs_before;
  state.SetItemsProcessed(pages);
  state.counters["records"] = static_cast<double>(warm.records);
  state.counters["pages"] = static_cast<double>(warm.calls - 1);
  state.counters["allocs/record"] =
      records > 0 ? static_cast<double>(allocs) / static_cast<double>(records) : 0;
}

void BM_DownloadRaw(benchmark::State& state) {
  const int port =
      state.range(1) ? record_terminals().wrapped : record_terminals().by_pages.at(kAreaPages);
  const int pages = static_cast<int>(state.range(0));
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  timeval tv{6, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  // Frames built once: CRC-16 low byte first over code and payload, code 4, the page address
  // low byte first.
  std::vector<std::vector<std::uint8_t>> frames;
  for (int p = 0; p < pages; ++p) {
    const std::uint32_t a = static_cast<std::uint32_t>(p * kPageBytes);
    std::vector<std::uint8_t> f = {0,
                                   0,
                                   kPageCommand,
                                   static_cast<std::uint8_t>(a),
                                   static_cast<std::uint8_t>(a >> 8),
                                   static_cast<std::uint8_t>(a >> 16),
                                   static_cast<std::uint8_t>(a >> 24)};
    const unsigned short crc = CalculateCRC16(5, f.data() + 2);
    f[0] = static_cast<std::uint8_t>(crc);
    f[1] = static_cast<std::uint8_t>(crc >> 8);
    frames.push_back(std::move(f));
  }
  std::uint8_t reply[1024];
  long long done = 0;
  for (auto _ : state) {
    for (const auto& f : frames) {
      ::sendto(fd, f.data(), f.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
      if (::recvfrom(fd, reply, sizeof reply, 0, nullptr, nullptr) != kPageReplyBytes) {
        state.SkipWithError("raw page read failed");
        break;
      }
    }
    done += pages;
  }
  ::close(fd);
  state.SetItemsProcessed(done);
}

// Decoding only: record files cannot be made in this directory.
void BM_DownloadDecode(benchmark::State& state) {
  InDirectory here(no_files_directory());
  run_downloads(state, state.range(1)
                           ? record_terminals().wrapped
                           : record_terminals().by_pages.at(static_cast<int>(state.range(0))));
}

// Decoding and record files, in a fresh directory removed afterwards.
void BM_DownloadFiles(benchmark::State& state) {
  char tmpl[] = "/tmp/vorskel-bench-files-XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) {
    state.SkipWithError("mkdtemp failed");
    return;
  }
  {
    InDirectory here(tmpl);
    run_downloads(state, state.range(1) ? record_terminals().wrapped
                                        : record_terminals().by_pages.at(kAreaPages));
  }
  std::error_code ec;
  std::filesystem::remove_all(tmpl, ec);
}

// Arguments: pages, wrapped.
BENCHMARK(BM_DownloadRaw)
    ->Args({kAreaPages, 0})
    ->Args({kAreaPages, 1})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadDecode)
    ->Args({kAreaPages, 0})
    ->Args({kAreaPages, 1})
    ->Args({256, 0})
    ->Args({128, 0})
    ->Args({64, 0})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadFiles)
    ->Args({kAreaPages, 0})
    ->Args({kAreaPages, 1})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

std::string args_name(const char* bench, int pages, int wrapped) {
  return std::string(bench) + "/" + std::to_string(pages) + "/" + std::to_string(wrapped) + "/";
}

}  // namespace

void start_record_terminals() {
  auto& t = terminals_mut();
  // 16,384 slots: one stays free, as a terminal's full area keeps one slot between end and
  // start.
  t.linear = start_area(kAreaPages * kRecordsPerPage - 1, false);
  t.wrapped = start_area(kAreaPages * kRecordsPerPage - 1, true);
  t.by_pages[kAreaPages] = t.linear;
  for (int pages : kGrowthPages)
    if (pages != kAreaPages) t.by_pages[pages] = start_area(pages * kRecordsPerPage, false);

  char tmpl[] = "/tmp/vorskel-bench-nofiles-XXXXXX";
  if (::mkdtemp(tmpl) != nullptr) {
    std::ofstream(std::string(tmpl) + "/records") << "not a directory\n";
    no_files_dir() = tmpl;
  }
}

void stop_record_terminals() {
  sims().clear();
  std::error_code ec;
  if (!no_files_directory().empty()) std::filesystem::remove_all(no_files_directory(), ec);
}

const RecordTerminals& record_terminals() {
  return terminals_mut();
}

const std::string& no_files_directory() {
  return no_files_dir();
}

void print_download_ratios(const Medians& m) {
  std::printf("\nrecord download (median page rates; time ratio = raw rate / library rate):\n");
  for (int wrapped = 0; wrapped <= 1; ++wrapped) {
    const double raw = m.rate(args_name("BM_DownloadRaw", kAreaPages, wrapped));
    const double dec = m.rate(args_name("BM_DownloadDecode", kAreaPages, wrapped));
    const double files = m.rate(args_name("BM_DownloadFiles", kAreaPages, wrapped));
    const std::string dn = args_name("BM_DownloadDecode", kAreaPages, wrapped);
    std::printf("  %s area, %.0f records in %.0f pages:\n", wrapped ? "wrapped" : "linear",
                m.counter(dn, "records"), m.counter(dn, "pages"));
    std::printf("    raw pages:              %8.2f ms per download\n",
                raw > 0 ? kAreaPages * 1e3 / raw : 0);
    std::printf("    library, decoding only: %8.2f ms  time / raw %.3f  (goal <= 1.10)\n",
                dec > 0 ? kAreaPages * 1e3 / dec : 0, dec > 0 ? raw / dec : 0);
    std::printf("    library, record files:  %8.2f ms  time / raw %.3f\n",
                files > 0 ? kAreaPages * 1e3 / files : 0, files > 0 ? raw / files : 0);
    std::printf(
        "    heap allocations per decoded record: %.4f decoding only, %.4f with files"
        " (goal 0)\n",
        m.counter(dn, "allocs/record"),
        m.counter(args_name("BM_DownloadFiles", kAreaPages, wrapped), "allocs/record"));
  }
  std::printf("\ncost growth (library, decoding only; time per page should stay flat):\n");
  const double base = m.rate(args_name("BM_DownloadDecode", kGrowthPages[0], 0));
  for (int pages : kGrowthPages) {
    const double r = m.rate(args_name("BM_DownloadDecode", pages, 0));
    std::printf("  %3d pages: %8.2f ms per download, %6.1f us per page, per page / %d pages %.3f\n",
                pages, r > 0 ? pages * 1e3 / r : 0, r > 0 ? 1e6 / r : 0, kGrowthPages[0],
                r > 0 ? base / r : 0);
  }
}

}  // namespace vorskel::bench
