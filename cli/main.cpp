// vorskel: a command-line tool for installers and host developers, built on the library's
// public C interface, and its C++ interface for the reply time-out and the wire trace.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/target.h"
#include "cli/usage.h"
#include "vorskel_version.h"

namespace vorskel::cli {

namespace {
Action g_action;
}

void on_run(CLI::App* sub, const Options& options, Action action) {
  sub->callback(
      [&options, action] { g_action = [action, &options](const Options&) { action(options); }; });
}

}  // namespace vorskel::cli

int main(int argc, char** argv) {
  using namespace vorskel::cli;
  CLI::App app{"vorskel: talk to networked card terminals over UDP"};
  app.require_subcommand(1);
  // Global options are taken anywhere on the line: subcommands pass what they do not know
  // up to the application (subcommands made after this inherit it).
  app.fallthrough();
  app.set_version_flag("--version", std::string("vorskel ") + VORSKEL_VERSION_STRING);
  Options options;
  app.add_option("--cmd-port", options.cmd_port, "local UDP port for commands (0: any free)");
  app.add_option("--watch-port", options.watch_port, "local UDP port for reports (0: any free)");
  app.add_option("--format", options.format,
                 "output: table, csv or json (JSON lines: one object per record or item)")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  std::string config_path;
  app.add_option("--config", config_path,
                 "site configuration file (default $VORSKEL_CONFIG, else "
                 "$XDG_CONFIG_HOME/vorskel/site.toml, i.e. ~/.config/vorskel/site.toml)");
  app.add_option("--timeout", options.timeout_ms,
                 "milliseconds to wait for each reply (default 6000); a download page's "
                 "--retries each wait as long again")
      ->check(CLI::Range(1, 600000));
  app.add_flag("--debug", options.debug,
               "print every datagram (commands and reports) in hex on standard error: sent, "
               "received and discarded, with the peer and the length");

  add_device_commands(app, options);
  add_record_commands(app, options);
  add_watch_commands(app, options);
  add_card_commands(app, options);
  add_door_commands(app, options);
  add_registry_commands(app, options);
  add_help_command(app);
  add_sync_commands(app, options);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return report_parse_error(app, e, argc, argv);
  }
  set_config_path(config_path);
  try {
    if (g_action) g_action(options);
    check_standard_output();
  } catch (const Failure& f) {
    std::fflush(stdout);
    std::fprintf(stderr, "vorskel: %s\n", f.what());
    return f.code();
  } catch (const vorskel::site::ConfigError& e) {
    std::fprintf(stderr, "vorskel: %s\n", e.what());
    return kExitUsage;
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "vorskel: %s\n", e.what());
    return kExitUsage;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vorskel: %s\n", e.what());
    return kExitInternal;
  }
  return kExitOk;
}
