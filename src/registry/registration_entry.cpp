#include "registry/registration_entry.h"

#include <cstring>

#include "transport/codecs.h"

namespace vorskel::registry {

void put_hex_card(Frame& f, int off, const char* text) {
  std::uint8_t packed[4] = {0, 0, 0, 0};
  char digits[kCardTextLen] = {};
  if (text != nullptr) std::memcpy(digits, text, kCardTextLen);  // the entry's fixed 8 bytes
  hex_text_to_bytes(digits, packed, kCardTextLen);
  f.put_bytes(off, packed, 4);
}

std::uint32_t decimal_card(const char* text) {
  char digits[kCardTextLen + 1] = {};
  if (text != nullptr) {
    for (int i = 0; i < kCardTextLen && text[i] != '\0'; ++i) digits[i] = text[i];
  }
  return decimal_text_to_u32(digits);
}

void put_name(Frame& f, int off, const VorskRegistryEntry& e) {
  // The conversion may finish a pair whose lead byte is the name's last byte with the byte
  // after it, so it reads one byte past the name (the group field) and writes one more.
  std::uint8_t src[kNameLen + 1];
  std::memcpy(src, reinterpret_cast<const std::uint8_t*>(&e) + kEntryName, sizeof src);
  std::uint8_t converted[kNameLen + 1] = {};
  display_text(src, converted, kNameLen);
  f.put_bytes(off, converted, kNameLen);
}

void put_nibbles_and_date(Frame& f, int nibble_off, int date_off, const VorskRegistryEntry& e) {
  f.put8(nibble_off, ((static_cast<std::uint32_t>(e.group) & 0x0F) << 4) |
                         (static_cast<std::uint32_t>(e.security) & 0x0F));
  f.put8(date_off, static_cast<std::uint32_t>(e.year - 1900));
  f.put8(date_off + 1, static_cast<std::uint32_t>(e.month));
  f.put8(date_off + 2, static_cast<std::uint32_t>(e.day));
}

void take_name(const Frame& f, int off, VorskRegistryEntry* e) {
  f.get_bytes(off, e->name, kNameLen);
}

void take_nibbles_and_date(const Frame& f, int nibble_off, int date_off, VorskRegistryEntry* e) {
  const std::uint8_t nibbles = f.get8(nibble_off);
  e->group = nibbles >> 4;
  e->security = nibbles & 0x0F;
  e->year = f.get8(date_off) + 1900;
  e->month = f.get8(date_off + 1);
  e->day = f.get8(date_off + 2);
}

void write_entry_text(VorskRegistryEntry* e, int entry_off, const char* text) {
  const std::size_t n = std::strlen(text) + 1;
  if (entry_off + n > static_cast<std::size_t>(kEntrySize)) return;
  std::memcpy(reinterpret_cast<std::uint8_t*>(e) + entry_off, text, n);
}

}  // namespace vorskel::registry
