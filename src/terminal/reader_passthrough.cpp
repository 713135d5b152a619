// Raw exchanges with the terminal's card reader: data passed through to the reader with the
// reader's answer coming back, and a setting byte for the card-reader model.
#include <algorithm>

#include "transport/frame.h"
#include "vorskel.h"

namespace {

constexpr std::uint8_t kWriteComC = 35;
constexpr int kComExchangeLen = 452;
constexpr int kComDataBytes = 448;  // data room, both ways
constexpr int kComSentCountAt = 448;
constexpr int kComAnswerCountAt = 450;  // room offered in the request; bytes answered in reply

constexpr std::uint8_t kMarnReader = 57;
constexpr int kMarnReaderReplyLen = vorskel::protocol::kLongReply;

}  // namespace

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_WriteComC(const unsigned char* data, int length,
                                             unsigned char* answer, int* answerCount,
                                             const char* host, int port) {
  const int n = std::clamp(length, 0, kComDataBytes);
  if (data == nullptr && n > 0) return -1;  // the reader would get zeros instead of data
  const int room = answerCount != nullptr ? std::clamp(*answerCount, 0, kComDataBytes) : 0;
  vorskel::Frame f(kWriteComC);
  f.put_bytes(0, data, n);
  f.put16(kComSentCountAt, static_cast<std::uint32_t>(n));
  f.put16(kComAnswerCountAt, static_cast<std::uint32_t>(room));
  const int r = f.exchange(kComExchangeLen, kComExchangeLen, host, port, kComExchangeLen);
  if (r != 0) return r;
  const int answered = f.get16(kComAnswerCountAt);
  // The caller learns how much the reader answered, but only what fits its buffer is copied.
  if (answered != 0) f.get_bytes(0, answer, std::min({answered, kComDataBytes, room}));
  if (answerCount != nullptr) *answerCount = answered;
  return 0;
}

VORSKEL_API int VORSKEL_CALL Marn_Reader(int value, const char* host, int port) {
  vorskel::Frame f(kMarnReader);
  f.put8(0, static_cast<std::uint32_t>(value));
  return f.exchange(1, kMarnReaderReplyLen, host, port);
}

}  // extern "C"
