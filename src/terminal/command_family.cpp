// The engine behind the command tables: request fields in, one transaction, reply fields out.
#include "terminal/command_family.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "transport/codecs.h"

namespace vorskel::family {
namespace {

constexpr std::uint8_t kUnparsedAddress = 0xFF;  // each byte of an address text that fails

int text_length(const char* text, int width) {
  int n = 0;
  while (n < width && text[n] != '\0') ++n;
  return n;
}

std::uint32_t clamp_above(long long v, std::uint32_t limit) {
  return at_most(v, static_cast<long long>(limit));
}

void put_clock(Frame& f, int off) {
  const platform::LocalTime now = platform::local_time();
  f.put8(off + 0, static_cast<std::uint32_t>(now.second));
  f.put8(off + 1, static_cast<std::uint32_t>(now.minute));
  f.put8(off + 2, static_cast<std::uint32_t>(now.hour));
  f.put8(off + 3, static_cast<std::uint32_t>(now.day));
  f.put8(off + 4, static_cast<std::uint32_t>(now.month));
  f.put8(off + 5, static_cast<std::uint32_t>(now.year - 1900));  // 2009 travels as 109
  f.put8(off + 6, static_cast<std::uint32_t>(now.weekday));      // 0 = Sunday
}

void put_ipv4(Frame& f, int off, const char* text) {
  std::uint32_t addr_be = 0;
  std::uint8_t bytes[4] = {kUnparsedAddress, kUnparsedAddress, kUnparsedAddress, kUnparsedAddress};
  if (platform::parse_dotted_ipv4(text, &addr_be)) std::memcpy(bytes, &addr_be, 4);
  f.put_bytes(off, bytes, 4);
}

// Writes one request field. Returns kRefused, or the payload length a sized field produced
// (0 for the others).
int put_field(Frame& f, const Field& d, const Arg* args) {
  const Arg& a = args[d.arg];
  const char* text = static_cast<const char*>(a.in);
  switch (d.op) {
    case Op::kFixed:
      f.put8(d.off, d.limit);
      return 0;
    case Op::kByte:
      f.put8(d.off, static_cast<std::uint32_t>(a.n));
      return 0;
    case Op::kFlag:
      f.put8(d.off, flag(a.n));
      return 0;
    case Op::kAtMost8:
      f.put8(d.off, clamp_above(a.n, d.limit));
      return 0;
    case Op::kAtMost16:
      f.put16(d.off, clamp_above(a.n, d.limit));
      return 0;
    case Op::kAtMost32:
      f.put32(d.off, clamp_above(a.n, d.limit));
      return 0;
    case Op::kU16:
      f.put16(d.off, static_cast<std::uint32_t>(a.n));
      return 0;
    case Op::kU32:
      f.put32(d.off, static_cast<std::uint32_t>(a.n));
      return 0;
    case Op::kInRange16: {
      const bool inside = a.n >= 1 && a.n <= static_cast<long long>(d.limit);
      f.put16(d.off, inside ? static_cast<std::uint32_t>(a.n) : 1u);
      return 0;
    }
    case Op::kBytes:
      if (a.in == nullptr) return kRefused;
      f.put_bytes(d.off, a.in, d.width);
      return 0;
    case Op::kText:
    case Op::kSizedText:
      if (text == nullptr) return kRefused;
      f.put_text(d.off, d.width, text);
      if (d.op != Op::kSizedText) return 0;
      return text_length(text, d.width) > 0 ? text_length(text, d.width) : kRefused;
    case Op::kOptionalText:
      f.put_text(d.off, d.width, text);
      return 0;
    case Op::kClock:
      put_clock(f, d.off);
      return 0;
    case Op::kIpv4:
      if (text == nullptr) return kRefused;
      put_ipv4(f, d.off, text);
      return 0;
    case Op::kDecimal32: {
      const std::uint32_t v = decimal_text_to_u32(text);
      if (v == 0) return kRefused;  // an empty, non-numeric or missing text included
      f.put32(d.off, v);
      return 0;
    }
    case Op::kPositive:
      return a.n > 0 ? 0 : kRefused;
    case Op::kFill:
      return d.fill(f, args);
    default:
      return 0;  // reply fields
  }
}

// Reads one reply field into the caller's output; returns the export's result.
int get_field(const Frame& f, const Field& d, const Arg* args, int result) {
  void* out = args[d.arg].out;
  switch (d.op) {
    case Op::kGetText: {
      if (out == nullptr) return result;
      int n = 0;
      while (n < d.width && f.get8(d.off + n) != 0) ++n;
      f.get_bytes(d.off, out, n);  // no terminator: the caller's buffer may be exactly full
      return result;
    }
    case Op::kGetSignedByte:
      if (out != nullptr) *static_cast<int*>(out) = static_cast<std::int8_t>(f.get8(d.off));
      return result;
    case Op::kGetU32:
      if (out != nullptr) {
        const std::uint32_t v = f.get32(d.off);
        std::memcpy(out, &v, 4);
      }
      return result;
    case Op::kGetStatus16:
      return static_cast<std::int16_t>(f.get16(d.off));
    case Op::kDecode:
      d.decode(f, args);
      return result;
    default:
      return result;  // request fields
  }
}

// Reply fields follow every request field in Op.
bool is_reply_field(Op op) {
  return op >= Op::kGetText;
}

// Where the reply fields the row reads end: a reply layout of its own reads the whole reply.
int reply_end(const Command& c, int reply_len) {
  int end = 0;
  for (int k = 0; k < c.field_count; ++k) {
    const Field& d = c.fields[k];
    if (!is_reply_field(d.op)) continue;
    end = std::max(end, d.op == Op::kDecode ? reply_len : d.off + d.width);
  }
  return end;
}

}  // namespace

int run(const Command& c, const char* host, int port, std::initializer_list<Arg> args) {
  // Rows name argument positions; a row naming more arguments than its export forwards
  // reads these neutral values instead of running off the list.
  std::array<Arg, kArg7 + 1> a{0, 0, 0, 0, 0, 0, 0, 0};
  int i = 0;
  for (const Arg& arg : args) {
    if (i < static_cast<int>(a.size())) a[i++] = arg;
  }

  Frame f(c.code);
  int sized = 0;
  for (int k = 0; k < c.field_count; ++k) {
    const Field& d = c.fields[k];
    if (is_reply_field(d.op)) continue;
    const int r = put_field(f, d, a.data());
    if (r == kRefused) return kRefused;
    sized += r;
  }
  const int send_len = c.send_len == kSized ? sized : c.send_len;
  const int reply_len = c.reply_len == kSized ? sized : c.reply_len;
  int result = f.exchange(send_len, reply_len, host, port, reply_end(c, reply_len));
  if (result != kOk) return result;
  for (int k = 0; k < c.field_count; ++k) {
    const Field& d = c.fields[k];
    if (is_reply_field(d.op)) result = get_field(f, d, a.data(), result);
  }
  return result;
}

int put_display_text(Frame& f, int off, int width, const std::uint8_t* src, int n, int readable) {
  if (n > width) n = width;
  if (n <= 0) return 0;
  // The conversion may read the byte after the last one and write one byte more: work on a
  // copy that holds only what the caller vouched for, zero-terminated.
  constexpr int kRoom = 400;  // the widest display field (384) plus the overhang
  std::uint8_t source[kRoom + 2] = {};
  std::uint8_t converted[kRoom + 2] = {};
  if (n > kRoom) n = kRoom;
  const int copy = readable > n ? n + 1 : n;
  std::memcpy(source, src, static_cast<std::size_t>(copy));
  int written = display_text(source, converted, n);
  if (written > width) written = width;  // a pair straddling the field's end is cut there
  f.put_bytes(off, converted, written);
  return written;
}

}  // namespace vorskel::family
