// The paged record download, written once for every model that keeps its records in a
// ring-shaped flash area. The host calls a download export with page 0, 1, 2, ... until it
// returns -1; each call reads one flash page and decodes the records in it into fixed-size
// entries of the caller's buffer, appending one line per record to the record files.
//
// A download export is one row: a DownloadRow (how pages are read and walked, and what a
// record is) plus the DownloadState it keeps between calls (download_state.h). Adding a
// model's download means writing its RecordLayout (record size, entry size, validity test,
// decoder) and choosing its Paging values, then forwarding the export to download_page:
//
//   bool flag_a(const std::uint8_t* r);                                // valid record?
//   void decode(const std::uint8_t* r, std::uint8_t* entry, DecodedLine& line);
//   constexpr DownloadRow kNemmarRecord{
//       .paging = {.page_bytes = 494},  // 26 records of 19 bytes a page, Vorsk_Record's rules
//       .layout = {.record_bytes = 19, .entry_bytes = 96, .valid = flag_a, .decode = decode},
//   };
//   OwnDownloadState state;  // or shared_download_state() for the exports that share one
//   ... Nemmar_Record(out, page, host, port) {
//     return download_page(kNemmarRecord, state.view(), out, page, host, port);
//   }
//
// The main terminal's rows are in record_downloads.cpp and disposal.cpp; their layouts in
// vorsk_layouts.h; download_engine_test.cpp runs rows with other sizes, a lock and a hook.
// Readers whose paging differs (the short-record reader, the registration area of the
// multi-door controller) keep their own page-address rule and reuse the layouts, the record
// file writer, the shared pointer storage and load_record_pointers; raw pages without
// pointers are a RawPageRow. Records that always lie between the two pointers, whatever
// the cycle byte says (the merchant records of area 3), are a row with
// Bounds::kStartToEnd; the payment terminals' rows are in consume/record_downloads.cpp.
//
// What page 0 does: clears the state's pointers, runs the record-pointer query (and the
// count query), resets the scanned count. What every call does: returns -1 when start
// pointer, end pointer and area end are all equal; picks the reading order from the cycle
// byte; turns the page number into a flash address (-1 past the data, 0 for a page inside
// the empty gap of a wrapped area); reads the page; walks the slots the Paging names.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "records/download_state.h"
#include "records/line_text.h"

