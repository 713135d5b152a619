// POSIX sockets behind the platform interface.
#ifndef _WIN32

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
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

int fd_of(SocketHandle s) {
  return static_cast<int>(s);
}

}  // namespace

void socket_library_start() {}
void socket_library_release() {}

SocketHandle udp_socket() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  return fd < 0 ? kInvalidSocket : fd;
}

int set_broadcast(SocketHandle s) {
  const int on = 1;
  return ::setsockopt(fd_of(s), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0 ? 0 : -1;
}

int set_receive_timeout(SocketHandle s, int milliseconds) {
  timeval tv{};
  if (milliseconds > 0) {
    tv.tv_sec = milliseconds / 1000;
    tv.tv_usec = (milliseconds % 1000) * 1000;
  }
  return ::setsockopt(fd_of(s), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0 ? 0 : -1;
}

int bind_socket(SocketHandle s, const Ipv4Address& local) {
  const sockaddr_in sa = to_sockaddr(local);
  return ::bind(fd_of(s), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0 ? 0 : -1;
}

int send_datagram(SocketHandle s, const void* data, std::size_t length, const Ipv4Address& to) {
  const sockaddr_in sa = to_sockaddr(to);
  const ssize_t n = ::sendto(fd_of(s), data, length, MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
  return n < 0 ? -1 : static_cast<int>(n);
}

namespace {

int receive_with(SocketHandle s, void* buffer, std::size_t room, Ipv4Address* from, int flags) {
  if (s == kInvalidSocket) return -1;
  sockaddr_in sa{};
  socklen_t salen = sizeof sa;
  ssize_t n;
  do {
    // MSG_TRUNC makes the call report the datagram's real length, so an over-long one is
    // recognised instead of silently cut to room.
    n = ::recvfrom(fd_of(s), buffer, room, MSG_TRUNC | flags, reinterpret_cast<sockaddr*>(&sa),
                   &salen);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? kNothingWaiting : -1;
  if (static_cast<std::size_t>(n) > room) return -1;
  // A socket that was shut down while we waited reports end-of-file: an "empty datagram"
  // without a sender. Real empty datagrams always carry one.
  if (n == 0 && (salen == 0 || sa.sin_family != AF_INET)) return -1;
  if (from != nullptr) {
    from->addr_be = sa.sin_addr.s_addr;
    from->port_be = sa.sin_port;
  }
  return static_cast<int>(n);
}

}  // namespace

int receive_datagram(SocketHandle s, void* buffer, std::size_t room, Ipv4Address* from) {
  const int n = receive_with(s, buffer, room, from, 0);
  return n == kNothingWaiting ? -1 : n;  // the receive time-out ran out
}

int receive_waiting_datagram(SocketHandle s, void* buffer, std::size_t room, Ipv4Address* from) {
  return receive_with(s, buffer, room, from, MSG_DONTWAIT);
}

int pending_bytes(SocketHandle s) {
  int count = 0;
  if (::ioctl(fd_of(s), FIONREAD, &count) != 0) return -1;
  if (count > 0) return count;
  // FIONREAD says 0 both for "nothing" and for a waiting empty datagram; poll tells them apart.
  pollfd p{fd_of(s), POLLIN, 0};
  const int r = ::poll(&p, 1, 0);
  if (r < 0) return -1;
  if (r == 0) return 0;
  if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return -1;
  return (p.revents & POLLIN) != 0 ? 1 : 0;
}

bool wake_receivers(SocketHandle s) {
  if (s == kInvalidSocket) return false;
  // close() alone does not wake a thread blocked in recvfrom on Linux; shutdown does (it
  // reports ENOTCONN for an unconnected datagram socket, but wakes the waiters all the same).
  ::shutdown(fd_of(s), SHUT_RDWR);
  return true;
}

int close_socket(SocketHandle s) {
  if (s == kInvalidSocket) return -1;
  return ::close(fd_of(s)) == 0 ? 0 : -1;
}

int local_port(SocketHandle s) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (::getsockname(fd_of(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

bool parse_dotted_ipv4(const char* text, std::uint32_t* addr_be) {
  // inet_addr accepts the same forms as the Windows call (a, a.b, a.b.c, a.b.c.d, octal, hex).
  const in_addr_t a = ::inet_addr(text);
  if (a == INADDR_NONE) return false;
  *addr_be = a;
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
  in_addr a{};
  a.s_addr = addr_be;
  if (::inet_ntop(AF_INET, &a, out, 16) == nullptr) out[0] = '\0';
}

}  // namespace vorskel::platform

#endif  // !_WIN32
