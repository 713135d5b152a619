// The main terminal's blacklist commands: changes (21) and block reads (56).
#include "sim/models/blacklist.h"

#include <algorithm>
#include <cstring>

namespace vorskel::sim {

std::size_t Blacklist::end_entry() const {
  std::size_t i = 0;
  while ((i + 1) * kEntry <= memory.size() &&
         !(memory[i * kEntry] == 0xFF && memory[i * kEntry + 1] == 0xFF &&
           memory[i * kEntry + 2] == 0xFF && memory[i * kEntry + 3] == 0xFF))
    ++i;
  return i;
}

bool Blacklist::add(const std::uint8_t card[4], std::uint8_t nibbles) {
  const std::size_t end = end_entry();
  for (std::size_t i = 0; i < end; ++i) {
    if (std::memcmp(&memory[i * kEntry], card, 4) == 0 &&
        memory[i * kEntry + 4] != kBlacklistRemoved) {
      memory[i * kEntry + 4] = nibbles;
      return true;
    }
  }
  if ((end + 2) * kEntry > memory.size()) return false;  // room for it and the end mark
  std::memcpy(&memory[end * kEntry], card, 4);
  memory[end * kEntry + 4] = nibbles;
  return true;
}

bool Blacklist::remove(const std::uint8_t card[4]) {
  const std::size_t end = end_entry();
  for (std::size_t i = 0; i < end; ++i) {
    if (std::memcmp(&memory[i * kEntry], card, 4) == 0) {
      memory[i * kEntry + 4] = kBlacklistRemoved;
      return true;
    }
  }
  return false;
}

namespace {

// Operation codes: 1 adds a card, 0x0A removes it, 0x0B empties the list; the terminal
// answers every change with the operation code.
constexpr std::uint8_t kAdd = 1;
constexpr std::uint8_t kRemove = 0x0A;
constexpr std::uint8_t kClear = 0x0B;
constexpr std::size_t kAslkLen = 8;

void install_blacklist(Model& m) {
  auto& list = m.part<Blacklist>();
  m.on(21, [&list](const Request& r) -> Reply {
    const std::uint8_t card[4] = {r.p8(1), r.p8(2), r.p8(3), r.p8(4)};
    // Both card forms carry value 1 at [5] and value 2's low byte at [6].
    const auto nibbles = static_cast<std::uint8_t>(((r.p8(5) & 0x0F) << 4) | (r.p8(6) & 0x0F));
    switch (r.p8(0)) {
      case kAdd:
        list.add(card, nibbles);
        break;
      case kRemove:
        list.remove(card);
        break;
      case kClear:
        std::fill(list.memory.begin(), list.memory.end(), 0xFF);
        break;
      default:
        break;
    }
    Bytes b(r.payload_size() == kAslkLen ? kAslkLen : 11, 0);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = r.p8(i);
    return b;
  });
  m.on(56, [&list](const Request& r) -> Reply {
    const std::uint32_t address = r.p32(0);
    const std::uint16_t length = r.p16(4);
    Bytes b(2 + length, 0xFF);
    put16(b, 0, length);
    for (std::size_t i = 0; i < length && address + i < list.memory.size(); ++i)
      b[2 + i] = list.memory[address + i];
    return b;
  });
}

const bool registered = register_family("vorsk", 25, install_blacklist);

}  // namespace
}  // namespace vorskel::sim
