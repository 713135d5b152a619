// Where a terminal's records stand in its ring-shaped record area, and what of them the
// database already holds.
//
// The stored position is the window of the record pointers at the last sync (start and end
// pointer, area end, cycle byte) and how many of that window's records, oldest first, are
// stored. Records are only ever added at the end pointer, and a clear moves the start pointer
// up to the end pointer, so the start pointer's distance from the stored start tells what
// is stored: 0 (the clear did not happen, or none was asked for) means the stored count are
// still there and stored; the stored window's length (the clear happened) means none of them
// is left; more than that means the terminal overwrote records nobody read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "service/database.h"
#include "service/record_models.h"

namespace vorskel::site {

// One downloaded page: its number, and count entries back to back.
struct Page {
  int number = 0;
  int count = 0;
  std::vector<std::uint8_t> entries;
};

// Addresses of the downloaded entries, oldest record first.
std::vector<const std::uint8_t*> age_order(const std::vector<Page>& pages, const Pointers& at,
                                           const RecordModel& model);

// About how many record slots of this model the pointers say are in use (valid or not).
long slots_held(const Pointers& at, const RecordModel& model);

struct Resume {
  long skip = 0;  // records (oldest first) already in the database
  long lost = 0;  // records overwritten on the terminal since the stored position
  std::string note;
};

Resume resume_from(const Position& stored, const Pointers& now, long entries,
                   const RecordModel& model);

}  // namespace vorskel::site