namespace vorskel::records {

inline constexpr int kEndOfData = -1;  // the download is over (or a bad argument)

// ---- what one stored record is ---------------------------------------------------------

// What a decoder hands the record file writer for one record.
struct DecodedLine {
  char date[16] = "";  // the record's own date text "YYYY-MM-DD": the file it goes to
  LineText text;       // the line up to the terminal address; the engine adds " " + host
  // Sets date, cut to its room (a damaged record's date text can be longer).
  void set_date(const char* text_in) {
    std::size_t n = 0;
    while (n + 1 < sizeof date && text_in[n] != '\0') ++n;
    std::memcpy(date, text_in, n);
    date[n] = '\0';
  }
};

struct RecordLayout {
  int record_bytes = 16;  // stored size of one record in flash
  int entry_bytes = 54;   // size of one decoded entry in the caller's buffer
  // True for a slot that holds a record (erased flash reads 0xFF and fails it).
  bool (*valid)(const std::uint8_t* record) = nullptr;
  // Writes the entry (only the bytes the entry layout names; the rest keep the caller's
  // values) and fills the record file line.
  void (*decode)(const std::uint8_t* record, std::uint8_t* entry, DecodedLine& line) = nullptr;
  // Optional: what an invalid slot leaves in the entry at the current output position,
  // which does not move on (a later valid record overwrites it). nullptr: untouched.
  void (*mark_invalid)(const std::uint8_t* record, std::uint8_t* entry) = nullptr;
};

// ---- how pages are read and walked -----------------------------------------------------

// Which slots of a page are walked, and which pages count as the empty gap of a wrapped
// area (start pointer above end pointer).
enum class PageRuns {
  // Vorsk_Record's rules. Gap: a page lying wholly in [end, start). In a wrapped area the
  // page holding the end pointer gives the records before it, the page holding the start
  // pointer the records from it on, a page holding both gives the first then the second in
  // one call (two runs), a page crossing the area end stops there; every other page, and
  // every page of a linear or whole-area order, gives all its slots.
  kBetweenPointers,
  // The shared-pointer readers (disposal records, door controllers, flow records): as
  // kBetweenPointers, and in a linear order too nothing past the end pointer, so every
  // record between the pointers comes once and none from outside them.
  kWholePage,
};

// What an invalid slot does.
enum class InvalidSlot {
  kCounted,     // skipped, but counted against the record total
  kNotCounted,  // skipped and not counted
  kEndsPage,    // ends the walk of this page
};

// What reaching the record total does (the scanned count is compared after each counted
// slot, so the first slot of every run is handled whatever the count).
enum class AtTotal {
  kNoLimit,  // the record total is not used
  kEndRun,   // ends the current run; a second run of the page is still walked
  kEndPage,  // ends the page
};

// Which pointers say where the records are.
enum class Bounds {
  // The cycle byte picks the reading order (linear from the start pointer, wrapped, or the
  // whole area); every order stops at the area end; no records when start pointer, end
  // pointer and area end are all equal.
  kCycleByte,
  // Always linear from the start pointer up to the end pointer, whatever the cycle byte and
  // the area end say (the merchant records of area 3); no records when start pointer =
  // end pointer.
  kStartToEnd,
};

enum class Page0Queries { kPointersAndTotal, kPointersOnly };
enum class RecordFiles {
  kNone,           // no record file writer at all
  kDirectoryOnly,  // the records directory is made sure to exist; no lines
  kLines,          // one line per decoded record
};
enum class ReadLock {
  kNone,
  kRecordRead,  // the record-read lock, held from after the page-0 queries to the return
};

struct Paging {
  int page_bytes = 512;    // distance between the addresses of consecutive pages
  int slots_per_page = 0;  // slots walked in a whole page; 0: page_bytes / record_bytes
  PageRuns runs = PageRuns::kBetweenPointers;
  InvalidSlot invalid = InvalidSlot::kCounted;
  AtTotal at_total = AtTotal::kEndRun;
  Page0Queries queries = Page0Queries::kPointersAndTotal;
  RecordFiles files = RecordFiles::kLines;
  ReadLock lock = ReadLock::kNone;
  std::uint8_t read_code = 4;  // flash page read: payload = 4-byte little-endian address
  int read_reply_len = 512;
  Bounds bounds = Bounds::kCycleByte;
  // What a page past the data (or a terminal without records) gives: -1 for most
  // downloads; 0 where hosts stop at the first empty page instead.
  int past_data = kEndOfData;
};

struct DownloadRow {
  Paging paging;
  RecordLayout layout;
};

// One page call. Returns the number of entries written, 0 for a page in the gap, -1 when
// the download is over (also for a null buffer or a negative page, with no exchange), or
// the negative result of a query or of the page read. Record file failures never change
// the result.
int download_page(const DownloadRow& row, DownloadState state, std::uint8_t* out, int page,
                  const char* host, int port);

// ---- the parts download_page is made of, for readers with paging of their own ----------

enum class Order { kLinear, kWrapped, kWholeArea };
Order reading_order(const RecordPointers& p);

struct Run {
  int offset = 0;  // byte offset of the first slot in the page
  int count = 0;   // slots
};

// Where one page call reads and which runs it walks.
struct PagePlan {
  bool read = false;        // false: return result without reading
  int result = kEndOfData;  // when not reading: -1 past the data, 0 inside the gap
  std::uint32_t address = 0;
  Run runs[2];
  int run_count = 0;
};
PagePlan plan_page(const Paging& paging, int record_bytes, const RecordPointers& p, int page);

// Runs the record-pointer query into p (cleared first, left cleared on failure).
int load_record_pointers(RecordPointers& p, const char* host, int port);
// Runs the count query into scan.total (left as it was on failure).
int load_record_total(ScanCount& scan, const char* host, int port);

// ---- one raw page, no pointers and no state --------------------------------------------

struct RawPageRow {
  RecordLayout layout;
  int stride = 512;     // address = min(page, last_page) x stride
  int last_page = 512;  // larger page numbers read this page
  int slots = 32;       // slots walked from the page's first byte
  InvalidSlot invalid = InvalidSlot::kNotCounted;
  RecordFiles files = RecordFiles::kNone;
  std::uint8_t read_code = 4;
  int read_reply_len = 512;
};

// Returns the number of entries written, -1 for a null buffer or a negative page (no
// exchange), or the page read's negative result.
int read_raw_page(const RawPageRow& row, std::uint8_t* out, int page, const char* host, int port);

}  // namespace vorskel::records
