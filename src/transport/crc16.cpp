#include "transport/crc16.h"

#include <array>

namespace vorskel {
namespace {

constexpr std::array<std::uint16_t, 256> make_table() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned reg = i << 8;
    for (int bit = 0; bit < 8; ++bit) reg = (reg & 0x8000u) ? (reg << 1) ^ 0x1021u : reg << 1;
    table[i] = static_cast<std::uint16_t>(reg);
  }
  return table;
}

constexpr auto kTable = make_table();
static_assert(kTable[1] == 0x1021 && kTable[2] == 0x2042);

}  // namespace

std::uint16_t crc16(const std::uint8_t* data, std::size_t length) {
  unsigned reg = 0;
  for (std::size_t i = 0; i < length; ++i)
    reg = ((reg << 8) ^ kTable[((reg >> 8) ^ data[i]) & 0xFFu]) & 0xFFFFu;
  return static_cast<std::uint16_t>(reg);
}

}  // namespace vorskel
