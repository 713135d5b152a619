// The simulated terminals' registration store. Registrations live where the dumps find
// them: in flash area 2, slot i (oldest first) at start + 16 + i * slot size, with the
// registration pointers of the record-pointer query saying end = start + n * slot size
// ([0]) and start ([2]). A registration command stores, removes or reads back a slot there,
// so the pointers, the flash and the command answers always agree.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "sim/model.h"

namespace vorskel::sim {

struct RegistrationArea {
  static constexpr std::uint32_t kDefaultStart = 0x20000;  // upper half of area 2
  static constexpr std::uint32_t kSlotLead = 16;           // first slot 16 bytes after start
  int slot_size = 32;
  // Fingerprint templates by card number (fingerprint terminal only).
  std::map<std::uint32_t, Bytes> templates;
};

// The terminal's answer in the type field when a read-back finds no such card.
inline constexpr std::uint16_t kNotRegistered = 0xFF;

// Sets the slot size and an empty area at start (pointers and erased flash).
void place_registration_area(Model& m, int slot_size, std::uint32_t start);
std::size_t registration_count(Model& m);
Bytes registration_slot(Model& m, std::size_t index);  // index 0 = oldest
// The slot of card number card1 (first four bytes, little-endian), if stored.
std::optional<std::size_t> find_registration(Model& m, std::uint32_t card1);
// Replaces the slot of the same card, or appends a new one (slot bytes beyond the given
// ones are zero). Returns false when the area is full.
bool store_registration(Model& m, const Bytes& slot);
// Appends a slot as given, even an empty or duplicate one (tests lay out areas with it).
bool append_slot(Model& m, const Bytes& slot);
// Empties the slot of a card (its card bytes become zero); false if it is not stored.
bool remove_registration(Model& m, std::uint32_t card1);

}  // namespace vorskel::sim
