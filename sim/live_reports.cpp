#include "sim/live_reports.h"

#include <array>
#include <map>

#include "sim/models/consume_records.h"
#include "sim/models/doors.h"
#include "sim/models/reports.h"
#include "sim/simulator.h"

namespace vorskel::sim {
namespace {

constexpr std::uint8_t kGaddoKinds[] = {'u', 'v'};

std::array<std::uint8_t, 4> card_of(unsigned n) {
  return {0x12, 0x34, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
}

std::uint8_t bcd(unsigned v) {
  return static_cast<std::uint8_t>((v / 10 % 10) << 4 | v % 10);
}

Bytes make_report(const std::string& kind, unsigned n) {
  const ReportClock now = local_report_clock();
  if (kind == "card")
    return card_report(card_of(n), 1, static_cast<int>(n % 100), "card presented", now);
  if (kind == "consume") {
    Consumption c;
    c.card = 1000 + n;
    c.value_a = 100 * n;
    c.value_b = 7;
    c.stamp = seconds_since_1980(now);
    c.flag = static_cast<std::uint8_t>(kValidFlag | (n % 16));
    c.value_c = static_cast<std::uint16_t>(n);
    return consumption_report(c, n);
  }
  if (kind == "booking") return booking_report(card_of(n), bcd(n), bcd(n + 1), '0' + n % 10);
  if (kind == "hesk") return hesk_report(card_of(n), static_cast<std::uint8_t>(n), now);
  if (kind == "gaddo") {
    std::array<std::uint8_t, 32> data{};
    data[0] = static_cast<std::uint8_t>(n);
    return gaddo_frame(kGaddoKinds[n % 2], data);
  }
  return {};
}

}  // namespace

const std::vector<std::string>& report_kinds() {
  static const std::vector<std::string> kinds = {"card", "saved", "consume", "booking",
                                                 "hesk", "gaddo", "door",    "none"};
  return kinds;
}

std::string default_report_kind(const std::string& model) {
  static const std::map<std::string, std::string> kinds = {
      {"vorsk", "card"},    {"pirrel", "card"}, {"nemmar", "consume"}, {"nemmarv2", "consume"},
      {"brell", "booking"}, {"doors", "card"},  {"sondo", "card"},     {"kappel", "card"},
      {"lusk", "card"},     {"hesk", "hesk"},   {"gaddo", "gaddo"}};
  auto it = kinds.find(model);
  return it == kinds.end() ? "none" : it->second;
}

bool send_live_report(Simulator& sim, const std::string& kind, unsigned n) {
  if (kind == "none") return false;
  if (kind == "saved") {
    std::array<std::uint8_t, 8> id{0x10,
                                   0x20,
                                   0x30,
                                   0x40,
                                   0,
                                   0,
                                   static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n)};
    return emit_report_expecting_ack(sim,
                                     saved_report(id, seconds_since_1980(local_report_clock())));
  }
  if (kind == "door") {
    DoorStateBytes state{};
    // Door 1 opens and closes in turn: every report is a change a host shows.
    state[3] = static_cast<std::uint8_t>(n % 2);
    return emit_door_state(sim, 1, state);
  }
  return emit_report(sim, make_report(kind, n));
}

ReportTally report_tally(Simulator& sim) {
  return sim.with_model([](Model& m) {
    const auto& s = m.part<ReportState>();
    return ReportTally{s.waiting.size(), s.acks_ok, s.acks_bad.size() + s.booking_acks_bad.size(),
                       s.booking_codes.size()};
  });
}

}  // namespace vorskel::sim
