// Writing one record into a second-generation payment terminal, built from an entry as the
// record download gives it.
#include <cstdint>

#include "consume/text_fields.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::consume {
namespace {

constexpr std::uint8_t kWriteRecord = 88;
constexpr int kRecordLen = 22;
constexpr int kReplyLen = protocol::kLongReply;

// Record image: card 0-3, the two 32-bit values 4-7 and 8-11, time stamp 12-15, flag 16,
// value D 17 (sent as 0), value E 18-21.
constexpr int kCard = 0, kFirst = 4, kSecond = 8, kStamp = 12, kFlag = 16, kValueE = 18;
constexpr std::uint32_t kFixedStamp = 0xAAAA5555;
constexpr std::uint8_t kFixedFlag = 0xAA;  // valid, record type 10

// Where the entry keeps its texts, and their rooms.
constexpr int kEntryCard = 0, kCardRoom = 12;
constexpr int kEntryB = 54, kEntryE = 70, kEntryA = 86, kValueRoom = 16;

}  // namespace
}  // namespace vorskel::consume

extern "C" {

VORSKEL_API int VORSKEL_CALL Nemmarv2_Write_ARecord(const unsigned char* entry, const char* host,
                                                    int port) {
  namespace c = vorskel::consume;
  if (entry == nullptr) return -1;
  const auto* text = reinterpret_cast<const char*>(entry);
  vorskel::Frame f(c::kWriteRecord);
  f.put32(c::kCard, c::field_number(text + c::kEntryCard, c::kCardRoom));
  // Bytes 4-7 take the text at 54 (the reader's value B) and bytes 8-11 the one at 86
  // (value A): a record read back and written again arrives with A and B exchanged, which
  // is what these terminals have always been sent.
  f.put32(c::kFirst, c::field_number(text + c::kEntryB, c::kValueRoom));
  f.put32(c::kSecond, c::field_number(text + c::kEntryA, c::kValueRoom));
  f.put32(c::kStamp, c::kFixedStamp);
  f.put8(c::kFlag, c::kFixedFlag);
  f.put32(c::kValueE, c::field_number(text + c::kEntryE, c::kValueRoom));
  return f.exchange(c::kRecordLen, c::kReplyLen, host, port);
}

}  // extern "C"
