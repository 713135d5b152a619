// A bare UDP socket on 127.0.0.1 for tests that play an unrelated sender or receiver.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace vorskel::testing {

class UdpPeer {
 public:
  explicit UdpPeer(int port = 0) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    socklen_t len = sizeof sa;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
  }
  ~UdpPeer() { ::close(fd_); }
  UdpPeer(const UdpPeer&) = delete;
  UdpPeer& operator=(const UdpPeer&) = delete;

  bool bound() const { return bound_; }
  int port() const { return port_; }

  void send_to(int port, const std::vector<std::uint8_t>& bytes) const {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  }

  // One datagram, or false after timeout_ms.
  bool receive(std::vector<std::uint8_t>* out, int timeout_ms, int* from_port = nullptr) const {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) <= 0) return false;
    std::uint8_t buf[65536];
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    const ssize_t n = ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&sa), &len);
    if (n < 0) return false;
    out->assign(buf, buf + n);
    if (from_port != nullptr) *from_port = ntohs(sa.sin_port);
    return true;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  bool bound_ = false;
};

}  // namespace vorskel::testing
