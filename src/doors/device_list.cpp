#include "doors/device_list.h"

namespace vorskel::doors {

DeviceEntry* DeviceList::find(std::uint32_t address) {
  for (auto& e : entries_)
    if (e.address == address) return &e;
  return nullptr;
}

DeviceEntry& DeviceList::add_front(std::uint32_t address) {
  entries_.emplace_front();
  entries_.front().address = address;
  return entries_.front();
}

DeviceList& device_list() {
  static DeviceList list;
  return list;
}

std::uint8_t change_code(const DoorState& now, const DoorState& stored) {
  struct Rule {
    int byte;
    std::uint8_t set;
    std::uint8_t cleared;
  };
  static constexpr Rule kRules[] = {{3, 6, 5}, {4, 4, 3}, {5, 2, 1}, {6, 7, 7}};
  for (const Rule& r : kRules)
    if (now[r.byte] != stored[r.byte]) return now[r.byte] != 0 ? r.set : r.cleared;
  return 0;
}

std::uint32_t ipv4_of(const char* text) {
  constexpr int kOctets = 4;
  constexpr unsigned kMaxOctet = 255;
  if (text == nullptr) return 0;
  std::uint32_t address = 0;
  for (int i = 0; i < kOctets; ++i) {
    if (i > 0 && *text++ != '.') return 0;
    if (*text < '0' || *text > '9') return 0;
    unsigned octet = 0;
    for (int digits = 0; *text >= '0' && *text <= '9'; ++digits, ++text) {
      if (digits == 3) return 0;
      octet = octet * 10 + static_cast<unsigned>(*text - '0');
    }
    if (octet > kMaxOctet) return 0;
    address = address << 8 | octet;
  }
  return *text == '\0' ? address : 0;
}

}  // namespace vorskel::doors
