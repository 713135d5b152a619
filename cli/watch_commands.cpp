// watch: ask a terminal to report here, then print each report as it arrives until Ctrl-C.
// Ctrl-C is taken by a thread of its own (sigwait), which closes the watch endpoint; the
// blocked watch call then returns and the loop ends cleanly.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/target.h"
#include "vorskel.h"

namespace vorskel::cli {
namespace {

struct WatchArgs {
  std::string address;
  std::string model = "vorsk";
  long count = 0;  // stop after this many reports (0: until Ctrl-C)
};

std::atomic<bool> g_stopping{false};

// Blocks SIGINT and SIGTERM in every thread and waits for them on one: the signal path
// closes the watch endpoint, which wakes the watch call.
class StopOnSignal {
 public:
  StopOnSignal() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGUSR1);  // our own wake-up when the loop ends first
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
    waiter_ = std::thread([this] {
      int sig = 0;
      sigwait(&set_, &sig);
      if (sig != SIGUSR1) {
        g_stopping = true;
        Vorsk_CloseWatch();
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

std::string text(const char* field, std::size_t room) {
  std::size_t n = 0;
  while (n < room && field[n] != '\0') ++n;
  return std::string(field, n);
}

void watch(const Options& options, const WatchArgs& args) {
  const Target t = parse_target(args.address);
  StopOnSignal stop;
  Session session(options);
  const int opened = Vorsk_OpenWatch();
  if (opened != 0)
    throw Failure(kExitRefused, opened == -2 ? "cannot bind the local watch port (taken?)"
                                             : "cannot open the watch endpoint");
  if (Vorsk_Watch2Me(t.host.c_str(), t.port) < 0)
    throw Failure(kExitSendFailed, "watch request: cannot send to " + t.text());
  std::fprintf(stderr, "watching %s (Ctrl-C stops)\n", t.text().c_str());
  RowWriter out(session.format(), {"from", "card", "date", "time", "a", "b", "message"});
  long seen = 0;
  while (args.count == 0 || seen < args.count) {
    VorskWatchRecord r{};
    char sender[16] = "";
    int sender_port = 0;
    const int result = Vorsk_Watch(&r, sender, &sender_port);
    if (result == -1) {
      if (g_stopping) break;
      continue;  // an empty datagram
    }
    if (result == -2) {
      std::fprintf(stderr, "report from %s:%d failed its checksum\n", sender, sender_port);
      continue;
    }
    out.row({std::string(sender) + ":" + std::to_string(sender_port), text(r.card, sizeof r.card),
             text(r.date, sizeof r.date), text(r.time, sizeof r.time), std::to_string(r.valueA),
             std::to_string(r.valueB), text(r.message, sizeof r.message)});
    if (session.format() != Format::kTable) std::fflush(stdout);
    ++seen;
  }
  out.finish();
  std::fprintf(stderr, "%ld reports\n", seen);
}

}  // namespace

void add_watch_commands(CLI::App& app, const Options& options) {
  static WatchArgs args;
  auto* w = app.add_subcommand("watch", "Receive a main terminal's live reports");
  w->add_option("terminal", args.address, "HOST[:PORT] to ask for reports (port 5200 by default)")
      ->required();
  w->add_option("--count", args.count, "stop after this many reports (default: until Ctrl-C)");
  on_run(w, options, [](const Options& o) { watch(o, args); });
}

}  // namespace vorskel::cli
