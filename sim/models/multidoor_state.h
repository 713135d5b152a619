// The simulated multi-door controller ("ferrin"): 24 door channels, the tables and settings
// it stores and echoes, a record area of 16-byte records stamped in seconds since 1980, and a
// registration area of 16-byte A1/A2 entries, both in flash area 2 behind the record and
// registration pointers of the main terminal's queries.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "sim/model.h"
#include "sim/models/terminal_state.h"

namespace vorskel::sim {

inline constexpr int kFerrinChannels = 24;
inline constexpr std::uint32_t kFerrinRecordAreaEnd = 0x30000;
inline constexpr std::uint32_t kFerrinRegistrationStart = 0x30000;
inline constexpr std::uint32_t kFerrinRegistrationAreaEnd = 0x40000;

struct FerrinController {
  // Every stored setting and table, as the wire bytes last written, keyed by the set
  // command's code and the selector (channel, table index or group; 0 when there is none).
  std::map<std::pair<int, int>, Bytes> stored;
  // Channel actions performed, in order: (command code, channel).
  std::vector<std::pair<int, int>> actions;
  // Status byte of each channel, reported by the status query.
  std::uint8_t status[kFerrinChannels] = {};
  // Fault switch: when set, every echo comes back with bit 0 of this payload byte flipped
  // (the last byte when the echo is shorter).
  std::optional<std::size_t> corrupt_echo;

  const Bytes* setting(int set_code, int selector = 0) const {
    auto it = stored.find({set_code, selector});
    return it == stored.end() ? nullptr : &it->second;
  }
};

// Seconds since 1980-01-01 00:00:00 of a calendar time, as the controller stamps records.
std::uint32_t ferrin_seconds(int year, int month, int day, int hour, int minute, int second);

// One 16-byte record: time stamp, two 4-byte cards, event bytes A and B at 14 and 15.
Bytes ferrin_record(std::uint32_t seconds, const Bytes& card1, const Bytes& card2,
                    std::uint8_t event_a, std::uint8_t event_b);

// Empties the record area (erased flash, start = end = 0, total 0) and places the
// registration area after it.
void ferrin_format(Model& m);

}  // namespace vorskel::sim
