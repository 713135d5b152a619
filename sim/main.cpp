// vorskel-sim: a simulated terminal on 127.0.0.1 for developing and testing hosts without
// hardware. Every model serves the records of its own layout, sends its own reports and checks
// the acknowledgements that come back.
#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "sim/live_reports.h"
#include "sim/models/registry_store.h"
#include "sim/models/terminal_state.h"
#include "sim/record_stock.h"
#include "sim/simulator.h"
#include "vorskel_version.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void on_signal(int) {
  g_stop = 1;
}

struct SimOptions {
  std::string model = "vorsk";
  std::string layout;   // empty: the model's own
  std::string reports;  // empty: the model's own
  std::string port_file;
  std::string export_file;
  int port = 5200;
  long record_total = 0;
  long duration_s = 0;
  bool verbose = false;
  bool record_requests = true;
  long records = 0;
  bool wrapped = false;
  unsigned seed = 1;
  long report_every_ms = 0;
  long new_records_every_ms = 0;
  long registrations = 0;
  double loss_percent = 0;
  long delay_ms = 0;
};

std::string joined(const std::vector<std::string>& names) {
  std::string s;
  for (const auto& n : names) s += (s.empty() ? "" : ", ") + n;
  return s;
}

void add_options(CLI::App& app, SimOptions& o) {
  std::string layouts;
  for (const auto& m : vorskel::sim::model_names()) {
    const auto own = vorskel::sim::layouts_of(m);
    if (!own.empty()) layouts += "\n    " + m + ": " + joined(own);
  }
  app.add_option("--model", o.model, "terminal model")
      ->check(CLI::IsMember(vorskel::sim::model_names()));
  app.add_option("--port", o.port, "UDP port (0 picks a free one)")->check(CLI::Range(0, 65535));
  app.add_option("--port-file", o.port_file, "write the bound port to FILE once listening");
  app.add_option("--records", o.records, "hold N records (seeded, several a day)");
  app.add_option(
      "--layout", o.layout,
      "record layout (the tool's records --model name); each model's, default first:" + layouts);
  app.add_flag("--wrapped", o.wrapped, "let the record area wrap past its end");
  app.add_option("--new-records-every", o.new_records_every_ms,
                 "add a record every MS milliseconds (records keep arriving)");
  app.add_option("--export-records", o.export_file,
                 "keep FILE as a CSV of the records held (layout,card,date,time,value), "
                 "rewritten when they change");
  app.add_option("--record-total", o.record_total, "record count reported without --records");
  app.add_option("--seed", o.seed, "seed of the generated records and of --loss");
  app.add_option("--registrations", o.registrations,
                 "hold N card registrations (cards 10000000, 10000001, ...)");
  app.add_option("--report-every", o.report_every_ms,
                 "send a report to the host that asked (\"watch to me\") every MS");
  app.add_option("--reports", o.reports, "report kind (default: the model's own)")
      ->check(CLI::IsMember(vorskel::sim::report_kinds()));
  app.add_option("--loss", o.loss_percent, "drop each command request with probability P percent")
      ->check(CLI::Range(0.0, 100.0));
  app.add_option("--delay", o.delay_ms, "answer every command MS milliseconds late");
  app.add_option("--duration-s", o.duration_s, "stop after N seconds (default: when interrupted)");
  app.add_flag("--verbose", o.verbose, "print every datagram received and sent");
  app.add_flag("!--quiet-requests", o.record_requests,
               "keep no log of requests (long benchmark runs)");
  app.footer(
      "Serves a simulated terminal on 127.0.0.1 until interrupted (or for --duration-s).\n"
      "Example: vorskel-sim --model nemmar --port 0 --port-file port --records 500 "
      "--report-every 1000");
}

void store_registrations(vorskel::sim::Model& m, long count) {
  for (long i = 0; i < count; ++i) {
    // The card text's bytes in the slot's first four bytes (as a host's "10000000" is sent),
    // the rest zero.
    const std::uint32_t card = 0x10000000u + static_cast<std::uint32_t>(i);
    vorskel::sim::Bytes slot(16, 0);
    for (int b = 0; b < 4; ++b)
      slot[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(card >> (24 - 8 * b));
    if (!vorskel::sim::store_registration(m, slot)) break;  // the area is full
  }
}

bool write_port_file(const std::string& path, int port) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return false;
  const bool ok = std::fprintf(f, "%d\n", port) > 0;
  return std::fclose(f) == 0 && ok;
}

