// The terminals' time stamps: seconds since 1980-01-01 00:00:00, turned into the calendar
// fields the decoders print (their texts: date_text and time_text in number_text.h).
#pragma once

#include <cstdint>

namespace vorskel::records {

// Calendar fields of one time stamp, in the order the terminals use them.
struct TimeFields {
  std::uint8_t second = 0;   // 0..59
  std::uint8_t minute = 0;   // 0..59
  std::uint8_t hour = 0;     // 0..23
  std::uint8_t day = 1;      // 1..31
  std::uint8_t month = 1;    // 1..12
  std::uint8_t year = 80;    // year - 1900: 80 for 1980, 216 for 2116
  std::uint8_t weekday = 2;  // 0 = Sunday; 1980-01-01 was a Tuesday
  int full_year() const { return 1900 + year; }
};

// Any 32-bit count converts: the range runs to 2116-02-07 06:28:15.
TimeFields from_1980_seconds(std::uint32_t seconds);

}  // namespace vorskel::records
