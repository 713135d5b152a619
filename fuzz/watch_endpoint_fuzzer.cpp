// Every watch function through the real watch endpoint: the fuzzer's bytes arrive as one
// datagram on loopback (from a changing sender, so the door controllers' device list grows
// and compares), and the export decodes it into caller structures between guard bytes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "transport/library.h"
#include "vorskel.h"

namespace {

using vorskel::fuzz::Guarded;
using vorskel::fuzz::kGuard;

struct Endpoints {
  int senders[4];
  int watch_port = 0;
  Endpoints() {
    Sondo_Bind_Port(0, 0);
    if (Vorsk_OpenWatch() != 0) std::abort();
    // A datagram a watch function skips must not leave it waiting for ever.
    vorskel::watch_endpoint().SetReceiveTimeout(5);
    watch_port = vorskel::watch_endpoint().LocalPort();
    for (int& s : senders) s = ::socket(AF_INET, SOCK_DGRAM, 0);
  }
  void send(int which, const std::uint8_t* data, std::size_t size) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<std::uint16_t>(watch_port));
    ::sendto(senders[which % 4], data, size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }
  void drain() const {
    std::uint8_t scratch[2048];
    while (vorskel::watch_endpoint().ReceiveWaiting(scratch, sizeof scratch) >= 0) {
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Endpoints endpoints;
  if (size < 1 || size > 1500) return 0;
  endpoints.drain();
  endpoints.send(data[0] >> 4, data + 1, size - 1);
  char sender[16 + 16];
  std::memset(sender, kGuard, sizeof sender);
  int sender_port = 0;
  switch (data[0] % 9) {
    case 0: {
      Guarded<sizeof(VorskWatchRecord)> r;
      Vorsk_Watch(reinterpret_cast<VorskWatchRecord*>(r.data), sender, &sender_port);
      break;
    }
    case 1: {
      Guarded<sizeof(NemmarConsumptionEntry)> r;
      Nemmar_Watch(reinterpret_cast<NemmarConsumptionEntry*>(r.data), sender, &sender_port);
      break;
    }
    case 2: {
      Guarded<sizeof(BrellBooking)> r;
      Brell_Save2DB(reinterpret_cast<BrellBooking*>(r.data), sender, &sender_port);
      break;
    }
    case 3: {
      Guarded<sizeof(VorskSavedReport)> r;
      Vorsk_Save2db(reinterpret_cast<VorskSavedReport*>(r.data), sender, &sender_port);
      break;
    }
    case 4:
    case 5: {
      Guarded<104> r;
      Guarded<sizeof(int)> kind;
      Sondo_Watch(r.data, reinterpret_cast<int*>(kind.data), sender, &sender_port);
      break;
    }
    case 6: {
      Guarded<sizeof(HeskReport)> r;
      Hesk_Watch(reinterpret_cast<HeskReport*>(r.data), sender, &sender_port);
      break;
    }
    case 7: {
      Guarded<1> kind;
      Guarded<32> d;
      Gaddo_Watch(kind.data, d.data, sender, &sender_port);
      break;
    }
    case 8: {
      Guarded<64> block;
      Guarded<4> serial;
      Guarded<sizeof(int)> sector;
      Vorsk_ReadIcBlock(block.data, serial.data, reinterpret_cast<int*>(sector.data), sender,
                        &sender_port);
      break;
    }
  }
  if (std::memchr(sender, 0, 16) == nullptr && sender[0] != static_cast<char>(kGuard)) std::abort();
  for (std::size_t i = 16; i < sizeof sender; ++i)
    if (sender[i] != static_cast<char>(kGuard)) std::abort();
  return 0;
}
