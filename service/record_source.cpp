#include "service/record_source.h"

#include <mutex>
#include <stdexcept>

#include "vorskel.h"
#include "vorskel/context.hpp"

namespace vorskel::site {
namespace {

int g_command_port = 0;
int g_watch_port = 0;
std::once_flag g_opened;

// Each terminal has its own reply time-out (the library's 6 s would turn every lost datagram
// into a 6 s stall); it is set on the exports' context before each of that terminal's steps.
void set_timeout(int ms) {
  Context::process().set_receive_timeout(ms);
}

class LibraryRecordSource : public RecordSource {
 public:
  LibraryRecordSource(const TerminalConfig& t, const RecordModel& m)
      : host_(t.host), port_(t.port), timeout_ms_(t.timeout_ms), model_(m) {}

  const RecordModel& model() const override { return model_; }

  int pointers(Pointers& out) override {
    set_timeout(timeout_ms_);
    unsigned int p[4] = {0, 0, 0, 0};
    unsigned int reg[3] = {0, 0, 0};
    const int r = Vorsk_GetPoint(p, reg, host_.c_str(), port_);
    if (r == 0) out = Pointers{p[0], p[1], p[2], p[3]};
    return r;
  }

  int read_page(int page, std::vector<std::uint8_t>& out) override {
    set_timeout(timeout_ms_);
    out.assign(static_cast<std::size_t>(model_.entry_bytes * model_.entries_per_page), 0);
    return model_.read_page(out.data(), page, host_.c_str(), port_);
  }

  int clear() override {
    set_timeout(timeout_ms_);
    return model_.clear != nullptr ? model_.clear(host_.c_str(), port_) : -1;
  }

 private:
  std::string host_;
  int port_;
  int timeout_ms_;
  const RecordModel& model_;
};

}  // namespace

void set_local_ports(int command_port, int watch_port) {
  g_command_port = command_port;
  g_watch_port = watch_port;
}

std::unique_ptr<RecordSource> open_record_source(const TerminalConfig& terminal) {
  const RecordModel* model = find_record_model(terminal.model);
  if (model == nullptr) throw std::invalid_argument("unknown record model " + terminal.model);
  std::call_once(g_opened, [] {
    Sondo_Bind_Port(g_command_port, g_watch_port);
    Vorsk_OpenSocket();
  });
  return std::make_unique<LibraryRecordSource>(terminal, *model);
}

}  // namespace vorskel::site
