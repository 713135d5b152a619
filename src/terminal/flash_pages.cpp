#include "terminal/flash_pages.h"

#include <algorithm>

#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel {
namespace {

constexpr std::uint8_t kReadArea2 = 4;
constexpr std::uint8_t kReadArea3 = 53;

}  // namespace

int read_flash_page(int area, std::uint8_t* buffer, int length, std::uint32_t address,
                    const char* host, int port) {
  std::uint8_t code;
  switch (area) {
    case 2:
      code = kReadArea2;
      break;
    case 3:
      code = kReadArea3;
      break;
    default:
      return -1;
  }
  Frame f(code);
  f.put32(0, address);
  const int r = f.exchange(4, kFlashPageReplyLen, host, port);
  if (r != 0) return r;
  f.get_bytes(0, buffer, std::min(length, kFlashPageBytes));
  return 0;
}

}  // namespace vorskel

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_RdFlash2(unsigned char* buffer, int length, unsigned int address,
                                            const char* host, int port) {
  return vorskel::read_flash_page(2, buffer, length, address, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_RdFlash3(unsigned char* buffer, int length, unsigned int address,
                                            const char* host, int port) {
  return vorskel::read_flash_page(3, buffer, length, address, host, port);
}

}  // extern "C"
