// State of the simulated main terminal's settings: what its setters store and its getters
// report (identity, version, addresses, greetings, card keys, other settings, system
// parameters, time tables, alarm clock, display messages, status words).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sim/model.h"

namespace vorskel::sim {

struct TerminalSettings {
  // Identity (commands 8 and 9) and version text (command 10).
  std::array<std::uint8_t, 8> identity{};
  std::uint8_t device_byte = 0;
  std::uint32_t device_value = 0;
  std::string version = "VORSK SIM V3.20";

  std::array<std::uint8_t, 80> network{};    // four 20-byte address fields (command 1)
  std::array<std::uint8_t, 32> greetings{};  // two 16-byte greeting texts (command 7)
  std::uint8_t work_area = 0;                // command 64

  // Card-key blocks: kept only when their CRC-16 is right, as the terminal does. The current
  // block is what the system parameters report at offset 80.
  std::array<std::uint8_t, 16> card_keys{};
  std::array<std::uint8_t, 16> old_card_keys{};
  int rejected_key_blocks = 0;

  std::array<std::uint8_t, 11> other{};  // the other-settings buffer (command 28)
  std::uint32_t door_password = 0;       // command 40

  // The system-parameter blocks around the card keys. Block B is kept in the terminal's own
  // layout, with two 16-bit numbers at the odd offsets 61 and 63.
  std::array<std::uint8_t, 80> block_a{};
  std::array<std::uint8_t, 65> block_b{};
  void set_block_b_numbers(std::uint16_t first, std::uint16_t second) {
    block_b[61] = static_cast<std::uint8_t>(first);
    block_b[62] = static_cast<std::uint8_t>(first >> 8);
    block_b[63] = static_cast<std::uint8_t>(second);
    block_b[64] = static_cast<std::uint8_t>(second >> 8);
  }

  // 34-byte tables as sent; a time table is named by both header values, the alarm clock by
  // the first.
  std::map<std::pair<std::uint8_t, std::uint8_t>, Bytes> time_tables;
  std::map<std::uint8_t, Bytes> alarm_clocks;

  // Signed 16-bit statuses the terminal answers the door password (command 52) and outgoing
  // messages (command 39) with.
  std::int16_t door_status = 0;
  std::int16_t outgo_status = 0;

  // The last payload of every plain setting and message, by command code (for code 29 the
  // 64-byte and the long message both land here).
  std::map<std::uint8_t, Bytes> last;
  std::vector<std::uint8_t> clears;  // sub-commands of command 15, in order
  int resets = 0;
  int factory_resets = 0;
};

void install_terminal_commands(Model& m);

}  // namespace vorskel::sim
