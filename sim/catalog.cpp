// The simulated models and the command families each one answers. A subsystem's simulation
// lives in files of its own under models/ and is installed here.
#include "sim/models/terminal_state.h"

namespace vorskel::sim {
namespace {

struct Entry {
  const char* name;
  void (*install)(Model&);
};

void install_echo(Model& m) {
  // Answers any command with its own payload: a peer for transport tests.
  m.on_any(
      [](const Request& r) -> Reply { return Bytes(r.datagram.begin() + 3, r.datagram.end()); });
}

void install_vorsk(Model& m) {
  install_terminal_basics(m);
}

const Entry kModels[] = {
    {"vorsk", install_vorsk},
    {"echo", install_echo},
};

}  // namespace

std::unique_ptr<Model> make_model(const std::string& name) {
  for (const auto& e : kModels) {
    if (name == e.name) {
      auto m = std::make_unique<Model>(name);
      e.install(*m);
      return m;
    }
  }
  return nullptr;
}

std::vector<std::string> model_names() {
  std::vector<std::string> names;
  for (const auto& e : kModels) names.emplace_back(e.name);
  return names;
}

}  // namespace vorskel::sim
