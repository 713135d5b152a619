#include "transport/tnet.h"

#include <chrono>
#include <cstring>

namespace vorskel {

using platform::Ipv4Address;
using platform::kInvalidSocket;

namespace {
constexpr char kBroadcastText[] = "255.255.255.255";
// How long Close waits for woken receivers to leave before releasing the handle anyway.
constexpr auto kReceiverExitWait = std::chrono::seconds(2);
}  // namespace

// Counted before the held check, so Close (which clears held first, then waits for the count
// to drop) never releases a handle that another thread is about to use or still uses: a
// closed handle number can be reused by the next socket the process opens.
class TNet::Use {
 public:
  explicit Use(TNet& net) : net_(net) { net_.users_.fetch_add(1); }
  ~Use() { net_.users_.fetch_sub(1); }
  bool held() const { return net_.held_.load(); }
  platform::SocketHandle socket() const { return net_.socket_.load(); }

 private:
  TNet& net_;
};

TNet::TNet() {
  platform::socket_library_start();
}

TNet::~TNet() {
  Close();
  platform::socket_library_release();
}

int TNet::Open() {
  if (held_.load()) return -1;
  const platform::SocketHandle s = platform::udp_socket();
  socket_.store(s);
  timeout_ms_.store(0);  // a new socket waits for ever until told otherwise
  held_.store(true);
  if (s == kInvalidSocket) return -3;
  if (platform::set_broadcast(s) != 0) return -3;
  return 0;
}

int TNet::Resolve(const char* host, int port, Ipv4Address* out) {
  out->port_be = platform::host_to_net16(static_cast<std::uint16_t>(port & 0xFFFF));
  out->addr_be = 0;
  if (host == nullptr || host[0] == '\0') return 0;
  // Dotted-decimal parsing reports the broadcast address and failure with the same value,
  // so broadcast is recognised first. The comparison runs over the host text's own length,
  // as terminals' management programs have always relied on.
  const std::size_t n = std::strlen(host);
  if (n <= std::strlen(kBroadcastText) && std::strncmp(host, kBroadcastText, n) == 0) {
    out->addr_be = 0xFFFFFFFFu;
    return 0;
  }
  std::uint32_t addr = 0;
  if (platform::parse_dotted_ipv4(host, &addr) || platform::lookup_host_ipv4(host, &addr)) {
    out->addr_be = addr;
    return 0;
  }
  return -1;
}

int TNet::Bind(const char* host, int port) {
  Ipv4Address local;
  if (Resolve(host, port, &local) != 0) return -1;
  Use use(*this);
  if (!use.held()) return -2;
  return platform::bind_socket(use.socket(), local) == 0 ? 0 : -2;
}

int TNet::SendTo(const void* data, int length, const char* host, int port) {
  Ipv4Address to;
  if (Resolve(host, port, &to) != 0) return -1;
  return SendTo(data, length, to);
}

int TNet::SendTo(const void* data, int length, const Ipv4Address& to) {
  Use use(*this);
  if (!use.held() || length < 0) return -1;
  return platform::send_datagram(use.socket(), data, static_cast<std::size_t>(length), to);
}

int TNet::ReceiveFrom(void* buffer, int room, char* senderText, int* senderPort) {
  Use use(*this);
  if (!use.held() || room < 0) return -1;
  Ipv4Address from;
  const int n =
      platform::receive_datagram(use.socket(), buffer, static_cast<std::size_t>(room), &from);
  if (n < 0) return -1;
  // A Close from another thread while we waited makes whatever the wait returned a failure.
  if (!use.held()) return -1;
  if (n == 0) return 0;
  if (senderText != nullptr) platform::format_dotted_ipv4(from.addr_be, senderText);
  if (senderPort != nullptr) *senderPort = platform::net_to_host16(from.port_be);
  return n;
}

int TNet::ReceiveWaiting(void* buffer, int room) {
  Use use(*this);
  if (!use.held() || room < 0) return -1;
  return platform::receive_waiting_datagram(use.socket(), buffer, static_cast<std::size_t>(room),
                                            nullptr);
}

int TNet::SetReceiveTimeout(int milliseconds) {
  Use use(*this);
  if (!use.held()) return -1;
  const int r = platform::set_receive_timeout(use.socket(), milliseconds);
  if (r == 0) timeout_ms_.store(milliseconds);
  return r;
}

int TNet::PendingBytes() {
  Use use(*this);
  if (!use.held()) return -1;
  return platform::pending_bytes(use.socket());
}

int TNet::Close() {
  if (!held_.exchange(false)) return 0;
  const platform::SocketHandle s = socket_.load();
  if (platform::wake_receivers(s)) {
    const auto deadline = std::chrono::steady_clock::now() + kReceiverExitWait;
    while (users_.load() > 0 && std::chrono::steady_clock::now() < deadline)
      platform::yield_thread();
  }
  socket_.store(kInvalidSocket);
  return platform::close_socket(s);
}

int TNet::LocalPort() {
  Use use(*this);
  if (!use.held()) return 0;
  return platform::local_port(use.socket());
}

}  // namespace vorskel
