// The fingerprint terminal's commands: registration with template (12), scan (128), probe
// (129), work type (130), security level (131) and speech (132). It also answers the record
// pointer query and area-2 page reads like the main terminal, for the registration dump.
#include "sim/models/fingerprint_terminal.h"

#include <algorithm>

#include "sim/models/registry_store.h"
#include "sim/models/terminal_state.h"
#include "sim/simulator.h"

namespace vorskel::sim {
namespace {

constexpr std::size_t kRegistrationReplyLen = 290;
constexpr std::size_t kTypeOff = 30;
constexpr std::size_t kCrcOff = 32;
constexpr std::size_t kTemplateOff = 34;
constexpr std::size_t kTemplateLen = 256;
constexpr std::uint32_t kProbeAsk = 0x55AA55AA;
constexpr std::uint32_t kProbeAnswer = 0xAA55AA55;

Bytes payload_of(const Request& r, std::size_t n) {
  Bytes b(n, 0);
  for (std::size_t i = 0; i < n; ++i) b[i] = r.p8(i);
  return b;
}

Reply registration(Model& m, const Request& r) {
  auto& area = m.part<RegistrationArea>();
  Bytes reply = payload_of(r, kRegistrationReplyLen);
  const std::uint32_t card = r.p32(0);
  std::uint16_t answer = r.p16(kTypeOff);
  switch (answer) {
    case 1: {
      const bool with_template = r.payload_size() >= kTemplateOff + kTemplateLen;
      Bytes templ;
      if (with_template) {
        templ.assign(reply.begin() + kTemplateOff, reply.end());
        if (crc16(templ.data(), templ.size()) != r.p16(kCrcOff)) {
          answer = kTemplateRejected;
          break;
        }
      }
      if (!store_registration(m, Bytes(reply.begin(), reply.begin() + kFingerSlot))) {
        answer = kNotRegistered;
        break;
      }
      if (with_template) area.templates[card] = templ;  // a registration alone keeps it
      break;
    }
    case 2:
      remove_registration(m, card);
      break;
    case 3: {
      std::fill(reply.begin(), reply.end(), 0);
      auto at = find_registration(m, card);
      if (!at) {
        answer = kNotRegistered;
        break;
      }
      const Bytes slot = registration_slot(m, *at);
      std::copy(slot.begin(), slot.end(), reply.begin());
      auto t = area.templates.find(card);
      if (t == area.templates.end()) {
        answer = kNoTemplate;
        break;
      }
      std::copy(t->second.begin(), t->second.end(), reply.begin() + kTemplateOff);
      put16(reply, kCrcOff, crc16(t->second.data(), t->second.size()));
      break;
    }
    default:
      break;
  }
  put16(reply, kTypeOff, answer);
  return reply;
}

void install_fingerprint_terminal(Model& m) {
  auto& state = m.part<FingerprintTerminal>();
  auto& flash = m.part<FlashAreas>();
  place_registration_area(m, kFingerSlot, RegistrationArea::kDefaultStart);
  m.on(12, [&m](const Request& r) { return registration(m, r); });
  // Page reads of area 2, where the registration dump finds the slots.
  m.on(4, [&flash](const Request& r) -> Reply { return read_area(flash.area2, r.p32(0), 512); });
  m.on(128, [&state](const Request&) -> Reply {
    Bytes b(2 + kTemplateLen, 0);
    if (!state.next_scan) {
      b[0] = 1;  // no finger, no template
      return b;
    }
    std::copy_n(state.next_scan->begin(), std::min(state.next_scan->size(), kTemplateLen),
                b.begin() + 2);
    return b;
  });
  m.on(129, [](const Request& r) -> Reply {
    Bytes b(4, 0);
    put32(b, 0, r.p32(0) == kProbeAsk ? kProbeAnswer : 0);
    return b;
  });
  m.on(130, [&state](const Request& r) -> Reply {
    state.work_type = payload_of(r, 5);
    return state.work_type;
  });
  m.on(131, [&state](const Request& r) -> Reply {
    state.security_level = r.p8(0);
    return Bytes{r.p8(0), 0};
  });
  m.on(132, [&state](const Request& r) -> Reply {
    state.speech = payload_of(r, 2);
    return payload_of(r, 4);
  });
}

const bool basics = register_family("pirrel", 10, install_terminal_basics);
const bool registered = register_family("pirrel", 20, install_fingerprint_terminal);

}  // namespace
}  // namespace vorskel::sim
