// The payment terminals' record downloads: each export is a row of the record download
// engine (records/download_engine.h) with its layout (consume_layouts.h) and its state.
#include "consume/consume_layouts.h"
#include "vorskel.h"

namespace vorskel::consume {
namespace {

using records::DownloadRow;
using records::RawPageRow;

// Raw pages lie this far apart from address 0; page numbers above the last read the last.
constexpr int kLastRawPage = 575;

// 26 records of 19 bytes to a 494-byte page; invalid slots count against the total.
constexpr DownloadRow kConsumptions{.paging = {.page_bytes = 494}, .layout = kConsumptionRecord};

// 32 short records of 10 bytes to a 320-byte page, under the record-read lock it shares with
// the multi-door controller's record reads.
constexpr DownloadRow kShortConsumptions{
    .paging = {.page_bytes = 320, .lock = records::ReadLock::kRecordRead},
    .layout = kShortConsumptionRecord};

// 23 records of 22 bytes to a 506-byte page.
constexpr DownloadRow kSecondGeneration{.paging = {.page_bytes = 506},
                                        .layout = kSecondGenerationRecord};

// 32 records of 16 bytes to a 512-byte page.
constexpr DownloadRow kBrell{.paging = {.page_bytes = 512}, .layout = kBrellRecord};

// Merchant records in flash area 3: 64 of 8 bytes to a page, always from the start pointer
// to the end pointer (cycle byte, area end and record total unused), invalid slots not
// counted, and 0 (not -1) past the end. The record pointers are the ones shared with the
// other readers of that storage.
constexpr DownloadRow kMerchant{.paging = {.page_bytes = 512,
                                           .invalid = records::InvalidSlot::kNotCounted,
                                           .at_total = records::AtTotal::kNoLimit,
                                           .queries = records::Page0Queries::kPointersOnly,
                                           .files = records::RecordFiles::kDirectoryOnly,
                                           .read_code = 53,
                                           .read_reply_len = 1024,
                                           .bounds = records::Bounds::kStartToEnd,
                                           .past_data = 0},
                                .layout = kMerchantRecord};

// Whole raw pages at min(page, 575) x 456 (24 records) and x 506 (23 records).
constexpr RawPageRow kConsumptionPage{.layout = kConsumptionRecord,
                                      .stride = 456,
                                      .last_page = kLastRawPage,
                                      .slots = 24,
                                      .files = records::RecordFiles::kLines};
constexpr RawPageRow kSecondGenerationPage{.layout = kSecondGenerationRecord,
                                           .stride = 506,
                                           .last_page = kLastRawPage,
                                           .slots = 23,
                                           .files = records::RecordFiles::kLines};

records::OwnDownloadState consumption_state;
records::OwnDownloadState short_consumption_state;
records::OwnDownloadState second_generation_state;
records::OwnDownloadState brell_state;

records::DownloadState merchant_state() {
  return {&records::shared_record_pointers(), nullptr};
}

}  // namespace
}  // namespace vorskel::consume

extern "C" {

VORSKEL_API int VORSKEL_CALL Nemmar_Record(unsigned char* out, int page, const char* host,
                                           int port) {
  namespace c = vorskel::consume;
  return vorskel::records::download_page(c::kConsumptions, c::consumption_state.view(), out, page,
                                         host, port);
}

VORSKEL_API int VORSKEL_CALL Nemmar_Record_id(unsigned char* out, int page, const char* host,
                                              int port) {
  namespace c = vorskel::consume;
  return vorskel::records::download_page(c::kShortConsumptions, c::short_consumption_state.view(),
                                         out, page, host, port);
}

VORSKEL_API int VORSKEL_CALL Nemmar_RecordAll(unsigned char* out, int page, const char* host,
                                              int port) {
  return vorskel::records::read_raw_page(vorskel::consume::kConsumptionPage, out, page, host, port);
}

VORSKEL_API int VORSKEL_CALL Nemmarv2_Record(unsigned char* out, int page, const char* host,
                                             int port) {
  namespace c = vorskel::consume;
  return vorskel::records::download_page(c::kSecondGeneration, c::second_generation_state.view(),
                                         out, page, host, port);
}

VORSKEL_API int VORSKEL_CALL Nemmarv2_RecordAll(unsigned char* out, int page, const char* host,
                                                int port) {
  return vorskel::records::read_raw_page(vorskel::consume::kSecondGenerationPage, out, page, host,
                                         port);
}

VORSKEL_API int VORSKEL_CALL Brell_Record_id(unsigned char* out, int page, const char* host,
                                             int port) {
  namespace c = vorskel::consume;
  return vorskel::records::download_page(c::kBrell, c::brell_state.view(), out, page, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_Merch_Record(unsigned char* out, int page, const char* host,
                                                int port) {
  namespace c = vorskel::consume;
  return vorskel::records::download_page(c::kMerchant, c::merchant_state(), out, page, host, port);
}

}  // extern "C"
