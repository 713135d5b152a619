#include "sim/models/record_area.h"

#include <algorithm>
#include <stdexcept>

#include "sim/models/terminal_state.h"

namespace vorskel::sim {
namespace {

constexpr std::uint8_t kFlashRead = 4;
constexpr std::size_t kPageReply = 512;
constexpr std::size_t kLengthAndAddress = 8;  // the short-record read: length, then address

bool wraps(const RecordArea& a) {
  return a.start_slot + a.records.size() > a.area_slots;
}

}  // namespace

std::uint32_t RecordArea::end() const {
  const std::uint64_t past = start_slot + static_cast<std::uint64_t>(records.size());
  return geometry.address(static_cast<std::uint32_t>(past > area_slots ? past - area_slots : past));
}

std::uint8_t RecordArea::cycle_byte() const {
  if (cycle) return *cycle;
  return wraps(*this) ? 1 : 0;
}

std::uint32_t RecordArea::address_of(std::size_t i) const {
  std::uint64_t slot = start_slot + static_cast<std::uint64_t>(i);
  if (slot >= area_slots) slot -= area_slots;
  return geometry.address(static_cast<std::uint32_t>(slot));
}

RecordArea linear_area(SlotGeometry g, std::uint32_t area_slots, std::uint32_t start_slot,
                       std::vector<Bytes> records) {
  RecordArea a{g, area_slots, start_slot, std::move(records), std::nullopt, std::nullopt};
  if (wraps(a)) throw std::invalid_argument("linear area: records run past the area end");
  return a;
}

RecordArea wrapped_area(SlotGeometry g, std::uint32_t area_slots, std::uint32_t start_slot,
                        std::vector<Bytes> records) {
  RecordArea a{g, area_slots, start_slot, std::move(records), std::nullopt, std::nullopt};
  if (!wraps(a) || a.records.size() >= area_slots)
    throw std::invalid_argument("wrapped area: records must pass the area end and leave a gap");
  return a;
}

RecordArea whole_area(SlotGeometry g, std::vector<Bytes> records, std::uint32_t start_slot) {
  const auto n = static_cast<std::uint32_t>(records.size());
  return RecordArea{g, n, start_slot, std::move(records), std::uint8_t{2}, std::nullopt};
}

RecordArea empty_area(SlotGeometry g, std::uint32_t area_slots) {
  return RecordArea{g, area_slots, area_slots, {}, std::uint8_t{0}, std::nullopt};
}

void load_record_area(Model& m, const RecordArea& area) {
  auto& flash = m.part<FlashAreas>().area2;
  const std::size_t needed = area.area_end() + 2 * kPageReply;
  if (flash.size() < needed) flash.resize(needed, 0xFF);
  std::fill(flash.begin(), flash.begin() + area.area_end(), 0xFF);
  for (std::size_t i = 0; i < area.records.size(); ++i) {
    const Bytes& r = area.records[i];
    std::copy(r.begin(), r.end(), flash.begin() + area.address_of(i));
  }
  auto& c = m.part<RecordCounters>();
  c.start = area.start();
  c.end = area.end();
  c.area_end = area.area_end();
  c.cycle = area.cycle_byte();
  c.record_total = area.total.value_or(static_cast<std::uint32_t>(area.records.size()));
}

void write_area2(Model& m, std::uint32_t address, const Bytes& bytes) {
  auto& flash = m.part<FlashAreas>().area2;
  if (flash.size() < address + bytes.size()) flash.resize(address + bytes.size(), 0xFF);
  std::copy(bytes.begin(), bytes.end(), flash.begin() + address);
}

std::vector<StoredRecord> by_address(const RecordArea& area) {
  std::vector<StoredRecord> out;
  for (std::size_t i = 0; i < area.records.size(); ++i)
    out.push_back({area.address_of(i), area.records[i]});
  std::sort(out.begin(), out.end(),
            [](const StoredRecord& a, const StoredRecord& b) { return a.address < b.address; });
  return out;
}

void install_record_area(Model& m) {
  auto& flash = m.part<FlashAreas>();
  // Command 4 carries two requests: a 4-byte address (a 512-byte page, answered by the page
  // reads installed before this family), or the short-record reader's page length and
  // address.
  const Handler* earlier = m.find(kFlashRead);
  Handler page_read = earlier != nullptr ? *earlier : Handler([&flash](const Request& r) -> Reply {
    return read_area(flash.area2, r.p32(0), kPageReply);
  });
  m.on(kFlashRead, [&flash, page_read](const Request& r) -> Reply {
    if (r.payload_size() >= kLengthAndAddress)
      return read_area(flash.area2, r.p32(4), std::min<std::size_t>(r.p32(0), kPageReply));
    return page_read(r);
  });
}

}  // namespace vorskel::sim

namespace vorskel::sim {
namespace {
// After the page reads of the flash family (order 20), which it extends.
const bool registered = register_family("vorsk", 30, install_record_area);
}  // namespace
}  // namespace vorskel::sim
