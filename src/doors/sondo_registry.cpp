// Sondo card registrations (command 12, 34 bytes): store one, send a card for the
// controller to act on, or read one back into the caller's structure.
#include <cstdio>
#include <cstring>

#include "doors/door_command.h"
#include "platform/platform.h"
#include "vorskel.h"

namespace vorskel::doors {
namespace {

using protocol::kReadBack;
using protocol::kStore;

constexpr int kCardAt = 0;
constexpr int kSecondAt = 4;
constexpr int kNibblesAt = 14;
constexpr int kYearAt = 15;
constexpr int kMonthAt = 16;
constexpr int kDayAt = 17;
constexpr int kMaskAt = 18;
constexpr int kValueAt = 22;
constexpr int kOperationAt = 32;  // the controller's 16-bit answer comes back here
constexpr int kYearToByte = 148;  // (year + 148) mod 256 = year - 1900 for 1900-2155
constexpr int kBaseYear = 1900;
constexpr int kFlags = 32;
constexpr int kCardChars = 8;

// "%02x%02x%02x%02x" of four reply bytes into an 8-character field (no terminator).
void card_text_back(const Frame& f, int off, char* field) {
  char text[kCardChars + 1];
  std::snprintf(text, sizeof text, "%02x%02x%02x%02x", f.get8(off), f.get8(off + 1),
                f.get8(off + 2), f.get8(off + 3));
  std::memcpy(field, text, kCardChars);
}

void read_back(const Frame& f, SondoRegistration& reg) {
  card_text_back(f, kCardAt, reg.card);
  card_text_back(f, kSecondAt, reg.second);
  reg.second[kCardChars] = '\0';
  reg.high = f.get8(kNibblesAt) >> 4;
  reg.low = f.get8(kNibblesAt) & 0x0F;
  reg.year = f.get8(kYearAt) + kBaseYear;
  reg.month = f.get8(kMonthAt);
  reg.day = f.get8(kDayAt);
  reg.value = f.get32(kValueAt);
  const std::uint32_t mask = f.get32(kMaskAt);
  for (int i = 0; i < kFlags; ++i) reg.flags[i] = (mask >> i) & 1u;
}

int registry(SondoRegistration* reg, int operation, const char* host, int port) {
  if (reg == nullptr || operation < kStore || operation > kReadBack) return -1;
  Frame f(kRegistry.code);
  put_card_text(f, kCardAt, reg->card, kCardChars);
  put_card_text(f, kSecondAt, reg->second, kCardChars);
  if (operation == kStore) {
    f.put32(kMaskAt, mask_of(reg->flags, kFlags));
    f.put8(kNibblesAt, static_cast<std::uint32_t>((reg->high & 0x0F) << 4 | (reg->low & 0x0F)));
    f.put8(kYearAt, static_cast<std::uint32_t>(reg->year + kYearToByte));
    f.put8(kMonthAt, static_cast<std::uint32_t>(reg->month));
    f.put8(kDayAt, static_cast<std::uint32_t>(reg->day));
    f.put32(kValueAt, reg->value);
  }
  f.put16(kOperationAt, static_cast<std::uint32_t>(operation));
  const int r = run(kRegistry, f, host, port);
  if (r != kOk) return r;
  if (operation == kReadBack) {
    platform::yield_thread();  // one yield before the read-back, as hosts have always seen it
    read_back(f, *reg);
  }
  return static_cast<std::int16_t>(f.get16(kOperationAt));
}

}  // namespace
}  // namespace vorskel::doors

extern "C" VORSKEL_API int VORSKEL_CALL Sondo_Registry(SondoRegistration* reg, int operation,
                                                       const char* host, int port) {
  return vorskel::doors::registry(reg, operation, host, port);
}
