// The main terminal's watch function and two exports kept only for hosts that call them.
#include "terminal/watch_decoders.h"
#include "terminal/watch_receive.h"
#include "vorskel.h"

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_Watch(VorskWatchRecord* record, char* senderText,
                                         int* senderPort) {
  namespace wr = vorskel::watch_report;
  if (record == nullptr) return -1;
  std::uint8_t buffer[wr::kRoom];
  const int n = vorskel::receive_watch_datagram_unless(buffer, wr::kRoom, senderText, senderPort,
                                                       wr::not_for_host);
  if (n <= 0) return -1;
  return wr::decode(vorskel::WatchDatagram(buffer, n), record);
}

VORSKEL_API int VORSKEL_CALL Vorsk_Destine_Watch(int, int, int) {
  return 0;
}

VORSKEL_API int VORSKEL_CALL Vorsk_Destine_Registry(int, int, int, int) {
  return 0;
}

}  // extern "C"
