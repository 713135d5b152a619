// The fingerprint model's combined read and write of a window of at most 256 bytes of its
// area 3 (512 KiB). A window that would run past the end of the area is moved to the last
// 256 bytes, so the terminal never sees an address it cannot serve.
#include <algorithm>
#include <cstring>

#include "transport/frame.h"
#include "vorskel.h"

namespace {

constexpr std::uint8_t kReadWriteArea3 = 37;
constexpr int kExchangeLen = 512;  // sent whole whether reading or writing; also the reply room
constexpr long long kArea3End = 0x80000;
constexpr std::uint32_t kLastWindow = 0x7FF00;
constexpr int kMaxWindow = 256;

constexpr int kAddressAt = 0;
constexpr int kCountAt = 4;  // bytes asked for; in the reply, bytes delivered
constexpr int kReadFlagAt = 6;
constexpr int kDataAt = 8;

}  // namespace

extern "C" {

VORSKEL_API int VORSKEL_CALL Pirrel_ReadWriteFlash3st(unsigned char* buffer, int length,
                                                      unsigned int address, int readFlag,
                                                      const char* host, int port) {
  const int n = std::clamp(length, 0, kMaxWindow);
  const bool reading = readFlag != 0;
  // Without data the terminal would store zeros where the caller meant its own bytes.
  if (!reading && buffer == nullptr && n > 0) return -1;
  const bool past_end = static_cast<long long>(length) + address > kArea3End;
  vorskel::Frame f(kReadWriteArea3);
  f.put32(kAddressAt, past_end ? kLastWindow : address);
  f.put16(kCountAt, static_cast<std::uint32_t>(n));
  f.put16(kReadFlagAt, reading ? 1 : 0);
  if (!reading) f.put_bytes(kDataAt, buffer, n);
  const int r = f.exchange(kExchangeLen, kExchangeLen, host, port, reading ? kDataAt + n : 0);
  if (reading && r != 0) {
    // n zero bytes rather than stale contents, or a short or foreign reply's bytes.
    if (buffer != nullptr) std::memset(buffer, 0, static_cast<std::size_t>(n));
  } else if (reading) {
    const int delivered = std::min<int>(f.get16(kCountAt), n);
    f.get_bytes(kDataAt, buffer, delivered);
  }
  return r;
}

}  // extern "C"
