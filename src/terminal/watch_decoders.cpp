#include "terminal/watch_decoders.h"

#include <cstddef>

namespace vorskel::watch_report {

static_assert(sizeof(VorskWatchRecord) == 104);
static_assert(offsetof(VorskWatchRecord, card) == 0 && sizeof(VorskWatchRecord::card) == 10);
static_assert(offsetof(VorskWatchRecord, message) == 10 && sizeof(VorskWatchRecord::message) == 64);
static_assert(offsetof(VorskWatchRecord, date) == 74 && sizeof(VorskWatchRecord::date) == 12);
static_assert(offsetof(VorskWatchRecord, time) == 86 && sizeof(VorskWatchRecord::time) == 10);
static_assert(offsetof(VorskWatchRecord, valueA) == 96);
static_assert(offsetof(VorskWatchRecord, valueB) == 100);

bool crc_ok(const WatchDatagram& d) {
  return d.crc16_over(kCrcSpan) == d.le16(kCrc);
}

bool not_for_host(const std::uint8_t* data, int length) {
  return WatchDatagram(data, length).le16(kNotForHost) == kNotForHostMark;
}

void put_date(const WatchDatagram& d, char* date, std::size_t room) {
  put_field(date, room, "%04d-%02d-%02d", d.s8(kYear) + 1900, d.s8(kMonth), d.s8(kDay));
}

void put_time(const WatchDatagram& d, char* time, std::size_t room) {
  put_field(time, room, "%02d:%02d:%02d", d.s8(kHour), d.s8(kMinute), d.s8(kSecond));
}

void put_card(const WatchDatagram& d, char* card, std::size_t room) {
  put_field(card, room, "%02X%02X%02X%02X", d.u8(kCard), d.u8(kCard + 1), d.u8(kCard + 2),
            d.u8(kCard + 3));
}

int decode(const WatchDatagram& d, VorskWatchRecord* record) {
  if (!crc_ok(d)) return -2;
  d.text(kText, record->message, sizeof record->message);
  put_date(d, record->date, sizeof record->date);
  put_time(d, record->time, sizeof record->time);
  switch (d.le32(kCard)) {
    case kMessageMarker:
      break;
    case kValuesMarker:
      record->valueA = d.s8(kValueA);
      record->valueB = d.s8(kValueB) + kValuesShift;
      break;
    default:
      put_card(d, record->card, sizeof record->card);
      record->valueA = d.s8(kValueA);
      record->valueB = d.s8(kValueB);
      break;
  }
  return 0;
}

}  // namespace vorskel::watch_report
