// The payment terminals' settings: each setting command is kept as it was received and
// answered with its own payload; the queries answer from what the setters stored.
#include <algorithm>

#include "sim/models/consume_state.h"
#include "sim/models/terminal_state.h"

namespace vorskel::sim {
namespace {

// Setting commands every payment terminal answers with its payload.
constexpr std::uint8_t kPlainSettings[] = {85, 86, 87, 7, 80, 81, 82, 83, 84, 92, 20};
constexpr std::uint8_t kSetPointMode = 90, kGetPointMode = 91;
constexpr std::uint8_t kSetDevice = 8, kGetDevice = 9;
constexpr std::uint8_t kSetPrintInfo = 89;
constexpr std::uint8_t kSetCostMul = 122, kGetCostMul = 123;
constexpr std::uint8_t kSetCardMask = 124, kGetCardMask = 125;
constexpr std::size_t kDeviceBytes = 20;
constexpr std::size_t kBrellBytes = 32;

void keep(Model& m, std::uint8_t code) {
  auto& s = m.part<ConsumeSettings>();
  m.on(code, [&s](const Request& r) -> Reply {
    s.received[r.code()] = r.payload();
    return r.payload();
  });
}

void install_common(Model& m) {
  auto& s = m.part<ConsumeSettings>();
  for (std::uint8_t code : kPlainSettings) keep(m, code);
  m.on(kSetPointMode, [&s](const Request& r) -> Reply {
    s.received[r.code()] = r.payload();
    s.point_mode = r.p8(0);
    return r.payload();
  });
  m.on(kGetPointMode, [&s](const Request&) -> Reply { return Bytes{s.point_mode}; });
  m.on(kSetDevice, [&s](const Request& r) -> Reply {
    s.received[r.code()] = r.payload();
    for (std::size_t i = 0; i < kDeviceBytes; ++i) s.device[i] = r.p8(i);
    return r.payload();
  });
  m.on(kGetDevice, [&s](const Request&) -> Reply { return s.device; });
}

void install_second_generation(Model& m) {
  keep(m, kSetPrintInfo);
}

void install_brell(Model& m) {
  auto& s = m.part<ConsumeSettings>();
  m.on(kSetCostMul, [&s](const Request& r) -> Reply {
    s.received[r.code()] = r.payload();
    for (std::size_t i = 0; i < kBrellBytes; ++i) s.cost_mul[i] = r.p8(i);
    return r.payload();
  });
  m.on(kGetCostMul, [&s](const Request& r) -> Reply {
    s.received[r.code()] = r.payload();
    return s.cost_mul;
  });
  m.on(kSetCardMask, [&s](const Request& r) -> Reply {
    s.received[r.code()] = r.payload();
    s.card_mask = r.p32(0);
    return r.payload();
  });
  m.on(kGetCardMask, [&s](const Request& r) -> Reply {
    s.received[r.code()] = r.payload();
    Bytes b(kBrellBytes, 0);
    put32(b, 0, s.card_mask);
    return b;
  });
}

// The clock, record counters and page reads of the main terminal come first (order 10).
const bool nemmar_basics = register_family("nemmar", 10, install_terminal_basics);
const bool v2_basics = register_family("nemmarv2", 10, install_terminal_basics);
const bool brell_basics = register_family("brell", 10, install_terminal_basics);
const bool nemmar_settings = register_family("nemmar", 20, install_common);
const bool v2_settings = register_family("nemmarv2", 20, install_common);
const bool v2_print = register_family("nemmarv2", 21, install_second_generation);
const bool brell_settings = register_family("brell", 20, install_common);
const bool brell_own = register_family("brell", 21, install_brell);

}  // namespace
}  // namespace vorskel::sim
