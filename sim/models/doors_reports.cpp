// The door controllers' reports to the host's watch port, and the text commands that send
// them by hand.
#include <cstring>
#include <sstream>
#include <string>

#include "sim/models/doors.h"
#include "sim/simulator.h"

namespace vorskel::sim {
namespace {

constexpr std::size_t kSlotAt = 6;
constexpr std::size_t kStateAt = 8;
constexpr std::size_t kGaddoKindAt = 2;
constexpr std::size_t kGaddoDataAt = 3;
constexpr std::size_t kGaddoFrameLength = kGaddoDataAt + 32;
constexpr std::string_view kCommandWord = "door ";

std::array<std::uint8_t, 4> card_bytes(const std::string& hex8) {
  const std::uint32_t v = static_cast<std::uint32_t>(std::stoul(hex8, nullptr, 16));
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

std::string run_command(Simulator& sim, const std::string& line) {
  std::istringstream in(line.substr(kCommandWord.size()));
  std::string what;
  in >> what;
  if (what == "state") {
    int slot = 0;
    in >> slot;
    DoorStateBytes state{};
    int b = 0;
    for (std::size_t i = 0; i < state.size() && in >> b; ++i)
      state[i] = static_cast<std::uint8_t>(b);
    return emit_door_state(sim, static_cast<std::uint8_t>(slot), state) ? "ok"
                                                                        : "error: no watcher";
  }
  Bytes report;
  std::string card;
  if (what == "card") {
    int a = 0, b = 0;
    std::string text;
    in >> card >> a >> b;
    std::getline(in >> std::ws, text);
    report = card_report(card_bytes(card), a, b, text);
  } else if (what == "hesk") {
    int inputs = 0;
    in >> card >> inputs;
    report = hesk_report(card_bytes(card), static_cast<std::uint8_t>(inputs));
  } else if (what == "gaddo") {
    std::string kind, hex;
    in >> kind >> hex;
    std::array<std::uint8_t, 32> data{};
    for (std::size_t i = 0; i < data.size() && 2 * i + 1 < hex.size(); ++i)
      data[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    report = gaddo_frame(static_cast<std::uint8_t>(kind.empty() ? 0 : kind[0]), data);
  } else {
    return std::string("error: ") + kDoorUsage;
  }
  return sim.send_to_watcher(report) ? "ok" : "error: no watcher";
}

void install_door_reports(Model& m) {
  Model* model = &m;
  m.add_raw_hook([model](const Request& r) {
    Simulator* sim = model->simulator;
    const auto& d = r.datagram;
    if (sim == nullptr || r.crc_ok || d.size() < kCommandWord.size() ||
        std::memcmp(d.data(), kCommandWord.data(), kCommandWord.size()) != 0)
      return false;
    std::string answer;
    try {
      answer = run_command(*sim, std::string(d.begin(), d.end()));
    } catch (const std::exception&) {
      answer = std::string("error: ") + kDoorUsage;
    }
    sim->send_to(r.from, Bytes(answer.begin(), answer.end()));
    return true;
  });
}

const bool registered = [] {
  for (const char* name : {"doors", "sondo", "kappel", "lusk", "hesk", "gaddo"})
    register_family(name, 91, install_door_reports);
  return true;
}();

}  // namespace

const char* const kDoorUsage =
    "door card HEX8 [A B [TEXT]] | door state SLOT [B0 ... B16] | door hesk HEX8 INPUTS | "
    "door gaddo KIND [HEX64]";

Bytes door_state_report(std::uint8_t slot, const DoorStateBytes& state, const ReportClock& clock) {
  Bytes r = card_report({0, 0, 0, 0}, 0, 0, "", clock);
  put32(r, 0, kDoorStateMarker);
  r[kSlotAt] = slot;
  std::copy(state.begin(), state.end(), r.begin() + kStateAt);
  seal_watch_report(r);
  return r;
}

Bytes hesk_report(const std::array<std::uint8_t, 4>& card, std::uint8_t inputs,
                  const ReportClock& clock) {
  Bytes r = card_report(card, 0, 0, "", clock);
  r[kStateAt] = inputs;
  seal_watch_report(r);
  return r;
}

Bytes gaddo_frame(std::uint8_t kind, const std::array<std::uint8_t, 32>& data) {
  Bytes r(kGaddoFrameLength, 0);
  r[kGaddoKindAt] = kind;
  std::copy(data.begin(), data.end(), r.begin() + kGaddoDataAt);
  return r;
}

bool emit_door_state(Simulator& sim, std::uint8_t slot, const DoorStateBytes& state) {
  sim.with_model([&](Model& m) {
    auto& doors = m.part<DoorControllers>().doors;
    if (slot < doors.size()) doors[slot] = state;
    return 0;
  });
  return sim.send_to_watcher(door_state_report(slot, state));
}

}  // namespace vorskel::sim