// Serves until interrupted: reports and new records on their clocks, the export kept current.
int serve(vorskel::sim::Simulator& sim, const SimOptions& o, const std::string& report_kind) {
  using Clock = std::chrono::steady_clock;
  namespace s = vorskel::sim;
  const auto started = Clock::now();
  auto next_report = started;
  auto next_record = started + std::chrono::milliseconds(o.new_records_every_ms);
  unsigned report_number = 0;
  std::uint64_t exported = ~0ull;
  while (g_stop == 0) {
    if (!o.export_file.empty()) {
      const bool failed = sim.with_model([&](s::Model& m) {
        const auto generation = m.part<s::RecordStock>().generation;
        if (generation == exported) return false;
        exported = generation;
        return !s::export_stock(m, o.export_file);
      });
      if (failed) {
        std::fprintf(stderr, "vorskel-sim: cannot write %s\n", o.export_file.c_str());
        return 1;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto now = Clock::now();
    if (o.report_every_ms > 0 && now >= next_report) {
      next_report += std::chrono::milliseconds(o.report_every_ms);
      if (s::send_live_report(sim, report_kind, report_number + 1)) ++report_number;
    }
    if (o.new_records_every_ms > 0 && now >= next_record) {
      next_record += std::chrono::milliseconds(o.new_records_every_ms);
      sim.with_model([](s::Model& m) {
        s::add_stock_record(m);
        return 0;
      });
    }
    if (o.duration_s > 0 && now - started > std::chrono::seconds(o.duration_s)) break;
  }
  const s::ReportTally t = s::report_tally(sim);
  std::printf(
      "vorskel-sim: stopped after %zu requests (%zu dropped); %u reports sent, %zu "
      "acknowledged, %zu bookings acknowledged, %zu still waiting, %zu bad acknowledgements\n",
      sim.request_count(), sim.dropped_count(), report_number, t.acknowledged,
      t.bookings_acknowledged, t.waiting, t.bad_acks);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  namespace s = vorskel::sim;
  CLI::App app{"vorskel-sim: a simulated card terminal on 127.0.0.1"};
  app.set_version_flag("--version", std::string("vorskel-sim ") + VORSKEL_VERSION_STRING);
  SimOptions o;
  add_options(app, o);
  CLI11_PARSE(app, argc, argv);

  auto m = s::make_model(o.model);
  const auto own_layouts = s::layouts_of(o.model);
  if (o.layout.empty() && !own_layouts.empty()) o.layout = own_layouts.front();
  const s::StockLayout* layout = o.layout.empty() ? nullptr : s::find_stock_layout(o.layout);
  if (!o.layout.empty() && (layout == nullptr || std::find(own_layouts.begin(), own_layouts.end(),
                                                           o.layout) == own_layouts.end())) {
    std::fprintf(stderr, "vorskel-sim: model %s keeps no %s records (it keeps: %s)\n",
                 o.model.c_str(), o.layout.c_str(), joined(own_layouts).c_str());
    return 2;
  }
  const std::string report_kind = o.reports.empty() ? s::default_report_kind(o.model) : o.reports;
  store_registrations(*m, o.registrations);
  if (layout != nullptr) {
    s::stock_records(*m, *layout, static_cast<std::size_t>(std::max(0L, o.records)), o.wrapped,
                     o.seed);
    s::honour_record_clears(*m);
  }
  if (o.records == 0 && o.record_total > 0)
    m->part<s::RecordCounters>().record_total = static_cast<std::uint32_t>(o.record_total);

  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
  try {
    s::Simulator sim(std::move(m), o.port);
    if (o.verbose) sim.set_trace(stdout);
    sim.set_recording(o.record_requests);
    if (o.loss_percent > 0) sim.set_loss(o.loss_percent, o.seed);
    if (o.delay_ms > 0)
      sim.inject(s::kAnyCode, {s::FaultKind::kDelay, static_cast<int>(o.delay_ms), 0, -1});
    std::printf("vorskel-sim: model %s listening on 127.0.0.1:%d (%s records: %ld; reports: %s)\n",
                o.model.c_str(), sim.port(), layout ? layout->name : "no", layout ? o.records : 0,
                report_kind.c_str());
    std::fflush(stdout);
    if (!o.port_file.empty() && !write_port_file(o.port_file, sim.port())) {
      std::fprintf(stderr, "vorskel-sim: cannot write %s\n", o.port_file.c_str());
      return 1;
    }
    return serve(sim, o, report_kind);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vorskel-sim: %s\n", e.what());
    return 1;
  }
}
