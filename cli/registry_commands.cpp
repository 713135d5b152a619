// registry dump, blacklist add|delete|dump: the registrations and the blacklist read whole.
//
// The library writes these dumps into files of its own choosing: Registry.txt beside the
// program, blacklist.txt and blacklist.bin in the current directory. The tool prints what they
// hold (standard output or --output, in every format) and leaves files the user had as they
// were: an earlier Registry.txt is put back, the blacklist files are made in a scratch
// directory and renamed into place only after a complete dump.
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cli/card_args.h"
#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/files.h"
#include "cli/target.h"
#include "vorskel.h"

namespace vorskel::cli {
namespace {

namespace fs = std::filesystem;

// The fields of a "a|b|c" line.
std::vector<std::string> split_bars(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> cols;
  std::size_t from = 0;
  for (std::size_t bar; (bar = line.find('|', from)) != std::string::npos; from = bar + 1)
    cols.push_back(line.substr(from, bar - from));
  cols.push_back(line.substr(from));
  return cols;
}

std::vector<std::string> read_lines(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void print_rows(const Options& options, const std::string& output,
                const std::vector<std::string>& columns,
                const std::vector<std::vector<std::string>>& rows, const std::string& what) {
  OutputFile out_file(output);
  {
    RowWriter out(parse_format(options.format), columns, out_file.stream());
    for (const auto& r : rows) out.row(r);
  }
  out_file.commit(std::to_string(rows.size()) + " " + what);
}

// ---- registry dump --------------------------------------------------------------------

struct DumpArgs {
  std::string address;
  std::string model;
  std::string output = "-";
};

struct RegistryDumper {
  const char* name;
  int (*dump)(const char* host, int port);
  std::vector<std::string> columns;  // one column "line": lines printed as they are
};

const std::vector<RegistryDumper>& dumpers() {
  static const std::vector<RegistryDumper> d = {
      {"vorsk", Vorsk_DumpRegistry, {"card", "card2", "name", "group", "security", "expires"}},
      {"sondo", Sondo_DumpRegistry, {"line"}},
      {"pirrel",
       Pirrel_DumpRegistry,
       {"card", "card2", "name", "group", "security", "fingers", "expires"}},
  };
  return d;
}

// Where the library writes Registry.txt: beside the program that loaded it, this tool.
fs::path registry_file() {
  char path[PATH_MAX] = "";
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  const fs::path exe = n > 0 ? fs::path(std::string(path, static_cast<std::size_t>(n))) : "x";
  return exe.parent_path() / "Registry.txt";
}

// Moves an existing Registry.txt aside for the dump and puts it back afterwards, so the
// dump's file (or the empty file of a failed dump) never replaces it.
class KeepAside {
 public:
  explicit KeepAside(fs::path file) : file_(std::move(file)), aside_(file_) {
    aside_ += ".vorskel-" + std::to_string(::getpid());
    std::error_code ec;
    kept_ = fs::exists(file_, ec);
    if (kept_ && std::rename(file_.c_str(), aside_.c_str()) != 0)
      throw Failure(kExitFile, file_.string() + ": " + system_error_text(errno) +
                                   " (cannot set it aside for the dump; nothing read)");
  }
  ~KeepAside() {
    std::error_code ec;
    fs::remove(file_, ec);
    if (kept_) std::rename(aside_.c_str(), file_.c_str());
  }
  KeepAside(const KeepAside&) = delete;
  KeepAside& operator=(const KeepAside&) = delete;

 private:
  fs::path file_, aside_;
  bool kept_ = false;
};

// An erased registration slot reads as all ones.
bool erased(const std::vector<std::string>& cols) {
  return !cols.empty() && (cols[0] == "FFFFFFFF" || cols[0] == "4294967295");
}

void registry_dump(const Options& options, const DumpArgs& a) {
  const Target t = parse_target(a.address);
  const RegistryDumper* dumper = nullptr;
  for (const auto& d : dumpers())
    if (a.model == d.name) dumper = &d;
  if (dumper == nullptr) throw std::invalid_argument("unknown registry model " + a.model);
  parse_format(options.format);
  const fs::path file = registry_file();
  std::vector<std::vector<std::string>> rows;
  {
    KeepAside keep(file);
    Session session(options);
    const int n = dumper->dump(t.host.c_str(), t.port);
    if (n == -1)
      throw Failure(kExitFile, "registry dump: the library cannot create " + file.string() +
                                   " (it writes the dump beside the program)");
    check(n < 0 ? n : 0, t, "registry dump");
    for (const auto& line : read_lines(file)) {
      std::vector<std::string> cols =
          dumper->columns.size() == 1 ? std::vector<std::string>{line} : split_bars(line);
      if (!erased(cols)) rows.push_back(std::move(cols));
    }
  }
  print_rows(options, a.output, dumper->columns, rows, "registrations");
  std::fprintf(stderr, "%s: %zu registrations\n", t.text().c_str(), rows.size());
}

// ---- blacklist ------------------------------------------------------------------------

constexpr int kBlacklistAdd = 1;
constexpr int kBlacklistRemove = 2;
constexpr int kBlacklistOpAdd = 1;  // the operation byte the terminal answers with
constexpr int kBlacklistOpRemove = 10;
constexpr int kNibble = 15;  // each value is kept in four bits ("high" and "low" of a byte)

struct BlacklistArgs {
  std::string address;
  std::string card;
  int value1 = 0;
  int value2 = 0;
  std::string output = "-";
};

// The blacklist read whole into a scratch directory in the current directory: its entries,
// and the directory holding blacklist.txt and blacklist.bin.
struct BlacklistDump {
  std::unique_ptr<ScratchDir> dir;
  std::vector<std::vector<std::string>> entries;
};

BlacklistDump read_blacklist(const Target& t) {
  BlacklistDump d;
  d.dir = std::make_unique<ScratchDir>(fs::current_path());
  int n = 0;
  {
    ScratchDir::RunInside inside(*d.dir);
    n = Vorsk_DumpBlackList(t.host.c_str(), t.port);
  }
  if (n == -1)
    throw Failure(kExitFile, "blacklist dump: cannot create blacklist.txt / blacklist.bin");
  check(n < 0 ? n : 0, t, "blacklist dump (blacklist.txt and blacklist.bin are as they were)");
  for (const auto& line : read_lines(d.dir->path() / "blacklist.txt"))
    d.entries.push_back(split_bars(line));
  return d;
}

bool listed(const BlacklistDump& d, const std::string& card) {
  for (const auto& e : d.entries)
    if (!e.empty() && strcasecmp(e[0].c_str(), card.c_str()) == 0) return true;
  return false;
}

void blacklist_change(const Options& options, const BlacklistArgs& a, int type, int op,
                      const char* done) {
  require_card(a.card, "card");
  if (a.value1 < 0 || a.value1 > kNibble || a.value2 < 0 || a.value2 > kNibble)
    throw std::invalid_argument("--value1 and --value2 are 0-15 (the terminal keeps 4 bits each)");
  const Target t = parse_target(a.address);
  Session session(options);
  // The terminal answers a removal the same whether the card was listed or not.
  if (type == kBlacklistRemove && !listed(read_blacklist(t), a.card))
    throw Failure(kExitAbsent,
                  t.text() + ": card " + a.card + " is not on the blacklist (nothing removed)");
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
  parse_format(options.format);
  Session session(options);
  const BlacklistDump d = read_blacklist(t);
  print_rows(options, a.output, {"card", "high", "low"}, d.entries, "blacklist entries");
  for (const char* name : {"blacklist.txt", "blacklist.bin"})
    move_into_place(d.dir->path() / name, fs::current_path() / name);
  std::fprintf(stderr, "%s: %zu entries; blacklist.txt and blacklist.bin written here\n",
               t.text().c_str(), d.entries.size());
}

}  // namespace

void add_registry_commands(CLI::App& app, const Options& options) {
  static DumpArgs dump;
  auto* registry = app.add_subcommand("registry", "The terminal's card registrations");
  registry->require_subcommand(1);
  auto* rd = registry->add_subcommand(
      "dump", "Print every registration (newest first), erased slots left out");
  rd->add_option("terminal", dump.address, kTerminalHelp)->required();
  rd->add_option("--model", dump.model, "terminal kind: vorsk, sondo (door controllers) or pirrel")
      ->required()
      ->check(CLI::IsMember({"vorsk", "sondo", "pirrel"}));
  rd->add_option("--output,-o", dump.output, "write to FILE ('-': standard output)");
  rd->footer(
      "Models: vorsk, pirrel; sondo for the door controllers (doors, sondo, kappel).\n"
      "Example: vorskel registry dump 127.0.0.1:5200 --model vorsk --format csv");
  on_run(rd, options, [](const Options& o) { registry_dump(o, dump); });

  static BlacklistArgs bl;
  auto* blacklist = app.add_subcommand("blacklist", "The terminal's card blacklist");
  blacklist->require_subcommand(1);
  auto change = [&](const char* name, const char* what) {
    auto* sub = blacklist->add_subcommand(name, what);
    sub->add_option("terminal", bl.address, kTerminalHelp)->required();
    sub->add_option("card", bl.card, "card number, 8 hexadecimal digits")->required();
    return sub;
  };
  auto* bl_add = change("add", "Add a card to the blacklist");
  bl_add->add_option("--value1", bl.value1, "first value, 0-15 (default 0)");
  bl_add->add_option("--value2", bl.value2, "second value, 0-15 (default 0)");
  bl_add->footer(
      "Models: vorsk.\nExample: vorskel blacklist add 127.0.0.1:5200 0A0B0C0D --value1 2");
  on_run(bl_add, options, [](const Options& o) {
    blacklist_change(o, bl, kBlacklistAdd, kBlacklistOpAdd, "blacklisted");
  });
  auto* bl_del = change("delete", "Remove a card from the blacklist");
  bl_del->footer(
      "Models: vorsk. A card that is not listed: exit 1, nothing removed.\n"
      "Example: vorskel blacklist delete 127.0.0.1:5200 0A0B0C0D");
  on_run(bl_del, options, [](const Options& o) {
    blacklist_change(o, bl, kBlacklistRemove, kBlacklistOpRemove, "removed from the blacklist");
  });
  auto* bl_dump = blacklist->add_subcommand(
      "dump",
      "Print the blacklist; blacklist.txt and blacklist.bin here are replaced only by a "
      "complete dump");
  bl_dump->add_option("terminal", bl.address, kTerminalHelp)->required();
  bl_dump->add_option("--output,-o", bl.output, "write the entries to FILE ('-': standard output)");
  bl_dump->footer("Models: vorsk.\nExample: vorskel blacklist dump 127.0.0.1:5200 --format json");
  on_run(bl_dump, options, [](const Options& o) { blacklist_dump(o, bl); });
}

}  // namespace vorskel::cli
