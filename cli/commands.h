// Subcommand groups; each file adds its own to the application.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

#include "cli/session.h"

namespace vorskel::cli {

// A subcommand's body, run after parsing with the global options.
using Action = std::function<void(const Options&)>;
// Registers the action to run when the subcommand is chosen.
void on_run(CLI::App* sub, const Options& options, Action action);

void add_device_commands(CLI::App& app, const Options& options);
void add_record_commands(CLI::App& app, const Options& options);
void add_watch_commands(CLI::App& app, const Options& options);
void add_card_commands(CLI::App& app, const Options& options);
void add_door_commands(CLI::App& app, const Options& options);
void add_registry_commands(CLI::App& app, const Options& options);
void add_sync_commands(CLI::App& app, const Options& options);

}  // namespace vorskel::cli
