// The Marn terminal's disposal registrations (command 12) and its disposal records, which
// download with the shared record pointers and the record total shared with the door
// controllers' record readers.
#include <cstring>

#include "records/download_engine.h"
#include "records/vorsk_layouts.h"
#include "transport/codecs.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::records {
namespace {

// 24 disposal records of 21 bytes from the first byte of each 512-byte page; slots without
// the mark are skipped and not counted; the call ends when the shared scanned count reaches
// the record total.
constexpr DownloadRow kDisposal{
    .paging = {.slots_per_page = 24,
               .runs = PageRuns::kWholePage,
               .invalid = InvalidSlot::kNotCounted,
               .at_total = AtTotal::kEndPage},
    .layout = kDisposalRecord,
};

constexpr std::uint8_t kRegistration = 12;
constexpr int kRegistrationLen = 28;
using protocol::kReadBack;
using protocol::kStore;
constexpr int kNameBytes = 8;
constexpr int kYearByteTo1900 = 108;         // (full year mod 256) - 108 = year - 1900 (mod 256)
constexpr std::uint8_t kNumber6Mark = 0xA0;  // the terminal wants the top bits 101

// A decimal field of the caller's structure, read no further than the field's width even
// when the caller left no terminating zero.
template <std::size_t N>
std::uint32_t number(const char (&field)[N]) {
  char text[N + 1] = {};
  std::memcpy(text, field, N);
  return decimal_text_to_u32(text);
}

int disposal_registry(const VorskelDisposalRegistration* input, int type, const char* host,
                      int port) {
  if (type < kStore || type > kReadBack || input == nullptr) return kEndOfData;
  Frame f(kRegistration);
  f.put32(0, number(input->card));
  if (type == kStore) {
    f.put32(4, number(input->number1));
    std::uint8_t name[kNameBytes + 1] = {};
    display_text(reinterpret_cast<const std::uint8_t*>(input->name), name, kNameBytes);
    f.put_bytes(8, name, kNameBytes);
    f.put8(16, static_cast<std::uint8_t>(input->year - kYearByteTo1900));
    f.put8(17, input->month);
    f.put8(18, input->day);
    f.put8(19, number(input->number2));
    f.put16(20, number(input->number3));
    f.put16(22, number(input->number4));
    f.put8(24, number(input->number5));
    f.put8(25, number(input->number6) | kNumber6Mark);
  }
  f.put16(26, static_cast<std::uint32_t>(type));
  return f.exchange(kRegistrationLen, kRegistrationLen, host, port);
}

}  // namespace
}  // namespace vorskel::records

extern "C" {

VORSKEL_API int VORSKEL_CALL Marn_Disposal_Registry(const VorskelDisposalRegistration* input,
                                                    int type, const char* host, int port) {
  return vorskel::records::disposal_registry(input, type, host, port);
}

VORSKEL_API int VORSKEL_CALL Marn_Disposal_Record(unsigned char* out, int page, const char* host,
                                                  int port) {
  using namespace vorskel::records;
  return download_page(kDisposal, shared_download_state(), out, page, host, port);
}

}  // extern "C"
