// A bare IPv4 UDP socket on 127.0.0.1 for the simulator and for test peers. It is written
// apart from the library's own socket code on purpose, so the simulator checks the library
// instead of sharing its faults. Builds with POSIX sockets and with Winsock (the Windows test
// programs run the simulator in-process under Wine).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/model.h"

namespace vorskel::sim {

class UdpSocket {
 public:
  // Binds 127.0.0.1:port (0 = a free port); bound() tells whether that worked.
  explicit UdpSocket(int port = 0);
  // Binds the given local address and port (e.g. 127.0.0.2, to play a second device).
  explicit UdpSocket(const Peer& local);
  ~UdpSocket();
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  bool bound() const { return bound_; }
  int port() const { return port_; }

  // Sets the receive and send buffer sizes (a hint to the system).
  void set_buffers(int bytes);
  // True when a datagram is waiting, after waiting at most timeout_ms.
  bool wait_readable(int timeout_ms) const;
  // Receives one waiting datagram; its length, or -1.
  int receive(std::uint8_t* buffer, std::size_t room, Peer* from) const;
  // True when the whole datagram was sent.
  bool send(const Peer& to, const std::uint8_t* data, std::size_t length) const;

 private:
  std::intptr_t handle_;
  int port_ = 0;
  bool bound_ = false;
};

// A peer for 127.0.0.1 and a port.
Peer loopback(int port);
// A peer for 127.0.0.host_byte and a port.
Peer loopback_host(int host_byte, int port);
// "127.0.0.1:5200".
std::string peer_text(const Peer& p);

}  // namespace vorskel::sim
