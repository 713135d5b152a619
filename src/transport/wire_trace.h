// Diagnostics: the library's side of the wire observer (include/vorskel/wire_trace.hpp), told
// of every datagram the command transaction and the watch endpoint send, receive or throw
// away.
#pragma once

#include "vorskel/wire_trace.hpp"

namespace vorskel {

void notify_wire(WireDirection direction, const std::uint8_t* bytes, std::size_t length,
                 const char* host, int port);

}  // namespace vorskel
