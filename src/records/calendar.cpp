#include "records/calendar.h"

#include <cstdio>

namespace vorskel::records {
namespace {

constexpr std::uint32_t kSecondsPerDay = 86400;
constexpr std::uint32_t kSecondsPerHour = 3600;
constexpr std::uint32_t kSecondsPerMinute = 60;
constexpr int kEpochYear = 1980;
constexpr std::uint32_t kEpochWeekday = 2;  // Tuesday
constexpr std::uint32_t kDaysPerWeek = 7;

bool leap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::uint32_t month_days(int month, int year) {
  static constexpr std::uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

}  // namespace

TimeFields from_1980_seconds(std::uint32_t seconds) {
  TimeFields t;
  std::uint32_t days = seconds / kSecondsPerDay;
  const std::uint32_t rest = seconds % kSecondsPerDay;
  t.hour = static_cast<std::uint8_t>(rest / kSecondsPerHour);
  t.minute = static_cast<std::uint8_t>(rest % kSecondsPerHour / kSecondsPerMinute);
  t.second = static_cast<std::uint8_t>(rest % kSecondsPerMinute);
  t.weekday = static_cast<std::uint8_t>((days + kEpochWeekday) % kDaysPerWeek);

  int year = kEpochYear;
  for (std::uint32_t length = leap(year) ? 366 : 365; days >= length;
       length = leap(year) ? 366 : 365) {
    days -= length;
    ++year;
  }
  int month = 1;
  while (days >= month_days(month, year)) {
    days -= month_days(month, year);
    ++month;
  }
  t.year = static_cast<std::uint8_t>(year - 1900);
  t.month = static_cast<std::uint8_t>(month);
  t.day = static_cast<std::uint8_t>(days + 1);
  return t;
}

}  // namespace vorskel::records
