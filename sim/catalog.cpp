// The simulated models: each is the set of command families registered for its name.
#include <algorithm>
#include <map>

#include "sim/model.h"

namespace vorskel::sim {
namespace {

struct Family {
  int order;
  void (*install)(Model&);
};

std::map<std::string, std::vector<Family>>& catalog() {
  static std::map<std::string, std::vector<Family>> c;
  return c;
}

void install_echo(Model& m) {
  // Answers any command with its own payload: a peer for transport tests.
  m.on_any(
      [](const Request& r) -> Reply { return Bytes(r.datagram.begin() + 3, r.datagram.end()); });
}

const bool echo_registered = register_family("echo", 0, install_echo);

}  // namespace

bool register_family(const char* model, int order, void (*install)(Model&)) {
  auto& families = catalog()[model];
  families.push_back(Family{order, install});
  std::stable_sort(families.begin(), families.end(),
                   [](const Family& a, const Family& b) { return a.order < b.order; });
  return true;
}

std::unique_ptr<Model> make_model(const std::string& name) {
  auto it = catalog().find(name);
  if (it == catalog().end()) return nullptr;
  auto m = std::make_unique<Model>(name);
  for (const auto& f : it->second) f.install(*m);
  return m;
}

std::vector<std::string> model_names() {
  std::vector<std::string> names;
  for (const auto& [name, families] : catalog()) names.push_back(name);
  return names;
}

}  // namespace vorskel::sim
