// The relay status table (command 32): one status byte per relay, turned into the 17-byte
// entries hosts display.
#include <cstring>

#include "doors/door_command.h"
#include "vorskel.h"

namespace vorskel::doors {
namespace {

constexpr int kRelays = 32;
constexpr int kEntryBytes = 17;
constexpr int kTableBytes = kRelays * kEntryBytes;  // 544
constexpr int kStateTextAt = 7;
constexpr int kStateTextBytes = 10;
// The status bits hosts see, in the order of the entry's six flags.
constexpr int kReportedBits[] = {7, 6, 5, 2, 3, 0};
constexpr char kConnected[] = "connected";    // 9 characters and its zero
constexpr char kDisconnect[] = "disconnect";  // fills all 10 bytes, no zero

int all_status(unsigned char* table, const char* host, int port) {
  Frame f(kAllStatus.code);
  const int r = run(kAllStatus, f, host, port);
  if (r != kOk) return r;
  unsigned char decoded[kTableBytes] = {};
  for (int i = 0; i < kRelays; ++i) {
    unsigned char* entry = decoded + i * kEntryBytes;
    const std::uint8_t status = f.get8(i);
    if (status == 0) {
      std::memcpy(entry + kStateTextAt, kDisconnect, kStateTextBytes);
      continue;
    }
    int k = 0;
    for (int bit : kReportedBits) entry[k++] = (status >> bit) & 1u;
    std::memcpy(entry + kStateTextAt, kConnected, sizeof kConnected);
  }
  if (table != nullptr) std::memcpy(table, decoded, sizeof decoded);
  return kOk;
}

}  // namespace
}  // namespace vorskel::doors

extern "C" {

VORSKEL_API int VORSKEL_CALL Kappel_DeviceGetAllStatus(unsigned char* table, const char* host,
                                                       int port) {
  return vorskel::doors::all_status(table, host, port);
}
VORSKEL_API int VORSKEL_CALL Sondo_DeviceGetAllStatus(unsigned char* table, const char* host,
                                                      int port) {
  return vorskel::doors::all_status(table, host, port);
}

}  // extern "C"
