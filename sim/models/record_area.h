// The simulated terminal's record area: a ring of record slots in flash area 2, with the
// record pointers, cycle byte and record total the terminal reports for it. Setting an area
// writes the slots into flash (erased flash, 0xFF, everywhere else in the area) and sets
// RecordCounters to match, so downloads see one consistent terminal.
//
// Shapes (the cycle byte says which the terminal reports):
//   linear   start_slot + records fit before the area end: cycle 0, records in [start, end);
//   wrapped  the records run past the area end and go on from slot 0: cycle 1, the newest
//            in [0, end), the oldest in [start, area end), the gap [end, start) erased;
//   whole    every slot of the area holds a record: cycle 2.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/model.h"

namespace vorskel::sim {

// How record slots sit in flash: slots_per_page records of record_bytes from the first byte
// of each page, pages page_bytes apart (contiguous when page_bytes = slots x record_bytes).
struct SlotGeometry {
  std::uint32_t record_bytes = 16;
  std::uint32_t page_bytes = 512;
  std::uint32_t slots_per_page = 32;
  std::uint32_t address(std::uint32_t slot) const {
    return slot / slots_per_page * page_bytes + slot % slots_per_page * record_bytes;
  }
};

struct RecordArea {
  SlotGeometry geometry;
  std::uint32_t area_slots = 0;        // the area end is the address of this slot
  std::uint32_t start_slot = 0;        // slot of the oldest record: the start pointer
  std::vector<Bytes> records;          // occupied slots, oldest first, valid or not
  std::optional<std::uint8_t> cycle;   // default: from the shape (0 linear, 1 wrapped)
  std::optional<std::uint32_t> total;  // default: the number of occupied slots

  std::uint32_t area_end() const { return geometry.address(area_slots); }
  std::uint32_t start() const { return geometry.address(start_slot); }
  std::uint32_t end() const;
  std::uint8_t cycle_byte() const;
  // Flash address of the i-th record (oldest first).
  std::uint32_t address_of(std::size_t i) const;
};

RecordArea linear_area(SlotGeometry g, std::uint32_t area_slots, std::uint32_t start_slot,
                       std::vector<Bytes> records);
// The records start at start_slot and wrap past the area end.
RecordArea wrapped_area(SlotGeometry g, std::uint32_t area_slots, std::uint32_t start_slot,
                        std::vector<Bytes> records);
// Every slot of an area of records.size() slots; start and end pointer at start_slot.
RecordArea whole_area(SlotGeometry g, std::vector<Bytes> records, std::uint32_t start_slot = 0);
// Start pointer = end pointer = area end: a terminal without records.
RecordArea empty_area(SlotGeometry g, std::uint32_t area_slots);

// Writes the area into the model's flash area 2 (grown when the area needs more room) and
// sets its record counters. Call inside Simulator::with_model.
void load_record_area(Model& m, const RecordArea& area);

// Writes bytes into flash area 2 at address (stale records past the end pointer, damage).
void write_area2(Model& m, std::uint32_t address, const Bytes& bytes);

// The records in flash address order (the order downloads visit them), with addresses.
struct StoredRecord {
  std::uint32_t address;
  Bytes bytes;
};
std::vector<StoredRecord> by_address(const RecordArea& area);

void install_record_area(Model& m);  // page reads by address or by (length, address)

}  // namespace vorskel::sim
