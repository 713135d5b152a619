// cards add|delete|get, registry dump, blacklist add|delete|dump: the main terminal's card
// registrations and blacklist.
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/target.h"
#include "vorskel.h"

namespace vorskel::cli {
namespace {

// Registration command types (the answer echoes the type when the terminal did it).
constexpr int kStore = 1;
constexpr int kRemove = 2;
constexpr int kRead = 3;
constexpr int kNotDone = 0xFF;  // the answer when the card is missing or the store is full
constexpr int kCardDigits = 8;
constexpr int kNameBytes = 8;

struct CardArgs {
  std::string address;
  std::string card;
  std::string card2 = "00000000";
  std::string name;
  int group = 0;
  int security = 0;
  unsigned extra = 0;
  std::string expires = "2099-12-31";
  bool ex = false;  // Vorsk_RegistryEx: card 2 is a card number (8 hex digits) too
};

void require_card(const std::string& card, const char* what) {
  bool ok = card.size() == kCardDigits;
  for (char c : card) ok = ok && std::isxdigit(static_cast<unsigned char>(c));
  if (!ok)
    throw std::invalid_argument(std::string(what) + " '" + card + "' is not 8 hexadecimal digits");
}

void copy_field(char* field, std::size_t room, const std::string& text) {
  std::memset(field, 0, room);
  std::memcpy(field, text.data(), std::min(room, text.size()));
}

int registry(VorskRegistryEntry& e, int type, const Target& t, bool ex) {
  return ex ? Vorsk_RegistryEx(&e, type, t.host.c_str(), t.port)
            : Vorsk_Registry(&e, type, t.host.c_str(), t.port);
}

// The terminal answers in the type field: the type again when it did it.
void check_answer(int result, int type, const Target& t, const std::string& what) {
  check(result < 0 ? result : 0, t, what);
  if (result == type) return;
  std::string why;
  if (result == kNotDone)
    why = type == kStore ? " (registration store full)" : " (card not registered)";
  throw Failure(kExitRefused,
                what + ": " + t.text() + " refused: answer " + std::to_string(result) + why);
}

void cards_add(const Options& options, const CardArgs& a) {
  require_card(a.card, "card");
  if (a.ex) require_card(a.card2, "card 2");
  if (a.group < 0 || a.group > 15 || a.security < 0 || a.security > 15)
    throw std::invalid_argument("group and security are 0-15");
  VorskRegistryEntry e{};
  if (std::sscanf(a.expires.c_str(), "%d-%d-%d", &e.year, &e.month, &e.day) != 3 || e.year < 1900 ||
      e.year > 2155 || e.month < 1 || e.month > 12 || e.day < 1 || e.day > 31)
    throw std::invalid_argument("expiry '" + a.expires + "' is not YYYY-MM-DD (1900-2155)");
  const Target t = parse_target(a.address);
  copy_field(e.card1, sizeof e.card1, a.card);
  copy_field(e.card2, sizeof e.card2, a.card2);
  copy_field(e.name, sizeof e.name, a.name);
  e.group = a.group;
  e.security = a.security;
  e.extra = a.extra;
  Session session(options);
  check_answer(registry(e, kStore, t, a.ex), kStore, t, "register card " + a.card);
  std::printf("%s: card %s registered\n", t.text().c_str(), a.card.c_str());
}

void cards_delete(const Options& options, const CardArgs& a) {
  require_card(a.card, "card");
  const Target t = parse_target(a.address);
  VorskRegistryEntry e{};
  copy_field(e.card1, sizeof e.card1, a.card);
  Session session(options);
  check_answer(registry(e, kRemove, t, a.ex), kRemove, t, "delete card " + a.card);
  std::printf("%s: card %s deleted\n", t.text().c_str(), a.card.c_str());
}

std::string field(const char* f) {
  std::size_t n = 0;
  while (n < kCardDigits && f[n] != '\0') ++n;
  return std::string(f, n);
}

void cards_get(const Options& options, const CardArgs& a) {
  require_card(a.card, "card");
  const Target t = parse_target(a.address);
  VorskRegistryEntry e{};
  copy_field(e.card1, sizeof e.card1, a.card);
  Session session(options);
  check_answer(registry(e, kRead, t, a.ex), kRead, t, "read card " + a.card);
  // Each card text's terminating zero lands on the next field's first byte: read them in
  // field order, each within its own 8 bytes.
  char expires[32];
  std::snprintf(expires, sizeof expires, "%04d-%02d-%02d", e.year, e.month, e.day);
  RowWriter out(session.format(),
                {"card", "card2", "name", "group", "security", "extra", "expires"});
  out.row({field(e.card1), field(e.card2), field(e.name), std::to_string(e.group),
           std::to_string(e.security), a.ex ? "" : std::to_string(e.extra), expires});
}

// ---- registry dump --------------------------------------------------------------------

struct DumpArgs {
  std::string address;
  std::string model = "vorsk";
};

struct RegistryDumper {
  const char* name;
  int (*dump)(const char* host, int port);
};

const RegistryDumper kDumpers[] = {
    {"vorsk", Vorsk_DumpRegistry},
    {"sondo", Sondo_DumpRegistry},
    {"pirrel", Pirrel_DumpRegistry},
};

// The library writes Registry.txt beside the program that loaded it: this tool.
std::string registry_file() {
  char path[PATH_MAX] = "";
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  std::string dir = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
  const auto slash = dir.rfind('/');
  dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
  return dir + "/Registry.txt";
}

void registry_dump(const Options& options, const DumpArgs& a) {
  const Target t = parse_target(a.address);
  int (*dump)(const char*, int) = nullptr;
  for (const auto& d : kDumpers)
    if (a.model == d.name) dump = d.dump;
  if (dump == nullptr) throw std::invalid_argument("unknown registry model " + a.model);
  Session session(options);
  const int n = dump(t.host.c_str(), t.port);
  if (n == -1) throw Failure(kExitFile, "registry dump: cannot create " + registry_file());
  check(n < 0 ? n : 0, t, "registry dump (lines so far are in " + registry_file() + ")");
  if (n == 0)
    std::printf("%s: no registrations (no file written)\n", t.text().c_str());
  else
    std::printf("%s: %d registrations written to %s\n", t.text().c_str(), n,
                registry_file().c_str());
}

// ---- blacklist ------------------------------------------------------------------------

constexpr int kBlacklistAdd = 1;
constexpr int kBlacklistRemove = 2;
constexpr int kBlacklistOpAdd = 1;  // the operation byte the terminal answers with
constexpr int kBlacklistOpRemove = 10;

struct BlacklistArgs {
  std::string address;
  std::string card;
  int value1 = 0;
  int value2 = 0;
};

void blacklist_change(const Options& options, const BlacklistArgs& a, int type, int op,
                      const char* done) {
  require_card(a.card, "card");
  const Target t = parse_target(a.address);
  Session session(options);
  const int result =
      Vorsk_BlackList(a.card.c_str(), a.value1, a.value2, type, t.host.c_str(), t.port);
  check(result < 0 ? result : 0, t, std::string("blacklist ") + done);
  if (result != op)
    throw Failure(kExitRefused, std::string("blacklist: ") + t.text() + " answered operation " +
                                    std::to_string(result) + " (expected " + std::to_string(op) +
                                    ")");
  std::printf("%s: card %s %s\n", t.text().c_str(), a.card.c_str(), done);
}

void blacklist_dump(const Options& options, const BlacklistArgs& a) {
  const Target t = parse_target(a.address);
  Session session(options);
  const int n = Vorsk_DumpBlackList(t.host.c_str(), t.port);
  if (n == -1)
    throw Failure(kExitFile, "blacklist dump: cannot create blacklist.txt / blacklist.bin here");
  check(n < 0 ? n : 0, t, "blacklist dump (the files keep the blocks read so far)");
  RowWriter out(session.format(), {"card", "high", "low"});
  std::ifstream in("blacklist.txt");
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cols;
    std::size_t from = 0;
    for (std::size_t bar; (bar = line.find('|', from)) != std::string::npos; from = bar + 1)
      cols.push_back(line.substr(from, bar - from));
    cols.push_back(line.substr(from));
    out.row(cols);
  }
  out.finish();
  std::fprintf(stderr, "%s: %d entries in blacklist.txt, raw blocks in blacklist.bin\n",
               t.text().c_str(), n);
}

}  // namespace

