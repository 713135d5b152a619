// The main terminal's flash: page reads and writes of areas 2 and 3, the fingerprint model's
// area-3 window, the pages of the second full dump, and the flash initialisation commands.
#include "sim/models/terminal_flash.h"

#include <algorithm>

#include "sim/models/card_reader.h"
#include "sim/models/terminal_state.h"

namespace vorskel::sim {
namespace {

constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kOutOfArea = 0xFFFF;
constexpr std::size_t kWindowMax = 256;
constexpr std::size_t kWindowReplyBytes = 512;

bool silenced(const FlashControl& control, std::uint8_t code, std::uint32_t address) {
  auto it = control.silent_from_page.find(code);
  return it != control.silent_from_page.end() && address / kFlashPageBytes >= it->second;
}

Reply read_page(const Bytes& area, const FlashControl& control, const Request& r) {
  if (silenced(control, r.code(), r.p32(0))) return std::nullopt;
  return read_area(area, r.p32(0), kFlashPageBytes);
}

// Stores n bytes of the request from payload offset `from` at address; false (nothing
// stored) when they would not fit in the area.
bool store(Bytes& area, std::uint32_t address, const Request& r, std::size_t from, std::size_t n) {
  if (address > area.size() || n > area.size() - address) return false;
  for (std::size_t i = 0; i < n; ++i) area[address + i] = r.p8(from + i);
  return true;
}

Reply write_page(Bytes& area, const FlashControl& control, const Request& r) {
  const bool ok = store(area, r.p32(0), r, 6, r.p16(4));
  Bytes b(2, 0);
  put16(b, 0, control.forced_write_status.value_or(ok ? kStored : kOutOfArea));
  return b;
}

// Command 37: [0..3] address, [4..5] count, [6..7] read flag, [8..] data.
Reply window(Bytes& area3, const FlashControl& control, const Request& r) {
  const std::uint32_t address = r.p32(0);
  const std::size_t n = std::min<std::size_t>(r.p16(4), kWindowMax);
  Bytes b(kWindowReplyBytes, 0);
  put32(b, 0, address);
  put16(b, 4, static_cast<std::uint32_t>(n));
  put16(b, 6, r.p16(6));
  if (r.p16(6) != 0) {
    const std::size_t available = address < area3.size() ? area3.size() - address : 0;
    const std::size_t delivered = std::min(n, available);
    const Bytes data = read_area(area3, address, delivered);
    std::copy(data.begin(), data.end(), b.begin() + 8);
    put16(b, 4, control.forced_window_count.value_or(static_cast<std::uint16_t>(delivered)));
  } else {
    store(area3, address, r, 8, n);
  }
  return b;
}

void install(Model& m) {
  auto& flash = m.part<FlashAreas>();
  auto& dump = m.part<FlashDumpArea>();
  auto& control = m.part<FlashControl>();
  auto& reader = m.part<CardReader>();

  m.on(4, [&](const Request& r) { return read_page(flash.area2, control, r); });
  m.on(53, [&](const Request& r) { return read_page(flash.area3, control, r); });
  m.on(55, [&](const Request& r) { return write_page(flash.area2, control, r); });
  m.on(54, [&](const Request& r) { return write_page(flash.area3, control, r); });
  m.on(37, [&](const Request& r) { return window(flash.area3, control, r); });
  m.on(34, [&](const Request& r) -> Reply {
    if (r.payload_size() == 2) return stop_write(reader);
    return read_page(dump.bytes, control, r);
  });
  m.on(5, [&](const Request&) -> Reply {
    std::fill(flash.area2.begin(), flash.area2.end(), 0xFF);
    std::fill(flash.area3.begin(), flash.area3.end(), 0xFF);
    ++control.init_count;
    return Bytes{};
  });
  m.on(144, [&](const Request& r) -> Reply {
    control.wr2_value = r.p8(0);
    return Bytes{};
  });
}

// After terminal_basics (order 10): these page reads replace its plain ones with ones that
// honour the per-page silence of FlashControl.
const bool registered = register_family("vorsk", 20, install);

}  // namespace

}  // namespace vorskel::sim
