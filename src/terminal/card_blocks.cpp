// Card blocks: handing the terminal a 16-byte block to write to one card, cancelling that
// write, and receiving the card-block reports a terminal sends on the watch port after it
// read a block.
#include <cstring>

#include "terminal/watch_receive.h"
#include "transport/crc16.h"
#include "transport/frame.h"
#include "transport/library.h"
#include "vorskel.h"

namespace {

constexpr std::uint8_t kWriteIcBlock = 33;
constexpr std::uint8_t kStopWrite = 34;
constexpr int kWriteIcBlockLen = 72;
constexpr int kStopWriteLen = 2;

// The card-block layout, shared by the write request and the report.
constexpr int kBlockByteAt = 0;  // report only: block number; sector = block / 4
constexpr int kReportDataAt = 1;
constexpr int kBlockDataBytes = 16;
constexpr int kSerialAt = 64;
constexpr int kSerialBytes = 4;
constexpr int kMarkerAt = 68;
constexpr std::uint16_t kBlockMarker = 0xABCD;
constexpr int kCrcAt = 70;
constexpr int kReportBytes = 72;
constexpr int kBlocksPerSector = 4;

constexpr int kWatchRoom = 256;

// Turns the terminal's status word into the export's result: 0 when it accepted, else -1.
int accepted(vorskel::Frame& f, int len, const char* host, int port) {
  const int r = f.exchange(len, len, host, port, 2);
  if (r != 0) return r;
  return f.get16(0) == 0 ? 0 : -1;
}

// One datagram from the watch endpoint into a zeroed buffer, passing over the "watch to me"
// request a host sees when it asked a whole subnet by broadcast. The length, or -1 when the
// receive fails or the datagram is empty.
int receive_report(std::uint8_t (&buffer)[kWatchRoom], char* senderText, int* senderPort) {
  const int n = vorskel::receive_watch_datagram(buffer, kWatchRoom, senderText, senderPort);
  return n <= 0 ? -1 : n;
}

std::uint16_t le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_WriteIcBlock(const unsigned char* data,
                                                const unsigned char* serial, const char* host,
                                                int port) {
  if (data == nullptr || serial == nullptr) return -1;  // nothing to write, or no card named
  vorskel::Frame f(kWriteIcBlock);
  f.put_bytes(0, data, kBlockDataBytes);
  f.put_bytes(kSerialAt, serial, kSerialBytes);
  f.put16(kMarkerAt, kBlockMarker);
  return accepted(f, kWriteIcBlockLen, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_StopWrite(const char* host, int port) {
  vorskel::Frame f(kStopWrite);
  return accepted(f, kStopWriteLen, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_ReadIcBlock(unsigned char* data, unsigned char* serial,
                                               int* sector, char* senderText, int* senderPort) {
  std::uint8_t report[kWatchRoom];
  const int n = receive_report(report, senderText, senderPort);
  if (n < 0) return -1;
  // Checked in this order, so a datagram failing several checks reports the first.
  if (vorskel::crc16(report, kCrcAt) != le16(report + kCrcAt)) return -2;
  if (le16(report + kMarkerAt) != kBlockMarker) return -3;
  if (n != kReportBytes) return -4;
  if (data != nullptr) std::memcpy(data, report + kReportDataAt, kBlockDataBytes);
  if (serial != nullptr) std::memcpy(serial, report + kSerialAt, kSerialBytes);
  if (sector != nullptr) *sector = report[kBlockByteAt] / kBlocksPerSector;
  return 0;
}

}  // extern "C"
