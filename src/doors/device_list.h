// What Sondo_Watch remembers of each door controller that reported a door state: the last
// state of each of its 32 door slots, so that later reports can say what changed. One entry
// per controller, keyed by its IPv4 address; entries are made on a controller's first
// door-state report and kept while the library is loaded (the list only grows). Not locked:
// hosts run one watch loop.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace vorskel::doors {

inline constexpr int kDoorSlots = 32;
inline constexpr int kDoorStateBytes = 17;
using DoorState = std::array<std::uint8_t, kDoorStateBytes>;

struct DeviceEntry {
  std::uint32_t address = 0;  // IPv4, first octet in the top byte
  std::array<DoorState, kDoorSlots> slots{};
};

class DeviceList {
 public:
  DeviceEntry* find(std::uint32_t address);
  // A new entry at the front of the list, every slot zero.
  DeviceEntry& add_front(std::uint32_t address);
  std::size_t size() const { return entries_.size(); }
  // Library load and unload; tests use it to start from an empty list.
  void clear() { entries_.clear(); }

 private:
  std::deque<DeviceEntry> entries_;  // newest first; references stay valid as it grows
};

DeviceList& device_list();

// What changed from the stored state to the new one, judged on state bytes 3 to 6 only, the
// first difference winning: byte 3 set 6 / cleared 5, byte 4 set 4 / cleared 3, byte 5 set
// 2 / cleared 1, byte 6 changed 7; 0 when none of them changed.
std::uint8_t change_code(const DoorState& now, const DoorState& stored);
// The bytes a change updates in the stored state.
inline constexpr int kComparedFrom = 3;
inline constexpr int kComparedTo = 6;

// A dotted IPv4 address text ("127.0.0.1") as a number, first octet in the top byte; 0 for
// a text that is not one (the watch endpoint always reports dotted texts).
std::uint32_t ipv4_of(const char* text);

}  // namespace vorskel::doors
