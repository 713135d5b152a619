#include "service/events.h"

#include <cstdlib>

namespace vorskel::site {
namespace {

const Field* field_named(const RecordModel& model, const char* name) {
  for (const auto& f : model.fields)
    if (std::string(f.name) == name) return &f;
  return nullptr;
}

std::string text_of(const RecordModel& model, const std::uint8_t* entry, const char* name) {
  const Field* f = field_named(model, name);
  return f != nullptr ? field_text(entry, *f) : std::string();
}

bool digits(const std::string& s, std::size_t at, std::size_t n, int& value) {
  value = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

int days_in_month(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<std::string> moment_text(const std::string& date, const std::string& time) {
  int y, mo, d, h, mi, s;
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' || !digits(date, 0, 4, y) ||
      !digits(date, 5, 2, mo) || !digits(date, 8, 2, d))
    return std::nullopt;
  if (time.size() != 8 || time[2] != ':' || time[5] != ':' || !digits(time, 0, 2, h) ||
      !digits(time, 3, 2, mi) || !digits(time, 6, 2, s))
    return std::nullopt;
  if (y < 1980 || y > 2099 || mo < 1 || mo > 12 || d < 1 || d > days_in_month(y, mo) || h > 23 ||
      mi > 59 || s > 59)
    return std::nullopt;
  return date + " " + time;
}

bool has_dates(const RecordModel& model) {
  return field_named(model, "date") != nullptr || field_named(model, "timestamp") != nullptr;
}

Event event_of(const RecordModel& model, const std::uint8_t* entry) {
  Event e;
  e.kind = model.kind;
  e.card = text_of(model, entry, field_named(model, "card") != nullptr ? "card" : "card1");
  if (e.card.empty()) e.card = text_of(model, entry, "number");
  if (field_named(model, "timestamp") != nullptr) {
    const std::string stamp = text_of(model, entry, "timestamp");
    if (stamp.size() >= 19) e.occurred_at = moment_text(stamp.substr(0, 10), stamp.substr(11, 8));
  } else {
    e.occurred_at = moment_text(text_of(model, entry, "date"), text_of(model, entry, "time"));
  }
  e.status = text_of(model, entry, "status");
  e.raw.assign(entry, entry + model.entry_bytes);
  for (const auto& f : model.fields) {
    if (!e.detail.empty()) e.detail += "; ";
    e.detail += std::string(f.name) + "=" + field_text(entry, f);
  }
  return e;
}

Event gap_event(const RecordModel& model, long lost) {
  Event e;
  e.kind = "gap";
  e.status = std::to_string(lost) + " records lost";
  e.detail = "model=" + std::string(model.name) + "; lost=" + std::to_string(lost);
  e.lost = lost;
  return e;
}

}  // namespace vorskel::site
