// Every record download through the paging engine: the record pointers, the record total and
// every page come from the fuzzer (its input is cut into successive replies). Pages are
// requested 0, 1, 2, ... until the download ends, into caller buffers of the documented size
// ending at a guard page.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "vorskel.h"

namespace {

constexpr const char* kHost = "127.0.0.1";
constexpr int kPort = 5200;
constexpr int kMaxPages = 40;

using PageCall = int (*)(unsigned char* out, int page);

struct Download {
  PageCall call;
  int out_bytes;  // documented room of one page's entries
};

template <int (*F)(unsigned char*, int, const char*, int)>
int plain(unsigned char* out, int page) {
  return F(out, page, kHost, kPort);
}
int ferrin(unsigned char* out, int page) {
  int count = 0;
  const int r =
      Ferrin_ReadRecord(reinterpret_cast<FerrinRecordEntry*>(out), page, kHost, kPort, &count);
  return r < 0 ? r : count;
}
int ferrin66(unsigned char* out, int page) {
  return Ferrin_ReadRecord_Weigen66(reinterpret_cast<FerrinRecordEntry*>(out), page, kHost, kPort);
}
int ferrin_all(unsigned char* out, int page) {
  const int r = Ferrin_ReadAllRecord(reinterpret_cast<FerrinRecordEntry*>(out), page, kHost, kPort);
  return page < 3 ? r : -1;  // raw pages have no end of their own
}
int ferrin_reg(unsigned char* out, int page) {
  int count = 0;
  return Ferrin_ReadReg(reinterpret_cast<FerrinDoorRegistration*>(out), page, kHost, kPort, &count);
}
template <int (*F)(unsigned char*, int, const char*, int)>
int raw(unsigned char* out, int page) {
  const int r = F(out, page, kHost, kPort);
  return page < 3 ? r : -1;
}

const Download kDownloads[] = {
    {plain<Vorsk_Record>, 32 * 54},
    {plain<Vorsk_Record_Chgpsw>, 32 * 48},
    {plain<Vorsk_Record_weigen34>, 32 * 54},
    {plain<Vorsk_RecordEx>, 32 * 54},
    {raw<Vorsk_RecordAll>, 32 * 54},
    {plain<Vorsk_FlowControlRecord>, 16 * 18},
    {plain<Marn_Disposal_Record>, 24 * 104},
    {plain<Nemmar_Record>, 26 * 96},
    {plain<Nemmar_Record_id>, 32 * 96},
    {raw<Nemmar_RecordAll>, 24 * 96},
    {plain<Nemmarv2_Record>, 23 * 124},
    {raw<Nemmarv2_RecordAll>, 23 * 124},
    {plain<Brell_Record_id>, 32 * 96},
    {plain<Vorsk_Merch_Record>, 64 * 54},
    {plain<Sondo_Record>, 32 * 60},
    {plain<Sondo_Record_ex>, 32 * 54},
    {raw<Sondo_RecordAll>, 32 * 60},
    {plain<Lusk_Record>, 32 * 74},
    {ferrin, 64 * static_cast<int>(sizeof(FerrinRecordEntry))},
    {ferrin66, 64 * static_cast<int>(sizeof(FerrinRecordEntry))},
    {ferrin_all, 8 * static_cast<int>(sizeof(FerrinRecordEntry))},
    {ferrin_reg, 32 * static_cast<int>(sizeof(FerrinDoorRegistration))},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vorskel::fuzz::ScratchDirectory scratch;
  const vorskel::fuzz::ScratchDirectory::Inside inside(scratch);
  constexpr std::size_t kCount = sizeof kDownloads / sizeof kDownloads[0];
  static const bool swept =
      (vorskel::fuzz::sweep_reply_lengths(kCount,
                                          [](std::size_t i) {
                                            const auto& d = kDownloads[i];
                                            const vorskel::fuzz::GuardedRegion entries(
                                                static_cast<std::size_t>(d.out_bytes));
                                            d.call(entries.data(), 0);
                                          }),
       true);
  (void)swept;
  if (size < 1) return 0;
  const Download& d = kDownloads[data[0] % kCount];
  vorskel::fuzz::ReplySequence replies(data + 1, size - 1);
  vorskel::fuzz::ScopedReply scope(&replies);
  for (int page = 0; page < kMaxPages; ++page) {
    const vorskel::fuzz::GuardedRegion entries(static_cast<std::size_t>(d.out_bytes));
    if (d.call(entries.data(), page) < 0) break;
  }
  return 0;
}
