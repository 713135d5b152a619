// What each step of a record download costs on its own, without the network: the record
// file writer's steps (preparation per call, a terminal's first line, a line of the open day,
// a line that opens the next day's file), the decoding of one page of records, and the
// stale-datagram check every transaction makes before it sends. Together they account for
// what a download costs over the raw page loop.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "records/record_file.h"
#include "records/vorsk_layouts.h"

namespace {

namespace fs = std::filesystem;
using vorskel::records::RecordFileWriter;

constexpr int kRecordsPerPage = 32;
constexpr int kEntryBytes = 54;
constexpr char kHost[] = "127.0.0.1";
const std::string kLine = "12345678 2009-05-01 08:09:10 127.0.0.1";

// Runs a benchmark in a fresh directory (with "records" made a file when no_files is set).
class Workspace {
 public:
  explicit Workspace(bool no_files) : before_(fs::current_path()) {
    char tmpl[] = "/tmp/vorskel-writer-bench-XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) return;
    dir_ = tmpl;
    if (no_files) std::ofstream(dir_ / "records") << "not a directory\n";
    fs::current_path(dir_);
  }
  ~Workspace() {
    fs::current_path(before_);
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  bool ok() const { return !dir_.empty(); }

 private:
  fs::path before_;
  fs::path dir_;
};

// Preparation, made once per download call: the current directory and one look at "records".
void BM_WriterPrepare(benchmark::State& state) {
  Workspace here(state.range(0) != 0);
  if (!here.ok()) return state.SkipWithError("no temporary directory");
  for (auto _ : state) {
    RecordFileWriter w;
    benchmark::DoNotOptimize(w.ready());
  }
}

// A call's first line: preparation, the terminal directory check, the file's open, one write
// and the close when the call ends.
void BM_WriterFirstLineOfACall(benchmark::State& state) {
  Workspace here(false);
  if (!here.ok()) return state.SkipWithError("no temporary directory");
  for (auto _ : state) {
    RecordFileWriter w;
    w.write_line(kHost, "2009-05-01", kLine);
  }
}

// A further line of the day whose file is open: one write system call.
void BM_WriterLineSameDay(benchmark::State& state) {
  Workspace here(false);
  if (!here.ok()) return state.SkipWithError("no temporary directory");
  RecordFileWriter w;
  w.write_line(kHost, "2009-05-01", kLine);
  for (auto _ : state) w.write_line(kHost, "2009-05-01", kLine);
}

// A line of another day: the open file is closed, the next opened, then the write.
void BM_WriterLineNextDay(benchmark::State& state) {
  Workspace here(false);
  if (!here.ok()) return state.SkipWithError("no temporary directory");
  RecordFileWriter w;
  bool odd = false;
  for (auto _ : state) {
    w.write_line(kHost, odd ? "2009-05-01" : "2009-05-02", kLine);
    odd = !odd;
  }
}

// Decoding one page of 32 standard records into entries and their lines.
void BM_DecodePage(benchmark::State& state) {
  std::uint8_t page[kRecordsPerPage * 16];
  for (int i = 0; i < kRecordsPerPage; ++i) {
    std::uint8_t* r = page + i * 16;
    std::snprintf(reinterpret_cast<char*>(r), 9, "%08d", 10000000 + i);
    r[8] = 0;
    r[9] = 0x01;
    r[10] = 109;
    r[11] = 0xA5;
    r[12] = 1 + i % 28;
    r[13] = 8;
    r[14] = 9;
    r[15] = static_cast<std::uint8_t>(i);
  }
  std::uint8_t out[kRecordsPerPage * kEntryBytes];
  vorskel::records::DecodedLine line;
  for (auto _ : state) {
    for (int i = 0; i < kRecordsPerPage; ++i) {
      line.text.clear();
      vorskel::records::layouts::decode_standard(page + i * 16, out + i * kEntryBytes, line);
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}

// The stale-datagram check before each request: one non-blocking receive that finds nothing.
void BM_DrainEmptySocket(benchmark::State& state) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
  std::uint8_t buffer[1024];
  for (auto _ : state) benchmark::DoNotOptimize(::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT));
  ::close(fd);
}

BENCHMARK(BM_WriterPrepare)->Arg(0)->Arg(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WriterFirstLineOfACall)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WriterLineSameDay)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WriterLineNextDay)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecodePage)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DrainEmptySocket)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
