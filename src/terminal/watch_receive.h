// The receive step every watch function shares, and a read-only view of one received
// datagram for the decoders.
//
// Everything on the watch endpoint comes from the network: any sender, any length, any bytes.
// Decoders therefore read through WatchDatagram, which answers 0 for every byte past the
// received length (as the zeroed receive buffer would) and never reads beyond it, and they
// write texts only through put_field, which never passes the field's room.
#pragma once

#include <cstddef>
#include <cstdint>

#include "transport/library.h"

namespace vorskel {

// The watch request (kWatchRequest, transport/library.h): terminals on a broadcast address
// hear it, and so does the host itself when it broadcasts the request: a datagram beginning
// with its 22 characters is never a report.
inline constexpr int kWatchRequestLength = sizeof kWatchRequest;        // 23
inline constexpr int kWatchRequestCompared = sizeof kWatchRequest - 1;  // 22

bool is_watch_request(const std::uint8_t* data, int length);

// Receives one datagram on the watch endpoint into buffer, skipping watch requests: zeroes
// room bytes of buffer, receives at most room bytes, and starts over when the datagram is a
// watch request. Returns the datagram's length (0 for an empty one), or -1 when the receive
// fails: endpoint not open or closed meanwhile by another thread (Vorsk_CloseWatch), a
// datagram longer than room (consumed and lost), a socket error. No time-out: it waits until
// a datagram arrives. senderText (16 bytes) and senderPort describe the last non-empty
// datagram received, skipped ones included; either may be null.
int receive_watch_datagram(std::uint8_t* buffer, int room, char* senderText, int* senderPort);
// Tells the wire observer of a datagram the watch endpoint received (n < 0: none); the sender
// as the receive reported it, when the caller asked for it.
void notify_watch_received(const std::uint8_t* buffer, int n, const char* senderText,
                           const int* senderPort);

// The same, also skipping every datagram for which skip(data, length) is true (a report of
// another kind, a datagram the terminal marks as not for the host). Returns like the above.
template <class Skip>
int receive_watch_datagram_unless(std::uint8_t* buffer, int room, char* senderText, int* senderPort,
                                  Skip&& skip) {
  for (;;) {
    const int n = receive_watch_datagram(buffer, room, senderText, senderPort);
    if (n <= 0 || !skip(static_cast<const std::uint8_t*>(buffer), n)) return n;
  }
}

// One received datagram as the decoders see it.
class WatchDatagram {
 public:
  WatchDatagram(const std::uint8_t* data, int length)
      : data_(data), length_(data == nullptr || length < 0 ? 0 : length) {}

  int length() const { return length_; }
  const std::uint8_t* data() const { return data_; }

  std::uint8_t u8(int off) const { return off >= 0 && off < length_ ? data_[off] : 0; }
  int s8(int off) const { return static_cast<std::int8_t>(u8(off)); }
  std::uint16_t le16(int off) const {
    return static_cast<std::uint16_t>(u8(off) | (u8(off + 1) << 8));
  }
  std::uint32_t le32(int off) const {
    return static_cast<std::uint32_t>(le16(off)) |
           (static_cast<std::uint32_t>(le16(off + 2)) << 16);
  }
  // Copies n bytes from off into out, zeros past the received length.
  void copy(int off, std::uint8_t* out, int n) const {
    for (int i = 0; i < n; ++i) out[i] = u8(off + i);
  }
  // Copies the zero-terminated text at off into field (room bytes): at most room - 1
  // characters, always terminated, the rest of the field zeroed. A text the sender did not
  // terminate ends at the field's room or the datagram's end.
  void text(int off, char* field, int room) const;
  // CRC-16 over bytes [0, n) (n at most 512), zeros past the received length counted in.
  std::uint16_t crc16_over(int n) const;

 private:
  const std::uint8_t* data_;
  int length_;
};

// printf into a text field of room bytes: always terminated, cut at the room. Report bytes
// are signed and unchecked, so a date of -128/-128 does not fit the 12 bytes a host gave.
void put_field(char* field, std::size_t room, const char* format, ...)
#if defined(__GNUC__) && !defined(_WIN32)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

}  // namespace vorskel
