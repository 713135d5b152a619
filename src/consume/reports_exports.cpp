// The watch-endpoint functions of the payment and booking terminals, and the main
// terminal's report that is acknowledged at once. None takes the command lock: they run on
// the host's watch thread while transactions run on others.
#include <cstring>

#include "consume/reports_decoders.h"
#include "platform/platform.h"
#include "records/record_file.h"
#include "terminal/watch_receive.h"
#include "transport/library.h"
#include "transport/wire_trace.h"
#include "vorskel.h"

namespace {

using vorskel::WatchDatagram;
namespace rp = vorskel::reports;

bool not_a_consumption(const std::uint8_t* data, int length) {
  return !rp::consumption_valid(WatchDatagram(data, length));
}

// Bookings and acknowledged reports take one datagram as it comes: a watch request heard
// back is not theirs either, and shows as a missing marker.
int receive_short_report(std::uint8_t* buffer, char* senderText, int* senderPort) {
  std::memset(buffer, 0, rp::kShortReportRoom);
  const int n =
      vorskel::watch_endpoint().ReceiveFrom(buffer, rp::kShortReportRoom, senderText, senderPort);
  vorskel::notify_watch_received(buffer, n, senderText, senderPort);
  return n;
}

// The caller's wait ends without a report; give the terminal's next datagram time to come.
int give_up(int result) {
  vorskel::platform::yield_thread();
  return result;
}

}  // namespace

extern "C" {

VORSKEL_API int VORSKEL_CALL Nemmar_Watch(NemmarConsumptionEntry* entry, char* senderText,
                                          int* senderPort) {
  if (entry == nullptr) return -1;
  const vorskel::records::RecordFileWriter prepared;  // writes nothing; makes "records" exist
  std::uint8_t buffer[rp::kConsumptionRoom];
  const int n = vorskel::receive_watch_datagram_unless(buffer, rp::kConsumptionRoom, senderText,
                                                       senderPort, not_a_consumption);
  if (n <= 0) return -1;
  std::memset(entry, 0, sizeof *entry);
  rp::decode_consumption_record(WatchDatagram(buffer, n), rp::consumption::kRecord, entry);
  return 0;
}

VORSKEL_API int VORSKEL_CALL Brell_Save2DB(BrellBooking* booking, char* senderText,
                                           int* senderPort) {
  if (booking == nullptr) return -1;
  const vorskel::records::RecordFileWriter prepared;  // writes nothing; makes "records" exist
  std::uint8_t buffer[rp::kShortReportRoom];
  const int n = receive_short_report(buffer, senderText, senderPort);
  if (n < 0) return give_up(-1);
  if (rp::decode_booking(WatchDatagram(buffer, n), booking) != 0) return give_up(-2);
  return 0;
}

VORSKEL_API int VORSKEL_CALL Brell_BookSucc(int code, const char* host, int port) {
  const auto ack = rp::booking_ack(static_cast<std::uint8_t>(code));
  const int sent =
      vorskel::watch_endpoint().SendTo(ack.data(), static_cast<int>(ack.size()), host, port);
  if (sent >= 0)
    vorskel::notify_wire(vorskel::WireDirection::kSent, ack.data(), ack.size(), host, port);
  return sent < 0 ? -1 : sent;
}

VORSKEL_API int VORSKEL_CALL Vorsk_Save2db(VorskSavedReport* report, char* senderText,
                                           int* senderPort) {
  if (report == nullptr) return -1;
  const vorskel::records::RecordFileWriter prepared;  // writes nothing; makes "records" exist
  std::memset(report, 0, sizeof *report);
  std::uint8_t buffer[rp::kShortReportRoom];
  char from[16] = "";
  int fromPort = 0;
  const int n = receive_short_report(buffer, from, &fromPort);
  if (n < 0) return give_up(-1);
  if (n > 0) {  // an empty datagram tells no sender
    if (senderText != nullptr) std::memcpy(senderText, from, sizeof from);
    if (senderPort != nullptr) *senderPort = fromPort;
  }
  const WatchDatagram d(buffer, n);
  if (!rp::has_report_marker(d)) return give_up(-2);
  // The terminal waits for the acknowledgement, so it goes out before any decoding. It is
  // sent to the sender as received, whatever the host's port variable holds meanwhile.
  const auto ack = rp::report_ack(d);
  if (vorskel::watch_endpoint().SendTo(ack.data(), static_cast<int>(ack.size()), from, fromPort) >=
      0)
    vorskel::notify_wire(vorskel::WireDirection::kSent, ack.data(), ack.size(), from, fromPort);
  rp::decode_saved_report(d, report);
  return 0;
}

}  // extern "C"
