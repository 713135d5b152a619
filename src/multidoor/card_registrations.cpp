// Writing, removing and reading back one card registration of the controller. The three
// exports differ only in how the card (and for single cards the password and mode) fill
// bytes 1-8 of the registration and come back from them; everything else is one request.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "multidoor/controller_texts.h"
#include "multidoor/door_registration.h"
#include "multidoor/echo_check.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::multidoor {
namespace {

constexpr std::uint8_t kRegisterCard = 12;
constexpr std::uint8_t kRegisterTwoCards = 33;
constexpr int kOperationAt = 16;  // the operation in the request, a status in the reply
constexpr int kRequestBytes = kRegistrationBytes + 1;
constexpr std::uint8_t kAccepted = 0;
using protocol::kNotAccepted;
using protocol::kReadBack;
using protocol::kStore;

constexpr int kCardBytes = 4;
constexpr int kPasswordBytes = 3;
constexpr int kLongCardBytes = 7;
constexpr int kFirstMode = 10, kLastMode = 13;
constexpr int kFirstIndex = 0, kLastIndex = 15;
constexpr int kCentury = 100;
constexpr int kYearBase = 2000;

using Entry = FerrinDoorRegistration;

// Texts are upper-cased in the caller's entry, as hosts expect to see them afterwards.
void put_hex(char* text, std::size_t width, std::uint8_t* wire, int bytes) {
  hex_text_bytes(upper_case_in_place(text, width), wire, bytes);
}

void put_single(Entry& e, std::uint8_t* r) {
  put_hex(e.card1, sizeof e.card1, r + kCardAt, kCardBytes);
  put_hex(e.password, sizeof e.password, r + kPasswordAt, kPasswordBytes);
}
void read_single(const std::uint8_t* r, Entry& e) {
  facility_number_text(r + kCardAt, e.card1, sizeof e.card1);
  std::snprintf(e.password, sizeof e.password, "%02X%02X%02X", r[kPasswordAt], r[kPasswordAt + 1],
                r[kPasswordAt + 2]);
  e.mode = static_cast<std::int8_t>(r[kModeAt]);
}

void put_double(Entry& e, std::uint8_t* r) {
  put_hex(e.card1, sizeof e.card1, r + kCardAt, kCardBytes);
  put_hex(e.card2, sizeof e.card2, r + kSecondCardAt, kCardBytes);
}
void read_double(const std::uint8_t* r, Entry& e) {
  facility_number_text(r + kCardAt, e.card1, sizeof e.card1);
  facility_number_text(r + kSecondCardAt, e.card2, sizeof e.card2);
}

void put_long(Entry& e, std::uint8_t* r) {
  put_hex(e.card1, sizeof e.card1, r + kCardAt, kLongCardBytes);
}
void read_long(const std::uint8_t* r, Entry& e) {
  const std::uint8_t* c = r + kCardAt;
  std::snprintf(e.card1, sizeof e.card1, "%02x%02x%02x%02x%02x%02x%02x", c[0], c[1], c[2], c[3],
                c[4], c[5], c[6]);
}

struct RegistrationKind {
  std::uint8_t code;
  std::uint8_t type;
  void (*put_cards)(Entry&, std::uint8_t* registration);
  void (*read_cards)(const std::uint8_t* registration, Entry&);
  bool single;  // carries a mode value and checks mode and index
};

constexpr RegistrationKind kSingle{kRegisterCard, kSingleCard, put_single, read_single, true};
constexpr RegistrationKind kDouble{kRegisterTwoCards, kTwoCards, put_double, read_double, false};
constexpr RegistrationKind kWiegand66{kRegisterCard, kTwoCards, put_long, read_long, false};

void read_back(const RegistrationKind& k, const std::uint8_t* r, Entry& e) {
  k.read_cards(r, e);
  e.index = static_cast<std::int8_t>(r[kIndexAt]);
  std::memset(e.doors, 0, sizeof e.doors);
  channel_mask_to_text(door_mask(r), e.doors);
  e.year = static_cast<std::int8_t>(r[kYearAt]) + kYearBase;
  e.month = static_cast<std::int8_t>(r[kMonthAt]);
  e.day = static_cast<std::int8_t>(r[kDayAt]);
}

int registration(const RegistrationKind& k, Entry* entry, int operation, const char* host,
                 int port) {
  if (entry == nullptr) return kBadArgument;
  Entry& e = *entry;
  Frame f(k.code);
  std::uint8_t* r = f.payload();
  r[kTypeAt] = k.type;
  k.put_cards(e, r);  // before the checks: a refused request still upper-cases the texts
  if (k.single) {
    if (!in_range(e.mode, kFirstMode, kLastMode)) return kBadArgument;
    r[kModeAt] = static_cast<std::uint8_t>(e.mode);
    if (!in_range(e.index, kFirstIndex, kLastIndex)) return kBadArgument;
  }
  r[kIndexAt] = static_cast<std::uint8_t>(e.index);
  const std::uint32_t mask = channel_mask_from_text(e.doors);
  for (int i = 0; i < 3; ++i) r[kDoorMaskAt + i] = static_cast<std::uint8_t>(mask >> (8 * i));
  r[kYearAt] = static_cast<std::uint8_t>(e.year % kCentury);
  r[kMonthAt] = static_cast<std::uint8_t>(e.month);
  r[kDayAt] = static_cast<std::uint8_t>(e.day);
  if (!in_range(operation, kStore, kReadBack)) return kBadArgument;
  r[kOperationAt] = static_cast<std::uint8_t>(operation);

  const EchoCheck echo(f, kRegistrationBytes);
  const int result = f.exchange(kRequestBytes, kRequestBytes, host, port);
  if (result != 0) return result;
  // The status byte and a read-back registration are only in a whole reply; a short one leaves
  // request bytes in their places.
  if (f.received_payload() < kRequestBytes) return kNotAccepted;
  if (operation == kStore && !echo.matches(f)) return kNotAccepted;
  if (f.get8(kOperationAt) != kAccepted) return kNotAccepted;
  if (operation == kReadBack) read_back(k, f.payload(), e);
  return 0;
}

}  // namespace
}  // namespace vorskel::multidoor

using namespace vorskel::multidoor;

extern "C" {

VORSKEL_API int VORSKEL_CALL Ferrin_Single(FerrinDoorRegistration* entry, const char* host,
                                           int port, int operation) {
  return registration(kSingle, entry, operation, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_Double(FerrinDoorRegistration* entry, const char* host,
                                           int port, int operation) {
  return registration(kDouble, entry, operation, host, port);
}
VORSKEL_API int VORSKEL_CALL Ferrin_REG_WEIGEN66(FerrinDoorRegistration* entry, const char* host,
                                                 int port, int operation) {
  return registration(kWiegand66, entry, operation, host, port);
}

}  // extern "C"
