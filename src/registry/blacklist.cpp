// The terminal's blacklist: four ways of changing it (command 21) and its dump (command 56)
// into "blacklist.bin" and "blacklist.txt" in the current directory.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "registry/registration_entry.h"
#include "transport/codecs.h"

namespace vorskel::registry {
namespace {

constexpr std::uint8_t kBlacklistCommand = 21;
constexpr std::uint8_t kBlacklistDumpCommand = 56;

constexpr int kBadCardText = -10;
constexpr int kBadType = -11;

// Operation codes by the caller's type 1..4.
constexpr std::uint8_t kOperation[] = {1, 0x0A, 0x0C, 0x0B};

// Sent by every Vorsk_BlackList after a Vorsk_BlackListEx set it (never reset).
std::atomic<std::uint32_t> g_extra{0};

// The three payload shapes that follow the operation byte.
enum class Shape {
  kHexCardTwoBytesExtra,  // card, value1, value2, extra: 11 bytes
  kHexCardByteWord,       // card, value1, value2 (16-bit): 8 bytes
  kDecimalPairWord,       // number1, number2, value (16-bit): 11 bytes
};

struct Change {
  Shape shape;
  const char* first;   // card text or number 1
  const char* second;  // number 2 (kDecimalPairWord)
  int value1, value2;
};

int change(const Change& c, int type, const char* host, int port) {
  if (c.shape != Shape::kDecimalPairWord && (c.first == nullptr || std::strlen(c.first) != 8))
    return kBadCardText;
  if (type < 1 || type > 4) return kBadType;
  Frame f(kBlacklistCommand);
  f.put8(0, kOperation[type - 1]);
  int len = 0;
  switch (c.shape) {
    case Shape::kHexCardTwoBytesExtra:
      put_hex_card(f, 1, c.first);
      f.put8(5, static_cast<std::uint32_t>(c.value1));
      f.put8(6, static_cast<std::uint32_t>(c.value2));
      f.put32(7, g_extra.load());
      len = 11;
      break;
    case Shape::kHexCardByteWord:
      put_hex_card(f, 1, c.first);
      f.put8(5, static_cast<std::uint32_t>(c.value1));
      f.put16(6, static_cast<std::uint32_t>(c.value2));
      len = 8;
      break;
    case Shape::kDecimalPairWord:
      f.put32(1, decimal_text_to_u32(c.first));
      f.put32(5, decimal_text_to_u32(c.second));
      f.put16(9, static_cast<std::uint32_t>(c.value1));
      len = 11;
      break;
  }
  const int r = f.exchange(len, len, host, port, 1);
  if (r != kOk) return r;
  return static_cast<std::int8_t>(f.get8(0));
}

// ---- the dump ----

constexpr std::uint32_t kBlockBytes = 500;
constexpr std::uint32_t kAddressLimit = 65536;
constexpr int kDumpReplyLen = 1024;
constexpr int kBlockInReply = 2;  // the block follows a 2-byte header in the reply
constexpr int kEntryBytes = 5;
constexpr std::uint8_t kEmptySlot[] = {0xEF, 0xDF};

bool end_mark(const std::uint8_t* e) {
  return e[0] == 0xFF && e[1] == 0xFF && e[2] == 0xFF && e[3] == 0xFF;
}
bool empty_slot(const std::uint8_t* e) {
  return e[4] == kEmptySlot[0] || e[4] == kEmptySlot[1];
}

// Created (earlier ones emptied) only once the first block is here, so a dump that gets
// nothing leaves earlier files as they were.
struct DumpFiles {
  std::FILE* text = nullptr;
  std::FILE* raw = nullptr;
  bool open() {
    if (text == nullptr) text = std::fopen("blacklist.txt", "w");
    if (raw == nullptr) raw = std::fopen("blacklist.bin", "w+b");
    return text != nullptr && raw != nullptr;
  }
  ~DumpFiles() {
    if (text != nullptr) std::fclose(text);
    if (raw != nullptr) std::fclose(raw);
  }
};

int dump(const char* host, int port) {
  DumpFiles files;
  int count = 0;
  for (std::uint32_t address = 0; address < kAddressLimit; address += kBlockBytes) {
    Frame f(kBlacklistDumpCommand);
    f.put32(0, address);
    f.put16(4, kBlockBytes);
    const int r = f.exchange(6, kDumpReplyLen, host, port, kBlockInReply + kBlockBytes);
    if (r != kOk) return r;
    if (!files.open()) return -1;
    std::uint8_t block[kBlockBytes];
    f.get_bytes(kBlockInReply, block, kBlockBytes);
    std::fwrite(block, 1, kBlockBytes, files.raw);
    for (std::uint32_t off = 0; off < kBlockBytes; off += kEntryBytes) {
      const std::uint8_t* e = block + off;
      if (end_mark(e)) return count;
      if (empty_slot(e)) continue;
      std::fprintf(files.text, "%02X%02X%02X%02X|%d|%d\n", e[0], e[1], e[2], e[3], e[4] >> 4,
                   e[4] & 0x0F);
      ++count;
    }
  }
  return count;
}

}  // namespace
}  // namespace vorskel::registry

extern "C" {

using vorskel::registry::Change;
using vorskel::registry::Shape;

VORSKEL_API int VORSKEL_CALL Vorsk_BlackList(const char* card, int value1, int value2, int type,
                                             const char* host, int port) {
  return vorskel::registry::change({Shape::kHexCardTwoBytesExtra, card, nullptr, value1, value2},
                                   type, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_BlackListEx(const char* card, int value1, int value2,
                                               unsigned int extra, int type, const char* host,
                                               int port) {
  vorskel::registry::g_extra.store(extra);
  return vorskel::registry::change({Shape::kHexCardTwoBytesExtra, card, nullptr, value1, value2},
                                   type, host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_BlackList_ASLK(const char* card, int value1, int value2,
                                                  int type, const char* host, int port) {
  return vorskel::registry::change({Shape::kHexCardByteWord, card, nullptr, value1, value2}, type,
                                   host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_BlackList_ADD(const char* number1, const char* number2,
                                                 int value, int type, const char* host, int port) {
  return vorskel::registry::change({Shape::kDecimalPairWord, number1, number2, value, 0}, type,
                                   host, port);
}

VORSKEL_API int VORSKEL_CALL Vorsk_DumpBlackList(const char* host, int port) {
  return vorskel::registry::dump(host, port);
}

}  // extern "C"
