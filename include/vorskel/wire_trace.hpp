// Vorskel's C++ interface: watching the datagrams on the wire, for diagnostics (the vorskel
// tool's --debug, tests that look at the bytes).
//
// One observer for the whole process sees every command datagram of every context: each
// request as it is sent (a retry is sent, and seen, again), each reply taken as the answer,
// and each stale datagram thrown away before a request (discarded; its sender is not known,
// so host is "" and port 0). It also sees the watch endpoint's traffic: the request to
// report, each datagram a watch call receives (the sender as the call reports it: host ""
// when the caller did not ask for it) and the acknowledgements sent back. bytes are the whole
// datagram, checksum included, valid only during the call.
//
// Threads: the observer runs on the thread that sends or receives (for a command, under its
// context's command lock), so it must be quick and must not call the library. It may run on
// several threads at the same time (contexts, a watch thread). With no observer installed the cost
// is one load per datagram.
//
// Linking: in the static library `vorskel_cxx`, as context.hpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorskel {

enum class WireDirection { kSent, kReceived, kDiscarded };

using WireObserver = void (*)(void* context, WireDirection direction, const std::uint8_t* bytes,
                              std::size_t length, const char* host, int port);

// Installs observer (with context passed back to it); nullptr removes it. Installing another
// observer while a transaction runs is safe: the one under way finishes with the observer it
// found.
void set_wire_observer(WireObserver observer, void* context);

// "sent", "received" or "discarded".
const char* wire_direction_name(WireDirection direction);

}  // namespace vorskel
