// The Lusk controller's registrations (command 12, 22 bytes), master card and online table.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "doors/door_command.h"
#include "platform/platform.h"
#include "records/calendar.h"
#include "records/number_text.h"
#include "vorskel.h"

namespace vorskel::doors {
namespace {

using protocol::kReadBack;
using protocol::kStore;

constexpr int kCardAt = 0;
constexpr int kValueAt = 4;
constexpr int kYearAt = 8;
constexpr int kMonthAt = 9;
constexpr int kDayAt = 10;
constexpr int kStampAt = 11;      // reply only: seconds since 1980
constexpr int kOperationAt = 20;  // the controller's 16-bit answer comes back here
constexpr int kYearToByte = 148;
constexpr int kBaseYear = 1900;
constexpr int kCardChars = 8;

constexpr std::uint8_t kMasterMark = 0xCC;
constexpr int kMasterCardAt = 1;
constexpr int kMasterCheckAt = 5;  // XOR of payload bytes 0-4
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

constexpr int kOnlineBytes = 32;

// A text and its zero into a field of room bytes, cut to fit.
void copy_text(char* field, std::size_t room, const char* text) {
  const std::size_t n = std::min(std::strlen(text), room - 1);
  std::memcpy(field, text, n);
  field[n] = '\0';
}

void read_back(const Frame& f, LuskRegistration& reg) {
  char card[kCardChars + 1];
  std::snprintf(card, sizeof card, "%02x%02x%02x%02x", f.get8(kCardAt), f.get8(kCardAt + 1),
                f.get8(kCardAt + 2), f.get8(kCardAt + 3));
  std::memcpy(reg.card, card, kCardChars);
  reg.value = f.get32(kValueAt);
  const records::TimeFields t = records::from_1980_seconds(f.get32(kStampAt));
  const auto date = records::date_text(t.full_year(), t.month, t.day);
  const auto time = records::time_text(t.hour, t.minute, t.second);
  copy_text(reg.date, sizeof reg.date, date.s);
  copy_text(reg.time, sizeof reg.time, time.s);
  reg.year = f.get8(kYearAt) + kBaseYear;
  reg.month = f.get8(kMonthAt);
  reg.day = f.get8(kDayAt);
}

int registry(LuskRegistration* reg, int operation, const char* host, int port) {
  if (reg == nullptr || operation < kStore || operation > kReadBack) return -1;
  Frame f(kLuskRegistry.code);
  put_card_text(f, kCardAt, reg->card, kCardChars);
  if (operation == kStore) {
    f.put32(kValueAt, reg->value);
    f.put8(kYearAt, static_cast<std::uint32_t>(reg->year + kYearToByte));
    f.put8(kMonthAt, static_cast<std::uint32_t>(reg->month));
    f.put8(kDayAt, static_cast<std::uint32_t>(reg->day));
  }
  f.put16(kOperationAt, static_cast<std::uint32_t>(operation));
  const int r = run(kLuskRegistry, f, host, port);
  if (r != kOk) return r;
  if (operation == kReadBack) {
    platform::yield_thread();  // one yield before the read-back, as hosts have always seen it
    read_back(f, *reg);
  }
  return static_cast<std::int16_t>(f.get16(kOperationAt));
}

int master_card(const char* card, const char* host, int port) {
  if (card == nullptr || std::strlen(card) != kCardChars) return -1;
  Frame f(kMasterCard.code);
  f.put8(0, kMasterMark);
  put_card_text(f, kMasterCardAt, card, kCardChars);
  std::uint8_t check = 0;
  for (int i = 0; i < kMasterCheckAt; ++i) check ^= f.get8(i);
  f.put8(kMasterCheckAt, check);
  f.put8(kMasterCheckAt + 1, kCr);
  f.put8(kMasterCheckAt + 2, kLf);
  return run(kMasterCard, f, host, port);
}

int online(unsigned char* table, const char* host, int port) {
  Frame f(kOnline.code);
  const int r = run(kOnline, f, host, port);
  if (r == kOk && table != nullptr) f.get_bytes(0, table, kOnlineBytes);
  return r;
}

}  // namespace
}  // namespace vorskel::doors

extern "C" {

VORSKEL_API int VORSKEL_CALL Lusk_Registry(LuskRegistration* reg, int operation, const char* host,
                                           int port) {
  return vorskel::doors::registry(reg, operation, host, port);
}
VORSKEL_API int VORSKEL_CALL Lusk_Master_Card(const char* card, const char* host, int port) {
  return vorskel::doors::master_card(card, host, port);
}
VORSKEL_API int VORSKEL_CALL Lusk_GetOnline(unsigned char* table, const char* host, int port) {
  return vorskel::doors::online(table, host, port);
}

}  // extern "C"
