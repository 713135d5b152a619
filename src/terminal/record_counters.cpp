// The record counters (command 11) and the record and registration pointers (command 18).
#include "terminal/record_counters.h"

#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::terminal {
namespace {

using protocol::code::kGetPoint;
using protocol::code::kGetTotal;
constexpr int kCounterReplyLen = protocol::kCounterReply;
// Where the total's fields end: a reply cut before them is no usable reply.
constexpr int kTotalsEnd = 4;

}  // namespace

Reply<RecordTotal> read_record_total(const char* host, int port) {
  Frame f(kGetTotal);
  Reply<RecordTotal> reply;
  reply.result = f.exchange(0, kCounterReplyLen, host, port, kTotalsEnd);
  if (reply.ok()) reply.value = {f.get16(0), f.get16(2)};
  return reply;
}

Reply<RecordPointers> read_record_pointers(const char* host, int port, int reads) {
  Frame f(kGetPoint);
  Reply<RecordPointers> reply;
  reply.result = f.exchange(0, kCounterReplyLen, host, port, reads);
  if (!reply.ok()) return reply;
  RecordPointers& p = reply.value;
  p.start = f.get32(0);
  p.end = f.get32(4);
  p.area_end = f.get32(8);
  p.cycle = f.get8(13);  // cycle byte: [13], not [12]
  p.registration[0] = f.get32(16);
  p.registration[1] = f.get32(20);
  p.registration[2] = f.get32(24);
  return reply;
}

}  // namespace vorskel::terminal

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_GetTotal(unsigned int* recordTotal, unsigned int* secondCount,
                                            const char* host, int port) {
  const auto reply = vorskel::terminal::read_record_total(host, port);
  if (!reply.ok()) return reply.result;
  if (recordTotal != nullptr) *recordTotal = reply.value.records;
  if (secondCount != nullptr) *secondCount = reply.value.second_count;
  return 0;
}

VORSKEL_API int VORSKEL_CALL Vorsk_GetPoint(unsigned int* recordPointers,
                                            unsigned int* registrationPointers, const char* host,
                                            int port) {
  const int reads = registrationPointers != nullptr ? vorskel::terminal::kRegistrationPointersEnd
                    : recordPointers != nullptr     ? vorskel::terminal::kRecordPointersEnd
                                                    : 0;
  const auto reply = vorskel::terminal::read_record_pointers(host, port, reads);
  if (!reply.ok()) return reply.result;
  const vorskel::RecordPointers& p = reply.value;
  if (recordPointers != nullptr) {
    recordPointers[0] = p.start;
    recordPointers[1] = p.end;
    recordPointers[2] = p.area_end;
    recordPointers[3] = p.cycle;
  }
  if (registrationPointers != nullptr)
    for (int i = 0; i < 3; ++i) registrationPointers[i] = p.registration[i];
  return 0;
}

}  // extern "C"
