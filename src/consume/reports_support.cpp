#include "consume/reports_support.h"

#include <string>

#include "platform/platform.h"

namespace vorskel::reports {

namespace {

constexpr std::uint32_t kSecondsPerDay = 86400;
constexpr int kEpochYear = 1980;
constexpr int kEpochWeekday = 2;  // Tuesday

bool leap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

TimeFields from_1980_seconds(std::uint32_t seconds) {
  static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  TimeFields t;
  std::uint32_t days = seconds / kSecondsPerDay;
  const std::uint32_t rest = seconds % kSecondsPerDay;
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest % 3600 / 60);
  t.second = static_cast<int>(rest % 60);
  t.weekday = static_cast<int>((days + kEpochWeekday) % 7);
  t.year = kEpochYear;
  for (;;) {
    const std::uint32_t len = leap(t.year) ? 366 : 365;
    if (days < len) break;
    days -= len;
    ++t.year;
  }
  t.month = 1;
  for (int m = 0; m < 12; ++m) {
    const std::uint32_t len = static_cast<std::uint32_t>(kMonthDays[m] + (m == 1 && leap(t.year)));
    if (days < len) break;
    days -= len;
    ++t.month;
  }
  t.day = static_cast<int>(days) + 1;
  return t;
}

void ensure_records_directory() {
  const std::string dir = platform::current_directory() + platform::kPathSeparator + "records";
  if (!platform::directory_exists(dir)) (void)platform::create_directory(dir);
}

}  // namespace vorskel::reports