void add_card_commands(CLI::App& app, const Options& options) {
  static CardArgs card;
  auto* cards = app.add_subcommand("cards", "Register, delete or read back a card");
  cards->require_subcommand(1);
  auto base = [&](const char* name, const char* what) {
    auto* sub = cards->add_subcommand(name, what);
    sub->add_option("terminal", card.address, kTerminalHelp)->required();
    sub->add_option("card", card.card, "card number, 8 hexadecimal digits")->required();
    sub->add_flag("--ex", card.ex, "card 2 is a card number too (8 hex digits), no extra number");
    return sub;
  };
  auto* add = base("add", "Register a card (store or replace its registration)");
  add->add_option("--card2", card.card2, "second card text, 8 characters (default 00000000)");
  add->add_option("--name", card.name, "name, up to 8 bytes");
  add->add_option("--group", card.group, "group 0-15");
  add->add_option("--security", card.security, "security level 0-15");
  add->add_option("--extra", card.extra, "extra number (not with --ex)");
  add->add_option("--expires", card.expires, "expiry date YYYY-MM-DD (default 2099-12-31)");
  on_run(add, options, [](const Options& o) { cards_add(o, card); });
  auto* del = base("delete", "Delete a card's registration");
  on_run(del, options, [](const Options& o) { cards_delete(o, card); });
  auto* get = base("get", "Read a card's registration back");
  on_run(get, options, [](const Options& o) { cards_get(o, card); });

  static DumpArgs dump;
  auto* registry = app.add_subcommand("registry", "The terminal's card registrations");
  registry->require_subcommand(1);
  auto* rd = registry->add_subcommand(
      "dump", "Write every registration to Registry.txt beside this program (newest first)");
  rd->add_option("terminal", dump.address, kTerminalHelp)->required();
  rd->add_option("--model", dump.model, "terminal kind: vorsk, sondo or pirrel")
      ->check(CLI::IsMember({"vorsk", "sondo", "pirrel"}));
  on_run(rd, options, [](const Options& o) { registry_dump(o, dump); });

  static BlacklistArgs bl;
  auto* blacklist = app.add_subcommand("blacklist", "The terminal's card blacklist");
  blacklist->require_subcommand(1);
  auto change = [&](const char* name, const char* what) {
    auto* sub = blacklist->add_subcommand(name, what);
    sub->add_option("terminal", bl.address, kTerminalHelp)->required();
    sub->add_option("card", bl.card, "card number, 8 hexadecimal digits")->required();
    sub->add_option("--value1", bl.value1, "first value byte (default 0)");
    sub->add_option("--value2", bl.value2, "second value byte (default 0)");
    return sub;
  };
  auto* bl_add = change("add", "Add a card to the blacklist");
  on_run(bl_add, options, [](const Options& o) {
    blacklist_change(o, bl, kBlacklistAdd, kBlacklistOpAdd, "blacklisted");
  });
  auto* bl_del = change("delete", "Remove a card from the blacklist");
  on_run(bl_del, options, [](const Options& o) {
    blacklist_change(o, bl, kBlacklistRemove, kBlacklistOpRemove, "removed from the blacklist");
  });
  auto* bl_dump = blacklist->add_subcommand(
      "dump", "Read the blacklist into blacklist.txt and blacklist.bin here, and print it");
  bl_dump->add_option("terminal", bl.address, kTerminalHelp)->required();
  on_run(bl_dump, options, [](const Options& o) { blacklist_dump(o, bl); });
}

}  // namespace vorskel::cli
