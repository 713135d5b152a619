// The payment terminals' card registry: one entry per call through the registry command,
// with the payload layout of each terminal kind. Operation 1 stores an entry, 2 is the
// command's remaining operation (the card number alone), 3 reads the entry back.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "consume/text_fields.h"
#include "transport/codecs.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::consume {
namespace {

constexpr std::uint8_t kRegistry = 12;

using protocol::kReadBack;
using protocol::kStore;
bool known_operation(int op) {
  return op >= kStore && op <= kReadBack;
}

// Nemmar_Regsitry: card 0-3, first value 4-7, second value 8-11, operation / status 12-13.
namespace nemmar {
constexpr int kLen = 14;
constexpr int kCard = 0;
constexpr int kFirst = 4;
constexpr int kSecond = 8;
constexpr int kStatus = 12;
}  // namespace nemmar

// Nemmar_Registry_id: card 0-3, operation / status 4-5, zeros to 13.
namespace nemmar_id {
constexpr int kLen = 14;
constexpr int kCard = 0;
constexpr int kStatus = 4;
constexpr int kCardRoom = 11;  // the caller's text: 10 digits and a zero
}  // namespace nemmar_id

// Brell_Registry_id: the whole card entry.
namespace brell {
constexpr int kLen = 34;
constexpr int kCard = 0;
constexpr int kFirst = 4;
constexpr int kSecond = 8;
constexpr int kByte = 12;
constexpr int kWord = 13;
constexpr int kRaw = 20;
constexpr int kRawSent = 8;       // raw bytes the terminal receives
constexpr int kRawReturned = 10;  // bytes 20-29 come back, nibbles and year byte included
constexpr int kNibbles = 28;
constexpr int kYear = 29;
constexpr int kMonth = 30;
constexpr int kDay = 31;
constexpr int kStatus = 32;
constexpr int kYearBase = 1900;
}  // namespace brell

std::int16_t status(const Frame& f, int off) {
  return static_cast<std::int16_t>(f.get16(off));
}

void put_brell_entry(Frame& f, const BrellCardEntry& e) {
  using namespace brell;
  f.put32(kCard, field_number(e.card));
  f.put32(kFirst, field_number(e.first));
  f.put32(kSecond, field_number(e.second));
  f.put8(kByte, field_number(e.byteValue));
  f.put16(kWord, field_number(e.wordValue));
  f.put_bytes(kRaw, e.raw, kRawSent);
  const std::uint32_t high = field_number(e.highNibble) & 0x0F;
  const std::uint32_t low = field_number(e.lowNibble) & 0x0F;
  f.put8(kNibbles, (high << 4) | low);
  f.put8(kYear, static_cast<std::uint32_t>(e.year - kYearBase));
  f.put8(kMonth, static_cast<std::uint32_t>(e.month));
  f.put8(kDay, static_cast<std::uint32_t>(e.day));
}

void take_brell_entry(const Frame& f, BrellCardEntry& e) {
  using namespace brell;
  put_number(e.card, "%010u", f.get32(kCard));
  put_number(e.second, "%u", f.get32(kSecond));
  put_number(e.first, "%u", f.get32(kFirst));
  f.get_bytes(kRaw, e.raw, kRawReturned);
  put_number(e.byteValue, "%u", f.get8(kByte));
  put_number(e.wordValue, "%u", f.get16(kWord));
  put_number(e.highNibble, "%u", f.get8(kNibbles) >> 4u);
  put_number(e.lowNibble, "%u", f.get8(kNibbles) & 0x0Fu);
  e.year = f.get8(kYear) + kYearBase;
  e.month = f.get8(kMonth);
  e.day = f.get8(kDay);
}

}  // namespace
}  // namespace vorskel::consume

extern "C" {

VORSKEL_API int VORSKEL_CALL Nemmar_Regsitry(NemmarRegistryBlock* block, int operation,
                                             const char* host, int port) {
  namespace c = vorskel::consume;
  namespace n = vorskel::consume::nemmar;
  if (block == nullptr || !c::known_operation(operation)) return -1;
  vorskel::Frame f(c::kRegistry);
  f.put32(n::kCard, c::field_number(block->card));
  if (operation == c::kStore) {
    f.put32(n::kFirst, block->first);
    f.put32(n::kSecond, block->second);
  }
  f.put16(n::kStatus, static_cast<std::uint32_t>(operation));
  const int r = f.exchange(n::kLen, n::kLen, host, port, n::kLen);
  if (r != 0) return r;
  if (operation == c::kReadBack) {
    block->first = f.get32(n::kFirst);
    block->second = f.get32(n::kSecond);
  }
  return c::status(f, n::kStatus);
}

VORSKEL_API int VORSKEL_CALL Nemmar_Registry_id(char* card, int operation, const char* host,
                                                int port) {
  namespace c = vorskel::consume;
  namespace n = vorskel::consume::nemmar_id;
  if (card == nullptr || !c::known_operation(operation)) return -1;
  vorskel::Frame f(c::kRegistry);
  f.put32(n::kCard, c::field_number(card, n::kCardRoom));
  f.put16(n::kStatus, static_cast<std::uint32_t>(operation));
  const int r = f.exchange(n::kLen, n::kLen, host, port, n::kStatus + 2);
  if (r != 0) return r;
  if (operation != c::kReadBack) return 0;
  if (c::status(f, n::kStatus) != 0) return -1;
  std::snprintf(card, n::kCardRoom, "%010lu", static_cast<unsigned long>(f.get32(n::kCard)));
  return 0;
}

VORSKEL_API int VORSKEL_CALL Brell_Registry_id(BrellCardEntry* entry, int operation,
                                               const char* host, int port) {
  namespace c = vorskel::consume;
  namespace b = vorskel::consume::brell;
  if (entry == nullptr || !c::known_operation(operation)) return -1;
  vorskel::Frame f(c::kRegistry);
  c::put_brell_entry(f, *entry);
  f.put16(b::kStatus, static_cast<std::uint32_t>(operation));
  const int r = f.exchange(b::kLen, b::kLen, host, port, b::kLen);
  if (operation == c::kReadBack) {
    // A refusal, and a lost exchange (the frame still holds the request's 3), give -1.
    if (c::status(f, b::kStatus) != 0) return -1;
    // A reply to another command is not read into the caller's entry.
    if (r != 0) return r;
    c::take_brell_entry(f, *entry);
    return 0;
  }
  if (r != 0) return r;
  return c::status(f, b::kStatus);
}

}  // extern "C"
