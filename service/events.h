// A downloaded entry as a database event: its kind, card, date and time, status, the entry's
// bytes and every field as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "service/database.h"
#include "service/record_models.h"

namespace vorskel::site {

Event event_of(const RecordModel& model, const std::uint8_t* entry);

// 'YYYY-MM-DD HH:MM:SS' from a date and a time text when both name a real moment between
// 1980 and 2099; nothing otherwise (a layout that does not fit reads as nonsense dates).
std::optional<std::string> moment_text(const std::string& date, const std::string& time);

// Whether the model's entries carry a date at all (the flow records do not).
bool has_dates(const RecordModel& model);

// The gap row stored when records were overwritten on the terminal before they were read.
Event gap_event(const RecordModel& model, long lost);

}  // namespace vorskel::site
