// Contexts side by side: two contexts on two threads, each against its own simulated terminal
// that answers 50 ms late, run 100 transactions each; the baseline is one context running
// its 100 alone, in the same run. With one command lock per context the two threads wait for
// their replies at the same time, so the pair should take about as long as one (goal: at
// most 1.2 times). For scale, the same two threads sharing the process context (the
// exports' one endpoint and lock) take turns and need about twice as long. Prints each
// round and the median ratios.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/sim_process.h"
#include "vorskel.h"
#include "vorskel/context.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using vorskel::bench::SimProcess;

constexpr int kTransactions = 100;
constexpr int kRounds = 3;
constexpr char kReplyDelayMs[] = "50";

// 100 record-total queries on a context; false if any failed.
bool run_transactions(vorskel::Context& context, int port) {
  bool ok = true;
  for (int i = 0; i < kTransactions; ++i)
    ok = vorskel::read_record_total(context, "127.0.0.1", port).ok() && ok;
  return ok;
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
  SimProcess first_terminal({"--delay", kReplyDelayMs});
  SimProcess second_terminal({"--delay", kReplyDelayMs});
  vorskel::Context first, second;
  vorskel::Context& process = vorskel::Context::process();
  Sondo_Bind_Port(0, 0);  // the process context on a free port too
  if (first.open() != 0 || second.open() != 0 || process.open() != 0) {
    std::fprintf(stderr, "contexts bench: cannot open the contexts\n");
    return 1;
  }

  // Two threads, each with its own terminal, on the given contexts: seconds for the lot.
  bool ok = true;
  auto two_threads = [&](vorskel::Context& a_context, vorskel::Context& b_context) {
    bool ok_a = true, ok_b = true;
    const Clock::time_point start = Clock::now();
    std::thread a([&] { ok_a = run_transactions(a_context, first_terminal.port()); });
    std::thread b([&] { ok_b = run_transactions(b_context, second_terminal.port()); });
    a.join();
    b.join();
    ok = ok && ok_a && ok_b;
    return seconds_since(start);
  };

  std::vector<double> ratios, shared_ratios;
  for (int round = 0; round < kRounds; ++round) {
    const Clock::time_point start = Clock::now();
    ok = run_transactions(first, first_terminal.port()) && ok;
    const double one = seconds_since(start);
    const double two = two_threads(first, second);
    const double shared = two_threads(process, process);
    ratios.push_back(two / one);
    shared_ratios.push_back(shared / one);
    std::printf(
        "round %d: one context %.3f s; two contexts on two threads %.3f s (%.3f); "
        "two threads on the process context %.3f s (%.3f)\n",
        round + 1, one, two, two / one, shared, shared / one);
  }
  std::sort(ratios.begin(), ratios.end());
  std::sort(shared_ratios.begin(), shared_ratios.end());
  std::printf(
      "contexts: %d transactions each, replies %s ms late; medians of %d rounds: "
      "two contexts / one %.3f (goal <= 1.2), two threads on the process context / one "
      "%.3f%s\n",
      kTransactions, kReplyDelayMs, kRounds, ratios[ratios.size() / 2],
      shared_ratios[shared_ratios.size() / 2], ok ? "" : "; SOME TRANSACTIONS FAILED");
  return ok ? 0 : 1;
}
