#include "consume/reports_decoders.h"

#include <cstddef>

#include "records/calendar.h"
#include "transport/crc16.h"

namespace vorskel::reports {

static_assert(sizeof(NemmarConsumptionEntry) == 96);
static_assert(offsetof(NemmarConsumptionEntry, card) == 0);
static_assert(offsetof(NemmarConsumptionEntry, date) == 12);
static_assert(offsetof(NemmarConsumptionEntry, time) == 24);
static_assert(offsetof(NemmarConsumptionEntry, type) == 34);
static_assert(offsetof(NemmarConsumptionEntry, valueB) == 54);
static_assert(offsetof(NemmarConsumptionEntry, valueA) == 70);
static_assert(offsetof(NemmarConsumptionEntry, valueC) == 88);
static_assert(sizeof(BrellBooking) == 24);
static_assert(offsetof(BrellBooking, card) == 0 && sizeof(BrellBooking::card) == 9);
static_assert(offsetof(BrellBooking, first) == 12);
static_assert(offsetof(BrellBooking, second) == 16);
static_assert(offsetof(BrellBooking, digit) == 20);
static_assert(sizeof(VorskSavedReport) == 104);
static_assert(offsetof(VorskSavedReport, id) == 0);
static_assert(offsetof(VorskSavedReport, block) == 10);
static_assert(offsetof(VorskSavedReport, date) == 74 && sizeof(VorskSavedReport::date) == 12);
static_assert(offsetof(VorskSavedReport, time) == 86 && sizeof(VorskSavedReport::time) == 10);

namespace {

void put_stamp(std::uint32_t stamp, char* date, std::size_t date_room, char* time,
               std::size_t time_room) {
  const records::TimeFields t = records::from_1980_seconds(stamp);
  put_field(date, date_room, "%04d-%02d-%02d", t.full_year(), t.month, t.day);
  put_field(time, time_room, "%02d:%02d:%02d", t.hour, t.minute, t.second);
}

int bcd_value(std::uint8_t b) {
  return (b >> 4) * 10 + (b & 0x0F);
}

}  // namespace

bool consumption_valid(const WatchDatagram& d) {
  return d.u8(consumption::kRecord + consumption::kFlag) >> 4 == consumption::kValidMark;
}

void decode_consumption_record(const WatchDatagram& d, int off, NemmarConsumptionEntry* e) {
  namespace c = consumption;
  put_stamp(d.le32(off + c::kStamp), e->date, sizeof e->date, e->time, sizeof e->time);
  put_field(e->card, sizeof e->card, "%08lu", static_cast<unsigned long>(d.le32(off + c::kCard)));
  put_field(e->valueB, sizeof e->valueB, "%08lu",
            static_cast<unsigned long>(d.le32(off + c::kValueB)));
  put_field(e->valueA, sizeof e->valueA, "%08lu",
            static_cast<unsigned long>(d.le32(off + c::kValueA)));
  put_field(e->type, sizeof e->type, "%03d", d.u8(off + c::kFlag) & 0x0F);
  e->valueC = d.le16(off + c::kValueC);
}

bool has_report_marker(const WatchDatagram& d) {
  return d.le16(kMarker) == kReportMarker;
}

int decode_booking(const WatchDatagram& d, BrellBooking* out) {
  namespace b = booking;
  if (!has_report_marker(d)) return -2;
  put_field(out->card, sizeof out->card, "%02x%02x%02x%02x", d.u8(b::kCard), d.u8(b::kCard + 1),
            d.u8(b::kCard + 2), d.u8(b::kCard + 3));
  out->first = bcd_value(d.u8(b::kFirst));
  out->second = bcd_value(d.u8(b::kSecond));
  out->digit = d.s8(b::kDigit) - '0';
  return 0;
}

std::array<std::uint8_t, booking::kAckLength> booking_ack(std::uint8_t code) {
  namespace b = booking;
  std::array<std::uint8_t, b::kAckLength> ack{};
  ack[b::kAckKindAt] = b::kAckKind;
  ack[b::kAckCodeAt] = code;
  const std::uint16_t crc = crc16(ack.data() + b::kAckCrcFrom, b::kAckCrcSpan);
  ack[0] = static_cast<std::uint8_t>(crc);
  ack[1] = static_cast<std::uint8_t>(crc >> 8);
  return ack;
}

std::array<std::uint8_t, saved::kAckLength> report_ack(const WatchDatagram& d) {
  std::array<std::uint8_t, saved::kAckLength> ack{};
  d.copy(0, ack.data(), saved::kAckCrcSpan);
  ack[kMarker] = static_cast<std::uint8_t>(kAckMarker);
  ack[kMarker + 1] = static_cast<std::uint8_t>(kAckMarker >> 8);
  const std::uint16_t crc = crc16(ack.data(), saved::kAckCrcSpan);
  ack[saved::kAckCrc] = static_cast<std::uint8_t>(crc);
  ack[saved::kAckCrc + 1] = static_cast<std::uint8_t>(crc >> 8);
  return ack;
}

void decode_saved_report(const WatchDatagram& d, VorskSavedReport* out) {
  namespace s = saved;
  d.copy(s::kId, out->id, s::kIdLength);
  d.copy(s::kBlock, out->block, s::kBlockLength);
  put_stamp(d.le32(s::kStamp), out->date, sizeof out->date, out->time, sizeof out->time);
}

}  // namespace vorskel::reports
