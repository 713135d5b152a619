#include "cli/target.h"

#include <stdexcept>

namespace vorskel::cli {

Target parse_target(const std::string& text) {
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
                                  "' (expected HOST[:PORT], PORT 1-65535)");
    t.port = value;
  }
  if (t.host.empty()) throw std::invalid_argument("no host in '" + text + "'");
  return t;
}

}  // namespace vorskel::cli
