// The simulated main terminal's blacklist: 5-byte entries (card bytes, then a byte of two
// nibbles) back to back, ended by FF FF FF FF; removed entries keep their place, marked
// 0xEF in the nibble byte.
#pragma once

#include <cstdint>

#include "sim/model.h"

namespace vorskel::sim {

struct Blacklist {
  static constexpr std::size_t kEntry = 5;
  static constexpr std::size_t kCapacity = 65536 + 500;  // reads past the list see FF
  Bytes memory = Bytes(kCapacity, 0xFF);

  // Appends or updates a card's entry; false when the list is full.
  bool add(const std::uint8_t card[4], std::uint8_t nibbles);
  bool remove(const std::uint8_t card[4]);
  std::size_t end_entry() const;  // index of the end mark
};

inline constexpr std::uint8_t kBlacklistRemoved = 0xEF;

}  // namespace vorskel::sim
