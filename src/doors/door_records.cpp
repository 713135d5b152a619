// Record downloads of the Sondo and Lusk controllers: layouts of the shared paged download,
// on the record pointers and record total these controllers share with the Marn disposal
// records. Neither writes record file lines.
#include <algorithm>
#include <cstring>

#include "records/calendar.h"
#include "records/download_engine.h"
#include "records/entry_text.h"
#include "vorskel.h"

namespace vorskel::doors {
namespace {

using records::DecodedLine;
using records::format;

constexpr std::uint8_t kValidMark = 0xA;

// Writes text and its zero into the field [off, off + room) of an entry, cut to fit.
void field(std::uint8_t* entry, int off, int room, const char* text) {
  const std::size_t n = std::min(std::strlen(text), static_cast<std::size_t>(room - 1));
  std::memcpy(entry + off, text, n);
  entry[off + static_cast<int>(n)] = 0;
}

int s8(std::uint8_t b) {
  return static_cast<std::int8_t>(b);
}

// ---- Sondo: 16 bytes: card 0-3 and 4-7, reader 8, status 9, year-1900 10, mark and month
// 11, day 12, hour 13, minute 14, second 15.

bool sondo_valid(const std::uint8_t* r) {
  return r[11] >> 4 == kValidMark;
}

// 60-byte entry: reader 0, card 6, date 18, time 30, status text 40. The stored bytes are
// read as signed numbers, as hosts have always seen them printed.
void decode_sondo(const std::uint8_t* r, std::uint8_t* e, DecodedLine&) {
  field(e, 0, 6, format("%03d", s8(r[8])).s);
  field(e, 6, 12, format("%02X%02X%02X%02X", r[0], r[1], r[2], r[3]).s);
  field(e, 18, 12, records::date_text(s8(r[10]) + 1900, r[11] & 0x0F, s8(r[12])).s);
  field(e, 30, 10, records::time_text(s8(r[13]), s8(r[14]), s8(r[15])).s);
  const int status = s8(r[9]);
  e[40] = static_cast<std::uint8_t>('0' + status / 16);
  e[41] = '0';
  e[42] = static_cast<std::uint8_t>('0' + (status & 0x0F));
  e[43] = 0;
}

// 54-byte entry: card bytes 1-3 at 0, bytes 7, 6, 5, 4 at 8, date 12, time 24, status byte
// 34, reader byte 38.
void decode_sondo_ex(const std::uint8_t* r, std::uint8_t* e, DecodedLine&) {
  field(e, 0, 8, format("%02x%02x%02x", r[1], r[2], r[3]).s);
  const std::uint8_t reversed[4] = {r[7], r[6], r[5], r[4]};
  std::memcpy(e + 8, reversed, sizeof reversed);
  field(e, 12, 12, records::date_text(r[10] + 1900, r[11] & 0x0F, r[12]).s);
  field(e, 24, 10, records::time_text(r[13], r[14], r[15]).s);
  e[34] = r[9];
  e[38] = r[8];
}

// ---- Lusk: 16 bytes: card 0-3, number 4-7, 1980-based seconds 8-11, signed byte 12, mark
// in the high nibble of 13.

bool lusk_valid(const std::uint8_t* r) {
  return r[13] >> 4 == kValidMark;
}

// 74-byte entry, cleared: card 0, date 12, time 24, number 34, signed byte 44.
void decode_lusk(const std::uint8_t* r, std::uint8_t* e, DecodedLine&) {
  constexpr int kEntry = 74;
  std::memset(e, 0, kEntry);
  const records::TimeFields t = records::from_1980_seconds(records::le32(r + 8));
  field(e, 0, 12, format("%02x%02x%02x%02x", r[0], r[1], r[2], r[3]).s);
  field(e, 12, 12, records::date_text(t.full_year(), t.month, t.day).s);
  field(e, 24, 10, records::time_text(t.hour, t.minute, t.second).s);
  // A ten-digit number fills its 10 bytes; its zero lands on the next field, written next.
  field(e, 34, 11, format("%lu", static_cast<unsigned long>(records::le32(r + 4))).s);
  field(e, 44, kEntry - 44, format("%03d", s8(r[12])).s);
}

constexpr records::RecordLayout kSondoLayout{16, 60, sondo_valid, decode_sondo};
constexpr records::RecordLayout kSondoExLayout{16, 54, sondo_valid, decode_sondo_ex};
constexpr records::RecordLayout kLuskLayout{16, 74, lusk_valid, decode_lusk};

// Every slot of a page from its first byte; unmarked slots are neither decoded nor counted;
// the call stops once the shared record total is reached.
constexpr records::Paging kDoorPaging{.runs = records::PageRuns::kWholePage,
                                      .invalid = records::InvalidSlot::kNotCounted,
                                      .at_total = records::AtTotal::kEndPage,
                                      .files = records::RecordFiles::kNone};

constexpr records::DownloadRow kSondoRecord{.paging = kDoorPaging, .layout = kSondoLayout};
constexpr records::DownloadRow kSondoRecordEx{.paging = kDoorPaging, .layout = kSondoExLayout};
// Lusk downloads still make sure the records directory exists, as its hosts expect.
constexpr records::DownloadRow kLuskRecord{
    .paging = {.runs = records::PageRuns::kWholePage,
               .invalid = records::InvalidSlot::kNotCounted,
               .at_total = records::AtTotal::kEndPage,
               .files = records::RecordFiles::kDirectoryOnly},
    .layout = kLuskLayout};
constexpr records::RawPageRow kSondoRecordAll{.layout = kSondoLayout};

}  // namespace
}  // namespace vorskel::doors

using namespace vorskel;

extern "C" {

VORSKEL_API int VORSKEL_CALL Sondo_Record(unsigned char* out, int page, const char* host,
                                          int port) {
  return records::download_page(doors::kSondoRecord, records::shared_download_state(), out, page,
                                host, port);
}
VORSKEL_API int VORSKEL_CALL Sondo_Record_ex(unsigned char* out, int page, const char* host,
                                             int port) {
  return records::download_page(doors::kSondoRecordEx, records::shared_download_state(), out, page,
                                host, port);
}
VORSKEL_API int VORSKEL_CALL Sondo_RecordAll(unsigned char* out, int page, const char* host,
                                             int port) {
  return records::read_raw_page(doors::kSondoRecordAll, out, page, host, port);
}
VORSKEL_API int VORSKEL_CALL Lusk_Record(unsigned char* out, int page, const char* host, int port) {
  return records::download_page(doors::kLuskRecord, records::shared_download_state(), out, page,
                                host, port);
}

}  // extern "C"
