// Diagnostics: an observer that sees every datagram the command transaction sends and
// receives. Tests and tools install one to look at the bytes on the wire; with none
// installed the cost is one relaxed load per datagram.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorskel {

enum class WireDirection { kSent, kReceived, kDiscarded };

using WireObserver = void (*)(void* context, WireDirection direction, const std::uint8_t* bytes,
                              std::size_t length, const char* host, int port);

void set_wire_observer(WireObserver observer, void* context);
void notify_wire(WireDirection direction, const std::uint8_t* bytes, std::size_t length,
                 const char* host, int port);

}  // namespace vorskel
