// The controller's event records: 16 bytes stamped in seconds since 1980, downloaded page by
// page with the shared record engine (download_engine.h) and decoded into 64-byte entries.
// The page readers take the record-read lock after their page-0 queries, so their page
// reads never interleave with the consumption terminals' long record reads.
#include <climits>
#include <cstdint>

#include "records/calendar.h"
#include "records/download_engine.h"
#include "records/entry_text.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::multidoor {
namespace {

using records::DecodedLine;
using records::EntryWriter;
using records::format;
using records::Text;

// ---- the stored record and the entry ---------------------------------------------------
constexpr int kRecordBytes = 16;
constexpr int kPageBytes = 512;
constexpr int kStampAt = 0;
constexpr int kCard1At = 4;  // high byte, facility byte, number (big-endian 16 bits)
constexpr int kCard2At = 8;
constexpr int kEventAAt = 14;
constexpr int kEventBAt = 15;
constexpr std::uint8_t kRawMark = 0xA0;  // byte 14 of a record in a raw page

constexpr int kEntryBytes = 64;
constexpr int kEntryTime = 0;
constexpr int kEntryEventA = 24;
constexpr int kEntryEventB = 28;
constexpr int kEntryCard1 = 32;
constexpr int kEntryCard2 = 48;
static_assert(sizeof(FerrinRecordEntry) == kEntryBytes);

unsigned be16(const std::uint8_t* p) {
  return static_cast<unsigned>((p[0] << 8) | p[1]);
}

// Writes the date-time text and the two event integers; returns the date-time text and
// leaves the record's date in line.date (the day's record file).
Text write_time_and_events(const std::uint8_t* r, int a, int b, EntryWriter& e, DecodedLine& line) {
  const records::TimeFields t = records::from_1980_seconds(records::le32(r + kStampAt));
  const Text when = format("%04d-%02d-%02d %02d:%02d:%02d", t.full_year(), t.month, t.day, t.hour,
                           t.minute, t.second);
  e.text(kEntryTime, when.s);
  std::snprintf(line.date, sizeof line.date, "%04d-%02d-%02d", t.full_year(), t.month, t.day);
  e.put32(kEntryEventA, static_cast<std::uint32_t>(a));
  e.put32(kEntryEventB, static_cast<std::uint32_t>(b));
  return when;
}

int event(const std::uint8_t* r, int at) {
  return static_cast<std::int8_t>(r[at]);
}

// Card texts and the line: "card1 card2 date-time A B" (the engine adds the address).
void finish(EntryWriter& e, const Text& card1, const char* card2, const Text& when, int a, int b,
            DecodedLine& line) {
  e.text(kEntryCard1, card1.s);
  e.text(kEntryCard2, card2);
  records::join_into(line.text, {card1.s, card2, when.s, format("%d", a).s, format("%d", b).s});
}

// 26-bit cards: facility byte and number of each card; the high byte is not printed.
void decode_card26(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  EntryWriter e(entry, kEntryBytes);
  const int a = event(r, kEventAAt), b = event(r, kEventBAt);
  const Text when = write_time_and_events(r, a, b, e, line);
  const Text card1 = format("%03u%05u", r[kCard1At + 1], be16(r + kCard1At + 2));
  const Text card2 = format("%03u%05u", r[kCard2At + 1], be16(r + kCard2At + 2));
  finish(e, card1, card2.s, when, a, b, line);
}

// 66-bit cards: record bytes 4-10 as 14 hex digits; there is no second card.
void decode_card66(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  EntryWriter e(entry, kEntryBytes);
  const int a = event(r, kEventAAt), b = event(r, kEventBAt);
  const Text when = write_time_and_events(r, a, b, e, line);
  const std::uint8_t* c = r + kCard1At;
  const Text card1 =
      format("%02X%02X%02X%02X%02X%02X%02X", c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
  finish(e, card1, "0", when, a, b, line);
}

// A raw page prints each card as two big-endian halves and bytes 4 and 5 as the integers.
void decode_raw(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line) {
  EntryWriter e(entry, kEntryBytes);
  write_time_and_events(r, event(r, kCard1At), event(r, kCard1At + 1), e, line);
  e.text(kEntryCard1, format("%03u%05u", be16(r + kCard1At), be16(r + kCard1At + 2)).s);
  e.text(kEntryCard2, format("%03u%05u", be16(r + kCard2At), be16(r + kCard2At + 2)).s);
}

bool every_slot(const std::uint8_t*) {
  return true;  // the page readers' records carry no validity mark
}
bool raw_marked(const std::uint8_t* r) {
  return r[kEventAAt] == kRawMark;
}

// ---- the download rows ----------------------------------------------------------------
// The standard paging with the record-read lock; the walk ends at the record total.
constexpr records::Paging kPageReaders{.at_total = records::AtTotal::kEndPage,
                                       .lock = records::ReadLock::kRecordRead};
constexpr records::DownloadRow kCard26Records{.paging = kPageReaders,
                                              .layout = {.record_bytes = kRecordBytes,
                                                         .entry_bytes = kEntryBytes,
                                                         .valid = every_slot,
                                                         .decode = decode_card26}};
constexpr records::DownloadRow kCard66Records{.paging = kPageReaders,
                                              .layout = {.record_bytes = kRecordBytes,
                                                         .entry_bytes = kEntryBytes,
                                                         .valid = every_slot,
                                                         .decode = decode_card66}};
// Any page by number, pointers ignored: its first 8 records up to the first unmarked one.
constexpr records::RawPageRow kRawPage{
    .layout = {.record_bytes = kRecordBytes,
               .entry_bytes = kEntryBytes,
               .valid = raw_marked,
               .decode = decode_raw},
    .last_page = INT_MAX / kPageBytes,  // keeps page x 512 inside 32 bits
    .slots = 8,
    .invalid = records::InvalidSlot::kEndsPage,
    .files = records::RecordFiles::kDirectoryOnly};

records::OwnDownloadState card26_state;
records::OwnDownloadState card66_state;

std::uint8_t* bytes_of(FerrinRecordEntry* entries) {
  return reinterpret_cast<std::uint8_t*>(entries);
}

int read_card26(FerrinRecordEntry* entries, int page, const char* host, int port, int* count) {
  if (count != nullptr) *count = 0;
  const int n = records::download_page(kCard26Records, card26_state.view(), bytes_of(entries), page,
                                       host, port);
  if (n < 0) return n;
  if (count != nullptr) *count = n;
  return 0;
}

int read_raw(FerrinRecordEntry* entries, int page, const char* host, int port) {
  const int n = records::read_raw_page(kRawPage, bytes_of(entries), page, host, port);
  return n < 0 ? n : 0;
}

constexpr std::uint8_t kClearRecords = 32;

int clear_records(const char* host, int port) {
  Frame f(kClearRecords);
  return f.exchange(0, 0, host, port);
}

}  // namespace
}  // namespace vorskel::multidoor

using namespace vorskel::multidoor;

extern "C" {

VORSKEL_API int VORSKEL_CALL Ferrin_ReadRecord(FerrinRecordEntry* entries, int page,
                                               const char* host, int port, int* count) {
  return read_card26(entries, page, host, port, count);
}
VORSKEL_API int VORSKEL_CALL Ferrin_ReadRecord_Weigen66(FerrinRecordEntry* entries, int page,
                                                        const char* host, int port) {
  return vorskel::records::download_page(kCard66Records, card66_state.view(), bytes_of(entries),
                                         page, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_ReadAllRecord(FerrinRecordEntry* entries, int page,
                                                  const char* host, int port) {
  return read_raw(entries, page, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_InitRecord(const char* host, int port) {
  return clear_records(host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_InitFlash3(const char* host, int port) {
  return clear_records(host, port);
}

}  // extern "C"
