// The fingerprint template as the terminal and the card image carry it.
#pragma once

#include <cstdint>

#include "transport/crc16.h"

namespace vorskel::registry {

inline constexpr int kTemplateBytes = 256;
// A template the terminal accepts begins with the 16-bit value 0x0203 (bytes 03 02).
inline constexpr std::uint8_t kTemplateMark[2] = {0x03, 0x02};

inline std::uint16_t template_crc(const std::uint8_t* t) {
  return crc16(t, kTemplateBytes);
}

}  // namespace vorskel::registry
