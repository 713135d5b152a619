#include "cli/layout_check.h"

#include <cstdio>
#include <cstring>

namespace vorskel::cli {
namespace {

// Terminals count years from 1980 (stamps) or 1900 (a year byte); a real clock runs between.
constexpr int kFirstYear = 1981;
constexpr int kLastYear = 2099;

int column(const RecordModel& model, const char* name) {
  for (std::size_t i = 0; i < model.fields.size(); ++i)
    if (std::strcmp(model.fields[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

int days_in(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

}  // namespace

bool plausible_date(const std::string& text) {
  int y = 0, m = 0, d = 0, used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &used) != 3) return false;
  if (y < kFirstYear || y > kLastYear || m < 1 || m > 12 || d < 1 || d > days_in(y, m))
    return false;
  const std::string rest = text.substr(static_cast<std::size_t>(used));
  return rest.empty() || (rest[0] == ' ' && plausible_time(rest.substr(1)));
}

bool plausible_time(const std::string& text) {
  int h = 0, m = 0, s = 0, used = 0;
  return std::sscanf(text.c_str(), "%2d:%2d:%2d%n", &h, &m, &s, &used) == 3 &&
         static_cast<std::size_t>(used) == text.size() && h >= 0 && h < 24 && m >= 0 && m < 60 &&
         s >= 0 && s < 60;
}

LayoutVerdict check_layout(const RecordModel& model,
                           const std::vector<std::vector<std::string>>& rows) {
  LayoutVerdict v;
  int date = column(model, "date");
  if (date < 0) date = column(model, "timestamp");
  const int time = column(model, "time");
  if (date < 0) return v;
  std::string previous;  // "YYYY-MM-DD hh:mm:ss" texts compare in time order
  for (const auto& row : rows) {
    ++v.checked;
    const std::string& d = row[static_cast<std::size_t>(date)];
    const std::string t = time < 0 ? std::string() : row[static_cast<std::size_t>(time)];
    const std::string stamp = time < 0 ? d : d + " " + t;
    if (plausible_date(d) && (time < 0 || plausible_time(t))) {
      if (stamp < previous && v.backwards++ == 0 && v.impossible == 0)
        v.example = previous + " followed by " + stamp;
      previous = stamp;
      continue;
    }
    if (v.impossible++ == 0) v.example = stamp;
  }
  return v;
}

}  // namespace vorskel::cli
