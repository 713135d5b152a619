// info, time set, and the one-shot device commands.
#include <cstdio>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/target.h"
#include "vorskel.h"

namespace vorskel::cli {

namespace {

std::string hex32(unsigned v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%X", v);
  return b;
}

void info(const Options& options, const std::string& address) {
  const Target t = parse_target(address);
  Session session(options);
  unsigned total = 0, second = 0, pointers[4] = {}, registrations[3] = {};
  check(Vorsk_GetTotal(&total, &second, t.host.c_str(), t.port), t, "record total");
  check(Vorsk_GetPoint(pointers, registrations, t.host.c_str(), t.port), t, "record pointers");
  RowWriter out(session.format(), {"item", "value"});
  out.row({"terminal", t.text()});
  out.row({"record total", std::to_string(total)});
  out.row({"second count", std::to_string(second)});
  out.row({"record start", hex32(pointers[0])});
  out.row({"record end", hex32(pointers[1])});
  out.row({"record area end", hex32(pointers[2])});
  out.row({"cycle byte", std::to_string(pointers[3])});
  out.row({"registration pointers", hex32(registrations[0]) + " " + hex32(registrations[1]) + " " +
                                        hex32(registrations[2])});
}

void time_set(const Options& options, const std::string& address) {
  const Target t = parse_target(address);
  Session session(options);
  check(Vorsk_SetTime(t.host.c_str(), t.port), t, "set time");
  std::printf("%s: clock set to this PC's local time\n", t.text().c_str());
}

}  // namespace

void add_device_commands(CLI::App& app, const Options& options) {
  static std::string address;
  auto* cmd_info = app.add_subcommand("info", "Show a terminal's record counters and pointers");
  cmd_info->add_option("terminal", address, "HOST[:PORT] (port 5200 by default)")->required();
  on_run(cmd_info, options, [](const Options& o) { info(o, address); });

  auto* time = app.add_subcommand("time", "The terminal's clock");
  time->require_subcommand(1);
  auto* set = time->add_subcommand("set", "Set the terminal's clock to this PC's local time");
  set->add_option("terminal", address, "HOST[:PORT]")->required();
  on_run(set, options, [](const Options& o) { time_set(o, address); });
}

}  // namespace vorskel::cli
