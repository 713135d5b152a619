// The main terminal's clock, record counters and flash page reads.
#include "sim/models/terminal_state.h"

namespace vorskel::sim {

Bytes read_area(const Bytes& area, std::uint32_t address, std::size_t n) {
  Bytes out(n, 0xFF);
  for (std::size_t i = 0; i < n && address + i < area.size(); ++i) out[i] = area[address + i];
  return out;
}

void install_terminal_basics(Model& m) {
  auto& clock = m.part<TerminalClock>();
  auto& counters = m.part<RecordCounters>();

  m.on(3, [&clock](const Request& r) -> Reply {  // set time
    clock.second = r.p8(0);
    clock.minute = r.p8(1);
    clock.hour = r.p8(2);
    clock.day = r.p8(3);
    clock.month = r.p8(4);
    clock.year = 1900 + r.p8(5);
    clock.weekday = r.p8(6);
    clock.set = true;
    return r.payload();
  });
  m.on(11, [&counters](const Request&) -> Reply {  // record total and second count
    Bytes b(32, 0);
    put16(b, 0, counters.record_total);
    put16(b, 2, counters.second_count);
    return b;
  });
  m.on(18, [&counters](const Request&) -> Reply {  // record and registration pointers
    Bytes b(32, 0);
    put32(b, 0, counters.start);
    put32(b, 4, counters.end);
    put32(b, 8, counters.area_end);
    b[12] = 0xA5;  // not the cycle byte: readers must take [13]
    b[13] = counters.cycle;
    put32(b, 16, counters.registration[0]);
    put32(b, 20, counters.registration[1]);
    put32(b, 24, counters.registration[2]);
    return b;
  });
}

}  // namespace vorskel::sim

namespace vorskel::sim {
namespace {
const bool registered = register_family("vorsk", 10, install_terminal_basics);
}
}  // namespace vorskel::sim
