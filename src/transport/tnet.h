// TNet: the library's one IPv4 UDP endpoint. The library owns two (command and watch).
// An endpoint resolves terminal address texts afresh for every datagram, sends one datagram,
// receives one together with its sender, tells whether datagrams wait, and carries a receive
// time-out. It has no lock of its own: the command endpoint is used under the command lock,
// the watch endpoint by the host's one watch thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

namespace vorskel {

class TNet {
 public:
  TNet();   // starts the socket library; holds no socket yet
  ~TNet();  // Close, then releases the socket library once
  TNet(const TNet&) = delete;
  TNet& operator=(const TNet&) = delete;

  // 0; -1 if a socket is already held; -3 if it cannot be created or broadcast enabled
  // (the failed handle still counts as held until Close).
  int Open();
  // 0; -1 if the host text cannot be resolved. Empty text is "any address".
  static int Resolve(const char* host, int port, platform::Ipv4Address* out);
  // 0; -1 if Resolve fails; -2 if the system refuses the bind.
  int Bind(const char* host, int port);
  // Bytes sent, or -1.
  int SendTo(const void* data, int length, const char* host, int port);
  int SendTo(const void* data, int length, const platform::Ipv4Address& to);
  // Datagram length (0 for an empty one), or -1 on time-out, closed socket, over-long
  // datagram (consumed and lost) or other failure. senderText (16 bytes) and senderPort are
  // written only for a non-empty datagram; either may be null.
  int ReceiveFrom(void* buffer, int room, char* senderText, int* senderPort);
  // Receives a datagram only if one already waits: its length (0 for an empty one),
  // platform::kNothingWaiting when none waits, or -1 on failure. Never blocks.
  int ReceiveWaiting(void* buffer, int room);
  int SetReceiveTimeout(int milliseconds);
  int ReceiveTimeout() const { return timeout_ms_.load(); }  // the last one set; 0 = for ever
  int PendingBytes();
  // 0 if no socket was held; otherwise the system's close result. Wakes a thread blocked in
  // ReceiveFrom on this endpoint, which then returns -1.
  int Close();

  bool HoldsSocket() const { return held_.load(std::memory_order_acquire); }
  int LocalPort();  // port the socket is bound to, 0 if none

 private:
  class Use;  // marks a socket operation under way, so Close can wait for it to leave

  std::atomic<platform::SocketHandle> socket_{platform::kInvalidSocket};
  std::atomic<bool> held_{false};
  std::atomic<int> users_{0};
  std::atomic<int> timeout_ms_{0};
};

}  // namespace vorskel
