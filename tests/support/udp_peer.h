// A bare UDP socket on 127.0.0.1 for tests that play an unrelated sender or receiver.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/udp_socket.h"

namespace vorskel::testing {

// A host name that cannot resolve and that no resolver is asked about: its label is longer
// than the 63 characters a DNS label may hold, so the lookup fails on this machine and no
// query leaves it (a name under .invalid would still be sent to the configured servers).
inline constexpr char kUnresolvableHost[] =
    "no-terminal-has-this-name-because-its-label-is-longer-than-dns-allows-any-label";
static_assert(sizeof kUnresolvableHost - 1 > 63);

class UdpPeer {
 public:
  explicit UdpPeer(int port = 0) : socket_(port) {}

  bool bound() const { return socket_.bound(); }
  int port() const { return socket_.port(); }

  void send_to(int port, const std::vector<std::uint8_t>& bytes) const {
    socket_.send(sim::loopback(port), bytes.data(), bytes.size());
  }

  // One datagram, or false after timeout_ms.
  bool receive(std::vector<std::uint8_t>* out, int timeout_ms, int* from_port = nullptr) const {
    if (!socket_.wait_readable(timeout_ms)) return false;
    std::vector<std::uint8_t> buf(65536);
    sim::Peer from;
    const int n = socket_.receive(buf.data(), buf.size(), &from);
    if (n < 0) return false;
    out->assign(buf.begin(), buf.begin() + n);
    if (from_port != nullptr) *from_port = from.port;
    return true;
  }

 private:
  sim::UdpSocket socket_;
};

}  // namespace vorskel::testing
