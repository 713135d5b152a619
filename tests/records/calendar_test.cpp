// The 1980 calendar conversion against the named boundaries and, day by day over its whole
// range, against the standard library's calendar.
#include "records/calendar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <string>

#include "records/number_text.h"

namespace vorskel::records {
namespace {

std::string stamp_text(const TimeFields& t) {
  return std::string(date_text(t.full_year(), t.month, t.day).s) + " " +
         time_text(t.hour, t.minute, t.second).s;
}

// Damaged records carry any byte in their date fields, and some layouts read them signed:
// the texts must read exactly as printf's would.
TEST(Calendar, DateAndTimeTextsReadAsPrintfWould) {
  for (const int v : {0, 1, 9, 10, 99, 100, 255, 999, 1000, 2155, 9999, 10000, -1, -9, -10, -128,
                      -1000, INT_MAX, INT_MIN}) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%04d-%02d-%02d", v, v, v);
    EXPECT_STREQ(date_text(v, v, v).s, expected) << v;
    std::snprintf(expected, sizeof expected, "%02d:%02d:%02d", v, v, v);
    EXPECT_STREQ(time_text(v, v, v).s, expected) << v;
  }
}

TEST(Calendar, NamedBoundaries) {
  struct Case {
    std::uint32_t seconds;
    const char* text;
    int year_byte;
    int weekday;
  } cases[] = {
      {0, "1980-01-01 00:00:00", 80, 2},
      {86399, "1980-01-01 23:59:59", 80, 2},
      {86400, "1980-01-02 00:00:00", 80, 3},
      {5097600, "1980-02-29 00:00:00", 80, 5},  // 59 days: the leap day
      {5184000, "1980-03-01 00:00:00", 80, 6},
      {31536000, "1980-12-31 00:00:00", 80, 3},  // 365 days: still 1980, not 0 January
      {31622399, "1980-12-31 23:59:59", 80, 3},
      {31622400, "1981-01-01 00:00:00", 81, 4},    // 366 days
      {636249600, "2000-02-29 00:00:00", 100, 2},  // 2000 is a leap year
      {1577836800 - 315532800, "2020-01-01 00:00:00", 120, 3},
      {1893456000 - 315532800, "2030-01-01 00:00:00", 130, 2},
      {0xFFFFFFFF, "2116-02-07 06:28:15", 216, 5},
  };
  for (const auto& c : cases) {
    const TimeFields t = from_1980_seconds(c.seconds);
    EXPECT_EQ(stamp_text(t), c.text) << c.seconds;
    EXPECT_EQ(t.year, c.year_byte) << c.seconds;
    EXPECT_EQ(t.weekday, c.weekday) << c.seconds;
  }
}

TEST(Calendar, EveryDayOfTheRangeMatchesTheGregorianCalendar) {
  using namespace std::chrono;
  const sys_days epoch{year{1980} / 1 / 1};
  for (std::uint32_t d = 0; d <= 0xFFFFFFFFu / 86400; ++d) {
    const year_month_day ymd{epoch + days{d}};
    // A different time of day each day, within the 32-bit range on the last one.
    const std::uint64_t tod =
        std::min<std::uint64_t>(d * 7919ull % 86400, 0xFFFFFFFFull - d * 86400ull);
    const auto s = static_cast<std::uint32_t>(d * 86400ull + tod);
    const TimeFields t = from_1980_seconds(s);
    ASSERT_EQ(t.full_year(), static_cast<int>(ymd.year())) << d;
    ASSERT_EQ(t.month, static_cast<unsigned>(ymd.month())) << d;
    ASSERT_EQ(t.day, static_cast<unsigned>(ymd.day())) << d;
    ASSERT_EQ(t.weekday, weekday{epoch + days{d}}.c_encoding()) << d;
    ASSERT_EQ(t.hour * 3600u + t.minute * 60u + t.second, tod) << d;
  }
}

}  // namespace
}  // namespace vorskel::records
