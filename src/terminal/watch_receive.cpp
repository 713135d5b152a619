#include "terminal/watch_receive.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "transport/crc16.h"
#include "transport/library.h"
#include "transport/wire_trace.h"

namespace vorskel {

namespace {
constexpr int kMaxCrcSpan = 512;  // the largest report a watch function accepts
}

bool is_watch_request(const std::uint8_t* data, int length) {
  return data != nullptr && length >= kWatchRequestCompared &&
         std::memcmp(data, kWatchRequest, kWatchRequestCompared) == 0;
}

void notify_watch_received(const std::uint8_t* buffer, int n, const char* senderText,
                           const int* senderPort) {
  if (n >= 0)
    notify_wire(WireDirection::kReceived, buffer, static_cast<std::size_t>(n),
                senderText != nullptr ? senderText : "", senderPort != nullptr ? *senderPort : 0);
}

int receive_watch_datagram(std::uint8_t* buffer, int room, char* senderText, int* senderPort) {
  if (buffer == nullptr || room < 0) return -1;
  for (;;) {
    std::memset(buffer, 0, static_cast<std::size_t>(room));
    const int n = watch_endpoint().ReceiveFrom(buffer, room, senderText, senderPort);
    if (n < 0) return -1;
    notify_watch_received(buffer, n, senderText, senderPort);
    if (!is_watch_request(buffer, n)) return n;
  }
}

void WatchDatagram::text(int off, char* field, int room) const {
  if (field == nullptr || room <= 0) return;
  std::memset(field, 0, static_cast<std::size_t>(room));
  for (int i = 0; i < room - 1; ++i) {
    const std::uint8_t c = u8(off + i);
    if (c == 0) break;
    field[i] = static_cast<char>(c);
  }
}

std::uint16_t WatchDatagram::crc16_over(int n) const {
  n = std::clamp(n, 0, kMaxCrcSpan);
  if (n <= length_) return crc16(data_, static_cast<std::size_t>(n));
  std::uint8_t padded[kMaxCrcSpan] = {};
  copy(0, padded, n);
  return crc16(padded, static_cast<std::size_t>(n));
}

void put_field(char* field, std::size_t room, const char* format, ...) {
  if (field == nullptr || room == 0) return;
  std::va_list args;
  va_start(args, format);
  // vsnprintf stops at room - 1 characters and always terminates.
  std::vsnprintf(field, room, format, args);
  va_end(args);
}

}  // namespace vorskel
