#include "multidoor/door_registration.h"

#include <cstdio>

namespace vorskel::multidoor {

void facility_number_text(const std::uint8_t* card, char* out, int room) {
  const unsigned facility = (card[0] << 8) | card[1];
  const unsigned number = (card[2] << 8) | card[3];
  std::snprintf(out, static_cast<std::size_t>(room), "%03u%05u", facility, number);
}

std::uint32_t door_mask(const std::uint8_t* registration) {
  const std::uint8_t* m = registration + kDoorMaskAt;
  return m[0] | (m[1] << 8) | (static_cast<std::uint32_t>(m[2]) << 16);
}

}  // namespace vorskel::multidoor
