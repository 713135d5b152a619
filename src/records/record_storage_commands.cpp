// Two plain commands that write into the terminal's record-related storage.
#include "transport/frame.h"
#include "vorskel.h"

namespace {

constexpr std::uint8_t kWriteFlash3st = 245;
constexpr int kWriteFlash3stMaxData = 256;
constexpr int kWriteFlash3stHeader = 8;  // length, then address, both 32-bit
constexpr int kWriteFlash3stReplyLen = 512;

constexpr std::uint8_t kLoopRecord = 143;
constexpr int kLoopRecordMaxLen = vorskel::protocol::kLongReply;  // its whole command payload
constexpr int kLoopRecordReplyLen = vorskel::protocol::kLongReply;

using vorskel::protocol::kBadArgument;

}  // namespace

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_WriteFlash3st(const unsigned char* data, int length,
                                                 unsigned int address, const char* host, int port) {
  // A negative length would go out as a huge length field: refused.
  if (length < 0 || (data == nullptr && length > 0)) return kBadArgument;
  const int n = length > kWriteFlash3stMaxData ? kWriteFlash3stMaxData : length;
  vorskel::Frame f(kWriteFlash3st);
  f.put32(0, static_cast<std::uint32_t>(n));
  f.put32(4, address);
  f.put_bytes(kWriteFlash3stHeader, data, n);
  return f.exchange(n + kWriteFlash3stHeader, kWriteFlash3stReplyLen, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_Loop_Record(const unsigned char* data, int length,
                                               const char* host, int port) {
  // The terminal takes at most 131 payload bytes; longer or negative lengths never leave.
  if (length < 0 || length > kLoopRecordMaxLen || (data == nullptr && length > 0))
    return kBadArgument;
  vorskel::Frame f(kLoopRecord);
  f.put_bytes(0, data, length);
  return f.exchange(length, kLoopRecordReplyLen, host, port);
}

}  // extern "C"
