// The door controllers' commands.
#include "sim/models/doors.h"

#include "sim/models/record_area.h"
#include "sim/models/terminal_state.h"
#include "sim/simulator.h"
#include "src/protocol/codes.h"

namespace vorskel::sim {
namespace {

constexpr std::size_t kSondoRegistration = 34;
constexpr std::size_t kSondoOperationAt = 32;
constexpr std::size_t kLuskRegistration = 22;
constexpr std::size_t kLuskOperationAt = 20;
constexpr std::size_t kLuskStampAt = 11;
constexpr std::size_t kHeskRelayLength = 4;
constexpr std::uint16_t kNotRegistered = 0xFFFF;  // -1 as the controller's 16-bit answer
using protocol::kCardOnly;
using protocol::kReadBack;
using protocol::kStore;

std::uint32_t card_key_of(const Request& r) {
  return static_cast<std::uint32_t>(r.p8(0)) << 24 | r.p8(1) << 16 | r.p8(2) << 8 | r.p8(3);
}

// Registration command 12 of either model: store, remove or read back one card; the
// controller's answer goes into the operation field.
Reply registration(std::map<std::uint32_t, Bytes>& book, const Request& r, std::size_t length,
                   std::size_t operation_at, std::size_t stamp_at) {
  Bytes reply = r.payload();
  reply.resize(length, 0);
  const std::uint32_t card = card_key_of(r);
  std::uint16_t answer = 0;
  switch (r.p16(operation_at)) {
    case kStore: {
      Bytes stored = reply;
      put16(stored, operation_at, 0);
      if (stamp_at != 0) {  // the Lusk controller stamps the registration day, 08:30
        const ReportClock day{1900 + stored[8], stored[9], stored[10], 8, 30, 0};
        put32(stored, stamp_at, seconds_since_1980(day));
      }
      book[card] = stored;
      break;
    }
    case kCardOnly:
      answer = book.erase(card) != 0 ? 0 : kNotRegistered;
      break;
    case kReadBack: {
      auto it = book.find(card);
      if (it == book.end())
        answer = kNotRegistered;
      else
        reply = it->second;
      break;
    }
    default:
      answer = kNotRegistered;
  }
  put16(reply, operation_at, answer);
  return reply;
}

// Gaddo settings: bytes and their CRC-16, stored only when the CRC-16 matches; the answer
// is the bytes now held and their CRC-16.
Reply guarded_answer(const DoorControllers& s, const Bytes& held) {
  Bytes reply = held;
  put16(reply, held.size(), crc16(held.data(), held.size()) ^ (s.spoil_setting_crc ? 1 : 0));
  return reply;
}

Reply guarded_set(DoorControllers& s, Bytes& held, const Request& r) {
  Bytes bytes(r.datagram.begin() + 3, r.datagram.begin() + 3 + static_cast<long>(held.size()));
  if (r.payload_size() >= held.size() + 2 &&
      crc16(bytes.data(), bytes.size()) == r.p16(held.size()))
    held = bytes;
  return guarded_answer(s, held);
}

}  // namespace

void install_door_controllers(Model& m) {
  auto& s = m.part<DoorControllers>();

  m.on(12, [&s](const Request& r) -> Reply {
    if (r.payload_size() == kLuskRegistration)
      return registration(s.lusk_registrations, r, kLuskRegistration, kLuskOperationAt,
                          kLuskStampAt);
    return registration(s.sondo_registrations, r, kSondoRegistration, kSondoOperationAt, 0);
  });
  m.on(26, [&s](const Request& r) -> Reply {  // Sondo/Kappel relay byte, or Hesk relays
    if (r.payload_size() == kHeskRelayLength)
      s.hesk_relays = r.p8(0);
    else
      s.relays = r.p8(0);
    return r.payload();
  });
  m.on(29, [&s](const Request& r) -> Reply {
    s.voice = r.payload();
    return r.payload();
  });
  // Settings the controllers keep and echo.
  for (std::uint8_t code : {30, 31, 33, 34, 35, 37, 38, 39, 40, 41, 49, 60}) {
    m.on(code, [&s](const Request& r) -> Reply {
      s.settings[r.code()] = r.payload();
      return r.payload();
    });
  }
  m.on(32, [&s](const Request&) -> Reply {
    return Bytes(s.relay_status.begin(), s.relay_status.end());
  });
  m.on(36, [&s](const Request& r) -> Reply {
    s.settings[r.code()] = r.payload();
    Bytes reply = r.payload();
    put16(reply, 0, static_cast<std::uint16_t>(s.switch_answer));
    return reply;
  });
  m.on(48, [&s](const Request& r) -> Reply {
    s.settings[r.code()] = r.payload();
    Bytes reply = r.payload();
    put16(reply, 0, static_cast<std::uint16_t>(s.wend_answer));
    return reply;
  });
  m.on(50, [&s](const Request& r) -> Reply {
    s.inter_relays = {r.p8(0), r.p8(1)};
    return r.payload();
  });
  m.on(7, [&s](const Request& r) -> Reply {
    s.master_card = r.payload();
    return r.payload();
  });
  m.on(23, [&s](const Request&) -> Reply { return Bytes(s.online.begin(), s.online.end()); });
  m.on(0, [&s](const Request& r) -> Reply {  // Gaddo acknowledgement: no payload back
    s.gaddo_acks.push_back(r.payload());
    return Bytes{};
  });
  m.on(112, [&s](const Request& r) -> Reply { return guarded_set(s, s.machine, r); });
  m.on(113, [&s](const Request&) -> Reply { return guarded_answer(s, s.machine); });
  m.on(114, [&s](const Request& r) -> Reply { return guarded_set(s, s.logic, r); });
  m.on(115, [&s](const Request&) -> Reply { return guarded_answer(s, s.logic); });
  m.on(116, [&s](const Request&) -> Reply {
    ++s.alarm_resets;
    return Bytes{};
  });
}

namespace {
// Clock and record counters (codes 3, 11, 18), the record area (page reads, code 4), the
// door commands, and the reporting facility (acknowledgement checks, "report" texts); the
// door reports' texts install from doors_reports.cpp.
const bool registered = [] {
  for (const char* name : {"doors", "sondo", "kappel", "lusk", "hesk", "gaddo"}) {
    register_family(name, 10, install_terminal_basics);
    register_family(name, 20, install_record_area);
    register_family(name, 30, install_door_controllers);
    register_family(name, 90, install_reports);
  }
  return true;
}();
}  // namespace

}  // namespace vorskel::sim
