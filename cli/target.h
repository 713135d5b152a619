// The terminal a command talks to: a terminal's name from the site configuration, or
// "HOST[:PORT]" with the terminals' usual port by default.
#pragma once

#include <string>

#include "service/site_config.h"

namespace vorskel::cli {

inline constexpr int kDefaultTerminalPort = 5200;
inline constexpr const char* kTerminalHelp =
    "a terminal's name from the configuration, or HOST[:PORT] (port 5200 by default)";

struct Target {
  std::string host;
  int port = kDefaultTerminalPort;
  std::string text() const { return host + ":" + std::to_string(port); }
};

// The configuration file named by --config (empty: the default location). Read on first
// use only, so commands given an address work without one.
void set_config_path(const std::string& path);
const site::SiteConfig& site_config();

// Throws std::invalid_argument with a message for a malformed address, and
// site::ConfigError for a configuration file that cannot be read.
Target parse_target(const std::string& text);

}  // namespace vorskel::cli
