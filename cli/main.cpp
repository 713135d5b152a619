// vorskel: a command-line tool for installers and host developers, built only on the
// library's public C interface.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/target.h"

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
  Options options;
  app.add_option("--cmd-port", options.cmd_port, "local UDP port for commands (0: any free)");
  app.add_option("--watch-port", options.watch_port, "local UDP port for reports (0: any free)");
  app.add_option("--format", options.format, "output: table, csv or json (JSON lines)")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  std::string config_path;
  app.add_option("--config", config_path,
                 "site configuration file (default $VORSKEL_CONFIG, else "
                 "$XDG_CONFIG_HOME/vorskel/site.toml, i.e. ~/.config/vorskel/site.toml)");

  add_device_commands(app, options);
  add_record_commands(app, options);
  add_watch_commands(app, options);
  add_card_commands(app, options);
  add_door_commands(app, options);
  add_sync_commands(app, options);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }
  set_config_path(config_path);
  try {
    if (g_action) g_action(options);
  } catch (const Failure& f) {
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
