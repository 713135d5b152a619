// The reports a standalone simulator sends on its own, one kind per model by default: what a
// terminal of that model reports to the host that asked ("watch to me").
#pragma once

#include <string>
#include <vector>

namespace vorskel::sim {

class Simulator;

// card (main terminal, fingerprint terminal, door controllers), saved (main-terminal reports
// that wait for an acknowledgement), consume (payment terminals), booking (Brell), hesk, gaddo,
// door (door-state reports); none for a model that does not report.
const std::vector<std::string>& report_kinds();
std::string default_report_kind(const std::string& model);

// Sends report number n of this kind to the watcher; false when no host asked for reports.
bool send_live_report(Simulator& sim, const std::string& kind, unsigned n);

// Reports sent, and acknowledgements received that matched one (saved reports and bookings).
struct ReportTally {
  std::size_t waiting = 0;
  std::size_t acknowledged = 0;
  std::size_t bad_acks = 0;
  std::size_t bookings_acknowledged = 0;
};
ReportTally report_tally(Simulator& sim);

}  // namespace vorskel::sim
