// The command frame as device functions build and read it: a zero-filled buffer with the
// command code at [2] and the payload from [3]. Offsets below count from the payload's first
// byte, as the command tables do. Numbers are little-endian; every access is bounds-checked
// against the frame's capacity (an out-of-range put is dropped, an out-of-range get reads 0).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "transport/transaction.h"

namespace vorskel {

class Frame {
 public:
  explicit Frame(std::uint8_t code) { bytes_[2] = code; }

  std::uint8_t code() const { return bytes_[2]; }
  std::uint8_t* payload() { return bytes_.data() + kFrameHeader; }
  const std::uint8_t* payload() const { return bytes_.data() + kFrameHeader; }
  std::uint8_t* raw() { return bytes_.data(); }
  const std::uint8_t* raw() const { return bytes_.data(); }

  void put8(int off, std::uint32_t v) {
    if (fits(off, 1)) payload()[off] = static_cast<std::uint8_t>(v);
  }
  void put16(int off, std::uint32_t v) {
    put8(off, v);
    put8(off + 1, v >> 8);
  }
  void put32(int off, std::uint32_t v) {
    put16(off, v);
    put16(off + 2, v >> 16);
  }
  void put_bytes(int off, const void* src, int n) {
    if (n > 0 && src != nullptr && fits(off, n)) std::memcpy(payload() + off, src, n);
  }
  // Copies at most width characters of a zero-terminated text; the rest of the field stays 0.
  void put_text(int off, int width, const char* text) {
    if (text == nullptr) return;
    int n = 0;
    while (n < width && text[n] != '\0') ++n;
    put_bytes(off, text, n);
  }

  std::uint8_t get8(int off) const { return fits(off, 1) ? payload()[off] : 0; }
  std::uint16_t get16(int off) const {
    return static_cast<std::uint16_t>(get8(off) | (get8(off + 1) << 8));
  }
  std::uint32_t get32(int off) const {
    return static_cast<std::uint32_t>(get16(off)) |
           (static_cast<std::uint32_t>(get16(off + 2)) << 16);
  }
  void get_bytes(int off, void* dst, int n) const {
    if (n > 0 && dst != nullptr && fits(off, n)) std::memcpy(dst, payload() + off, n);
  }

  // Runs the command transaction on this frame. reads is where the reply fields the caller
  // goes on to read end (payload bytes; 0 when only the command code matters): a reply with
  // the right code that stops before it is no usable reply, since the bytes it lacks would be
  // the request's, still in the frame, taken for the terminal's.
  int exchange(int sendLen, int replyLen, const char* host, int port, int reads = 0) {
    const int r = transact(bytes_.data(), sendLen, replyLen, host, port, &received_);
    return r == kOk && received_payload() < reads ? kNoReply : r;
  }
  // Payload bytes the last reply really carried (beyond them the frame still holds the
  // request); -1 when no reply arrived.
  int received_payload() const { return received_ < kFrameHeader ? -1 : received_ - kFrameHeader; }

 private:
  static bool fits(int off, int n) { return off >= 0 && n >= 0 && off + n <= kMaxPayload; }
  std::array<std::uint8_t, kFrameCapacity> bytes_{};
  int received_ = -1;
};

// Values that the command tables clamp before sending.
inline std::uint32_t at_most(long long v, long long max) {
  return static_cast<std::uint32_t>(std::min(v, max));
}
inline std::uint8_t flag(long long v) {
  return v != 0 ? 1 : 0;
}

}  // namespace vorskel
