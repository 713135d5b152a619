// The command transaction: the library's only request/response mechanism. It frames the
// request (CRC-16 and command code), serialises exchanges under the command lock, discards
// stale datagrams, sends once, waits once, and checks the reply's command code.
#pragma once

#include <cstdint>

#include "protocol/codes.h"

namespace vorskel {

// Result codes every device function passes on unchanged.
using protocol::kNoReply;
using protocol::kOk;
using protocol::kSendFailed;
using protocol::kWrongCode;

inline constexpr int kFrameHeader = 3;    // CRC-16 (2 bytes, low first) + command code
inline constexpr int kMaxPayload = 2048;  // larger than any command's payload
inline constexpr int kFrameCapacity = kFrameHeader + kMaxPayload;
inline constexpr int kDrainRoom = protocol::kLongReply;  // room for discarded stale datagrams

// frame: kFrameCapacity bytes, command code at [2] and payload from [3] on entry; the reply
// copied over it on return (bytes beyond the reply keep their request values). sendLen and
// replyLen must lie in 0..kMaxPayload.
int transact(std::uint8_t* frame, int sendLen, int replyLen, const char* host, int port,
             int* received = nullptr);
// received (optional): the reply datagram's length in bytes when one arrived, else -1.

// Replaces the network for the command transaction (fuzzers and unit tests feed replies
// without a socket). exchange() receives the request datagram and returns the reply's length
// (at most room bytes written to reply), or -1 for "no reply". Everything else the
// transaction does (framing, lock, copy-back, code check) runs as usual. nullptr restores
// the network.
class ReplySource {
 public:
  virtual ~ReplySource() = default;
  virtual int exchange(const std::uint8_t* request, int length, std::uint8_t* reply, int room) = 0;
};
void set_reply_source(ReplySource* source);

}  // namespace vorskel
