// The registration store and the main terminal's registration command (code 12).
#include "sim/models/registry_store.h"

#include <algorithm>

#include "sim/models/terminal_state.h"

namespace vorskel::sim {
namespace {

std::uint32_t le32(const Bytes& b, std::size_t off) {
  return b[off] | (b[off + 1] << 8) | (b[off + 2] << 16) |
         (static_cast<std::uint32_t>(b[off + 3]) << 24);
}

std::uint32_t slot_address(Model& m, std::size_t index) {
  auto& counters = m.part<RecordCounters>();
  auto& area = m.part<RegistrationArea>();
  return counters.registration[2] + RegistrationArea::kSlotLead +
         static_cast<std::uint32_t>(index * area.slot_size);
}

void write_slot(Model& m, std::size_t index, const Bytes& slot) {
  auto& flash = m.part<FlashAreas>().area2;
  const auto size = static_cast<std::size_t>(m.part<RegistrationArea>().slot_size);
  const std::uint32_t at = slot_address(m, index);
  for (std::size_t i = 0; i < size; ++i) flash[at + i] = i < slot.size() ? slot[i] : 0;
}

}  // namespace

void place_registration_area(Model& m, int slot_size, std::uint32_t start) {
  auto& counters = m.part<RecordCounters>();
  auto& area = m.part<RegistrationArea>();
  auto& flash = m.part<FlashAreas>().area2;
  area.slot_size = slot_size;
  area.templates.clear();
  std::fill(flash.begin() + start, flash.end(), 0xFF);
  counters.registration[0] = start;
  counters.registration[1] = 0;
  counters.registration[2] = start;
}

std::size_t registration_count(Model& m) {
  auto& counters = m.part<RecordCounters>();
  return (counters.registration[0] - counters.registration[2]) /
         m.part<RegistrationArea>().slot_size;
}

Bytes registration_slot(Model& m, std::size_t index) {
  const auto size = static_cast<std::size_t>(m.part<RegistrationArea>().slot_size);
  return read_area(m.part<FlashAreas>().area2, slot_address(m, index), size);
}

std::optional<std::size_t> find_registration(Model& m, std::uint32_t card1) {
  if (card1 == 0) return std::nullopt;
  const std::size_t n = registration_count(m);
  for (std::size_t i = 0; i < n; ++i)
    if (le32(registration_slot(m, i), 0) == card1) return i;
  return std::nullopt;
}

bool append_slot(Model& m, const Bytes& slot) {
  auto& counters = m.part<RecordCounters>();
  const auto size = static_cast<std::uint32_t>(m.part<RegistrationArea>().slot_size);
  const std::size_t n = registration_count(m);
  if (slot_address(m, n) + size > m.part<FlashAreas>().area2.size()) return false;
  write_slot(m, n, slot);
  counters.registration[0] += size;
  return true;
}

bool store_registration(Model& m, const Bytes& slot) {
  Bytes padded = slot;
  padded.resize(std::max<std::size_t>(padded.size(), 4), 0);
  if (auto at = find_registration(m, le32(padded, 0))) {
    write_slot(m, *at, slot);
    return true;
  }
  return append_slot(m, slot);
}

bool remove_registration(Model& m, std::uint32_t card1) {
  auto at = find_registration(m, card1);
  if (!at) return false;
  Bytes slot = registration_slot(m, *at);
  std::fill(slot.begin(), slot.begin() + 4, 0);
  write_slot(m, *at, slot);
  m.part<RegistrationArea>().templates.erase(card1);
  return true;
}

namespace {

// The main terminal accepts both registration layouts: the original one with the type at
// [32..33], the extended one (and the 28-byte flow-control block) with the type at [26..27].
// The original layout never leaves [32..33] zero, the others always do.
constexpr std::size_t kFlowControlLen = 28;
constexpr std::size_t kRegistrationLen = 34;
constexpr int kVorskSlot = 32;

Reply registration(Model& m, const Request& r) {
  const std::size_t len = r.payload_size() == kFlowControlLen ? kFlowControlLen : kRegistrationLen;
  const std::size_t type_off = len == kRegistrationLen && r.p16(32) != 0 ? 32 : 26;
  Bytes payload(len, 0);
  for (std::size_t i = 0; i < len; ++i) payload[i] = r.p8(i);
  const std::uint32_t card = r.p32(0);
  std::uint16_t answer = r.p16(type_off);
  switch (answer) {
    case 1: {
      // A 28-byte block fills the slot's first 28 bytes; the rest stays zero.
      Bytes slot(kVorskSlot, 0);
      std::copy_n(payload.begin(), std::min<std::size_t>(len, kVorskSlot), slot.begin());
      if (!store_registration(m, slot)) answer = kNotRegistered;
      break;
    }
    case 2:
      remove_registration(m, card);
      break;
    case 3:
      if (auto at = find_registration(m, card)) {
        const Bytes slot = registration_slot(m, *at);
        std::fill(payload.begin(), payload.end(), 0);
        std::copy_n(slot.begin(), std::min(slot.size(), payload.size()), payload.begin());
      } else {
        std::fill(payload.begin(), payload.end(), 0);
        answer = kNotRegistered;
      }
      break;
    default:
      break;
  }
  put16(payload, type_off, answer);
  return payload;
}

void install_registrations(Model& m) {
  place_registration_area(m, kVorskSlot, RegistrationArea::kDefaultStart);
  m.on(12, [&m](const Request& r) { return registration(m, r); });
}

const bool registered = register_family("vorsk", 20, install_registrations);

}  // namespace
}  // namespace vorskel::sim
