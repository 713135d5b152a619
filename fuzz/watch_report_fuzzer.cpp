// Datagrams on the watch endpoint: the fuzzer's bytes arrive as one received datagram of
// any length, and every watch decoder and acknowledgement builder reads it into caller
// structures surrounded by guard bytes. Decoders read through WatchDatagram, which stops at
// the received length, so the input is handed over in a buffer of exactly that size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "consume/reports_decoders.h"
#include "terminal/watch_decoders.h"
#include "terminal/watch_receive.h"
#include "vorskel.h"

namespace {

constexpr std::uint8_t kGuard = 0xCD;

template <class T>
struct Guarded {
  std::uint8_t before[16];
  T data;
  std::uint8_t after[16];
  Guarded() {
    std::memset(before, kGuard, sizeof before);
    std::memset(&data, 0, sizeof data);
    std::memset(after, kGuard, sizeof after);
  }
  ~Guarded() {
    for (std::uint8_t b : before)
      if (b != kGuard) std::abort();
    for (std::uint8_t b : after)
      if (b != kGuard) std::abort();
  }
};

// Every text field must end inside its room.
void must_fit(const char* text, std::size_t room) {
  if (std::memchr(text, 0, room) == nullptr) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vorskel::WatchDatagram;
  namespace rp = vorskel::reports;
  namespace wr = vorskel::watch_report;
  if (size > 4096) return 0;  // the receive rooms are 512 bytes at most
  const std::vector<std::uint8_t> copy(data, data + size);
  const WatchDatagram d(copy.data(), static_cast<int>(copy.size()));

  (void)vorskel::is_watch_request(copy.data(), d.length());
  (void)wr::not_for_host(copy.data(), d.length());
  {
    Guarded<VorskWatchRecord> r;
    if (wr::decode(d, &r.data) == 0) {
      must_fit(r.data.card, sizeof r.data.card);
      must_fit(r.data.message, sizeof r.data.message);
      must_fit(r.data.date, sizeof r.data.date);
      must_fit(r.data.time, sizeof r.data.time);
    }
  }
  {
    Guarded<NemmarConsumptionEntry> e;
    if (rp::consumption_valid(d))
      rp::decode_consumption_record(d, rp::consumption::kRecord, &e.data);
    must_fit(e.data.card, sizeof e.data.card);
    must_fit(e.data.valueA, sizeof e.data.valueA);
    must_fit(e.data.valueB, sizeof e.data.valueB);
    must_fit(e.data.date, sizeof e.data.date);
  }
  {
    Guarded<BrellBooking> b;
    (void)rp::decode_booking(d, &b.data);
    must_fit(b.data.card, sizeof b.data.card);
  }
  {
    Guarded<VorskSavedReport> s;
    if (rp::has_report_marker(d)) {
      const auto ack = rp::report_ack(d);
      if (ack[0] != 0x2B || ack[1] != 0x1A) std::abort();
      rp::decode_saved_report(d, &s.data);
      must_fit(s.data.date, sizeof s.data.date);
      must_fit(s.data.time, sizeof s.data.time);
    }
  }
  return 0;
}
