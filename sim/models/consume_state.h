// State of the simulated payment terminals (models "nemmar", "nemmarv2" and "brell"): the
// settings they were sent, their card and merchant registries, and the amounts of money
// they were shown. Their records live in the record area of terminal_state.h (area 2 with
// the record pointers and total of RecordCounters).
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "sim/model.h"

namespace vorskel::sim {

struct ConsumeSettings {
  std::map<std::uint8_t, Bytes> received;  // the last payload of each setting command
  std::uint8_t point_mode = 0;
  Bytes device = Bytes(20, 0);  // name 0-7, first value 15, second value 16
  Bytes cost_mul = Bytes(32, 0);
  std::uint32_t card_mask = 0;
};

// Status words the registries answer: 0 done, kRegistryMissing for an unknown card.
inline constexpr std::uint16_t kRegistryMissing = 0xFFFF;

struct ConsumeRegistry {
  struct Values {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
  };
  std::map<std::uint32_t, Values> cards;       // the registry with two values a card
  std::map<std::uint32_t, bool> ids;           // the registry of 10-digit card numbers
  std::map<std::uint32_t, Bytes> brell;        // Brell entries as sent, by card number
  std::map<std::uint32_t, Bytes> merchants;    // merchant entries: payload bytes 4-8
  std::optional<std::uint16_t> forced_status;  // answered instead of the natural status
};

struct MoneyShown {
  Bytes last;  // the payload of the last amount command
  int count = 0;
};

}  // namespace vorskel::sim
