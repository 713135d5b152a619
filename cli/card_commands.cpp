// cards add|delete|get: the main terminal's card registrations.
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "cli/card_args.h"
#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/files.h"
#include "cli/target.h"
#include "vorskel.h"

namespace vorskel::cli {

void require_card(const std::string& card, const char* what) {
  constexpr std::size_t kDigits = 8;
  bool ok = card.size() == kDigits;
  for (char c : card) ok = ok && std::isxdigit(static_cast<unsigned char>(c));
  if (!ok)
    throw std::invalid_argument(std::string(what) + " '" + card + "' is not 8 hexadecimal digits");
}

// A text longer than its field is refused, never cut.
void require_fits(const std::string& text, std::size_t room, const char* what) {
  if (text.size() > room)
    throw std::invalid_argument(std::string(what) + " '" + text + "' is " +
                                std::to_string(text.size()) + " bytes; the terminal holds " +
                                std::to_string(room));
}

namespace {

// Registration command types (the answer echoes the type when the terminal did it).
constexpr int kStore = 1;
constexpr int kRemove = 2;
constexpr int kRead = 3;
constexpr int kNotDone = 0xFF;  // the answer when the card is missing or the store is full
constexpr int kCardDigits = 8;
constexpr int kNameBytes = 8;  // the terminal keeps 8 bytes of the 16-byte name field

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
  require_fits(a.name, kNameBytes, "name");
  require_fits(a.card2, kCardDigits, "card 2");
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

// The terminal answers a removal the same whether the card was there or not: read it first.
void cards_delete(const Options& options, const CardArgs& a) {
  require_card(a.card, "card");
  const Target t = parse_target(a.address);
  VorskRegistryEntry e{};
  copy_field(e.card1, sizeof e.card1, a.card);
  Session session(options);
  VorskRegistryEntry probe = e;
  const int found = registry(probe, kRead, t, a.ex);
  check(found < 0 ? found : 0, t, "read card " + a.card);
  if (found != kRead)
    throw Failure(kExitAbsent,
                  t.text() + ": card " + a.card + " is not registered (nothing deleted)");
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
  add->footer(
      "Models: vorsk.\nExample: vorskel cards add 127.0.0.1:5200 1A2B3C4D --name Ann "
      "--group 3 --expires 2030-06-15");
  on_run(add, options, [](const Options& o) { cards_add(o, card); });
  auto* del = base("delete", "Delete a card's registration");
  del->footer(
      "Models: vorsk. A card that is not registered: exit 1, nothing deleted.\n"
      "Example: vorskel cards delete 127.0.0.1:5200 1A2B3C4D");
  on_run(del, options, [](const Options& o) { cards_delete(o, card); });
  auto* get = base("get", "Read a card's registration back");
  get->footer("Models: vorsk.\nExample: vorskel cards get 127.0.0.1:5200 1A2B3C4D --format json");
  on_run(get, options, [](const Options& o) { cards_get(o, card); });
}

}  // namespace vorskel::cli
