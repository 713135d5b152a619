// The terminal a command talks to: "HOST[:PORT]" with the terminals' usual port by default.
#pragma once

#include <string>

namespace vorskel::cli {

inline constexpr int kDefaultTerminalPort = 5200;

struct Target {
  std::string host;
  int port = kDefaultTerminalPort;
  std::string text() const { return host + ":" + std::to_string(port); }
};

// Throws std::invalid_argument with a message for a malformed address.
Target parse_target(const std::string& text);

}  // namespace vorskel::cli
