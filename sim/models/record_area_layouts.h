// Record generators for the simulated record area: stored records of every layout the
// main terminal family writes, valid and invalid slots, erased flash, and series of records
// spread over several days, for tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/model.h"
#include "sim/models/record_area.h"

namespace vorskel::sim {

struct Stamp {
  int year = 2009, month = 5, day = 1, hour = 8, minute = 0, second = 0;
};

// Seconds since 1980-01-01 00:00:00 (the time stamps of the newer layouts).
std::uint32_t seconds_1980(const Stamp& s);
// The stamp `seconds` later (seconds may span days and months).
Stamp later(const Stamp& s, std::uint32_t seconds);

Bytes erased(std::size_t n);

// Attendance record (16 bytes): card text 0-7, status 9, year-1900, 0xA mark and month, day,
// hour, minute, second.
Bytes standard_record(const std::string& card8, std::uint8_t status, const Stamp& at);
// The same with a 32-bit card number in bytes 0-3.
Bytes card32_record(std::uint32_t card, std::uint8_t status, const Stamp& at);
// Password change (16 bytes): card, 1980 seconds, second number, A1 A1 A1 A1.
Bytes password_change_record(std::uint32_t card, std::uint32_t seconds, std::uint32_t second);
// Short record (10 bytes): card bytes 0-3, year-1900, 0xA mark and month, day, h, m, s.
Bytes short_record(std::uint32_t card_be, const Stamp& at);
// Flow record (18 bytes): the 28 low bits of value go to bytes 4-7 under the 0xA mark; the
// other 14 bytes are filled from fill.
Bytes flow_record(std::uint32_t value, std::uint8_t fill);
// Disposal record (21 bytes): card, 1980 seconds, values A B C, flag.
Bytes disposal_record(std::uint32_t card, std::uint32_t seconds, std::uint32_t a, std::uint32_t b,
                      std::uint32_t c, std::uint8_t flag = 0xE0);

enum class RecordKind { kStandard, kCard32, kPasswordChange, kShort, kFlow, kDisposal };

// Where this kind's slots sit in flash.
SlotGeometry geometry_of(RecordKind kind);
// The terminal's own test of a slot of this kind.
bool holds_record(RecordKind kind, const Bytes& slot);

struct SeriesOptions {
  std::size_t count = 0;
  Stamp first{};
  std::uint32_t step_seconds = 3 * 3600 + 17;  // time between records: several a day
  std::size_t invalid_every = 0;               // every n-th slot is invalid (0: none)
  std::uint32_t seed = 1;                      // varies cards, statuses and values
};
// count slots, oldest first; the invalid ones are slots the terminal wrote but marked as
// not a record (a different mark), never valid by accident.
std::vector<Bytes> record_series(RecordKind kind, const SeriesOptions& options);

}  // namespace vorskel::sim
