// What the real-time report functions need of the records subsystem: the 1980 calendar of
// the terminals' time stamps, and the records directory that every record reader makes sure
// of before it starts (the report functions write no record file, but hosts look for the
// directory after any of them ran).
#pragma once

#include <cstdint>

namespace vorskel::reports {

// Calendar fields of a terminal time stamp (seconds since 1980-01-01 00:00:00).
struct TimeFields {
  int second = 0, minute = 0, hour = 0;
  int day = 1, month = 1;
  int year = 1980;  // full year, 1980 to 2116
  int weekday = 2;  // 0 = Sunday; 1980-01-01 was a Tuesday
};

TimeFields from_1980_seconds(std::uint32_t seconds);

// Creates "records" in the current directory when it is missing (one level). Failure is
// silent: the callers' results never depend on it.
void ensure_records_directory();

}  // namespace vorskel::reports
