// Process-wide state of the library: the two endpoints, the two local ports, the command
// lock and the record-read lock. Created when the library is loaded, in this order: ports,
// command endpoint, watch endpoint, command lock, record-read lock; on unload the command
// endpoint is destroyed, then the watch endpoint. The locks live until the process ends.
#pragma once

#include <atomic>
#include <mutex>

#include "transport/tnet.h"

namespace vorskel {

inline constexpr int kDefaultCommandPort = 5102;
inline constexpr int kDefaultWatchPort = 5202;
inline constexpr int kCommandReceiveTimeoutMs = 6000;

// What a host sends to ask a terminal for reports: these 22 characters and a zero, 23 bytes.
inline constexpr char kWatchRequest[] = "watch to me 0123456789";
static_assert(sizeof kWatchRequest == 23);

struct Library {
  std::atomic<int> command_port{kDefaultCommandPort};
  std::atomic<int> watch_port{kDefaultWatchPort};
  TNet* command = nullptr;
  TNet* watch = nullptr;
  std::recursive_mutex* command_lock = nullptr;
  std::recursive_mutex* record_read_lock = nullptr;
};

Library& library();

// Process attach and detach. On Windows the DLL entry point calls them; elsewhere a static
// object of lifecycle.cpp does. Both are idempotent.
void library_attach();
void library_detach();

// The calling thread's command endpoint: the library's own, unless a context is in use on
// this thread (transport/channel.h).
TNet& command_endpoint();
inline TNet& watch_endpoint() {
  return *library().watch;
}

}  // namespace vorskel
