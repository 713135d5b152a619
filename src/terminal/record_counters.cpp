// The two small queries every record and registration reader starts with: how many records
// the terminal holds, and where its record and registration areas begin and end.
#include "transport/frame.h"
#include "vorskel.h"

namespace {

constexpr std::uint8_t kGetTotal = 11;
constexpr std::uint8_t kGetPoint = 18;
constexpr int kCounterReplyLen = 32;
// Where the fields each query reads end: a reply cut before them is no usable reply.
constexpr int kTotalsEnd = 4;
constexpr int kRecordPointersEnd = 14;
constexpr int kRegistrationPointersEnd = 28;

}  // namespace

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_GetTotal(unsigned int* recordTotal, unsigned int* secondCount,
                                            const char* host, int port) {
  vorskel::Frame f(kGetTotal);
  const int r = f.exchange(0, kCounterReplyLen, host, port, kTotalsEnd);
  if (r != 0) return r;
  if (recordTotal != nullptr) *recordTotal = f.get16(0);
  if (secondCount != nullptr) *secondCount = f.get16(2);
  return 0;
}

VORSKEL_API int VORSKEL_CALL Vorsk_GetPoint(unsigned int* recordPointers,
                                            unsigned int* registrationPointers, const char* host,
                                            int port) {
  vorskel::Frame f(kGetPoint);
  const int reads = registrationPointers != nullptr ? kRegistrationPointersEnd
                    : recordPointers != nullptr     ? kRecordPointersEnd
                                                    : 0;
  const int r = f.exchange(0, kCounterReplyLen, host, port, reads);
  if (r != 0) return r;
  if (recordPointers != nullptr) {
    recordPointers[0] = f.get32(0);  // start pointer
    recordPointers[1] = f.get32(4);  // end pointer
    recordPointers[2] = f.get32(8);  // area end
    recordPointers[3] = f.get8(13);  // cycle byte: [13], not [12]
  }
  if (registrationPointers != nullptr) {
    registrationPointers[0] = f.get32(16);
    registrationPointers[1] = f.get32(20);
    registrationPointers[2] = f.get32(24);
  }
  return 0;
}

}  // extern "C"
