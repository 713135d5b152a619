// State of the simulated main terminal that several command families share: its clock,
// record counters and pointers, and flash areas that behave like memory.
#pragma once

#include <cstdint>

#include "sim/model.h"

namespace vorskel::sim {

struct TerminalClock {
  int second = 0, minute = 0, hour = 0, day = 1, month = 1, year = 2000, weekday = 6;
  bool set = false;
};

struct RecordCounters {
  std::uint32_t record_total = 0;
  std::uint32_t second_count = 0;
  std::uint32_t start = 0, end = 0, area_end = 0;  // record pointers
  std::uint8_t cycle = 0;                          // cycle byte (reply byte 13)
  std::uint32_t registration[3] = {0, 0, 0};       // registration pointers
};

struct FlashAreas {
  static constexpr std::size_t kArea2 = 256 * 1024;
  static constexpr std::size_t kArea3 = 512 * 1024;
  Bytes area2 = Bytes(kArea2, 0xFF);
  Bytes area3 = Bytes(kArea3, 0xFF);
};

// Bytes [address, address + n) of an area, 0xFF beyond its end (erased flash).
Bytes read_area(const Bytes& area, std::uint32_t address, std::size_t n);

void install_terminal_basics(Model& m);  // clock, counters, page reads

}  // namespace vorskel::sim
