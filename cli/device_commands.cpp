// info, time set, and the one-shot device commands.
#include <arpa/inet.h>

#include <cstdio>
#include <cstring>

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

void reset(const Options& options, const std::string& address) {
  const Target t = parse_target(address);
  Session session(options);
  check(Vorsk_Reset(t.host.c_str(), t.port), t, "reset");
  std::printf("%s: restarting\n", t.text().c_str());
}

void beep(const Options& options, const std::string& address, int value) {
  const Target t = parse_target(address);
  if (value < 0 || value > 255) throw std::invalid_argument("the beep value is 0-255");
  Session session(options);
  check(Vorsk_Beep(value, t.host.c_str(), t.port), t, "beep");
  std::printf("%s: beep %d sent\n", t.text().c_str(), value);
}

// The dump's file name: the address's four bytes read as a little-endian number, in
// lower-case hexadecimal; a host that is not a dotted address gives ffffffff.bin.
std::string dump_file_name(const std::string& host) {
  in_addr a{};
  if (::inet_pton(AF_INET, host.c_str(), &a) != 1) return "ffffffff.bin";
  unsigned char b[4];
  std::memcpy(b, &a.s_addr, sizeof b);
  const unsigned v = b[0] | b[1] << 8 | b[2] << 16 | static_cast<unsigned>(b[3]) << 24;
  char name[32];
  std::snprintf(name, sizeof name, "%x.bin", v);
  return name;
}

struct FlashDump {
  const char* area;
  int (*dump)(const char* host, int port);
  long bytes;
};

constexpr FlashDump kFlashDumps[] = {
    {"2", Vorsk_DumpFlash2, 512L * 512},
    {"4", Vorsk_DumpFlash4, 1024L * 512},
};

void flash_dump(const Options& options, const std::string& address, const std::string& area) {
  const Target t = parse_target(address);
  const FlashDump* d = nullptr;
  for (const auto& f : kFlashDumps)
    if (area == f.area) d = &f;
  if (d == nullptr) throw std::invalid_argument("unknown flash area " + area);
  const std::string file = dump_file_name(t.host);
  Session session(options);
  const int result = d->dump(t.host.c_str(), t.port);
  if (result == -1) throw Failure(kExitFile, "flash dump: cannot create " + file);
  if (result == -2) throw Failure(kExitFile, "flash dump: " + file + " did not take a page");
  check(result, t, "flash dump (" + file + " holds the pages before the failure)");
  std::printf("%s: %ld bytes written to %s\n", t.text().c_str(), d->bytes, file.c_str());
}

}  // namespace

void add_device_commands(CLI::App& app, const Options& options) {
  static std::string address;
  auto* cmd_info = app.add_subcommand("info", "Show a terminal's record counters and pointers");
  cmd_info->add_option("terminal", address, kTerminalHelp)->required();
  on_run(cmd_info, options, [](const Options& o) { info(o, address); });

  auto* time = app.add_subcommand("time", "The terminal's clock");
  time->require_subcommand(1);
  auto* set = time->add_subcommand("set", "Set the terminal's clock to this PC's local time");
  set->add_option("terminal", address, kTerminalHelp)->required();
  on_run(set, options, [](const Options& o) { time_set(o, address); });

  auto* cmd_reset = app.add_subcommand("reset", "Restart a terminal");
  cmd_reset->add_option("terminal", address, kTerminalHelp)->required();
  on_run(cmd_reset, options, [](const Options& o) { reset(o, address); });

  static int beep_value = 1;
  auto* cmd_beep = app.add_subcommand("beep", "Make a terminal beep");
  cmd_beep->add_option("terminal", address, kTerminalHelp)->required();
  cmd_beep->add_option("--value", beep_value, "the beep byte, 0-255 (default 1)");
  on_run(cmd_beep, options, [](const Options& o) { beep(o, address, beep_value); });

  static std::string area = "2";
  auto* flash = app.add_subcommand("flash", "The terminal's flash memory");
  flash->require_subcommand(1);
  auto* dump = flash->add_subcommand(
      "dump", "Copy flash area 2 (256 KiB) or the dump area 4 (512 KiB) into <address>.bin here");
  dump->add_option("terminal", address, kTerminalHelp)->required();
  dump->add_option("--area", area, "2 (records and registrations) or 4 (dump area)")
      ->check(CLI::IsMember({"2", "4"}));
  on_run(dump, options, [](const Options& o) { flash_dump(o, address, area); });
}

}  // namespace vorskel::cli
