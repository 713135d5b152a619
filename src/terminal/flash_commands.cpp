// The two one-shot flash commands: initialise the terminal's flash, and the single-byte
// area-2 command whose value only the terminal interprets.
#include "transport/frame.h"
#include "vorskel.h"

namespace {

constexpr std::uint8_t kInitFlash = 5;
constexpr std::uint8_t kWr2Flash = 144;

}  // namespace

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_InitFlash(const char* host, int port) {
  vorskel::Frame f(kInitFlash);
  return f.exchange(0, 0, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_Wr2_Flash(int value, const char* host, int port) {
  vorskel::Frame f(kWr2Flash);
  f.put8(0, static_cast<std::uint32_t>(value));
  return f.exchange(1, 0, host, port);
}

}  // extern "C"
