// Benchmarks of the library against the physical limit of this machine: the same exchanges
// with a plain sendto/recvfrom loop, measured side by side in one run. Prints ratios of
// medians at the end.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/alloc_counter.h"
#include "bench/bench_env.h"
#include "bench/sim_process.h"
#include "vorskel.h"

namespace {

using vorskel::bench::SimProcess;

constexpr int kThreads = 4;

// One simulated terminal per host thread, started once.
std::vector<std::unique_ptr<SimProcess>>& terminals() {
  static std::vector<std::unique_ptr<SimProcess>> sims;
  return sims;
}
int terminal_port(int i) {
  return terminals()[static_cast<std::size_t>(i)]->port();
}

// The record-total query as the library frames it: CRC-16 low byte first, code 11.
const std::uint8_t kGetTotalFrame[] = {0x6B, 0xB1, 0x0B};

void BM_RawTransaction(benchmark::State& state) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  timeval tv{6, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(static_cast<std::uint16_t>(terminal_port(state.thread_index())));
  std::uint8_t reply[64];
  for (auto _ : state) {
    ::sendto(fd, kGetTotalFrame, sizeof kGetTotalFrame, 0, reinterpret_cast<sockaddr*>(&to),
             sizeof to);
    if (::recvfrom(fd, reply, sizeof reply, 0, nullptr, nullptr) < 3)
      state.SkipWithError("raw exchange failed");
  }
  ::close(fd);
  state.SetItemsProcessed(state.iterations());
}

void BM_LibraryTransaction(benchmark::State& state) {
  const int port = terminal_port(state.thread_index());
  unsigned int total = 0, second = 0;
  const long long allocs_before = vorskel::bench::allocations();
  for (auto _ : state) {
    if (Vorsk_GetTotal(&total, &second, "127.0.0.1", port) != 0)
      state.SkipWithError("Vorsk_GetTotal failed");
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0)
    state.counters["allocs/txn"] =
        static_cast<double>(vorskel::bench::allocations() - allocs_before) /
        static_cast<double>(state.iterations());
}

BENCHMARK(BM_RawTransaction)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_LibraryTransaction)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_LibraryTransaction)
    ->Threads(kThreads)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

// Keeps the medians so the ratios can be printed after the run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& r : runs) {
      if (r.aggregate_name != "median") continue;
      auto& counters = medians.counters[r.run_name.str()];
      for (const auto& [name, c] : r.counters) counters[name] = c.value;
      auto it = r.counters.find("items_per_second");
      if (it != r.counters.end()) medians.rates[r.run_name.str()] = it->second.value;
    }
  }
  vorskel::bench::Medians medians;
};

}  // namespace

namespace vorskel::bench {

double Medians::rate(const std::string& prefix) const {
  for (const auto& [name, v] : rates)
    if (name.rfind(prefix, 0) == 0) return v;
  return 0;
}

double Medians::counter(const std::string& prefix, const std::string& counter_name) const {
  for (const auto& [name, c] : counters)
    if (name.rfind(prefix, 0) == 0) {
      auto it = c.find(counter_name);
      return it == c.end() ? 0 : it->second;
    }
  return 0;
}

}  // namespace vorskel::bench

// Runs the benchmark and the simulated terminals it starts (they inherit it) on one CPU,
// unless VORSKEL_BENCH_CPU says another or "any". On this kind of virtual machine a wake-up
// on an idle second CPU costs tens of microseconds and lands at random, which makes the
// figures of an idle machine bimodal; on one CPU both sides of every ratio pay the same
// switches, and the raw loop runs at the fastest rate the machine has.
void pin_to_one_cpu() {
  const char* choice = std::getenv("VORSKEL_BENCH_CPU");
  if (choice != nullptr && std::string(choice) == "any") return;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(choice != nullptr ? std::atoi(choice) : 0, &set);
  if (::sched_setaffinity(0, sizeof set, &set) != 0) std::perror("sched_setaffinity");
}

int main(int argc, char** argv) {
  pin_to_one_cpu();
  for (int i = 0; i < kThreads; ++i) terminals().push_back(std::make_unique<SimProcess>());
  vorskel::bench::start_record_terminals();
  Sondo_Bind_Port(0, 0);
  Vorsk_OpenSocket();
  Vorsk_OpenWatch();

  // Repetitions of the library and raw benchmarks run interleaved in random order, so load
  // from other jobs on the machine falls on both sides of each ratio alike.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int args_count = static_cast<int>(args.size());
  benchmark::Initialize(&args_count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const auto& m = reporter.medians;
  const double raw = m.rate("BM_RawTransaction");
  const double lib = m.rate("BM_LibraryTransaction/");
  const double lib4 = m.rate("BM_LibraryTransaction/repeats:5/real_time/threads:4");
  std::printf("\nratios of medians:\n");
  std::printf(
      "  transaction rate, library / raw:            %.3f  (%.0f vs %.0f per s; goal >= 0.9)\n",
      raw > 0 ? lib / raw : 0, lib, raw);
  std::printf(
      "  4 threads on 4 terminals / 1 thread:         %.3f  (%.0f vs %.0f per s; goal ~1)\n",
      lib > 0 ? lib4 / lib : 0, lib4, lib);
  std::printf("  heap allocations per transaction:            %.3f  (goal 0)\n",
              m.counter("BM_LibraryTransaction/", "allocs/txn"));
  vorskel::bench::print_download_ratios(m);
  vorskel::bench::print_watch_ratios(m);
  Vorsk_CloseWatch();
  Vorsk_CloseSocket();
  terminals().clear();
  vorskel::bench::stop_record_terminals();
  return 0;
}
