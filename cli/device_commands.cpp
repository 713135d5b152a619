// info, time set, and the one-shot device commands.
#include <arpa/inet.h>
#include <netdb.h>

#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/files.h"
#include "cli/target.h"
#include "vorskel.h"

namespace vorskel::cli {

namespace {

std::string hex32(unsigned v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%X", v);
  return b;
}

// Items as rows of a two-column table (table, CSV), or one JSON object with a member each.
void print_items(Format format, const std::vector<std::pair<std::string, std::string>>& items) {
  if (format == Format::kJson) {
    std::vector<std::string> names, values;
    for (const auto& [name, value] : items) {
      names.push_back(name);
      values.push_back(value);
    }
    RowWriter(format, names).row(values);
    return;
  }
  RowWriter out(format, {"item", "value"});
  for (const auto& [name, value] : items) out.row({name, value});
}

void info(const Options& options, const std::string& address, bool with_identity) {
  const Target t = parse_target(address);
  Session session(options);
  unsigned total = 0, second = 0, pointers[4] = {}, registrations[3] = {};
  check(Vorsk_GetTotal(&total, &second, t.host.c_str(), t.port), t, "record total");
  check(Vorsk_GetPoint(pointers, registrations, t.host.c_str(), t.port), t, "record pointers");
  std::vector<std::pair<std::string, std::string>> items = {
      {"terminal", t.text()},
      {"record total", std::to_string(total)},
      {"second count", std::to_string(second)},
      {"record start", hex32(pointers[0])},
      {"record end", hex32(pointers[1])},
      {"record area end", hex32(pointers[2])},
      {"cycle byte", std::to_string(pointers[3])},
      {"registration pointers",
       hex32(registrations[0]) + " " + hex32(registrations[1]) + " " + hex32(registrations[2])}};
  if (with_identity) {
    // What the terminal says it is: its identity text and device byte, its firmware text.
    char identity[16] = {};
    int device = 0;
    char version[132] = {};
    check(Vorsk_GetDevice(identity, &device, t.host.c_str(), t.port), t, "identity");
    check(Vorsk_Version(version, t.host.c_str(), t.port), t, "firmware version");
    items.push_back({"identity", identity});
    items.push_back({"device", std::to_string(device)});
    items.push_back({"version", version});
  }
  print_items(session.format(), items);
}

void time_set(const Options& options, const std::string& address) {
  const Target t = parse_target(address);
  Session session(options);
  check(Vorsk_SetTime(t.host.c_str(), t.port), t, "set time");
  std::printf("%s: clock set to this PC's local time\n", t.text().c_str());
}

[[noreturn]] void time_get() {
  throw std::invalid_argument(
      "time get: no terminal model can report its clock (no command reads it, and neither the "
      "device parameters nor the identity carry a date or time); `vorskel time set TERMINAL` "
      "sets it to this PC's local time");
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

// The host's IPv4 address as dotted text: the library names the dump after a dotted
// address only (a name such as localhost would give ffffffff.bin).
std::string dotted_address(const Target& t) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(t.host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
    throw Failure(kExitSendFailed, "cannot resolve '" + t.host + "' to an IPv4 address");
  char text[INET_ADDRSTRLEN] = "";
  ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text,
              sizeof text);
  ::freeaddrinfo(found);
  return text;
}

// The dump's file name: the address's four bytes read as a little-endian number, in
// lower-case hexadecimal.
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

// The library writes <address>.bin into the current directory page by page: the tool runs it
// in a scratch directory beside the target and renames the file over the target only when
// the dump is complete, so a failed dump leaves an earlier good one as it was.
void flash_dump(const Options& options, const std::string& address, const std::string& area,
                const std::string& output) {
  Target t = parse_target(address);
  const FlashDump* d = nullptr;
  for (const auto& f : kFlashDumps)
    if (area == f.area) d = &f;
  if (d == nullptr) throw std::invalid_argument("unknown flash area " + area);
  t.host = dotted_address(t);
  const std::string file = dump_file_name(t.host);
  const std::filesystem::path target = std::filesystem::absolute(output.empty() ? file : output);
  ScratchDir scratch(target.parent_path());
  Session session(options);
  int result = 0;
  {
    ScratchDir::RunInside inside(scratch);
    result = d->dump(t.host.c_str(), t.port);
  }
  const std::string kept = "; " + target.string() + " is as it was";
  if (result == -1) throw Failure(kExitFile, "flash dump: cannot create " + file + kept);
  if (result == -2) throw Failure(kExitFile, "flash dump: " + file + " did not take a page" + kept);
  check(result, t, "flash dump (incomplete, discarded" + kept + ")");
  move_into_place(scratch.path() / file, target);
  std::printf("%s: %ld bytes written to %s\n", t.text().c_str(), d->bytes, target.c_str());
}

}  // namespace

void add_device_commands(CLI::App& app, const Options& options) {
  static std::string address;
  static bool identity = false;
  auto* cmd_info = app.add_subcommand(
      "info", "Show a terminal's record counters and pointers (and what it says it is)");
  cmd_info->add_option("terminal", address, kTerminalHelp)->required();
  cmd_info->add_flag("--identity", identity,
                     "also the identity, device byte and firmware version (main terminal)");
  cmd_info->footer(
      "Models: every terminal (the counters); --identity: vorsk.\n"
      "JSON: one object, a member per item.\n"
      "Example: vorskel info 127.0.0.1:5200 --identity --format json");
  on_run(cmd_info, options, [](const Options& o) { info(o, address, identity); });

  auto* time = app.add_subcommand(
      "time", "The terminal's clock: set it (no model can report it, so there is no reading)");
  time->require_subcommand(1);
  auto* set = time->add_subcommand("set", "Set the terminal's clock to this PC's local time");
  set->add_option("terminal", address, kTerminalHelp)->required();
  set->footer("Models: every terminal.\nExample: vorskel time set 127.0.0.1:5200");
  on_run(set, options, [](const Options& o) { time_set(o, address); });
  // Asked for by people who expect it; told why it is not there rather than "unknown command".
  auto* get = time->add_subcommand("get", "Not available: no terminal model reports its clock");
  get->add_option("terminal", address, "HOST[:PORT]");
  get->footer(
      "Models: none. No terminal has a command that reads its clock (device parameters and "
      "identity carry no date or time either); `time set` is the only clock command.");
  on_run(get, options, [](const Options&) { time_get(); });

  auto* cmd_reset = app.add_subcommand("reset", "Restart a terminal");
  cmd_reset->add_option("terminal", address, kTerminalHelp)->required();
  cmd_reset->footer("Models: vorsk, pirrel.\nExample: vorskel reset 127.0.0.1:5200");
  on_run(cmd_reset, options, [](const Options& o) { reset(o, address); });

  static int beep_value = 1;
  auto* cmd_beep = app.add_subcommand("beep", "Make a terminal beep");
  cmd_beep->add_option("terminal", address, kTerminalHelp)->required();
  cmd_beep->add_option("--value", beep_value, "the beep byte, 0-255 (default 1)");
  cmd_beep->footer("Models: vorsk.\nExample: vorskel beep 127.0.0.1:5200 --value 2");
  on_run(cmd_beep, options, [](const Options& o) { beep(o, address, beep_value); });

  static std::string area = "2";
  static std::string output;
  auto* flash = app.add_subcommand("flash", "The terminal's flash memory");
  flash->require_subcommand(1);
  auto* dump = flash->add_subcommand(
      "dump",
      "Copy flash area 2 (256 KiB) or the dump area 4 (512 KiB) into <address>.bin here "
      "(renamed into place only when complete)");
  dump->add_option("--output,-o", output, "the file (default <address>.bin, e.g. 100007f.bin)");
  dump->footer("Models: vorsk.\nExample: vorskel flash dump 127.0.0.1:5200 -o area2.bin");
  dump->add_option("terminal", address, kTerminalHelp)->required();
  dump->add_option("--area", area, "2 (records and registrations) or 4 (dump area)")
      ->check(CLI::IsMember({"2", "4"}));
  on_run(dump, options, [](const Options& o) { flash_dump(o, address, area, output); });
}

}  // namespace vorskel::cli
