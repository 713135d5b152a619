// The door controllers' watch functions: Sondo card and door-state reports (door states
// reported only when they change, per controller and slot), Hesk reports with eight input
// flags, and Gaddo frames. All take one datagram off the watch endpoint through the shared
// receive step, which skips the host's own watch requests.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "doors/device_list.h"
#include "terminal/watch_decoders.h"
#include "terminal/watch_receive.h"
#include "vorskel.h"

namespace vorskel::doors {
namespace {

namespace wr = watch_report;

constexpr int kReceiveFailed = -1;
constexpr int kCrcMismatch = -2;
constexpr int kSenderTextRoom = 16;

// Sondo and Hesk datagrams.
constexpr int kSondoRoom = 256;
constexpr std::uint32_t kDoorStateMarker = 0x55AA55AAu;  // bytes AA 55 AA 55
constexpr int kSlotAt = 6;                               // byte A of a door-state report
constexpr int kStateAt = 8;
constexpr int kCardKind = 0;
constexpr int kSlotZeroKind = 33;  // slot 0 would read as a card report
constexpr int kHeskInputsAt = 8;
constexpr int kHeskInputs = 8;

// Gaddo frames.
constexpr int kGaddoRoom = 512;
constexpr int kGaddoKindAt = 2;
constexpr int kGaddoDataAt = 3;
constexpr int kGaddoDataBytes = 32;
constexpr int kGaddoNull = -2;
constexpr int kGaddoOtherKind = -3;
constexpr std::uint8_t kGaddoKinds[] = {'u', 'v'};

static_assert(sizeof(SondoCardReport) == 104);
static_assert(offsetof(SondoCardReport, text) == 10 && offsetof(SondoCardReport, date) == 74);
static_assert(offsetof(SondoCardReport, time) == 86 && offsetof(SondoCardReport, valueA) == 96);
static_assert(offsetof(SondoCardReport, valueB) == 100);
static_assert(sizeof(HeskReport) == 50 && offsetof(HeskReport, time) == 10);
static_assert(offsetof(HeskReport, date) == 26 && offsetof(HeskReport, inputs) == 42);

// The receive every Sondo-datagram watch function starts with: the datagram's length
// (positive), or -1. The sender goes to the caller's outputs when it gave them.
int receive(std::uint8_t* buffer, int room, char* senderText, int* senderPort) {
  const int n = receive_watch_datagram(buffer, room, senderText, senderPort);
  return n > 0 ? n : kReceiveFailed;
}

void write_card_report(const WatchDatagram& d, unsigned char* report) {
  SondoCardReport r{};
  std::memcpy(&r, report, sizeof r);  // bytes between the texts keep the caller's values
  wr::put_card(d, r.card, sizeof r.card);
  d.text(wr::kText, r.text, sizeof r.text);  // never past the field, terminated or not
  wr::put_date(d, r.date, sizeof r.date);
  wr::put_time(d, r.time, sizeof r.time);
  r.valueA = d.s8(wr::kValueA);
  r.valueB = d.s8(wr::kValueB);
  std::memcpy(report, &r, sizeof r);
}

int door_state(const WatchDatagram& d, unsigned char* report, int* kind, const char* sender) {
  const int slot = d.u8(kSlotAt);
  // A slot the controller cannot have: the report is ignored, nothing is written.
  if (slot >= kDoorSlots) return 0;
  if (kind != nullptr) *kind = slot == 0 ? kSlotZeroKind : slot;
  DoorState now;
  d.copy(kStateAt, now.data(), kDoorStateBytes);
  const std::uint32_t address = ipv4_of(sender);
  if (DeviceEntry* known = device_list().find(address)) {
    DoorState& stored = known->slots[static_cast<std::size_t>(slot)];
    now[kDoorStateBytes - 1] = change_code(now, stored);
    if (now[kDoorStateBytes - 1] == 0) return 0;
    std::copy(now.begin() + kComparedFrom, now.begin() + kComparedTo + 1,
              stored.begin() + kComparedFrom);
  } else {
    device_list().add_front(address).slots[static_cast<std::size_t>(slot)] = now;
  }
  std::memcpy(report, now.data(), kDoorStateBytes);
  return 0;
}

int sondo_watch(unsigned char* report, int* kind, char* senderText, int* senderPort) {
  if (report == nullptr) return kReceiveFailed;
  std::uint8_t buffer[kSondoRoom];
  // The controller is known by its address, so the sender is needed even when the caller
  // does not ask for it.
  char own_text[kSenderTextRoom] = {};
  char* sender = senderText != nullptr ? senderText : own_text;
  const int n = receive(buffer, kSondoRoom, sender, senderPort);
  if (n < 0) return kReceiveFailed;
  const WatchDatagram d(buffer, n);
  if (!wr::crc_ok(d)) return kCrcMismatch;
  if (d.le32(wr::kCard) == kDoorStateMarker) return door_state(d, report, kind, sender);
  if (kind != nullptr) *kind = kCardKind;
  write_card_report(d, report);
  return 0;
}

int hesk_watch(HeskReport* report, char* senderText, int* senderPort) {
  if (report == nullptr) return kReceiveFailed;
  std::uint8_t buffer[kSondoRoom];
  const int n = receive(buffer, kSondoRoom, senderText, senderPort);
  if (n < 0) return kReceiveFailed;
  const WatchDatagram d(buffer, n);
  if (!wr::crc_ok(d)) return kCrcMismatch;
  HeskReport r{};
  wr::put_card(d, r.card, sizeof r.card);
  wr::put_time(d, r.time, sizeof r.time);
  wr::put_date(d, r.date, sizeof r.date);
  for (int i = 0; i < kHeskInputs; ++i) r.inputs[i] = (d.u8(kHeskInputsAt) >> i) & 1u;
  *report = r;
  return 0;
}

int gaddo_watch(unsigned char* kind, unsigned char* data, char* senderText, int* senderPort) {
  if (kind == nullptr || data == nullptr) return kGaddoNull;
  std::memset(data, 0, kGaddoDataBytes);
  std::uint8_t buffer[kGaddoRoom];
  const int n = receive(buffer, kGaddoRoom, senderText, senderPort);
  if (n < 0) return kReceiveFailed;
  const WatchDatagram d(buffer, n);
  *kind = d.u8(kGaddoKindAt);
  for (std::uint8_t known : kGaddoKinds) {
    if (*kind != known) continue;
    d.copy(kGaddoDataAt, data, kGaddoDataBytes);
    data[kGaddoDataBytes - 1] = 0;
    return 0;
  }
  return kGaddoOtherKind;
}

}  // namespace
}  // namespace vorskel::doors

extern "C" {

VORSKEL_API int VORSKEL_CALL Sondo_Watch(unsigned char* report, int* kind, char* senderText,
                                         int* senderPort) {
  return vorskel::doors::sondo_watch(report, kind, senderText, senderPort);
}
VORSKEL_API int VORSKEL_CALL Hesk_Watch(HeskReport* report, char* senderText, int* senderPort) {
  return vorskel::doors::hesk_watch(report, senderText, senderPort);
}
VORSKEL_API int VORSKEL_CALL Gaddo_Watch(unsigned char* kind, unsigned char* data, char* senderText,
                                         int* senderPort) {
  return vorskel::doors::gaddo_watch(kind, data, senderText, senderPort);
}

}  // extern "C"
