// What the reply fuzz targets share: each holds a table of calls, one reading export with
// caller buffers sized as the header documents them (Guarded, so a write past them aborts),
// and this dispatch hands the fuzzer's bytes to the command transaction as the replies.
//
// Input: byte 0 picks the call (its low 7 bits, modulo the table's size). For a call of one
// transaction the rest is its reply, and bit 7 of byte 0 set lets the reply keep its own
// command code (else it is forced to the request's, so the decoders behind the code check
// are reached). For a call of several transactions the rest is cut into successive replies
// (see ReplySequence).
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "platform/platform.h"

namespace vorskel::fuzz {

inline constexpr const char* kHost = "127.0.0.1";
inline constexpr int kPort = 5200;

enum class Replies { kOne, kSequence };

struct ReplyCall {
  Replies replies;
  void (*call)();
};

// The input being run, for a call whose data does not arrive as replies (the serial card
// driver's blocks).
struct Input {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::uint8_t at(std::size_t i) const { return i < size ? data[i] : 0; }
};
inline Input& current_input() {
  static Input input;
  return input;
}

template <std::size_t N>
int run_reply_call(const ReplyCall (&calls)[N], const std::uint8_t* data, std::size_t size) {
  static_assert(N > 0 && N <= 128, "byte 0 picks among at most 128 calls");
  // A decoder that complains about every mangled reply must not flood the fuzzer's output.
  static const bool quiet = (platform::set_error_sink([](const char*, const char*) {}), true);
  (void)quiet;
  static const bool swept = (sweep_reply_lengths(N, [&](std::size_t i) { calls[i].call(); }), true);
  (void)swept;
  if (size < 1) return 0;
  const ReplyCall& c = calls[(data[0] & 0x7F) % N];
  current_input() = Input{data + 1, size - 1};
  if (c.replies == Replies::kSequence) {
    ReplySequence replies(data + 1, size - 1);
    ScopedReply scope(&replies);
    c.call();
  } else {
    FixedReply reply(data + 1, size - 1, (data[0] & 0x80) == 0);
    ScopedReply scope(&reply);
    c.call();
  }
  current_input() = Input{};
  return 0;
}

}  // namespace vorskel::fuzz
