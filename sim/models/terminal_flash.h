// The simulated main terminal's flash beyond the two page areas of terminal_state.h: the area
// its second full dump reads, what page writes answer, and per-page silence for testing the
// dump's retries.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "sim/model.h"

namespace vorskel::sim {

inline constexpr std::size_t kFlashPageBytes = 512;

struct FlashDumpArea {  // served page by page by the 4-byte form of command 34
  static constexpr std::size_t kBytes = 512 * 1024;
  Bytes bytes = Bytes(kBytes, 0xFF);
};

struct FlashControl {
  // Page reads of a command code stay unanswered from this page on (address / 512), so a
  // dump sees a terminal that stops answering part-way.
  std::map<std::uint8_t, std::uint32_t> silent_from_page;
  // Status word page writes answer instead of the natural one (0 stored, 0xFFFF out of area).
  std::optional<std::uint16_t> forced_write_status;
  // Count the area-3 window read claims to deliver instead of the bytes it read.
  std::optional<std::uint16_t> forced_window_count;
  int init_count = 0;                     // flash initialisations received
  std::optional<std::uint8_t> wr2_value;  // last byte of the single-byte area-2 command
};

}  // namespace vorskel::sim
