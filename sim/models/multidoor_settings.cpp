// The simulated multi-door controller's tables, settings and channel commands. A stored
// setting keeps the wire bytes written and echoes the request; its get command answers with
// the selector and the stored bytes (zeros until written).
#include <algorithm>

#include "sim/models/multidoor_state.h"

namespace vorskel::sim {
namespace {

struct StoredSetting {
  int set_code;
  int get_code;  // -1: no get command
  bool selector;
  std::size_t wire_bytes;
};

constexpr StoredSetting kStoredSettings[] = {
    {48, 49, true, 224},    // week time table
    {50, 51, true, 224},    // week open-time table
    {52, 53, false, 80},    // holiday table
    {54, 55, true, 32},     // holiday door table
    {66, 67, true, 2},      // way alarm flags
    {64, 65, true, 2},      // way pass flags
    {58, 107, true, 3},     // lock mask
    {56, 57, true, 33},     // way time segment set
    {62, 63, true, 4},      // door open password
    {60, 61, true, 6},      // linkage group
    {68, 69, false, 4},     // way timer
    {70, 71, false, 4},     // alarm password
    {89, -1, false, 44},    // print information
    {104, -1, true, 4},     // serial input format, by port
    {105, -1, true, 1},     // serial port use, by port
    {102, 103, false, 32},  // map table (its get carries 32 bytes the controller ignores)
};

Bytes payload_of(const Request& r) {
  return Bytes(r.datagram.begin() + 3, r.datagram.end());
}

Reply echo(FerrinController& c, Bytes reply) {
  if (c.corrupt_echo && !reply.empty()) reply[std::min(*c.corrupt_echo, reply.size() - 1)] ^= 1;
  return reply;
}

void install_settings(Model& m) {
  auto& c = m.part<FerrinController>();
  for (const StoredSetting& s : kStoredSettings) {
    m.on(static_cast<std::uint8_t>(s.set_code), [&c, s](const Request& r) -> Reply {
      const std::size_t at = s.selector ? 1 : 0;
      Bytes value(s.wire_bytes, 0);
      for (std::size_t i = 0; i < s.wire_bytes; ++i) value[i] = r.p8(at + i);
      c.stored[{s.set_code, s.selector ? r.p8(0) : 0}] = value;
      return echo(c, payload_of(r));
    });
    if (s.get_code < 0) continue;
    m.on(static_cast<std::uint8_t>(s.get_code), [&c, s](const Request& r) -> Reply {
      const int selector = s.selector ? r.p8(0) : 0;
      Bytes reply;
      if (s.selector) reply.push_back(static_cast<std::uint8_t>(selector));
      const Bytes* value = c.setting(s.set_code, selector);
      const Bytes none(s.wire_bytes, 0);
      const Bytes& v = value != nullptr ? *value : none;
      reply.insert(reply.end(), v.begin(), v.end());
      return reply;
    });
  }
  for (int code : {98, 99, 100, 101}) {  // open, hold open, close, clear alarm
    m.on(static_cast<std::uint8_t>(code), [&c, code](const Request& r) -> Reply {
      c.actions.emplace_back(code, r.p8(0));
      return echo(c, {r.p8(0)});
    });
  }
  m.on(97, [&c](const Request&) -> Reply {  // status of every channel from byte 1
    Bytes b(128, 0);
    std::copy(std::begin(c.status), std::end(c.status), b.begin() + 1);
    return b;
  });
}

const bool registered = register_family("ferrin", 20, install_settings);

}  // namespace
}  // namespace vorskel::sim
