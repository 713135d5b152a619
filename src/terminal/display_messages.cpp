// Texts for the main terminal's display: a line at a position, full-screen messages of 64 or
// up to 384 bytes, a fixed-layout message with numbers, and a short outgoing message.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "terminal/command_family.h"
#include "vorskel.h"

static_assert(sizeof(VorskLateText) == 68 && offsetof(VorskLateText, spare) == 64);

namespace vorskel::family {
namespace {

constexpr std::uint8_t kSpace = 0x20;

// A line at a position: line 1-4, column 1-16, at most 16 text bytes.
constexpr std::uint32_t kLines = 4, kColumns = 16;
constexpr int kLineChars = 16;
constexpr int kLineTextAt = 6;
constexpr std::uint32_t kMaxDuration = 100000;

// Full-screen message: the value, then a 64-byte field.
constexpr int kScreenChars = 64;
constexpr int kScreenTextAt = 4;
constexpr int kScreenWorkArea = 80;  // the text is taken from a copy of at most 79 characters

// Long message: the value, then at most 384 bytes; the request is as long as its text.
constexpr int kLongChars = 384;

// Fixed-layout message.
constexpr std::uint32_t kLastLateKind = 2;
constexpr int kLateTextAt = 1;
constexpr int kLateValue1At = 65, kLateValue2At = 69, kLateBytesAt = 73;

// Outgoing message.
constexpr int kOutGoChars = 16;
constexpr int kOutGoMarkerAt = 23;
constexpr std::uint8_t kOutGoMarker = 0xAA;

// From the field's first zero byte on, count spaces, kept inside the field: the terminal
// shows spaces where the text ends instead of whatever its screen held.
void pad_with_spaces(Frame& f, int off, int width, int count) {
  int start = 0;
  while (start < width && f.get8(off + start) != 0) ++start;
  for (int i = start; i < std::min(width, start + count); ++i) f.put8(off + i, kSpace);
}

int line_text(Frame& f, const Arg* a) {
  const auto* text = static_cast<const std::uint8_t*>(a[kArg0].in);
  if (text == nullptr) return kRefused;
  // The text is read up to its zero even when length claims more: the missing bytes go out
  // as zeros instead of whatever follows the host's string in memory.
  const int length = static_cast<int>(a[kArg1].n);
  int readable = 0;
  while (readable < length && readable <= kLineChars && text[readable] != '\0') ++readable;
  put_display_text(f, kLineTextAt, kLineChars, text, readable, readable);
  return 0;
}

int screen_text(Frame& f, const Arg* a) {
  const auto* text = static_cast<const char*>(a[kArg0].in);
  if (text == nullptr) return kRefused;
  const int m = static_cast<int>(std::min<long long>(a[kArg1].n, kScreenChars));
  std::uint8_t work[kScreenWorkArea] = {};
  std::size_t n = 0;
  while (n < kScreenWorkArea - 1 && text[n] != '\0') ++n;
  std::memcpy(work, text, n);
  put_display_text(f, kScreenTextAt, kScreenChars, work, m, kScreenWorkArea);
  if (m < kScreenChars) pad_with_spaces(f, kScreenTextAt, kScreenChars, kScreenChars - m);
  return 0;
}

int long_text(Frame& f, const Arg* a) {
  const auto* bytes = static_cast<const std::uint8_t*>(a[kArg0].in);
  if (bytes == nullptr) return kRefused;
  const int count = static_cast<int>(a[kArg1].n);
  const int c = std::min(count, kLongChars);
  // Only the bytes sent are read: a double-byte character begun at the last one is cut.
  put_display_text(f, kScreenTextAt, c, bytes, c, c);
  for (int i = 0; i < c; ++i) {
    if (f.get8(kScreenTextAt + i) == 0) f.put8(kScreenTextAt + i, kSpace);
  }
  return kScreenTextAt + c;
}

// Never converted: the terminal shows this layout's text as it is given.
int late_text(Frame& f, const Arg* a) {
  const auto* record = static_cast<const VorskLateText*>(a[kArg7].in);
  if (record == nullptr) return kRefused;
  f.put_bytes(kLateTextAt, record->text, kScreenChars);
  int t = 0;
  while (t < kScreenChars && record->text[t] != '\0') ++t;
  pad_with_spaces(f, kLateTextAt, kScreenChars, kScreenChars - t);
  return 0;
}

constexpr Command kRealLineMessage =
    command(0x33, 30, 30, positive(kArg1), one_to(0, kArg3, kLines), one_to(2, kArg4, kColumns),
            at_most16(4, kArg1, kLineChars), layout(line_text), at_most32(26, kArg2, kMaxDuration));
constexpr Command kRealMessage =
    command(0x1D, kScreenTextAt + kScreenChars, kScreenTextAt + kScreenChars, positive(kArg1),
            u32_at(0, kArg2), layout(screen_text));
constexpr Command kRealMessageEx =
    command(0x1D, kSized, kSized, positive(kArg1), u32_at(0, kArg2), layout(long_text));
constexpr Command kLateMessage =
    command(0x1E, 77, 77, at_most8(0, kArg0, kLastLateKind), layout(late_text),
            u32_at(kLateValue1At, kArg1), u32_at(kLateValue2At, kArg2),
            byte_at(kLateBytesAt + 0, kArg3), byte_at(kLateBytesAt + 1, kArg4),
            byte_at(kLateBytesAt + 2, kArg5), byte_at(kLateBytesAt + 3, kArg6));
constexpr Command kOutGoMessage =
    command(0x27, 24, 24, u16_at(0, kArg1), text_at(4, kOutGoChars, kArg0),
            fixed(kOutGoMarkerAt, kOutGoMarker), status16_at(2));

}  // namespace
}  // namespace vorskel::family

using vorskel::family::run;
namespace f = vorskel::family;

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_RealLineMessage(const char* text, int length, int duration,
                                                   int line, int column, const char* host,
                                                   int port) {
  return run(f::kRealLineMessage, host, port, {text, length, duration, line, column});
}
VORSKEL_API int VORSKEL_CALL Vorsk_RealMessage(const char* text, int length, int value,
                                               const char* host, int port) {
  return run(f::kRealMessage, host, port, {text, length, value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_RealMessageEx(const unsigned char* bytes, int count, int value,
                                                 const char* host, int port) {
  return run(f::kRealMessageEx, host, port, {bytes, count, value});
}
VORSKEL_API int VORSKEL_CALL Vorsk_LateMessage(unsigned int kind, int value1, int value2, int byte1,
                                               int byte2, int byte3, int byte4, VorskLateText text,
                                               const char* host, int port) {
  return run(f::kLateMessage, host, port,
             {kind, value1, value2, byte1, byte2, byte3, byte4, &text});
}
VORSKEL_API int VORSKEL_CALL Vorsk_OutGoMessage(const char* text, int number, const char* host,
                                                int port) {
  return run(f::kOutGoMessage, host, port, {text, number});
}

}  // extern "C"
