// A door controller on a loopback address of its own (127.0.0.2, 127.0.0.3, ...), so that a
// test can play many controllers that the library tells apart by IPv4 address. Sends only
// to 127.0.0.1.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vorskel::testing {

class ControllerSocket {
 public:
  // host_byte: the last byte of the address, 2-254.
  explicit ControllerSocket(int host_byte) {
    address_ = "127.0.0." + std::to_string(host_byte);
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK - 1 + static_cast<std::uint32_t>(host_byte));
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
  }
  ~ControllerSocket() { ::close(fd_); }
  ControllerSocket(const ControllerSocket&) = delete;
  ControllerSocket& operator=(const ControllerSocket&) = delete;

  bool bound() const { return bound_; }
  const std::string& address() const { return address_; }

  bool send_to_host(int port, const std::vector<std::uint8_t>& bytes) const {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    return ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&sa),
                    sizeof sa) == static_cast<ssize_t>(bytes.size());
  }

 private:
  int fd_ = -1;
  bool bound_ = false;
  std::string address_;
};

}  // namespace vorskel::testing
