#include "records/vorsk_layouts.h"

#include <algorithm>
#include <cstring>

#include "records/calendar.h"
#include "records/entry_text.h"

namespace vorskel::records {
namespace layouts {

// ---- the standard 16-byte record -------------------------------------------------------

constexpr int kStdCardBytes = 8;
constexpr int kStdStatus = 9;
constexpr int kStdYear = 10;
constexpr int kStdMarkMonth = 11;
constexpr std::uint8_t kValidNibble = 0xA;

constexpr int kEntry54 = 54;
constexpr int kEntryCard = 0;
constexpr int kEntryDate = 12;
constexpr int kEntryTime = 24;
constexpr int kEntryStatusText = 34;

static bool mark_a(std::uint8_t byte) {
  return (byte >> 4) == kValidNibble;
}

bool standard_valid(const std::uint8_t* r) {
  return mark_a(r[kStdMarkMonth]);
}

// Date and time texts of a record that stores its calendar fields as bytes.
// The year byte at year_at; the mark and month byte, day, hour, minute and second follow
// from month_at on.
static void write_stored_date_time(const std::uint8_t* r, int year_at, int month_at, EntryWriter& e,
                                   DecodedLine& line, Text& date, Text& time) {
  const int month = r[month_at] & 0x0F;
  set_date_text(date, 1900 + r[year_at], month, r[month_at + 1]);
  set_time_text(time, r[month_at + 2], r[month_at + 3], r[month_at + 4]);
  e.text(kEntryDate, date.s);
  e.text(kEntryTime, time.s);
  line.set_date(date.s);
}

static char hex_digit(int nibble) {
  return "0123456789ABCDEF"[nibble & 0x0F];
}

static void write_status_text(std::uint8_t status, EntryWriter& e, bool hex) {
  const int hi = status >> 4;
  const int lo = status & 0x0F;
  const char text[4] = {hex ? hex_digit(hi) : static_cast<char>('0' + hi), '0',
                        hex ? hex_digit(lo) : static_cast<char>('0' + lo), '\0'};
  e.text(kEntryStatusText, text);
}

void decode_standard(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  EntryWriter e(entry, kEntry54);
  char card[kStdCardBytes + 1] = {};
  std::memcpy(card, r, kStdCardBytes);
  e.bytes(kEntryCard, r, kStdCardBytes);
  e.clear(kStdCardBytes, 1);
  e.bytes(kStdStatus, r + kStdStatus, 1);
  Text date, time;
  write_stored_date_time(r, kStdYear, kStdMarkMonth, e, line, date, time);
  write_status_text(r[kStdStatus], e, true);
  join_into(line.text, {card, date.s, time.s});
}

void decode_raw_standard(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  EntryWriter e(entry, kEntry54);
  e.bytes(kEntryCard, r, kStdStatus + 1);  // no terminator: the raw bytes 0-9 as stored
  Text date, time;
  write_stored_date_time(r, kStdYear, kStdMarkMonth, e, line, date, time);
  write_status_text(r[kStdStatus], e, false);
  join_into(line.text, {date.s, time.s});
}

void decode_card32(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  EntryWriter e(entry, kEntry54);
  const Text card = format("%010u", le32(r));
  e.text(kEntryCard, card.s);
  Text date, time;
  write_stored_date_time(r, kStdYear, kStdMarkMonth, e, line, date, time);
  write_status_text(r[kStdStatus], e, true);
  join_into(line.text, {card.s, date.s, time.s});
}

// ---- records with a 1980 time stamp ----------------------------------------------------

}  // namespace layouts

void write_stamp_texts(std::uint32_t stamp, EntryWriter& e, int date_at, int time_at,
                       DecodedLine& line, Text& date, Text& time) {
  const TimeFields t = from_1980_seconds(stamp);
  set_date_text(date, t.full_year(), t.month, t.day);
  set_time_text(time, t.hour, t.minute, t.second);
  e.text(date_at, date.s);
  e.text(time_at, time.s);
  line.set_date(date.s);
}

namespace layouts {

constexpr std::uint32_t kPasswordChangeMark = 0xA1A1A1A1;
constexpr int kEntry48 = 48;
constexpr int kEntrySecondNumber = 36;

bool password_change_valid(const std::uint8_t* r) {
  return le32(r + 12) == kPasswordChangeMark;
}

void decode_password_change(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  EntryWriter e(entry, kEntry48);
  const Text card = format("%010u", le32(r));
  const Text second = format("%010u", le32(r + 8));
  e.text(kEntryCard, card.s);
  Text date, time;
  write_stamp_texts(le32(r + 4), e, kEntryDate, kEntryTime, line, date, time);
  e.text(kEntrySecondNumber, second.s);
  join_into(line.text, {card.s, date.s, time.s, second.s});
}

// ---- the 10-byte short record ----------------------------------------------------------

constexpr int kShortYear = 4;
constexpr int kShortMarkMonth = 5;
constexpr int kShortDay = 6;
constexpr int kShortHour = 7;
constexpr int kShortMinute = 8;
constexpr int kShortSecond = 9;
constexpr int kMaxMonth = 12, kMaxDay = 31, kMaxHour = 24, kMaxMinute = 59, kMaxSecond = 59;

bool short_valid(const std::uint8_t* r) {
  return mark_a(r[kShortMarkMonth]) && (r[kShortMarkMonth] & 0x0F) <= kMaxMonth &&
         r[kShortDay] <= kMaxDay && r[kShortHour] <= kMaxHour && r[kShortMinute] <= kMaxMinute &&
         r[kShortSecond] <= kMaxSecond;
}

void decode_short(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  EntryWriter e(entry, kEntry54);
  const Text card = format("%02X%02X%02X%02X", r[0], r[1], r[2], r[3]);
  e.text(kEntryCard, card.s);
  Text date, time;
  write_stored_date_time(r, kShortYear, kShortMarkMonth, e, line, date, time);
  join_into(line.text, {card.s, date.s, time.s});
}

// ---- the 18-byte flow record -----------------------------------------------------------

constexpr int kFlowBytes = 18;
constexpr int kFlowMarkByte = 7;  // top byte of the little-endian number in bytes 4-7

bool flow_valid(const std::uint8_t* r) {
  return mark_a(r[kFlowMarkByte]);
}

void decode_flow(const std::uint8_t* r, std::uint8_t* entry, DecodedLine&) {
  std::memcpy(entry, r, kFlowBytes);
  entry[kFlowMarkByte] &= 0x0F;
}

// ---- the 21-byte disposal record -------------------------------------------------------

constexpr int kDisposalBytes = 21;
constexpr int kDisposalFlag = 20;
constexpr std::uint8_t kDisposalMark = 0xE0;
constexpr int kEntry104 = 104;

bool disposal_valid(const std::uint8_t* r) {
  // Erased flash (all 0xFF) passes the flag test but is no record: the page holding the end
  // pointer ends in erased slots, and a wrapped area visits it before its oldest records.
  const bool erased = std::all_of(r, r + kDisposalBytes, [](std::uint8_t b) { return b == 0xFF; });
  return !erased && (r[kDisposalFlag] & kDisposalMark) == kDisposalMark;
}

void decode_disposal(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  EntryWriter e(entry, kEntry104);
  const Text card = format("%lu", static_cast<unsigned long>(le32(r)));
  const Text a = format("%lu", static_cast<unsigned long>(le32(r + 8)));
  const Text b = format("%lu", static_cast<unsigned long>(le32(r + 12)));
  const Text c = format("%lu", static_cast<unsigned long>(le32(r + 16)));
  const Text flag = format("%x", static_cast<unsigned>(r[kDisposalFlag] & kDisposalMark));
  e.text(0, card.s);
  Text date, time;
  write_stamp_texts(le32(r + 4), e, 16, 32, line, date, time);
  e.text(48, a.s);
  e.text(64, b.s);
  e.text(80, c.s);
  e.text(96, flag.s);
  join_into(line.text, {card.s, date.s, a.s, b.s, c.s, flag.s, time.s});
}

}  // namespace layouts
}  // namespace vorskel::records
