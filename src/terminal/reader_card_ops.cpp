// The card-reader model's identify, read and write operations. The terminal talks to the
// card while the host waits, so these exchanges get a longer receive time-out; afterwards
// the command endpoint is left at a short one, which later transactions keep until the
// socket is opened again (hosts rely on that to poll the reader quickly).
#include "transport/frame.h"
#include "transport/library.h"
#include "vorskel.h"

namespace {

constexpr int kOperationSendLen = 150;
constexpr int kOperationReplyLen = 512;
constexpr int kDuringOperationMs = 3000;
constexpr int kAfterOperationMs = 1000;

// Payload layout of the card operations.
constexpr int kDataAt = 0;
constexpr int kDataBytes = 64;
constexpr int kSerialAt = 64;
constexpr int kSerialBytes = 4;
constexpr int kKeyParamAt = 68;
constexpr int kKeyAt = 70;
constexpr int kKeyBytes = 6;
constexpr int kOperationAt = 76;
constexpr int kOperationBytes = 64;
constexpr int kFirstAt = 140;
constexpr int kCountAt = 142;
constexpr int kTimeoutAt = 144;
constexpr int kStatusAt = 148;

struct CardOperation {
  std::uint8_t code;
  bool sends_key;
  bool sends_data;
  bool returns_serial;
  bool returns_data;
};

constexpr CardOperation kIdentify{61, false, false, true, false};
constexpr CardOperation kRead{62, true, false, true, true};
constexpr CardOperation kWrite{79, true, true, false, false};

int run(const CardOperation& op, VorskCardOperation* rec, const char* host, int port) {
  if (rec == nullptr) return -1;
  vorskel::Frame f(op.code);
  if (op.sends_data) f.put_bytes(kDataAt, rec->data, kDataBytes);
  if (op.sends_key) {
    f.put16(kKeyParamAt, rec->keyParam);
    f.put_bytes(kKeyAt, rec->key, kKeyBytes);
  }
  f.put_bytes(kOperationAt, rec->operation, kOperationBytes);
  f.put16(kFirstAt, rec->first);
  f.put16(kCountAt, rec->count != 0 ? rec->count : 1);
  f.put32(kTimeoutAt, kDuringOperationMs);

  vorskel::TNet& endpoint = vorskel::command_endpoint();
  endpoint.SetReceiveTimeout(kDuringOperationMs);
  const int r = f.exchange(kOperationSendLen, kOperationReplyLen, host, port, kStatusAt + 2);
  endpoint.SetReceiveTimeout(kAfterOperationMs);
  if (r != 0) return r;

  if (op.returns_serial) f.get_bytes(kSerialAt, rec->serial, kSerialBytes);
  if (op.returns_data) f.get_bytes(kDataAt, rec->data, kDataBytes);
  return static_cast<std::int16_t>(f.get16(kStatusAt));
}

}  // namespace

extern "C" {

VORSKEL_API int VORSKEL_CALL Marn_Mf_id(VorskCardOperation* rec, const char* host, int port) {
  return run(kIdentify, rec, host, port);
}

VORSKEL_API int VORSKEL_CALL Marn_Mf_Read(VorskCardOperation* rec, const char* host, int port) {
  return run(kRead, rec, host, port);
}

VORSKEL_API int VORSKEL_CALL Marn_Mf_Write(VorskCardOperation* rec, const char* host, int port) {
  return run(kWrite, rec, host, port);
}

}  // extern "C"
