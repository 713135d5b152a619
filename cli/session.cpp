#include "cli/session.h"

#include <cstdio>
#include <string>

#include "cli/errors.h"
#include "vorskel.h"
#include "vorskel/context.hpp"
#include "vorskel/wire_trace.hpp"

namespace vorskel::cli {
namespace {

// One line per datagram, written in one call so lines of different threads do not mix:
// "wire sent 127.0.0.1:5200 9 bytes: 3A 1F 0B ...". A discarded datagram's sender is not
// known ("-").
void print_datagram(void*, WireDirection direction, const std::uint8_t* bytes, std::size_t length,
                    const char* host, int port) {
  // Appends only: g++ 12 at -O3 reports a false -Wrestrict in operator+ of a literal and a
  // temporary string.
  std::string line = "wire ";
  line += wire_direction_name(direction);
  line += ' ';
  if (host != nullptr && *host != '\0') {
    line += host;
    line += ':';
    line += std::to_string(port);
  } else {
    line += '-';
  }
  line += ' ';
  line += std::to_string(length);
  line += " bytes:";
  char b[4];
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(b, sizeof b, " %02X", bytes[i]);
    line += b;
  }
  line += '\n';
  std::fputs(line.c_str(), stderr);
}

}  // namespace

Session::Session(const Options& options) : format_(parse_format(options.format)) {
  Sondo_Bind_Port(options.cmd_port, options.watch_port);
  Vorsk_OpenSocket();
  // The exports run on the process context; its time-out is the one every reply waits for.
  Context::process().set_receive_timeout(options.timeout_ms);
  set_reply_timeout_ms(options.timeout_ms);
  if (options.debug) set_wire_observer(print_datagram, nullptr);
}

Session::~Session() {
  set_wire_observer(nullptr, nullptr);
  Vorsk_CloseWatch();
  Vorsk_CloseSocket();
}

}  // namespace vorskel::cli
