// The main terminal's paged record downloads and raw record pages: each export is a row of
// the download engine (download_engine.h) with its layout (vorsk_layouts.h) and its state.
#include "records/record_downloads.h"

#include "platform/platform.h"
#include "records/download_engine.h"
#include "records/record_file.h"
#include "records/vorsk_layouts.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::records {
namespace {

constexpr DownloadRow kAttendance{.paging = {}, .layout = kStandardRecord};
constexpr DownloadRow kPasswordChanges{.paging = {}, .layout = kPasswordChangeRecord};
constexpr DownloadRow kCard32Attendance{.paging = {}, .layout = kCard32Record};

// 16 flow records of 18 bytes a page, pages 288 bytes apart, read with a 600-byte reply;
// the walk stops at the first slot without the mark; no record total, no files.
constexpr DownloadRow kFlow{
    .paging = {.page_bytes = 288,
               .slots_per_page = 16,
               .runs = PageRuns::kWholePage,
               .invalid = InvalidSlot::kEndsPage,
               .at_total = AtTotal::kNoLimit,
               .queries = Page0Queries::kPointersOnly,
               .files = RecordFiles::kNone,
               .read_reply_len = 600},
    .layout = kFlowRecord,
};

// Any page of area 2 in flash order, pointers ignored: page numbers above 512 read page 512.
constexpr RawPageRow kRawPage{.layout = kRawStandardRecord};

OwnDownloadState attendance_state;
OwnDownloadState password_change_state;
OwnDownloadState card32_state;

// Vorsk_RecordEx: 32 short records of 10 bytes a page, pages 320 bytes apart, read with an
// 8-byte request (page length, address); records always lie between the two pointers.
constexpr std::uint32_t kShortPageBytes = 320;
constexpr int kShortSlots = 32;
constexpr int kShortRequestLen = 8;
constexpr int kShortReplyLen = 512;
constexpr std::uint8_t kFlashRead = 4;
// Pages this far into the area take the terminal longer to fetch: the caller's thread
// gives way once before asking for one.
constexpr std::uint32_t kSlowPageAddress = 0x21000;

int short_record_page(std::uint8_t* out, int page, const char* host, int port) {
  if (out == nullptr || page < 0) return kEndOfData;
  RecordFileWriter writer;
  RecordPointers& p = shared_record_pointers();
  if (page == 0) {
    const int r = load_record_pointers(p, host, port);
    if (r != 0) return r;
  }
  if (p.start == p.end && p.end == p.area_end) return kEndOfData;
  const std::uint32_t count =
      (p.end - p.start) / static_cast<std::uint32_t>(kShortRecord.record_bytes);
  const std::uint64_t address = p.start + static_cast<std::uint64_t>(page) * kShortPageBytes;
  if (address >= p.end || address >= p.area_end) return kEndOfData;

  Frame f(kFlashRead);
  f.put32(0, kShortPageBytes);
  f.put32(4, static_cast<std::uint32_t>(address));
  if (address >= kSlowPageAddress) platform::yield_thread();
  const int r = f.exchange(kShortRequestLen, kShortReplyLen, host, port, kShortPageBytes);
  if (r != 0) return r;

  const std::uint64_t before = static_cast<std::uint64_t>(page) * kShortSlots;
  int written = 0;
  DecodedLine line;
  for (int i = 0; i < kShortSlots && before + written < count; ++i) {
    const std::uint8_t* record = f.payload() + i * kShortRecord.record_bytes;
    if (!kShortRecord.valid(record)) continue;
    line.date[0] = '\0';
    kShortRecord.decode(record, out + written * kShortRecord.entry_bytes, line);
    if (writer.ready()) {
      line.text += ' ';
      line.text += host != nullptr ? host : "";
      writer.write_line(host, line.date, line.text);
    }
    ++written;
  }
  return written;
}

}  // namespace

int attendance_page(DownloadState state, std::uint8_t* out, int page, const char* host, int port) {
  return download_page(kAttendance, state, out, page, host, port);
}

}  // namespace vorskel::records

using namespace vorskel::records;

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_Record(unsigned char* out, int page, const char* host,
                                          int port) {
  return attendance_page(attendance_state.view(), out, page, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_Record_Chgpsw(unsigned char* out, int page, const char* host,
                                                 int port) {
  return download_page(kPasswordChanges, password_change_state.view(), out, page, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_Record_weigen34(unsigned char* out, int page, const char* host,
                                                   int port) {
  return download_page(kCard32Attendance, card32_state.view(), out, page, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_RecordEx(unsigned char* out, int page, const char* host,
                                            int port) {
  return short_record_page(out, page, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_RecordAll(unsigned char* out, int page, const char* host,
                                             int port) {
  return read_raw_page(kRawPage, out, page, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_FlowControlRecord(unsigned char* out, int page, const char* host,
                                                     int port) {
  return download_page(kFlow, {&shared_record_pointers(), nullptr}, out, page, host, port);
}

}  // extern "C"
