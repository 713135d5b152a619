// The caller's 48-byte registration entry and how its fields travel in the registration
// command (code 12). The entry is handled as bytes at fixed offsets, because read-back texts
// are written with their terminating zero and so run one byte into the following field, as
// hosts have always seen them.
#pragma once

#include <cstdint>

#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::registry {

inline constexpr std::uint8_t kRegistrationCommand = protocol::code::kRegistration;

// Operation types of the registration command.
using protocol::kCardOnly;
using protocol::kReadBack;
using protocol::kStore;
inline bool valid_operation(int type) {
  return protocol::valid_registration_op(type);
}

// Vorsk_Registry on the calling thread's channel: -1 for a bad type or a null entry, a
// transaction's failure, or the terminal's status.
int vorsk_registration(VorskRegistryEntry* entry, int type, const char* host, int port);

// Offsets inside the entry.
inline constexpr int kEntryCard1 = 0;
inline constexpr int kEntryCard2 = 8;
inline constexpr int kEntryName = 16;
inline constexpr int kEntryGroup = 24;
inline constexpr int kEntrySecurity = 28;
inline constexpr int kEntryExtra = 32;
inline constexpr int kEntryYear = 36;
inline constexpr int kEntryMonth = 40;
inline constexpr int kEntryDay = 44;
inline constexpr int kEntrySize = 48;
inline constexpr int kCardTextLen = 8;
inline constexpr int kNameLen = 8;

// A card text packed from 8 hexadecimal digits, 4 bytes, first digit in the high nibble.
void put_hex_card(Frame& f, int off, const char* text);
// The first at most 8 characters of a card text read as a decimal number.
std::uint32_t decimal_card(const char* text);

// The fields every stored registration carries: name (through the display-text conversion
// on a traditional-Chinese system), the group/security nibble byte, and year - 1900, month,
// day at date_off .. date_off + 2.
void put_name(Frame& f, int off, const VorskRegistryEntry& e);
void put_nibbles_and_date(Frame& f, int nibble_off, int date_off, const VorskRegistryEntry& e);

// Read-back: the nibble byte and the date into the entry, the name's 8 bytes, and a card
// text written with its terminating zero (which lands on the next field's first byte).
void take_name(const Frame& f, int off, VorskRegistryEntry* e);
void take_nibbles_and_date(const Frame& f, int nibble_off, int date_off, VorskRegistryEntry* e);
void write_entry_text(VorskRegistryEntry* e, int entry_off, const char* text);

// A reply field read as a signed 16-bit number (the terminal's answer in the type field).
inline int signed16(const Frame& f, int off) {
  return static_cast<std::int16_t>(f.get16(off));
}

}  // namespace vorskel::registry
