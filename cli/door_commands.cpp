// door open|close|status: the door controllers' relay commands and the multi-door
// controller's channel actions, one row per controller kind.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/target.h"
#include "vorskel.h"

namespace vorskel::cli {
namespace {

struct DoorArgs {
  std::string address;
  std::string model;
  int door = 0;
  bool hold = false;
};

using DoorAction = void (*)(const Target& t, const DoorArgs& args);
using DoorStatus = void (*)(const Target& t, Format format);

struct DoorModel {
  const char* name;
  const char* description;
  DoorAction open;
  DoorAction close;  // null: the controller has no such command
  DoorStatus status;
};

// ---- Sondo: one relay byte; the relay falls back after its open time ----------------

constexpr int kSondoRelays = 32;
constexpr int kSondoEntryBytes = 17;
constexpr int kSondoFlags = 6;
constexpr int kSondoStateAt = 7;
constexpr int kSondoStateBytes = 10;

void sondo_open(const Target& t, const DoorArgs& args) {
  if (args.hold)
    throw std::invalid_argument("the Sondo relay cannot be held open (--hold is for ferrin)");
  if (args.door < 0 || args.door > 255)
    throw std::invalid_argument("the Sondo relay byte is 0-255, not " + std::to_string(args.door));
  check(Sondo_OpenRelay(args.door, t.host.c_str(), t.port), t, "open relay");
  std::printf("%s: relay byte %d sent\n", t.text().c_str(), args.door);
}

void sondo_status(const Target& t, Format format) {
  unsigned char table[kSondoRelays * kSondoEntryBytes] = {};
  check(Sondo_DeviceGetAllStatus(table, t.host.c_str(), t.port), t, "relay status");
  RowWriter out(format, {"relay", "bits 7 6 5 2 3 0", "state"});
  for (int i = 0; i < kSondoRelays; ++i) {
    const unsigned char* e = table + i * kSondoEntryBytes;
    std::string flags;
    for (int k = 0; k < kSondoFlags; ++k) flags += e[k] ? '1' : '0';
    std::string state;
    for (int k = 0; k < kSondoStateBytes && e[kSondoStateAt + k] != 0; ++k)
      state += static_cast<char>(e[kSondoStateAt + k]);
    out.row({std::to_string(i), flags, state});
  }
}

// ---- the multi-door controller: 24 channels ------------------------------------------

constexpr int kChannels = 24;
constexpr int kStatusBits = 7;

void channel_action(const Target& t, int channel, int (*action)(int, const char*, int),
                    const char* what) {
  if (channel < 0 || channel >= kChannels)
    throw std::invalid_argument("channel " + std::to_string(channel) + " is not 0-23");
  const int result = action(channel, t.host.c_str(), t.port);
  if (result == -1)
    throw Failure(kExitRefused, std::string(what) + ": " + t.text() + " did not confirm channel " +
                                    std::to_string(channel));
  check(result, t, what);
  std::printf("%s: channel %d: %s\n", t.text().c_str(), channel, what);
}

void ferrin_open(const Target& t, const DoorArgs& args) {
  if (args.hold)
    channel_action(t, args.door, Ferrin_OpenAlways, "held open");
  else
    channel_action(t, args.door, Ferrin_Open, "opened");
}

void ferrin_close(const Target& t, const DoorArgs& args) {
  channel_action(t, args.door, Ferrin_Close, "closed");
}

void ferrin_status(const Target& t, Format format) {
  unsigned char status[kChannels * kStatusBits] = {};
  check(Ferrin_GetStatus(status, t.host.c_str(), t.port), t, "channel status");
  RowWriter out(format, {"channel", "bits 0-6"});
  for (int c = 0; c < kChannels; ++c) {
    std::string bits;
    for (int k = 0; k < kStatusBits; ++k) bits += status[c * kStatusBits + k] ? '1' : '0';
    out.row({std::to_string(c), bits});
  }
}

const std::vector<DoorModel>& door_models() {
  static const std::vector<DoorModel> models = {
      {"sondo", "door controller: DOOR is the relay byte sent as given", sondo_open, nullptr,
       sondo_status},
      {"ferrin", "multi-door controller: DOOR is the channel 0-23", ferrin_open, ferrin_close,
       ferrin_status},
  };
  return models;
}

const DoorModel& door_model(const std::string& name) {
  for (const auto& m : door_models())
    if (name == m.name) return m;
  throw std::invalid_argument("unknown door model " + name);
}

void run_action(const Options& options, const DoorArgs& args, bool open) {
  const DoorModel& model = door_model(args.model);
  const Target t = parse_target(args.address);
  const DoorAction action = open ? model.open : model.close;
  if (action == nullptr)
    throw std::invalid_argument(std::string("the ") + model.name +
                                " controller has no close command (its relay falls back after "
                                "the relay open time)");
  Session session(options);
  action(t, args);
}

void run_status(const Options& options, const DoorArgs& args) {
  const DoorModel& model = door_model(args.model);
  const Target t = parse_target(args.address);
  Session session(options);
  model.status(t, session.format());
}

}  // namespace

void add_door_commands(CLI::App& app, const Options& options) {
  static DoorArgs args;
  std::vector<std::string> names;
  std::string help = "controller kind:";
  for (const auto& m : door_models()) {
    names.push_back(m.name);
    help += std::string(" ") + m.name + " (" + m.description + ");";
  }
  auto* door = app.add_subcommand("door", "Open, close or show the doors of a door controller");
  door->require_subcommand(1);
  auto add = [&](const char* name, const char* what, bool takes_door) {
    auto* sub = door->add_subcommand(name, what);
    sub->add_option("terminal", args.address, kTerminalHelp)->required();
    if (takes_door)
      sub->add_option("door", args.door, "channel (ferrin) or relay byte (sondo)")->required();
    sub->add_option("--model", args.model, help)->required()->check(CLI::IsMember(names));
    sub->footer(std::string("Models: sondo (door controllers doors, sondo, kappel), ferrin.\n"
                            "Example: vorskel door ") +
                name + " 127.0.0.1:5200 --model ferrin" + (takes_door ? " 3" : ""));
    return sub;
  };
  auto* open = add("open", "Open a door", true);
  open->add_flag("--hold", args.hold, "keep the channel open (ferrin only)");
  on_run(open, options, [](const Options& o) { run_action(o, args, true); });
  auto* close = add("close", "Close a door (ferrin)", true);
  on_run(close, options, [](const Options& o) { run_action(o, args, false); });
  auto* status = add("status", "Show every door's status", false);
  on_run(status, options, [](const Options& o) { run_status(o, args); });
}

}  // namespace vorskel::cli
