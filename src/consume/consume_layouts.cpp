#include "consume/consume_layouts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "records/calendar.h"
#include "records/entry_text.h"
#include "records/vorsk_layouts.h"

namespace vorskel::consume::layouts {
namespace {

using records::EntryWriter;
using records::format;
using records::le16;
using records::le32;
using records::Text;

constexpr std::uint8_t kValidNibble = 0xA;
constexpr std::uint8_t kBrellMarker = 0x5A;

Text u8lu(std::uint32_t v) {
  return format("%08lu", static_cast<unsigned long>(v));
}
Text type_text(std::uint8_t flag) {
  return format("%03d", flag & 0x0F);
}

// ---- consumption record ------------------------------------------------------------------
namespace c19 {
constexpr int kCard = 0, kA = 4, kB = 8, kStamp = 12, kFlag = 16, kC = 17;
constexpr int kEntry = 96;
constexpr int kEntryCard = 0, kEntryDate = 12, kEntryTime = 24, kEntryType = 34;
constexpr int kEntryB = 54, kEntryA = 70, kEntryC = 88;
}  // namespace c19

// ---- short consumption record ------------------------------------------------------------
namespace c10 {
constexpr int kCard = 0, kStamp = 4, kValue = 8;
constexpr int kEntry = 96;
constexpr int kEntryCard = 0, kEntryDate = 12, kEntryTime = 24, kEntryValue = 54;
}  // namespace c10

// ---- second-generation record ------------------------------------------------------------
namespace c22 {
constexpr int kCard = 0, kA = 4, kB = 8, kStamp = 12, kFlag = 16, kD = 17, kE = 18;
constexpr int kEntry = 124;
constexpr int kEntryCard = 0, kEntryDate = 12, kEntryTime = 24, kEntryType = 34;
constexpr int kEntryB = 54, kEntryE = 70, kEntryA = 86, kEntryD = 102;
}  // namespace c22

// ---- Brell record ------------------------------------------------------------------------
namespace b16 {
constexpr int kCard = 0, kF = 4, kG = 6, kStamp = 10, kMarker = 14, kH = 15;
constexpr int kEntry = 96;
constexpr int kEntryCard = 0, kEntryF = 16, kEntryG = 32, kEntryDate = 48, kEntryTime = 64;
constexpr int kEntryH = 80;
}  // namespace b16

// ---- merchant record ---------------------------------------------------------------------
namespace m8 {
constexpr int kNumber = 0, kFlag = 3, kStamp = 4;
constexpr int kEntry = 54;
constexpr int kEntryNumber = 0, kEntryDate = 12, kEntryTime = 24, kEntryType = 34;
}  // namespace m8

}  // namespace

bool flag_a_valid(const std::uint8_t* r) {
  static_assert(c19::kFlag == c22::kFlag, "both layouts keep their flag at byte 16");
  return (r[c19::kFlag] >> 4) == kValidNibble;
}

void decode_consumption(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  using namespace c19;
  EntryWriter e(entry, kEntry);
  Text date, time;
  records::write_stamp_texts(le32(r + kStamp), e, kEntryDate, kEntryTime, line, date, time);
  const Text card = u8lu(le32(r + kCard));
  const Text b = u8lu(le32(r + kB));
  const Text a = u8lu(le32(r + kA));
  const Text type = type_text(r[kFlag]);
  const std::uint32_t value_c = le16(r + kC);
  e.text(kEntryCard, card.s);
  e.text(kEntryB, b.s);
  e.text(kEntryA, a.s);
  e.text(kEntryType, type.s);
  e.put32(kEntryC, value_c);
  const Text c = format("%lu", static_cast<unsigned long>(value_c));
  records::join_into(line.text, {card.s, b.s, a.s, type.s, date.s, time.s, c.s});
}

bool short_valid(const std::uint8_t* r) {
  return le32(r + c10::kCard) != 0;
}

void mark_empty_short(const std::uint8_t* r, std::uint8_t* entry) {
  using namespace c10;
  std::memset(entry, 0, kEntry);
  EntryWriter e(entry, kEntry);
  DecodedLine unused;
  Text date, time;
  records::write_stamp_texts(le32(r + kStamp), e, kEntryDate, kEntryTime, unused, date, time);
}

void decode_short(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  using namespace c10;
  std::memset(entry, 0, kEntry);
  EntryWriter e(entry, kEntry);
  Text date, time;
  records::write_stamp_texts(le32(r + kStamp), e, kEntryDate, kEntryTime, line, date, time);
  const Text card = format("%010lu", static_cast<unsigned long>(le32(r + kCard)));
  const Text value = u8lu(le16(r + kValue));
  e.text(kEntryCard, card.s);
  e.text(kEntryValue, value.s);
  records::join_into(line.text, {card.s, value.s, date.s, time.s});
}

void decode_second_generation(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  using namespace c22;
  EntryWriter e(entry, kEntry);
  Text date, time;
  records::write_stamp_texts(le32(r + kStamp), e, kEntryDate, kEntryTime, line, date, time);
  const Text card = u8lu(le32(r + kCard));
  const Text type = type_text(r[kFlag]);
  const Text b = u8lu(le32(r + kB));
  const Text value_e = u8lu(le32(r + kE));
  const Text a = u8lu(le32(r + kA));
  const Text d = format("%03d", r[kD]);
  e.text(kEntryCard, card.s);
  e.text(kEntryType, type.s);
  e.text(kEntryB, b.s);
  e.text(kEntryE, value_e.s);
  e.text(kEntryA, a.s);
  e.text(kEntryD, d.s);
  records::join_into(line.text, {card.s, a.s, b.s, value_e.s, type.s, date.s, time.s, d.s});
}

bool brell_valid(const std::uint8_t* r) {
  return r[b16::kMarker] == kBrellMarker;
}

void decode_brell(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  using namespace b16;
  EntryWriter e(entry, kEntry);
  Text date, time;
  records::write_stamp_texts(le32(r + kStamp), e, kEntryDate, kEntryTime, line, date, time);
  const Text card = u8lu(le32(r + kCard));
  const Text f = u8lu(le16(r + kF));
  const Text g = u8lu(le32(r + kG));
  const Text h = u8lu(r[kH]);
  e.text(kEntryCard, card.s);
  e.text(kEntryF, f.s);
  e.text(kEntryG, g.s);
  e.text(kEntryH, h.s);
  records::join_into(line.text, {card.s, f.s, g.s, h.s, date.s, time.s});
}

bool merchant_valid(const std::uint8_t* r) {
  return (r[m8::kFlag] >> 4) == kValidNibble;
}

void decode_merchant(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  using namespace m8;
  std::memset(entry, 0, kEntry);
  EntryWriter e(entry, kEntry);
  const std::uint32_t number = static_cast<std::uint32_t>(r[kNumber] << 16) |
                               static_cast<std::uint32_t>(r[kNumber + 1] << 8) | r[kNumber + 2];
  e.text(kEntryNumber, u8lu(number).s);
  e.text(kEntryType, type_text(r[kFlag]).s);
  Text date, time;
  records::write_stamp_texts(le32(r + kStamp), e, kEntryDate, kEntryTime, line, date, time);
}

}  // namespace vorskel::consume::layouts
