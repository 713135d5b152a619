// Setting the terminal's clock from the PC's local time.
#include "platform/platform.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace {
constexpr std::uint8_t kSetTime = 3;
constexpr int kTimeLen = 7;
}  // namespace

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_SetTime(const char* host, int port) {
  const vorskel::platform::LocalTime now = vorskel::platform::local_time();
  vorskel::Frame f(kSetTime);
  f.put8(0, static_cast<std::uint32_t>(now.second));
  f.put8(1, static_cast<std::uint32_t>(now.minute));
  f.put8(2, static_cast<std::uint32_t>(now.hour));
  f.put8(3, static_cast<std::uint32_t>(now.day));
  f.put8(4, static_cast<std::uint32_t>(now.month));
  f.put8(5, static_cast<std::uint32_t>(now.year - 1900));  // 2009 travels as 109
  f.put8(6, static_cast<std::uint32_t>(now.weekday));
  return f.exchange(kTimeLen, kTimeLen, host, port);
}

}  // extern "C"
