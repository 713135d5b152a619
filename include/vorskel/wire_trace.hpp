// Vorskel's C++ interface: watching the command datagrams on the wire, for diagnostics (the
// vorskel tool's --debug, tests that look at the bytes).
//
// One observer for the whole process sees every command datagram of every context: each
// request as it is sent (a retry is sent, and seen, again), each reply taken as the answer,
// and each stale datagram thrown away before a request (discarded; its sender is not known,
// so host is "" and port 0). bytes are the whole frame, checksum included, valid only during
// the call.
//
// Threads: the observer runs on the thread that runs the transaction, under its context's
// command lock, so it must be quick and must not call the library. Observers of transactions
// on different contexts may run at the same time. With no observer installed the cost is one
// load per datagram.
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
