#include "transport/tnet.h"

#include <cstring>

namespace vorskel {

using platform::Ipv4Address;
using platform::kInvalidSocket;

namespace {
constexpr char kBroadcastText[] = "255.255.255.255";
}

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
  return platform::bind_socket(socket_.load(), local) == 0 ? 0 : -2;
}

int TNet::SendTo(const void* data, int length, const char* host, int port) {
  Ipv4Address to;
  if (Resolve(host, port, &to) != 0) return -1;
  if (!held_.load() || length < 0) return -1;
  return platform::send_datagram(socket_.load(), data, static_cast<std::size_t>(length), to);
}

int TNet::ReceiveFrom(void* buffer, int room, char* senderText, int* senderPort) {
  if (!held_.load() || room < 0) return -1;
  Ipv4Address from;
  const int n =
      platform::receive_datagram(socket_.load(), buffer, static_cast<std::size_t>(room), &from);
  if (n < 0) return -1;
  // A Close from another thread while we waited makes whatever the wait returned a failure.
  if (!held_.load()) return -1;
  if (n == 0) return 0;
  if (senderText != nullptr) platform::format_dotted_ipv4(from.addr_be, senderText);
  if (senderPort != nullptr) *senderPort = platform::net_to_host16(from.port_be);
  return n;
}

int TNet::SetReceiveTimeout(int milliseconds) {
  if (!held_.load()) return -1;
  return platform::set_receive_timeout(socket_.load(), milliseconds);
}

int TNet::PendingBytes() {
  if (!held_.load()) return -1;
  return platform::pending_bytes(socket_.load());
}

int TNet::Close() {
  if (!held_.exchange(false)) return 0;
  const platform::SocketHandle s = socket_.exchange(kInvalidSocket);
  return platform::close_socket(s);
}

int TNet::LocalPort() const {
  if (!held_.load()) return 0;
  return platform::local_port(socket_.load());
}

}  // namespace vorskel
