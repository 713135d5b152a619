// The record layouts of the main terminal family (Vorsk and Marn): how each stored record
// is recognised and decoded into the entry hosts read, and into its record file line.
#pragma once

#include "records/download_engine.h"
#include "records/entry_text.h"

namespace vorskel::records {

// Writes the date and time texts of a 1980 time stamp into date and time and at date_at and
// time_at of the entry, and hands the date to the line (the day's record file). Every family
// whose records carry such a stamp uses it.
void write_stamp_texts(std::uint32_t stamp, EntryWriter& e, int date_at, int time_at,
                       DecodedLine& line, Text& date, Text& time);

namespace layouts {
bool standard_valid(const std::uint8_t* r);
void decode_standard(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
void decode_raw_standard(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
void decode_card32(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
bool password_change_valid(const std::uint8_t* r);
void decode_password_change(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
bool short_valid(const std::uint8_t* r);
void decode_short(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
bool flow_valid(const std::uint8_t* r);
void decode_flow(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
bool disposal_valid(const std::uint8_t* r);
void decode_disposal(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
}  // namespace layouts

// 16 bytes: card text 0-7, status byte 9, year-1900 10, 0xA mark and month 11, day 12,
// hour 13, minute 14, second 15. Entry 54: card text 0 (zero at 8), status byte 9, date
// 12, time 24, status text 34 ("3" "0" "C" for 0x3C). Line: card date time.
inline constexpr RecordLayout kStandardRecord{16, 54, layouts::standard_valid,
                                              layouts::decode_standard};

// The standard record seen raw (Vorsk_RecordAll): entry bytes 0-9 are stored bytes 0-9,
// date 12, time 24, status text 34 built as '0' + nibble (nibbles 10-15 give ':' to '?').
inline constexpr RecordLayout kRawStandardRecord{16, 54, layouts::standard_valid,
                                                 layouts::decode_raw_standard};

// The standard record with a 32-bit card number in bytes 0-3 (Vorsk_Record_weigen34).
// Entry 54: "%010u" card 0, date 12, time 24, status text 34. Line: card date time.
inline constexpr RecordLayout kCard32Record{16, 54, layouts::standard_valid,
                                            layouts::decode_card32};

// 16 bytes: card 0-3, 1980 time stamp 4-7, second number 8-11, mark A1 A1 A1 A1 12-15
// (Vorsk_Record_Chgpsw). Entry 48: "%010u" card 0, date 12, time 24, "%010u" second number
// 36. Line: card date time second-number.
inline constexpr RecordLayout kPasswordChangeRecord{16, 48, layouts::password_change_valid,
                                                    layouts::decode_password_change};

// 10 bytes: card bytes 0-3, year-1900 4, 0xA mark and month 5, day 6, hour 7, minute 8,
// second 9; taken only with month <= 12, day <= 31, hour <= 24, minute and second <= 59
// (Vorsk_RecordEx). Entry 54: "%02X%02X%02X%02X" card 0, date 12, time 24. Line: card date
// time.
inline constexpr RecordLayout kShortRecord{10, 54, layouts::short_valid, layouts::decode_short};

// 18 bytes, valid when the top four bits of the 32-bit number in bytes 4-7 are 1010
// (Vorsk_FlowControlRecord). Entry: the 18 bytes with those four bits cleared.
inline constexpr RecordLayout kFlowRecord{18, 18, layouts::flow_valid, layouts::decode_flow};

// 21 bytes: card 0-3, 1980 time stamp 4-7, values A 8-11, B 12-15, C 16-19, flag 20 (valid
// when its top three bits are set, unless the whole slot is erased flash), 24 to a 512-byte
// page (Marn_Disposal_Record).
// Entry 104: "%lu" card 0, date 16, time 32, A 48, B 64, C 80, "%x" of flag & 0xE0 at 96.
// Line: card date A B C flag time.
inline constexpr RecordLayout kDisposalRecord{21, 104, layouts::disposal_valid,
                                              layouts::decode_disposal};

}  // namespace vorskel::records
