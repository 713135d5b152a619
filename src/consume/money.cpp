// Amounts of money sent to a payment terminal, in hundredths of the currency unit: as a
// text with two decimals, or, for bus terminals, as a 16-bit number of whole units' worth.
// Both travel with the same command; the terminal tells them apart by the payload.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::consume {
namespace {

constexpr std::uint8_t kChangeMoney = 38;
constexpr int kMaxAmount = 60000;     // 600.00: the terminal's display holds six characters
constexpr int kMaxBusAmount = 25600;  // 256 units
constexpr int kHundredths = 100;
constexpr int kBusLen = 2;

// "%d.%02d" of the amount; a negative amount keeps its sign in front ("-0.05", not "0.-5").
int amount_text(int amount, char* text, std::size_t room) {
  const long long a = amount;
  const long long magnitude = a < 0 ? -a : a;
  return std::snprintf(text, room, "%s%lld.%02lld", a < 0 ? "-" : "", magnitude / kHundredths,
                       magnitude % kHundredths);
}

}  // namespace
}  // namespace vorskel::consume

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_RealChangeMoney(int amount, const char* host, int port) {
  namespace c = vorskel::consume;
  if (amount > c::kMaxAmount) return -1;
  char text[24];
  const int n = c::amount_text(amount, text, sizeof text);
  vorskel::Frame f(c::kChangeMoney);
  f.put_bytes(0, text, n);  // no terminating zero
  return f.exchange(n, n, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_ChangeMoneyForBus(int amount, const char* host, int port) {
  namespace c = vorskel::consume;
  if (amount % c::kHundredths != 0 || amount > c::kMaxBusAmount) return -1;
  vorskel::Frame f(c::kChangeMoney);
  f.put16(0, static_cast<std::uint32_t>(amount));  // hundredths, not divided
  return f.exchange(c::kBusLen, c::kBusLen, host, port);
}

}  // extern "C"
