#include "service/ring_position.h"

#include <algorithm>

namespace vorskel::site {
namespace {

// The record area is wrapped (newest records from address 0, oldest from the start pointer)
// or whole (every slot a record): pages are then read from address 0, not from the start.
bool from_area_start(const Pointers& p) {
  return p.cycle >= 1;
}

bool wrapped(const Pointers& p) {
  return p.cycle == 1 && p.start > p.end;
}

// Bytes from a to b going forward round a ring of `ring` bytes.
std::uint64_t ahead(std::uint32_t a, std::uint32_t b, std::uint32_t ring) {
  if (ring == 0) return 0;
  return b >= a ? b - a : std::uint64_t{ring} - a + b;
}

std::uint64_t window_bytes(const Pointers& p) {
  if (p.cycle >= 2 || (p.cycle == 1 && p.start <= p.end)) return p.area_end;
  return ahead(p.start, p.end, p.area_end);
}

}  // namespace

long slots_held(const Pointers& at, const RecordModel& model) {
  return static_cast<long>(window_bytes(at) / static_cast<std::uint64_t>(model.stored_bytes));
}

std::vector<const std::uint8_t*> age_order(const std::vector<Page>& pages, const Pointers& at,
                                           const RecordModel& model) {
  std::vector<const std::uint8_t*> oldest, newest;
  const auto entry = [&model](const Page& p, int i) {
    return p.entries.data() + static_cast<std::size_t>(i) * model.entry_bytes;
  };
  // Pages visit the area by address: the records from the split point on are the older ones.
  const std::uint64_t split = wrapped(at) ? at.end : at.start;
  for (const Page& page : pages) {
    if (!from_area_start(at)) {
      for (int i = 0; i < page.count; ++i) oldest.push_back(entry(page, i));
      continue;
    }
    const std::uint64_t o = std::uint64_t{static_cast<std::uint32_t>(page.number)} *
                            static_cast<std::uint32_t>(model.page_bytes);
    const std::uint64_t s = at.start;
    int newer = 0;
    if (o >= s)
      newer = 0;
    else if (s < o + static_cast<std::uint64_t>(model.page_bytes) && o >= at.end && wrapped(at))
      newer = 0;  // the oldest records begin inside this page
    else if (s < o + static_cast<std::uint64_t>(model.page_bytes))
      newer = static_cast<int>(
          std::min<std::uint64_t>(page.count, (split - std::min(split, o)) / model.stored_bytes));
    else
      newer = page.count;
    for (int i = 0; i < newer; ++i) newest.push_back(entry(page, i));
    for (int i = newer; i < page.count; ++i) oldest.push_back(entry(page, i));
  }
  oldest.insert(oldest.end(), newest.begin(), newest.end());
  return oldest;
}

Resume resume_from(const Position& stored, const Pointers& now, long entries,
                   const RecordModel& model) {
  Resume r;
  if (!stored.present) return r;
  if (stored.at.area_end != now.area_end) {
    r.note = "record area changed size: every record read as new";
    return r;
  }
  const std::uint64_t moved = ahead(stored.at.start, now.start, now.area_end);
  const std::uint64_t window = window_bytes(stored.at);
  if (moved == 0 && window_bytes(now) < window) {
    r.note = "the terminal's records were cleared back to its first slot";
  } else if (moved <= window) {
    // The stored window's records from the new start on are still on the terminal.
    const long gone = static_cast<long>(moved / static_cast<std::uint64_t>(model.stored_bytes));
    r.skip = std::clamp(stored.stored - gone, 0L, entries);
  } else {
    r.lost = static_cast<long>((moved - window) / static_cast<std::uint64_t>(model.stored_bytes));
    r.note =
        std::to_string(r.lost) + " records were overwritten on the terminal before they were read";
  }
  return r;
}

}  // namespace vorskel::site
