// The payment terminals' registries (command 12, told apart by length and by where the
// operation sits), their flash page reads (area 2: records, area 3: merchant records) and
// the department table writes into area 2, and the amounts of money shown on the display.
#include "sim/models/consume_state.h"
#include "sim/models/terminal_state.h"
#include "src/protocol/codes.h"

namespace vorskel::sim {
namespace {

constexpr std::uint8_t kRegistry = 12;
constexpr std::uint8_t kReadArea2 = 4;
constexpr std::uint8_t kReadArea3 = 53;
constexpr std::uint8_t kWriteArea2 = 55;
constexpr std::size_t kPageBytes = 512;
constexpr std::uint8_t kChangeMoney = 38;

using protocol::kCardOnly;
using protocol::kReadBack;
using protocol::kStore;
constexpr std::uint16_t kDone = 0;

constexpr std::size_t kMerchantLen = 11;
constexpr std::size_t kNemmarLen = 14;
constexpr std::size_t kBrellLen = 34;

std::uint16_t answer(const ConsumeRegistry& reg, std::uint16_t natural) {
  return reg.forced_status.value_or(natural);
}

// Operation at 9-10; number 0-3; stored values 4-8.
Reply merchant(ConsumeRegistry& reg, const Request& r) {
  Bytes b = r.payload();
  const std::uint32_t number = r.p32(0);
  std::uint16_t status = kDone;
  switch (r.p16(9)) {
    case kStore:
      reg.merchants[number] = Bytes(b.begin() + 4, b.begin() + 9);
      break;
    case kCardOnly:
      status = reg.merchants.erase(number) ? kDone : kRegistryMissing;
      break;
    case kReadBack: {
      auto it = reg.merchants.find(number);
      if (it == reg.merchants.end()) {
        status = kRegistryMissing;
        break;
      }
      std::copy(it->second.begin(), it->second.end(), b.begin() + 4);
      break;
    }
  }
  put16(b, 9, answer(reg, status));
  return b;
}

// Card 0-3, two values 4-11, operation 12-13.
Reply nemmar_values(ConsumeRegistry& reg, const Request& r) {
  Bytes b = r.payload();
  const std::uint32_t card = r.p32(0);
  std::uint16_t status = kDone;
  switch (r.p16(12)) {
    case kStore:
      reg.cards[card] = {r.p32(4), r.p32(8)};
      break;
    case kCardOnly:
      status = reg.cards.erase(card) ? kDone : kRegistryMissing;
      break;
    case kReadBack: {
      auto it = reg.cards.find(card);
      if (it == reg.cards.end()) {
        status = kRegistryMissing;
        break;
      }
      put32(b, 4, it->second.first);
      put32(b, 8, it->second.second);
      break;
    }
  }
  put16(b, 12, answer(reg, status));
  return b;
}

// Card 0-3, operation 4-5, zeros after.
Reply nemmar_ids(ConsumeRegistry& reg, const Request& r) {
  Bytes b = r.payload();
  const std::uint32_t card = r.p32(0);
  std::uint16_t status = kDone;
  switch (r.p16(4)) {
    case kStore:
      reg.ids[card] = true;
      break;
    case kCardOnly:
      status = reg.ids.erase(card) ? kDone : kRegistryMissing;
      break;
    case kReadBack:
      if (!reg.ids.count(card)) status = kRegistryMissing;
      break;
  }
  put16(b, 4, answer(reg, status));
  return b;
}

// The whole entry, operation 32-33.
Reply brell_entry(ConsumeRegistry& reg, const Request& r) {
  Bytes b = r.payload();
  const std::uint32_t card = r.p32(0);
  std::uint16_t status = kDone;
  switch (r.p16(32)) {
    case kStore:
      reg.brell[card] = b;
      break;
    case kCardOnly:
      status = reg.brell.erase(card) ? kDone : kRegistryMissing;
      break;
    case kReadBack: {
      auto it = reg.brell.find(card);
      if (it == reg.brell.end()) {
        status = kRegistryMissing;
        break;
      }
      b = it->second;
      break;
    }
  }
  put16(b, 32, answer(reg, status));
  return b;
}

void install_flash_and_money(Model& m) {
  auto& money = m.part<MoneyShown>();
  auto& flash = m.part<FlashAreas>();
  m.on(kReadArea2, [&flash](const Request& r) -> Reply {
    return read_area(flash.area2, r.p32(0), kPageBytes);
  });
  m.on(kReadArea3, [&flash](const Request& r) -> Reply {
    return read_area(flash.area3, r.p32(0), kPageBytes);
  });
  m.on(kChangeMoney, [&money](const Request& r) -> Reply {
    money.last = r.payload();
    ++money.count;
    return r.payload();
  });
  // Page write of area 2: address 0-3, length 4-5, data from 6; status 0 stored, 0xFFFF
  // outside the area.
  m.on(kWriteArea2, [&flash](const Request& r) -> Reply {
    const std::uint32_t address = r.p32(0);
    const std::size_t n = r.p16(4);
    const bool fits = address <= flash.area2.size() && n <= flash.area2.size() - address;
    if (fits)
      for (std::size_t i = 0; i < n; ++i) flash.area2[address + i] = r.p8(6 + i);
    Bytes b(2, 0);
    put16(b, 0, fits ? kDone : kRegistryMissing);
    return b;
  });
}

void install_nemmar_registry(Model& m) {
  auto& reg = m.part<ConsumeRegistry>();
  m.on(kRegistry, [&reg](const Request& r) -> Reply {
    if (r.payload_size() == kMerchantLen) return merchant(reg, r);
    if (r.payload_size() != kNemmarLen) return std::nullopt;
    // The two-value layout carries its operation at 12-13, which the id layout leaves 0.
    return r.p16(12) != 0 ? nemmar_values(reg, r) : nemmar_ids(reg, r);
  });
}

void install_brell_registry(Model& m) {
  auto& reg = m.part<ConsumeRegistry>();
  m.on(kRegistry, [&reg](const Request& r) -> Reply {
    if (r.payload_size() == kMerchantLen) return merchant(reg, r);
    if (r.payload_size() != kBrellLen) return std::nullopt;
    return brell_entry(reg, r);
  });
}

const bool nemmar_registered = register_family("nemmar", 30, install_nemmar_registry);
const bool v2_registered = register_family("nemmarv2", 30, install_nemmar_registry);
const bool brell_registered = register_family("brell", 30, install_brell_registry);
const bool nemmar_money = register_family("nemmar", 31, install_flash_and_money);
const bool v2_money = register_family("nemmarv2", 31, install_flash_and_money);
const bool brell_money = register_family("brell", 31, install_flash_and_money);

}  // namespace
}  // namespace vorskel::sim
