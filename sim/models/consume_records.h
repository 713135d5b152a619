// Stored records of the simulated payment terminals, in each terminal's layout, for loading
// into the record area (record_area.h: area 2 with the record pointers and total) or, for
// merchant records, into flash area 3. Also what the second-generation terminal does with
// a record written to it.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/model.h"
#include "sim/models/record_area.h"

namespace vorskel::sim {

inline constexpr std::uint8_t kValidFlag = 0xA0;  // high nibble of the flag byte
inline constexpr std::uint8_t kBrellMarker = 0x5A;

// 19 bytes: card, A, B, 1980 seconds, flag (mark | type), C (16 bits).
Bytes consumption_record(std::uint32_t card, std::uint32_t a, std::uint32_t b,
                         std::uint32_t seconds, std::uint8_t type, std::uint16_t c,
                         std::uint8_t mark = kValidFlag);
// 10 bytes: card (0: empty slot), 1980 seconds, value (16 bits).
Bytes short_consumption_record(std::uint32_t card, std::uint32_t seconds, std::uint16_t value);
// 22 bytes: card, A, B, 1980 seconds, flag (mark | type), D (byte), E.
Bytes second_generation_record(std::uint32_t card, std::uint32_t a, std::uint32_t b,
                               std::uint32_t seconds, std::uint8_t type, std::uint8_t d,
                               std::uint32_t e, std::uint8_t mark = kValidFlag);
// 16 bytes: card, F (16 bits), G, 1980 seconds, marker, H (byte).
Bytes brell_record(std::uint32_t card, std::uint16_t f, std::uint32_t g, std::uint32_t seconds,
                   std::uint8_t h, std::uint8_t marker = kBrellMarker);
// 8 bytes: number (24 bits, most significant byte first), flag (mark | type), 1980 seconds.
Bytes merchant_record(std::uint32_t number, std::uint8_t type, std::uint32_t seconds,
                      std::uint8_t mark = kValidFlag);

// Where each layout's slots sit in the record area: records back to back, pages of
// 26 x 19, 32 x 10, 23 x 22 and 32 x 16 bytes.
inline constexpr SlotGeometry kConsumptionSlots{19, 494, 26};
inline constexpr SlotGeometry kShortConsumptionSlots{10, 320, 32};
inline constexpr SlotGeometry kSecondGenerationSlots{22, 506, 23};
inline constexpr SlotGeometry kBrellSlots{16, 512, 32};

// Writes merchant records back to back into flash area 3 from address start and sets the
// start and end pointers around them. Call inside Simulator::with_model.
void load_merchant_records(Model& m, std::uint32_t start, const std::vector<Bytes>& records);

// Records written to a second-generation terminal (command 88), as received.
struct WrittenRecords {
  std::vector<Bytes> records;
};

}  // namespace vorskel::sim
