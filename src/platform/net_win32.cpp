// Windows Sockets 2.2 behind the platform interface.
#ifdef _WIN32

#include <winsock2.h>
#include <ws2tcpip.h>

// The switch that stops ICMP "port unreachable" from failing later UDP receives; some
// toolchains' headers lack its name.
#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace vorskel::platform {
namespace {

sockaddr_in to_sockaddr(const Ipv4Address& a) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = a.port_be;
  sa.sin_addr.s_addr = a.addr_be;
  return sa;
}

SOCKET sock_of(SocketHandle s) {
  return static_cast<SOCKET>(s);
}

}  // namespace

void socket_library_start() {
  WSADATA data;
  (void)::WSAStartup(MAKEWORD(2, 2), &data);
}

void socket_library_release() {
  (void)::WSACleanup();
}

SocketHandle udp_socket() {
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return kInvalidSocket;
  // An ICMP "port unreachable" for an earlier send would otherwise fail the next receive
  // with WSAECONNRESET instead of letting it wait for the real reply.
  BOOL off = FALSE;
  DWORD returned = 0;
  (void)::WSAIoctl(s, SIO_UDP_CONNRESET, &off, sizeof off, nullptr, 0, &returned, nullptr, nullptr);
  return static_cast<SocketHandle>(s);
}

int set_broadcast(SocketHandle s) {
  const BOOL on = TRUE;
  return ::setsockopt(sock_of(s), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                      sizeof on) == 0
             ? 0
             : -1;
}

int set_receive_timeout(SocketHandle s, int milliseconds) {
  const DWORD ms = milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0;
  return ::setsockopt(sock_of(s), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms),
                      sizeof ms) == 0
             ? 0
             : -1;
}

int bind_socket(SocketHandle s, const Ipv4Address& local) {
  const sockaddr_in sa = to_sockaddr(local);
  return ::bind(sock_of(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0 ? 0 : -1;
}

int send_datagram(SocketHandle s, const void* data, std::size_t length, const Ipv4Address& to) {
  const sockaddr_in sa = to_sockaddr(to);
  const int n = ::sendto(sock_of(s), static_cast<const char*>(data), static_cast<int>(length), 0,
                         reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
  return n == SOCKET_ERROR ? -1 : n;
}

int receive_datagram(SocketHandle s, void* buffer, std::size_t room, Ipv4Address* from) {
  if (s == kInvalidSocket) return -1;
  sockaddr_in sa{};
  int salen = sizeof sa;
  // Winsock fails an over-long datagram with WSAEMSGSIZE and discards its rest.
  const int n = ::recvfrom(sock_of(s), static_cast<char*>(buffer), static_cast<int>(room), 0,
                           reinterpret_cast<sockaddr*>(&sa), &salen);
  if (n == SOCKET_ERROR) return -1;
  if (from != nullptr) {
    from->addr_be = sa.sin_addr.s_addr;
    from->port_be = sa.sin_port;
  }
  return n;
}

int receive_waiting_datagram(SocketHandle s, void* buffer, std::size_t room, Ipv4Address* from) {
  const int waiting = pending_bytes(s);
  if (waiting < 0) return -1;
  if (waiting == 0) return kNothingWaiting;
  return receive_datagram(s, buffer, room, from);
}

int pending_bytes(SocketHandle s) {
  u_long count = 0;
  if (::ioctlsocket(sock_of(s), FIONREAD, &count) != 0) return -1;
  if (count > 0) return static_cast<int>(count);
  // A waiting empty datagram reports 0 bytes; select tells it apart from nothing waiting.
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(sock_of(s), &readable);
  timeval zero{};
  const int r = ::select(0, &readable, nullptr, nullptr, &zero);
  if (r == SOCKET_ERROR) return -1;
  return r > 0 ? 1 : 0;
}

bool wake_receivers(SocketHandle) {
  return false;
}  // closesocket wakes them

int close_socket(SocketHandle s) {
  if (s == kInvalidSocket) return -1;
  return ::closesocket(sock_of(s)) == 0 ? 0 : -1;
}

int local_port(SocketHandle s) {
  sockaddr_in sa{};
  int len = sizeof sa;
  if (::getsockname(sock_of(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

bool parse_dotted_ipv4(const char* text, std::uint32_t* addr_be) {
  const unsigned long a = ::inet_addr(text);
  if (a == INADDR_NONE) return false;
  *addr_be = static_cast<std::uint32_t>(a);
  return true;
}

bool lookup_host_ipv4(const char* name, std::uint32_t* addr_be) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* result = nullptr;
  if (::getaddrinfo(name, nullptr, &hints, &result) != 0 || result == nullptr) return false;
  const auto* sa = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
  *addr_be = sa->sin_addr.s_addr;
  ::freeaddrinfo(result);
  return true;
}

void format_dotted_ipv4(std::uint32_t addr_be, char out[16]) {
  const auto* b = reinterpret_cast<const unsigned char*>(&addr_be);
  std::snprintf(out, 16, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
}

}  // namespace vorskel::platform

#endif  // _WIN32
