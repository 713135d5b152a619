#include "terminal/flash_pages.h"

#include <algorithm>

#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel {
namespace {

// The command codes of each area: one page operation serves both, told apart by these.
struct FlashArea {
  int number;
  std::uint8_t read_code;
  std::uint8_t write_code;
};

constexpr FlashArea kAreas[] = {
    {2, 4, 55},
    {3, 53, 54},
};

const FlashArea* find_area(int number) {
  for (const auto& a : kAreas)
    if (a.number == number) return &a;
  return nullptr;
}

constexpr int kAddressAt = 0;
constexpr int kLengthAt = 4;
constexpr int kStatusAt = 0;

}  // namespace

int read_flash_page(int area, std::uint8_t* buffer, int length, std::uint32_t address,
                    const char* host, int port) {
  const FlashArea* a = find_area(area);
  if (a == nullptr) return -1;
  Frame f(a->read_code);
  f.put32(kAddressAt, address);
  const int n = std::min(length, kFlashPageBytes);
  const int r = f.exchange(4, kFlashPageReplyLen, host, port, n);
  if (r != 0) return r;
  f.get_bytes(0, buffer, n);
  return 0;
}

int write_flash_page(int area, const std::uint8_t* buffer, int length, std::uint32_t address,
                     const char* host, int port) {
  const FlashArea* a = find_area(area);
  if (a == nullptr || length < 0 || length > kFlashWriteMaxBytes) return -1;
  // Without data the terminal would store zeros where the caller meant its own bytes.
  if (buffer == nullptr && length > 0) return -1;
  Frame f(a->write_code);
  f.put32(kAddressAt, address);
  f.put16(kLengthAt, static_cast<std::uint32_t>(length));
  f.put_bytes(kFlashWriteHeader, buffer, length);
  const int r =
      f.exchange(kFlashWriteHeader + length, kFlashPageReplyLen, host, port, kStatusAt + 2);
  if (r != 0) return r;
  return static_cast<std::int16_t>(f.get16(kStatusAt));
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

VORSKEL_API int VORSKEL_CALL Vorsk_WrFlash2(const unsigned char* buffer, int length,
                                            unsigned int address, const char* host, int port) {
  return vorskel::write_flash_page(2, buffer, length, address, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_WrFlash3(const unsigned char* buffer, int length,
                                            unsigned int address, const char* host, int port) {
  return vorskel::write_flash_page(3, buffer, length, address, host, port);
}

}  // extern "C"
