#include "service/record_source.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>

#include "vorskel.h"

namespace vorskel::site {
namespace {

int g_command_port = 0;
int g_watch_port = 0;
std::once_flag g_opened;
int g_command_socket = -1;

// The public interface fixes the command endpoint's receive time-out at 6 s, which turns
// every lost datagram into a 6 s stall. Until per-terminal contexts take a time-out, the
// sync finds the endpoint's socket (the datagram socket Vorsk_OpenSocket added) and shortens
// its time-out itself.
constexpr int kDescriptorsScanned = 1024;

std::vector<int> datagram_sockets() {
  std::vector<int> fds;
  for (int fd = 0; fd < kDescriptorsScanned; ++fd) {
    int type = 0;
    socklen_t len = sizeof type;
    if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &len) == 0 && type == SOCK_DGRAM)
      fds.push_back(fd);
  }
  return fds;
}

void set_timeout(int ms) {
  if (g_command_socket < 0) return;
  timeval tv{};
  tv.tv_sec = ms / 1000;
  tv.tv_usec = (ms % 1000) * 1000;
  ::setsockopt(g_command_socket, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
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
    const std::vector<int> before = datagram_sockets();
    Vorsk_OpenSocket();
    for (const int fd : datagram_sockets())
      if (std::find(before.begin(), before.end(), fd) == before.end()) g_command_socket = fd;
  });
  return std::make_unique<LibraryRecordSource>(terminal, *model);
}

}  // namespace vorskel::site
