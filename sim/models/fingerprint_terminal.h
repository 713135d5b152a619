// The simulated fingerprint terminal ("pirrel"): registrations with templates in the
// registration store (30-byte slots), a scanner that hands out the next template, and the
// operating values the host sets.
#pragma once

#include <cstdint>
#include <optional>

#include "sim/model.h"

namespace vorskel::sim {

struct FingerprintTerminal {
  // What the next scan (command 128) answers: a template, or status 1 ("no finger").
  std::optional<Bytes> next_scan;
  int security_level = 0;
  Bytes work_type;  // mode and four bytes, as last sent
  Bytes speech;     // two bytes, as last sent
};

inline constexpr int kFingerSlot = 30;
inline constexpr std::uint16_t kNoTemplate = 238;         // read-back of a card without template
inline constexpr std::uint16_t kTemplateRejected = 0xFE;  // a template whose CRC-16 is wrong

}  // namespace vorskel::sim
