// vorskel-sim: a simulated terminal on 127.0.0.1 for developing and testing hosts without
// hardware.
#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "sim/models/record_area.h"
#include "sim/models/record_area_layouts.h"
#include "sim/models/registry_store.h"
#include "sim/models/reports.h"
#include "sim/models/terminal_state.h"
#include "sim/simulator.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void on_signal(int) {
  g_stop = 1;
}

void usage() {
  std::printf(
      "usage: vorskel-sim [--model NAME] [--port N] [--port-file FILE] [--records N [--wrapped]]\n"
      "                   [--loss P] [--delay MS] [--duration-s N] [--verbose]\n"
      "Serves a simulated terminal on 127.0.0.1 until interrupted (or for --duration-s).\n"
      "  --model NAME     terminal model (default vorsk); one of:");
  for (const auto& n : vorskel::sim::model_names()) std::printf(" %s", n.c_str());
  std::printf(
      "\n  --port N         UDP port (default 5200; 0 picks a free one)\n"
      "  --port-file FILE write the bound port to FILE once listening\n"
      "  --record-total N record count the terminal reports\n"
      "  --records N      hold N attendance records (seeded, spread over several days)\n"
      "  --wrapped        let the record area wrap past its end\n"
      "  --seed N         seed of the generated records (default 1)\n"
      "  --registrations N  hold N card registrations (cards 10000000, 10000001, ...)\n"
      "  --report-every MS  send a card report to the host that asked (\"watch to me\") every MS\n"
      "  --loss P         drop each command request with probability P percent (seeded by --seed)\n"
      "  --delay MS       answer every command MS milliseconds late\n"
      "  --verbose        print every datagram received and sent\n"
      "  --quiet-requests keep no log of requests (long benchmark runs)\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string model = "vorsk";
  std::string port_file;
  int port = 5200;
  long record_total = 0;
  long duration_s = 0;
  bool verbose = false;
  bool record_requests = true;
  long records = 0;
  bool wrapped = false;
  unsigned seed = 1;
  long report_every_ms = 0;
  long registrations = 0;
  double loss_percent = 0;
  long delay_ms = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "vorskel-sim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--model")
      model = value();
    else if (a == "--port")
      port = std::atoi(value());
    else if (a == "--port-file")
      port_file = value();
    else if (a == "--record-total")
      record_total = std::atol(value());
    else if (a == "--duration-s")
      duration_s = std::atol(value());
    else if (a == "--verbose")
      verbose = true;
    else if (a == "--quiet-requests")
      record_requests = false;
    else if (a == "--records")
      records = std::atol(value());
    else if (a == "--wrapped")
      wrapped = true;
    else if (a == "--registrations")
      registrations = std::atol(value());
    else if (a == "--report-every")
      report_every_ms = std::atol(value());
    else if (a == "--loss")
      loss_percent = std::atof(value());
    else if (a == "--delay")
      delay_ms = std::atol(value());
    else if (a == "--seed")
      seed = static_cast<unsigned>(std::atol(value()));
    else if (a == "--help" || a == "-h") {
      usage();
      return 0;
    } else {
      std::fprintf(stderr, "vorskel-sim: unknown option %s\n", a.c_str());
      usage();
      return 2;
    }
  }

  auto m = vorskel::sim::make_model(model);
  if (!m) {
    std::fprintf(stderr, "vorskel-sim: unknown model %s\n", model.c_str());
    return 2;
  }
  for (long i = 0; i < registrations; ++i) {
    // The card text's bytes in the slot's first four bytes (as a host's "10000000" is sent),
    // the rest zero.
    const std::uint32_t card = 0x10000000u + static_cast<std::uint32_t>(i);
    vorskel::sim::Bytes slot(16, 0);
    for (int b = 0; b < 4; ++b)
      slot[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(card >> (24 - 8 * b));
    if (!vorskel::sim::store_registration(*m, slot)) break;  // the area is full
  }
  if (records > 0) {
    // Attendance records spread over several days each; a wrapped area starts near the end of
    // the area and continues from its first slot.
    namespace s = vorskel::sim;
    const s::SlotGeometry g = s::geometry_of(s::RecordKind::kStandard);
    const std::uint32_t slots = static_cast<std::uint32_t>(s::FlashAreas::kArea2 / g.record_bytes);
    const std::uint32_t n = static_cast<std::uint32_t>(std::min<long>(records, slots - 1));
    s::SeriesOptions opt;
    opt.count = n;
    opt.seed = seed;
    opt.first = s::Stamp{2026, 11, 1, 7, 30, 0};
    auto series = s::record_series(s::RecordKind::kStandard, opt);
    const s::RecordArea area = wrapped
                                   ? s::wrapped_area(g, slots, slots - n / 2 - 7, std::move(series))
                                   : s::linear_area(g, slots, 0, std::move(series));
    s::load_record_area(*m, area);
  } else {
    m->part<vorskel::sim::RecordCounters>().record_total = static_cast<std::uint32_t>(record_total);
  }

  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
  try {
    vorskel::sim::Simulator sim(std::move(m), port);
    if (verbose) sim.set_trace(stdout);
    sim.set_recording(record_requests);
    if (loss_percent > 0) sim.set_loss(loss_percent, seed);
    if (delay_ms > 0)
      sim.inject(vorskel::sim::kAnyCode,
                 {vorskel::sim::FaultKind::kDelay, static_cast<int>(delay_ms), 0, -1});
    std::printf("vorskel-sim: model %s listening on 127.0.0.1:%d\n", model.c_str(), sim.port());
    std::fflush(stdout);
    if (!port_file.empty()) {
      if (std::FILE* f = std::fopen(port_file.c_str(), "w")) {
        std::fprintf(f, "%d\n", sim.port());
        std::fclose(f);
      }
    }
    const auto started = std::chrono::steady_clock::now();
    auto next_report = started;
    unsigned report_number = 0;
    while (g_stop == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(
          report_every_ms > 0 ? std::min<long>(report_every_ms, 50) : 50));
      if (report_every_ms > 0 && std::chrono::steady_clock::now() >= next_report) {
        next_report += std::chrono::milliseconds(report_every_ms);
        if (sim.watcher()) {
          ++report_number;
          const std::array<std::uint8_t, 4> card = {0x12, 0x34,
                                                    static_cast<std::uint8_t>(report_number >> 8),
                                                    static_cast<std::uint8_t>(report_number)};
          vorskel::sim::emit_report(
              sim, vorskel::sim::card_report(card, 1, static_cast<int>(report_number % 100),
                                             "card presented", vorskel::sim::local_report_clock()));
        }
      }
      if (duration_s > 0 &&
          std::chrono::steady_clock::now() - started > std::chrono::seconds(duration_s))
        break;
    }
    std::printf("vorskel-sim: stopped after %zu requests (%zu dropped)\n", sim.request_count(),
                sim.dropped_count());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vorskel-sim: %s\n", e.what());
    return 1;
  }
  return 0;
}
