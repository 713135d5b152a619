// The main terminal's command families, told as tables: each export is one Command row (code,
// sendLen, replyLen, and the fields its request carries and its reply fills), run by one
// engine. The exported C functions are one-line forwards that hand their arguments over in
// order; a field names the argument it takes by position (kArg0, kArg1, ...).
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

#include "transport/frame.h"

namespace vorskel::family {

// One argument of an export as the engine sees it: a number (sign- or zero-extended from the
// C type the export declares, so clamps compare the value the caller meant) or a pointer.
// Only non-const pointers are writable outputs.
struct Arg {
  long long n = 0;
  const void* in = nullptr;
  void* out = nullptr;
  Arg(int v) : n(v) {}
  Arg(unsigned v) : n(v) {}
  Arg(const void* p) : in(p) {}
  Arg(void* p) : in(p), out(p) {}
};

// What an export returns, before any exchange, for an argument it cannot send: a missing
// text or buffer, an empty text, a length or count of 0 or less.
inline constexpr int kRefused = protocol::kBadArgument;

enum class Op : std::uint8_t {
  // request fields
  kFixed,         // [off] = limit, a constant byte (a sub-command, a marker)
  kByte,          // [off] = the argument's low 8 bits
  kFlag,          // [off] = 1 if the argument is non-zero, else 0
  kAtMost8,       // [off] = the argument, values above limit sent as limit
  kAtMost16,      // [off..off+1] likewise
  kAtMost32,      // [off..off+3] likewise
  kU16,           // [off..off+1] = the argument's low 16 bits
  kU32,           // [off..off+3] = the argument
  kInRange16,     // [off..off+1] = the argument if 1..limit, else 1
  kBytes,         // [off..off+width) = the caller's buffer (required)
  kText,          // text of at most width characters, zero-padded (required)
  kOptionalText,  // as kText; a null text leaves the field zero
  kSizedText,     // as kText, and the request and reply are exactly its length (refused if 0)
  kClock,         // 7 bytes of the PC's local time
  kIpv4,          // dotted address text as 4 bytes in network order; FF FF FF FF if unparsable
  kDecimal32,     // decimal text as a 32-bit number (refused if 0)
  kPositive,      // no bytes: refused unless the argument is above 0
  kFill,          // a layout of its own (fill)
  // reply fields, read only when the transaction returned 0 and the reply reached the last
  // byte a row's reply fields read (a kDecode layout: the whole reply)
  kGetText,        // the reply's text up to its first zero, at most width bytes, no terminator
  kGetSignedByte,  // int out := the reply byte, sign-extended
  kGetU32,         // 32-bit out := [off..off+3]
  kGetStatus16,    // the export's result := [off..off+1] as a signed 16-bit number
  kDecode,         // a reply layout of its own (decode)
};

// A custom request layout: returns the payload length it produced (used by sized commands)
// or kRefused. A custom reply layout writes the caller's outputs.
using Fill = int (*)(Frame&, const Arg* args);
using Decode = void (*)(const Frame&, const Arg* args);

struct Field {
  Op op = Op::kFixed;
  int off = 0;
  int arg = 0;
  int width = 0;
  std::uint32_t limit = 0;
  Fill fill = nullptr;
  Decode decode = nullptr;
};

inline constexpr int kArg0 = 0, kArg1 = 1, kArg2 = 2, kArg3 = 3, kArg4 = 4, kArg5 = 5, kArg6 = 6,
                     kArg7 = 7;

// sendLen / replyLen of a command whose length is its payload's (a text, a message).
inline constexpr int kSized = -1;

inline constexpr int kMaxFields = 10;

struct Command {
  std::uint8_t code = 0;
  int send_len = 0;
  int reply_len = 0;
  std::array<Field, kMaxFields> fields{};
  int field_count = 0;
};

template <class... F>
constexpr Command command(std::uint8_t code, int send_len, int reply_len, F... fields) {
  static_assert(sizeof...(F) <= kMaxFields);
  return Command{code, send_len, reply_len, {fields...}, static_cast<int>(sizeof...(F))};
}

// Field constructors, named as the command tables read.
constexpr Field fixed(int off, std::uint8_t value) {
  return {Op::kFixed, off, 0, 1, value};
}
constexpr Field byte_at(int off, int arg) {
  return {Op::kByte, off, arg};
}
constexpr Field flag_at(int off, int arg) {
  return {Op::kFlag, off, arg};
}
constexpr Field at_most8(int off, int arg, std::uint32_t limit) {
  return {Op::kAtMost8, off, arg, 1, limit};
}
constexpr Field at_most16(int off, int arg, std::uint32_t limit) {
  return {Op::kAtMost16, off, arg, 2, limit};
}
constexpr Field at_most32(int off, int arg, std::uint32_t limit) {
  return {Op::kAtMost32, off, arg, 4, limit};
}
constexpr Field u16_at(int off, int arg) {
  return {Op::kU16, off, arg, 2};
}
constexpr Field u32_at(int off, int arg) {
  return {Op::kU32, off, arg, 4};
}
constexpr Field one_to(int off, int arg, std::uint32_t limit) {
  return {Op::kInRange16, off, arg, 2, limit};
}
constexpr Field bytes_at(int off, int width, int arg) {
  return {Op::kBytes, off, arg, width};
}
constexpr Field text_at(int off, int width, int arg) {
  return {Op::kText, off, arg, width};
}
constexpr Field optional_text_at(int off, int width, int arg) {
  return {Op::kOptionalText, off, arg, width};
}
constexpr Field sized_text_at(int off, int width, int arg) {
  return {Op::kSizedText, off, arg, width};
}
constexpr Field local_clock_at(int off) {
  return {Op::kClock, off, 0, 7};
}
constexpr Field ipv4_at(int off, int arg) {
  return {Op::kIpv4, off, arg, 4};
}
constexpr Field decimal_at(int off, int arg) {
  return {Op::kDecimal32, off, arg, 4};
}
constexpr Field positive(int arg) {
  return {Op::kPositive, 0, arg};
}
constexpr Field layout(Fill fill) {
  return {Op::kFill, 0, 0, 0, 0, fill};
}
constexpr Field get_text(int off, int width, int arg) {
  return {Op::kGetText, off, arg, width};
}
constexpr Field get_signed_byte(int off, int arg) {
  return {Op::kGetSignedByte, off, arg, 1};
}
constexpr Field get_u32(int off, int arg) {
  return {Op::kGetU32, off, arg, 4};
}
constexpr Field status16_at(int off) {
  return {Op::kGetStatus16, off, 0, 2};
}
constexpr Field decoded_by(Decode decode) {
  return {Op::kDecode, 0, 0, 0, 0, nullptr, decode};
}

// Builds the request, refuses before any exchange where a field says so, runs the command
// transaction, and on success fills the caller's outputs. Returns the transaction's result,
// kRefused, or the status a reply field names.
int run(const Command& c, const char* host, int port, std::initializer_list<Arg> args);

// Texts for the terminal's display and name memories: n bytes of src into the field
// [off, off+width), through the traditional-to-simplified conversion on traditional-Chinese
// systems. readable is how many bytes of src the caller vouches for: a double-byte character
// whose lead byte is the field's last is finished with the next source byte only when that
// byte is readable, and a converted character straddling the field's end is cut there.
// Returns the bytes written into the field.
int put_display_text(Frame& f, int off, int width, const std::uint8_t* src, int n, int readable);

}  // namespace vorskel::family
