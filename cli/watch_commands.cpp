// watch: ask a terminal to report here (any report kind of watch_models.h), then print each report
// as it arrives until Ctrl-C. Ctrl-C is taken by a thread of its own (sigwait), which closes the
// watch endpoint; the blocked watch call then returns and the loop ends cleanly.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/target.h"
#include "cli/watch_models.h"
#include "vorskel.h"

namespace vorskel::cli {
namespace {

struct WatchArgs {
  std::string address;
  std::string model;
  long count = 0;   // stop after this many reports (0: until Ctrl-C)
  long idle_s = 0;  // stop when no datagram came for this long (0: wait for ever)
};

std::atomic<bool> g_stopping{false};
std::atomic<bool> g_idle{false};
std::atomic<long> g_datagrams{0};  // datagrams taken so far, for the idle check

// Blocks SIGINT and SIGTERM in every thread and waits for them on one: the signal path
// closes the watch endpoint, which wakes the watch call.
class StopOnSignal {
 public:
  // idle_s > 0: also closes the endpoint when no datagram arrived for that many seconds.
  explicit StopOnSignal(long idle_s) {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGUSR1);  // our own wake-up when the loop ends first
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
    waiter_ = std::thread([this, idle_s] {
      long seen = g_datagrams;
      long quiet_s = 0;
      for (;;) {
        timespec second{1, 0};
        const int sig = sigtimedwait(&set_, nullptr, &second);
        if (sig == SIGUSR1) return;
        if (sig > 0) {
          g_stopping = true;
          Vorsk_CloseWatch();
          return;
        }
        quiet_s = seen == g_datagrams ? quiet_s + 1 : 0;
        seen = g_datagrams;
        if (idle_s > 0 && quiet_s >= idle_s) {
          g_idle = true;
          Vorsk_CloseWatch();
          return;
        }
      }
    });
  }
  ~StopOnSignal() {
    pthread_kill(waiter_.native_handle(), SIGUSR1);
    waiter_.join();
  }

 private:
  sigset_t set_;
  std::thread waiter_;
};

void watch(const Options& options, const WatchArgs& args) {
  const WatchModel* model = find_watch_model(args.model);
  if (model == nullptr) throw std::invalid_argument("unknown report model " + args.model);
  const Target t = parse_target(args.address);
  StopOnSignal stop(args.idle_s);
  Session session(options);
  const int opened = Vorsk_OpenWatch();
  if (opened != 0)
    throw Failure(kExitRefused, opened == -2 ? "cannot bind the local watch port (taken?)"
                                             : "cannot open the watch endpoint");
  if (Vorsk_Watch2Me(t.host.c_str(), t.port) < 0)
    throw Failure(kExitSendFailed, "watch request: cannot send to " + t.text());
  std::fprintf(stderr,
               "watching %s for %s (Ctrl-C stops); the terminal reports to the address it is set "
               "up with\n",
               t.text().c_str(), model->description);
  std::vector<std::string> columns{"from"};
  columns.insert(columns.end(), model->columns.begin(), model->columns.end());
  RowWriter out(session.format(), columns);
  long seen = 0;
  while (args.count == 0 || seen < args.count) {
    Taken taken;
    model->take(taken);
    ++g_datagrams;
    const std::string from = std::string(taken.sender) + ":" + std::to_string(taken.sender_port);
    if (taken.values.empty()) {
      if (taken.result == -1 && g_idle)
        throw Failure(kExitNoReply, "watch: no report from " + t.text() + " for " +
                                        std::to_string(args.idle_s) + " s (" +
                                        std::to_string(seen) + " reports before)");
      if (taken.result == -1 && g_stopping) break;
      if (!taken.note.empty())
        std::fprintf(stderr, "report from %s %s\n", from.c_str(), taken.note.c_str());
      continue;  // an empty datagram, or one that is not a report
    }
    std::vector<std::string> row{from};
    row.insert(row.end(), taken.values.begin(), taken.values.end());
    out.row(row);
    if (session.format() != Format::kTable) std::fflush(stdout);
    ++seen;
  }
  out.finish();
  std::fprintf(stderr, "%ld reports\n", seen);
}

}  // namespace

void add_watch_commands(CLI::App& app, const Options& options) {
  static WatchArgs args;
  auto* w =
      app.add_subcommand("watch", "Receive a terminal's live reports and print them until Ctrl-C");
  w->add_option("terminal", args.address, kTerminalHelp)->required();
  std::vector<std::string> names;
  std::string help = "report kind:";
  for (const auto& m : watch_models()) {
    names.push_back(m.name);
    help += std::string(" ") + m.name + " (" + m.description + ");";
  }
  w->add_option("--model", args.model, help)->required()->check(CLI::IsMember(names));
  w->add_option("--count", args.count, "stop after this many reports (default: until Ctrl-C)");
  w->add_option("--idle", args.idle_s,
                "stop with exit 4 when no report came for N seconds (default: wait for ever)");
  w->footer(
      "Models (--model): vorsk, save2db (main terminal), nemmar (nemmar, nemmarv2), brell, sondo "
      "(doors, sondo, kappel, lusk), hesk, gaddo.\n"
      "Example: vorskel watch 127.0.0.1:5200 --model vorsk --count 4 --idle 30");
  on_run(w, options, [](const Options& o) { watch(o, args); });
}

}  // namespace vorskel::cli
