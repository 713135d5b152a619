// One card registration as the controller stores it: 16 bytes, the same in a registration
// request and in a slot of the registration area.
#pragma once

#include <cstdint>

namespace vorskel::multidoor {

inline constexpr int kRegistrationBytes = 16;
inline constexpr std::uint8_t kSingleCard = 0xA1;
inline constexpr std::uint8_t kTwoCards = 0xA2;  // a double card, or a 66-bit card
inline constexpr std::uint8_t kRegistrationMarkMask = 0xF0;
inline constexpr std::uint8_t kRegistrationMark = 0xA0;  // high nibble of every type byte

// Byte positions within the 16 bytes.
enum RegistrationByte {
  kTypeAt = 0,
  kCardAt = 1,
  kSecondCardAt = 5,  // double cards; single cards keep the password here
  kPasswordAt = 5,
  kModeAt = 8,
  kIndexAt = 9,
  kDoorMaskAt = 10,  // 24-bit little-endian, bit i = channel i
  kYearAt = 13,      // year modulo 100
  kMonthAt = 14,
  kDayAt = 15,
};

// A card travels as 4 bytes; the host reads it back as facility (bytes 0-1, big-endian)
// and number (bytes 2-3, big-endian): "%03u%05u" into out (at least 9 bytes).
void facility_number_text(const std::uint8_t* card, char* out, int room);

// The door mask at kDoorMaskAt.
std::uint32_t door_mask(const std::uint8_t* registration);

}  // namespace vorskel::multidoor
