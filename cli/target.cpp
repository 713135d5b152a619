#include "cli/target.h"

#include <memory>
#include <stdexcept>

namespace vorskel::cli {

namespace {
std::string g_config_path;
}

void set_config_path(const std::string& path) {
  g_config_path = path;
}

const site::SiteConfig& site_config() {
  static const std::unique_ptr<site::SiteConfig> config = [] {
    const bool named = !g_config_path.empty();
    return std::make_unique<site::SiteConfig>(
        site::load_config_or_default(named ? g_config_path : site::default_config_path(), named));
  }();
  return *config;
}

Target parse_target(const std::string& text) {
  // A name never holds ':', so only a bare word asks the configuration.
  if (text.find(':') == std::string::npos && !text.empty()) {
    if (const site::TerminalConfig* t = site_config().find(text)) return Target{t->host, t->port};
  }
  Target t;
  const auto colon = text.rfind(':');
  t.host = text.substr(0, colon);
  if (colon != std::string::npos) {
    const std::string port = text.substr(colon + 1);
    std::size_t used = 0;
    int value = -1;
    try {
      value = std::stoi(port, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used != port.size() || value < 1 || value > 65535)
      throw std::invalid_argument("bad port in '" + text +
                                  "' (expected a terminal's name or HOST[:PORT], PORT 1-65535)");
    t.port = value;
  }
  if (t.host.empty()) throw std::invalid_argument("no host in '" + text + "'");
  return t;
}

}  // namespace vorskel::cli
