// sync: every configured terminal's new records into the site database, exactly once; and
// events: what the database holds.
#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/progress.h"
#include "cli/target.h"
#include "service/database.h"
#include "service/record_source.h"
#include "service/sync.h"

namespace vorskel::cli {
namespace {

struct SyncArgs {
  std::vector<std::string> names;
};

struct EventsArgs {
  std::string terminal;
  long limit = 20;
};

std::vector<const site::TerminalConfig*> chosen(const site::SiteConfig& config,
                                                const std::vector<std::string>& names) {
  std::vector<const site::TerminalConfig*> out;
  if (names.empty())
    for (const auto& t : config.terminals) out.push_back(&t);
  for (const auto& n : names) {
    const site::TerminalConfig* t = config.find(n);
    if (t == nullptr)
      throw std::invalid_argument("no terminal named '" + n + "' in " +
                                  (config.path.empty() ? "the configuration" : config.path));
    out.push_back(t);
  }
  if (out.empty())
    throw std::invalid_argument("no terminals to sync: name them under [[terminal]] in " +
                                (config.path.empty() ? site::default_config_path() : config.path));
  return out;
}

std::string summary(const site::SyncReport& r) {
  char line[512];
  if (!r.ok) {
    std::snprintf(line, sizeof line, "%s: FAILED after %ld pages: %s", r.terminal.c_str(), r.pages,
                  r.error.c_str());
  } else {
    std::snprintf(line, sizeof line,
                  "%s: %ld records on the terminal, %ld stored, %ld already stored%s%s, %ld pages, "
                  "%.2f s",
                  r.terminal.c_str(), r.downloaded, r.stored, r.already,
                  r.lost > 0 ? (", " + std::to_string(r.lost) + " LOST").c_str() : "",
                  r.cleared ? ", cleared" : "", r.pages, r.seconds);
  }
  std::string s = line;
  if (!r.note.empty()) s += " (" + r.note + ")";
  return s;
}

std::string report_json(const site::SyncReport& r) {
  nlohmann::json j = {{"terminal", r.terminal},  {"model", r.model},     {"ok", r.ok},
                      {"records", r.downloaded}, {"stored", r.stored},   {"already", r.already},
                      {"lost", r.lost},          {"cleared", r.cleared}, {"pages", r.pages},
                      {"seconds", r.seconds}};
  if (!r.error.empty()) j["error"] = r.error;
  if (!r.note.empty()) j["note"] = r.note;
  return j.dump();
}

std::unique_ptr<site::Database> open_site_database(const site::SiteConfig& config) {
  try {
    return site::open_database(config.database_url);
  } catch (const site::DatabaseError& e) {
    throw Failure(kExitNothingWorked, std::string("database: ") + e.what());
  }
}

void sync(const Options& options, const SyncArgs& args) {
  const Format format = parse_format(options.format);
  const site::SiteConfig& config = site_config();
  const auto terminals = chosen(config, args.names);
  auto db = open_site_database(config);
  site::set_local_ports(options.cmd_port, options.watch_port);
  site::SyncOptions sync_options;
  sync_options.batch_pages = config.batch_pages;

  int failed = 0;
  for (const auto* t : terminals) {
    auto source = site::open_record_source(*t);
    Progress progress(t->name, 0);
    const site::SyncReport r =
        site::sync_terminal(*t, *db, *source, sync_options,
                            [&](long pages, long records) { progress.update(pages, records); });
    progress.done();
    if (!r.ok) ++failed;
    if (format == Format::kJson)
      std::printf("%s\n", report_json(r).c_str());
    else
      std::printf("%s\n", summary(r).c_str());
    std::fflush(stdout);
  }
  const int total = static_cast<int>(terminals.size());
  if (failed == total)
    throw Failure(kExitNothingWorked, "no terminal synced (" + std::to_string(failed) + " failed)");
  if (failed > 0)
    throw Failure(kExitSomeFailed,
                  std::to_string(failed) + " of " + std::to_string(total) + " terminals failed");
}

std::string quoted(const std::string& s) {
  std::string q = "'";
  for (const char c : s) q += c == '\'' ? std::string("''") : std::string(1, c);
  return q + "'";
}

void events(const Options& options, const EventsArgs& args) {
  const Format format = parse_format(options.format);
  auto db = open_site_database(site_config());
  const std::string where =
      args.terminal.empty() ? "" : " WHERE terminal = " + quoted(args.terminal);
  try {
    const auto count = db->query("SELECT count(*) FROM events" + where);
    RowWriter rows(format, {"terminal", "kind", "card", "occurred_at", "status", "source"});
    for (const auto& r : db->query("SELECT terminal, kind, card, occurred_at, status, source "
                                   "FROM events" +
                                   where + " ORDER BY terminal, occurred_at, id LIMIT " +
                                   std::to_string(std::max(0L, args.limit))))
      rows.row(r);
    rows.finish();
    std::fprintf(stderr, "%s: %s events\n", db->describe().c_str(), count.at(0).at(0).c_str());
  } catch (const site::DatabaseError& e) {
    throw Failure(kExitNothingWorked, std::string("database: ") + e.what());
  }
}

}  // namespace

void add_sync_commands(CLI::App& app, const Options& options) {
  static SyncArgs sync_args;
  auto* s = app.add_subcommand(
      "sync",
      "Store each configured terminal's new records in the site database exactly once, then "
      "clear them on terminals with clear_after_sync. Exit 0 all synced, 8 some failed, "
      "9 none synced");
  s->add_option("names", sync_args.names, "terminals to sync (default: all configured)");
  on_run(s, options, [](const Options& o) { sync(o, sync_args); });

  static EventsArgs events_args;
  auto* e = app.add_subcommand("events", "Show the events the site database holds");
  e->add_option("--terminal", events_args.terminal, "only this terminal's events");
  e->add_option("--limit", events_args.limit, "at most this many rows (default 20)");
  on_run(e, options, [](const Options& o) { events(o, events_args); });
}

}  // namespace vorskel::cli
