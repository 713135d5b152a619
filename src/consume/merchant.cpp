// Merchant functions of payment terminals: the department name table kept in flash area 2
// and the merchant registry entry.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "terminal/flash_pages.h"
#include "transport/frame.h"
#include "vorskel.h"

namespace vorskel::consume {
namespace {

// One department name: 16 bytes at index x 16 of flash area 2, zero-padded.
constexpr int kDeptBytes = 16;
constexpr int kDeptShift = 4;
constexpr int kArea2 = 2;

constexpr std::uint8_t kRegistry = 12;
constexpr int kRegistryLen = 11;
// Payload: number 0-3, three byte values 4, 5, 6, word value 7-8, operation / status 9-10.
constexpr int kNumber = 0;
constexpr int kFirst = 4;
constexpr int kSecond = 5;
constexpr int kThird = 6;
constexpr int kWord = 7;
constexpr int kStatus = 9;

using protocol::kReadBack;
using protocol::kStore;

}  // namespace
}  // namespace vorskel::consume

extern "C" {

VORSKEL_API int VORSKEL_CALL Vorsk_Merch_Dept(int index, const unsigned char* name, int length,
                                              const char* host, int port) {
  namespace c = vorskel::consume;
  std::uint8_t block[c::kDeptBytes] = {};
  const int n = std::clamp(length, 0, c::kDeptBytes);
  if (name != nullptr && n > 0) std::memcpy(block, name, static_cast<std::size_t>(n));
  const auto address = static_cast<std::uint32_t>(index) << c::kDeptShift;
  return vorskel::write_flash_page(c::kArea2, block, c::kDeptBytes, address, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_Merch_Regsitry(VorskMerchRegistryBlock* block, int operation,
                                                  const char* host, int port) {
  namespace c = vorskel::consume;
  if (block == nullptr || operation < c::kStore || operation > c::kReadBack) return -1;
  vorskel::Frame f(c::kRegistry);
  f.put32(c::kNumber, block->number);
  if (operation == c::kStore) {
    f.put8(c::kFirst, block->first);
    f.put8(c::kSecond, block->second);
    f.put8(c::kThird, block->third);
    f.put16(c::kWord, block->word);
  }
  f.put16(c::kStatus, static_cast<std::uint32_t>(operation));
  const int r = f.exchange(c::kRegistryLen, c::kRegistryLen, host, port, c::kRegistryLen);
  if (r != 0) return r;
  if (operation == c::kReadBack) {
    block->first = f.get8(c::kFirst);
    block->second = f.get8(c::kSecond);
    block->third = f.get8(c::kThird);
    block->word = f.get16(c::kWord);
  }
  return static_cast<std::int16_t>(f.get16(c::kStatus));
}

}  // extern "C"
