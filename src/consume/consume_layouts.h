// The record layouts of the payment terminals: how each stored record is recognised and
// decoded into the entry hosts read, and into its record file line. The downloads that use
// them are rows of the record download engine (records/download_engine.h).
#pragma once

#include "records/download_engine.h"

namespace vorskel::consume {

using records::DecodedLine;
using records::RecordLayout;

namespace layouts {
bool flag_a_valid(const std::uint8_t* r);  // flag byte 16: high nibble 0xA
void decode_consumption(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
bool short_valid(const std::uint8_t* r);
void decode_short(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
void mark_empty_short(const std::uint8_t* r, std::uint8_t* entry);
void decode_second_generation(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
bool brell_valid(const std::uint8_t* r);
void decode_brell(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
bool merchant_valid(const std::uint8_t* r);
void decode_merchant(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
}  // namespace layouts

// Consumption record (19 bytes): card 0-3, value A 4-7, value B 8-11, 1980 seconds 12-15,
// flag 16 (0xA mark, type in the low nibble), value C 17-18.
// Entry 96: "%08lu" card 0, date 12, time 24, "%03d" type 34, "%08lu" B 54, "%08lu" A 70,
// C as a 32-bit number at 88; bytes 92-95 and the rest of each field untouched.
// Line: card B A type date time C("%lu").
inline constexpr RecordLayout kConsumptionRecord{19, 96, layouts::flag_a_valid,
                                                 layouts::decode_consumption};

// Short consumption record (10 bytes): card 0-3 (0: empty slot), 1980 seconds 4-7, value
// 8-9. Entry 96, cleared first: "%010lu" card 0, date 12, time 24, "%08lu" value 54. An empty
// slot still clears and dates the entry at the current position, which the next record
// overwrites. Line: card value date time.
inline constexpr RecordLayout kShortConsumptionRecord{
    10, 96, layouts::short_valid, layouts::decode_short, layouts::mark_empty_short};

// Second-generation record (22 bytes): card 0-3, A 4-7, B 8-11, 1980 seconds 12-15, flag 16,
// D 17, E 18-21. Entry 124: card 0, date 12, time 24, type 34, B 54, E 70, A 86 ("%08lu"),
// "%03d" D 102. Line: card A B E type date time D.
inline constexpr RecordLayout kSecondGenerationRecord{22, 124, layouts::flag_a_valid,
                                                      layouts::decode_second_generation};

// Brell record (16 bytes): card 0-3, F 4-5, G 6-9, 1980 seconds 10-13, marker 14 (0x5A),
// H 15. Entry 96: "%08lu" card 0, F 16, G 32, date 48, time 64, H 80.
// Line: card F G H date time.
inline constexpr RecordLayout kBrellRecord{16, 96, layouts::brell_valid, layouts::decode_brell};

// Merchant record (8 bytes): number 0-2 (most significant first), flag 3 (0xA mark, type),
// 1980 seconds 4-7. Entry 54, cleared first: "%08lu" number 0, date 12, time 24, "%03d"
// type 34. No line.
inline constexpr RecordLayout kMerchantRecord{8, 54, layouts::merchant_valid,
                                              layouts::decode_merchant};

}  // namespace vorskel::consume
