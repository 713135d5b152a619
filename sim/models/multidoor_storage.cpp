// The simulated multi-door controller's flash: its record area (cleared by command 32) and
// its registration area (commands 12 and 33), read page by page with command 4 and located
// by the pointer query 18, as the main terminal's basics answer it.
#include <cstring>

#include "sim/models/multidoor_state.h"
#include "src/protocol/codes.h"

namespace vorskel::sim {
namespace {

constexpr std::size_t kSlot = 16;
constexpr std::size_t kPageBytes = 512;
constexpr std::size_t kOperationAt = 16;
constexpr std::size_t kKeyBytes = 5;  // type byte and the first four card bytes
using protocol::kCardOnly;
using protocol::kReadBack;
using protocol::kStore;
constexpr std::uint8_t kAccepted = 0, kNotFound = 1, kFull = 2;

bool leap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// The slot holding the registration keyed like request, or nullopt.
std::optional<std::uint32_t> find(const RecordCounters& k, const Bytes& area, const Request& r) {
  for (std::uint32_t a = k.registration[0]; a + kSlot <= k.registration[1]; a += kSlot) {
    bool same = true;
    for (std::size_t i = 0; i < kKeyBytes; ++i) same = same && area[a + i] == r.p8(i);
    if (same) return a;
  }
  return std::nullopt;
}

Reply registration(Model& m, const Request& r) {
  auto& k = m.part<RecordCounters>();
  auto& area = m.part<FlashAreas>().area2;
  auto& c = m.part<FerrinController>();
  Bytes reply(kSlot + 1, 0);
  for (std::size_t i = 0; i < kSlot; ++i) reply[i] = r.p8(i);
  std::uint8_t status = kAccepted;
  const auto slot = find(k, area, r);
  switch (r.p8(kOperationAt)) {
    case kStore: {
      std::uint32_t at = slot ? *slot : k.registration[1];
      if (!slot && at + kSlot > k.registration[2]) {
        status = kFull;
        break;
      }
      for (std::size_t i = 0; i < kSlot; ++i) area[at + i] = r.p8(i);
      if (!slot) k.registration[1] += kSlot;
      break;
    }
    case kCardOnly:  // the last registration moves into the hole: the area stays packed
      if (!slot) {
        status = kNotFound;
        break;
      }
      k.registration[1] -= kSlot;
      std::memmove(&area[*slot], &area[k.registration[1]], kSlot);
      std::memset(&area[k.registration[1]], 0xFF, kSlot);
      break;
    case kReadBack:
      if (!slot) {
        status = kNotFound;
        break;
      }
      std::copy_n(area.begin() + *slot, kSlot, reply.begin());
      break;
    default:
      status = kNotFound;
  }
  reply[kOperationAt] = status;
  if (c.corrupt_echo && !reply.empty()) reply[std::min(*c.corrupt_echo, reply.size() - 1)] ^= 1;
  return reply;
}

void install_storage(Model& m) {
  ferrin_format(m);
  m.on(4, [&m](const Request& r) -> Reply {  // one page of flash: records or registrations
    return read_area(m.part<FlashAreas>().area2, r.p32(0), kPageBytes);
  });
  m.on(12, [&m](const Request& r) -> Reply { return registration(m, r); });
  m.on(33, [&m](const Request& r) -> Reply { return registration(m, r); });
  m.on(32, [&m](const Request&) -> Reply {  // clear the record memory
    auto& k = m.part<RecordCounters>();
    auto& area = m.part<FlashAreas>().area2;
    std::fill(area.begin(), area.begin() + kFerrinRecordAreaEnd, 0xFF);
    k.start = k.end = 0;
    k.cycle = 0;
    k.record_total = 0;
    return Bytes{};
  });
}

const bool basics = register_family("ferrin", 10, install_terminal_basics);
const bool storage = register_family("ferrin", 15, install_storage);

}  // namespace

std::uint32_t ferrin_seconds(int year, int month, int day, int hour, int minute, int second) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::uint32_t days = 0;
  for (int y = 1980; y < year; ++y) days += leap(y) ? 366 : 365;
  for (int mo = 1; mo < month; ++mo) days += kDays[mo - 1] + (mo == 2 && leap(year) ? 1 : 0);
  days += static_cast<std::uint32_t>(day - 1);
  return ((days * 24 + static_cast<std::uint32_t>(hour)) * 60 +
          static_cast<std::uint32_t>(minute)) *
             60 +
         static_cast<std::uint32_t>(second);
}

Bytes ferrin_record(std::uint32_t seconds, const Bytes& card1, const Bytes& card2,
                    std::uint8_t event_a, std::uint8_t event_b) {
  Bytes r(16, 0);
  put32(r, 0, seconds);
  for (std::size_t i = 0; i < 4 && i < card1.size(); ++i) r[4 + i] = card1[i];
  for (std::size_t i = 0; i < 4 && i < card2.size(); ++i) r[8 + i] = card2[i];
  r[14] = event_a;
  r[15] = event_b;
  return r;
}

void ferrin_format(Model& m) {
  auto& k = m.part<RecordCounters>();
  auto& area = m.part<FlashAreas>().area2;
  std::fill(area.begin(), area.end(), 0xFF);
  k = RecordCounters{};
  k.area_end = kFerrinRecordAreaEnd;
  k.registration[0] = k.registration[1] = kFerrinRegistrationStart;
  k.registration[2] = kFerrinRegistrationAreaEnd;
}

}  // namespace vorskel::sim
