// Watch reports: a sender in this process plays a terminal that reports as fast as the host
// takes them (at most kWindow reports in flight), while the benchmark thread takes them with
// Vorsk_Watch, or with a plain recvfrom loop that decodes nothing.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/alloc_counter.h"
#include "bench/bench_env.h"
#include "sim/models/reports.h"
#include "vorskel.h"

namespace vorskel::bench {
namespace {

constexpr long long kWindow = 64;
constexpr int kDistinctReports = 64;
constexpr auto kStall = std::chrono::seconds(1);

sockaddr_in loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  return a;
}

int bound_socket(int* port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a = loopback(0);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  *port = ntohs(a.sin_port);
  timeval tv{2, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  return fd;
}

// Card reports with varied cards and texts, built once.
std::vector<sim::Bytes> reports() {
  std::vector<sim::Bytes> r;
  for (int i = 0; i < kDistinctReports; ++i) {
    const std::array<std::uint8_t, 4> card = {0x12, 0x34, 0x56, static_cast<std::uint8_t>(i)};
    r.push_back(sim::card_report(card, i % 7, -(i % 5), "report " + std::to_string(i)));
  }
  return r;
}

// Keeps at most kWindow reports in flight to one address. Should a datagram be lost, the
// window would shrink for good: after a second without progress the sender counts what is
// in flight as lost.
class ReportSender {
 public:
  explicit ReportSender(const std::atomic<long long>& taken) : taken_(taken) {
    fd_ = bound_socket(&port_);
  }
  ~ReportSender() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(fd_);
  }
  int port() const { return port_; }
  // Learns the host's address from its "watch to me" datagram.
  bool learn_watcher() {
    std::uint8_t buf[64];
    socklen_t len = sizeof to_;
    return ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&to_), &len) > 0;
  }
  void start(sockaddr_in to) {
    to_ = to;
    start();
  }
  void start() {
    thread_ = std::thread([this] { run(); });
  }

 private:
  void run() {
    const auto rs = reports();
    long long sent = 0, lost = 0, last_taken = -1;
    auto last_progress = std::chrono::steady_clock::now();
    while (!stop_.load(std::memory_order_relaxed)) {
      const long long taken = taken_.load(std::memory_order_acquire);
      if (sent - lost - taken < kWindow) {
        const auto& r = rs[static_cast<std::size_t>(sent % kDistinctReports)];
        if (::sendto(fd_, r.data(), r.size(), 0, reinterpret_cast<sockaddr*>(&to_), sizeof to_) > 0)
          ++sent;
        continue;
      }
      const auto now = std::chrono::steady_clock::now();
      if (taken != last_taken) {
        last_taken = taken;
        last_progress = now;
      } else if (now - last_progress > kStall) {
        lost = sent - taken;
        last_progress = now;
      }
      ::sched_yield();
    }
  }

  const std::atomic<long long>& taken_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  int fd_ = -1;
  int port_ = 0;
  sockaddr_in to_{};
};

void BM_WatchRaw(benchmark::State& state) {
  int port = 0;
  const int fd = bound_socket(&port);
  std::atomic<long long> taken{0};
  ReportSender sender(taken);
  sender.start(loopback(port));
  std::uint8_t buf[600];
  for (auto _ : state) {
    if (::recvfrom(fd, buf, sizeof buf, 0, nullptr, nullptr) != sim::kWatchReportLength) {
      state.SkipWithError("raw receive failed");
      break;
    }
    taken.fetch_add(1, std::memory_order_release);
  }
  state.SetItemsProcessed(state.iterations());
  ::close(fd);
}

void BM_WatchLibrary(benchmark::State& state) {
  std::atomic<long long> taken{0};
  ReportSender sender(taken);
  if (Vorsk_Watch2Me("127.0.0.1", sender.port()) != 23 || !sender.learn_watcher()) {
    state.SkipWithError("watch to me failed");
    return;
  }
  sender.start();
  VorskWatchRecord rec{};
  char from[16];
  int from_port = 0;
  long long allocs_before = allocations();
  for (auto _ : state) {
    if (Vorsk_Watch(&rec, from, &from_port) != 0) {
      state.SkipWithError("Vorsk_Watch failed");
      break;
    }
    taken.fetch_add(1, std::memory_order_release);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["allocs/report"] =
      static_cast<double>(allocations() - allocs_before) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_WatchRaw)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_WatchLibrary)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();

}  // namespace

void print_watch_ratios(const Medians& m) {
  const double raw = m.rate("BM_WatchRaw");
  const double lib = m.rate("BM_WatchLibrary");
  std::printf("\nwatch reports (81-byte card reports, %lld in flight at most):\n", kWindow);
  std::printf(
      "  report rate, Vorsk_Watch / raw recvfrom:      %.3f  (%.0f vs %.0f per s; goal >= 0.9)\n",
      raw > 0 ? lib / raw : 0, lib, raw);
  std::printf("  heap allocations per decoded report:          %.3f  (goal 0)\n",
              m.counter("BM_WatchLibrary", "allocs/report"));
}

}  // namespace vorskel::bench
