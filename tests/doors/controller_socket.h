// A door controller on a loopback address of its own (127.0.0.2, 127.0.0.3, ...), so that a
// test can play many controllers that the library tells apart by IPv4 address. Sends only
// to 127.0.0.1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/udp_socket.h"

namespace vorskel::testing {

class ControllerSocket {
 public:
  // host_byte: the last byte of the address, 2-254.
  explicit ControllerSocket(int host_byte)
      : address_("127.0.0." + std::to_string(host_byte)),
        socket_(sim::loopback_host(host_byte, 0)) {}

  bool bound() const { return socket_.bound(); }
  const std::string& address() const { return address_; }

  bool send_to_host(int port, const std::vector<std::uint8_t>& bytes) const {
    return socket_.send(sim::loopback(port), bytes.data(), bytes.size());
  }

  // Whether a datagram from a socket bound to 127.0.0.2 arrives from 127.0.0.2. Linux and
  // Windows keep the address; Wine sends every loopback datagram from 127.0.0.1.
  static bool sources_are_kept() {
    sim::UdpSocket receiver(0);
    const ControllerSocket controller(2);
    const std::uint8_t probe = 1;
    if (!controller.socket_.send(sim::loopback(receiver.port()), &probe, 1) ||
        !receiver.wait_readable(1000))
      return false;
    std::uint8_t buffer[4];
    sim::Peer from;
    return receiver.receive(buffer, sizeof buffer, &from) == 1 &&
           from.addr_be == sim::loopback_host(2, 0).addr_be;
  }

 private:
  std::string address_;
  sim::UdpSocket socket_;
};

}  // namespace vorskel::testing
