// Small pure helpers shared by the command families: CRC-8, hexadecimal card-number text,
// per-card keys, decimal text, and the traditional-to-simplified conversion of texts sent to
// terminal displays and name memories.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorskel {

// CRC-8, generator 0x31, initial 0, not reflected, no final XOR ("123456789" -> 0xA2).
std::uint8_t crc8(const std::uint8_t* data, std::size_t length);

// Hexadecimal text to bytes, two characters a byte, count characters; case-insensitive, a
// non-hex character counts as 0. Writes count / 2 bytes (an odd count's last high nibble is
// written with a low nibble of 0) and no terminator.
void hex_text_to_bytes(const char* text, std::uint8_t* out, int count);

// A card or password text of at most room characters (8 hex digits for a card's 4 bytes) to
// bytes: read up to its end only, at most 2 x bytes digits; missing digits count as 0.
// Writes bytes bytes (at most kMaxHexTextBytes).
inline constexpr int kMaxHexTextBytes = 8;
void hex_prefix_to_bytes(const char* text, int room, std::uint8_t* out, int bytes);

// The 6-byte key of one card from its 4-byte serial number and a 6-byte base key.
void card_key(const std::uint8_t serial[4], const std::uint8_t key[6], std::uint8_t out[6]);

// A decimal text as an unsigned 32-bit number: leading white space skipped, optional sign,
// digits accumulated modulo 2^32 up to the first non-digit, negated after a minus.
std::uint32_t decimal_text_to_u32(const char* text);

// Big5 to GB2312: copies bytes below 0xA1 (and a lead byte followed by a byte below 0x40)
// unchanged, converts every Big5 pair through the table. A pair whose lead byte is the
// last one inside count is still converted with the byte after it, so dst receives up to
// count + 1 bytes, and src must be readable at [count] (texts are zero-terminated).
// Returns the number of bytes written.
int big5_to_gb2312(const std::uint8_t* src, std::uint8_t* dst, int count);

// True when the system default language is traditional Chinese (IDs 1028 and 3076).
bool traditional_chinese_system();

// What every text for a terminal display or name memory goes through: converted on a
// traditional-Chinese system, copied unchanged otherwise. dst needs room for count + 1
// bytes (a conversion may finish a pair whose lead byte is the last one inside count).
// Returns the number of bytes written.
int display_text(const std::uint8_t* src, std::uint8_t* dst, int count);

}  // namespace vorskel
