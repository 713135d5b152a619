#include "sim/udp_socket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

// The switch that stops ICMP "port unreachable" from failing later UDP receives; some
// toolchains' headers lack its name.
#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstring>

namespace vorskel::sim {
namespace {

#ifdef _WIN32
using Native = SOCKET;
constexpr Native kNone = INVALID_SOCKET;
using AddrLen = int;
using Buffer = char*;
using ConstBuffer = const char*;
using Length = int;
constexpr int kSocketFlags = 0;
#else
using Native = int;
constexpr Native kNone = -1;
using AddrLen = socklen_t;
using Buffer = void*;
using ConstBuffer = const void*;
using Length = std::size_t;
constexpr int kSocketFlags = SOCK_CLOEXEC;
#endif

Native native(std::intptr_t h) {
  return static_cast<Native>(h);
}

sockaddr_in to_sockaddr(const Peer& p) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = p.addr_be;
  sa.sin_port = htons(p.port);
  return sa;
}

}  // namespace

UdpSocket::UdpSocket(int port) : UdpSocket(loopback(port)) {}

UdpSocket::UdpSocket(const Peer& local) {
#ifdef _WIN32
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
#endif
  const Native s = ::socket(AF_INET, SOCK_DGRAM | kSocketFlags, 0);
  handle_ = static_cast<std::intptr_t>(s);
  if (s == kNone) return;
#ifdef _WIN32
  // Without this, an ICMP "port unreachable" for an earlier reply fails the next receive.
  BOOL off = FALSE;
  DWORD returned = 0;
  ::WSAIoctl(s, SIO_UDP_CONNRESET, &off, sizeof off, nullptr, 0, &returned, nullptr, nullptr);
#endif
  sockaddr_in sa = to_sockaddr(local);
  if (::bind(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) return;
  AddrLen len = sizeof sa;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
  port_ = ntohs(sa.sin_port);
  bound_ = true;
}

UdpSocket::~UdpSocket() {
  const Native s = native(handle_);
#ifdef _WIN32
  if (s != kNone) ::closesocket(s);
  ::WSACleanup();
#else
  if (s != kNone) ::close(s);
#endif
}

void UdpSocket::set_buffers(int bytes) {
  const Native s = native(handle_);
  ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
  ::setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
}

bool UdpSocket::wait_readable(int timeout_ms) const {
  const Native s = native(handle_);
  if (s == kNone) return false;
#ifdef _WIN32
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval tv{};
  tv.tv_sec = timeout_ms / 1000;
  tv.tv_usec = (timeout_ms % 1000) * 1000;
  return ::select(0, &readable, nullptr, nullptr, &tv) > 0;
#else
  pollfd p{s, POLLIN, 0};
  return ::poll(&p, 1, timeout_ms) > 0 && (p.revents & POLLIN) != 0;
#endif
}

int UdpSocket::receive(std::uint8_t* buffer, std::size_t room, Peer* from) const {
  sockaddr_in sa{};
  AddrLen len = sizeof sa;
  const auto n = ::recvfrom(native(handle_), reinterpret_cast<Buffer>(buffer),
                            static_cast<Length>(room), 0, reinterpret_cast<sockaddr*>(&sa), &len);
  if (n < 0) return -1;
  if (from != nullptr) *from = Peer{sa.sin_addr.s_addr, ntohs(sa.sin_port)};
  return static_cast<int>(n);
}

bool UdpSocket::send(const Peer& to, const std::uint8_t* data, std::size_t length) const {
  const sockaddr_in sa = to_sockaddr(to);
  const auto sent =
      ::sendto(native(handle_), reinterpret_cast<ConstBuffer>(data), static_cast<Length>(length), 0,
               reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
  return sent >= 0 && static_cast<std::size_t>(sent) == length;
}

Peer loopback(int port) {
  return loopback_host(1, port);
}

Peer loopback_host(int host_byte, int port) {
  constexpr std::uint32_t kLoopbackNet = 0x7F000000u;  // 127.0.0.0
  return Peer{htonl(kLoopbackNet | static_cast<std::uint32_t>(host_byte & 0xFF)),
              static_cast<std::uint16_t>(port)};
}

std::string peer_text(const Peer& p) {
  std::uint8_t b[4];
  std::memcpy(b, &p.addr_be, 4);
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
         std::to_string(b[3]) + ":" + std::to_string(p.port);
}

}  // namespace vorskel::sim
