// The simulated terminal's contactless card reader: one card on the reader, a pending block
// write, the raw pass-through, and the card-block reports it sends to the watching host.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "sim/model.h"

namespace vorskel::sim {

// Status words the simulated card operations answer.
inline constexpr std::uint16_t kCardOk = 0;
inline constexpr std::uint16_t kNoCard = 0xFFFF;    // -1
inline constexpr std::uint16_t kWrongKey = 0xFFFE;  // -2

struct CardReader {
  bool card_present = true;
  std::array<std::uint8_t, 4> serial{0x1A, 0x2B, 0x3C, 0x4D};
  std::array<std::uint8_t, 6> key{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
  Bytes blocks = Bytes(64, 0);      // the sector the card operations read and write
  std::uint8_t report_block = 20;   // block byte of the report after a card-block write
  std::optional<Bytes> pending;     // a card-block write waiting for its card (16 bytes)
  std::uint16_t write_status = 0;   // forced status of the card-block write (0 = natural)
  std::uint16_t stop_status = 0;    // status of the stop command
  std::optional<Bytes> com_answer;  // the reader's pass-through answer; unset: echo the data
  std::optional<std::uint8_t> reader_setting;
};

// A card-block report as the terminal sends it: block byte, 16 data bytes, serial at 64,
// marker CD AB at 68, CRC-16 of bytes 0..69 at 70 (low byte first). 72 bytes.
Bytes card_block_report(std::uint8_t block, const std::uint8_t* data16,
                        const std::uint8_t* serial4);

// The 2-byte form of command 34 (cancel a pending card-block write); its 4-byte form is a
// flash page read, so one handler serves both.
Reply stop_write(CardReader& reader);

void install_card_reader(Model& m);

}  // namespace vorskel::sim
