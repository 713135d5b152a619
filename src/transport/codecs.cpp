#include "transport/codecs.h"

#include <array>
#include <cctype>
#include <cstring>

#include "platform/platform.h"

namespace vorskel {
namespace {

constexpr std::array<std::uint8_t, 256> make_crc8_table() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned reg = i;
    for (int bit = 0; bit < 8; ++bit) reg = (reg & 0x80u) ? (reg << 1) ^ 0x31u : reg << 1;
    table[i] = static_cast<std::uint8_t>(reg);
  }
  return table;
}
constexpr auto kCrc8Table = make_crc8_table();
static_assert(kCrc8Table[1] == 0x31 && kCrc8Table[2] == 0x62 && kCrc8Table[0x80] == 0x7A);

// Rows: Big5 lead bytes 0xA1..0xFE; columns: trail bytes 0x40..0xFE; entries: GB2312 bytes.
constexpr std::uint8_t kBig5ToGb[94][191][2] = {
#include "transport/big5_gb_table.inc"
};

constexpr std::uint8_t kGbSpace[2] = {0xA1, 0xA1};  // GB2312 ideographic space

int hex_digit(char c) {
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::uint8_t crc8(const std::uint8_t* data, std::size_t length) {
  std::uint8_t reg = 0;
  for (std::size_t i = 0; i < length; ++i) reg = kCrc8Table[reg ^ data[i]];
  return reg;
}

void hex_text_to_bytes(const char* text, std::uint8_t* out, int count) {
  for (int i = 0; i < count; i += 2) {
    const int high = hex_digit(text[i]);
    // An odd count stops at the text's last character instead of reading past it.
    const int low = i + 1 < count ? hex_digit(text[i + 1]) : -1;
    out[i / 2] = static_cast<std::uint8_t>(((high < 0 ? 0 : high) << 4) | (low < 0 ? 0 : low));
  }
}

void hex_prefix_to_bytes(const char* text, int room, std::uint8_t* out, int bytes) {
  if (bytes > kMaxHexTextBytes) bytes = kMaxHexTextBytes;
  char digits[2 * kMaxHexTextBytes] = {};
  for (int i = 0; text != nullptr && i < 2 * bytes && i < room && text[i] != '\0'; ++i)
    digits[i] = text[i];
  hex_text_to_bytes(digits, out, 2 * bytes);
}

void card_key(const std::uint8_t serial[4], const std::uint8_t key[6], std::uint8_t out[6]) {
  std::uint8_t result[6];
  for (int i = 0; i < 4; ++i) result[i] = static_cast<std::uint8_t>(~(key[i] ^ serial[i]));
  result[4] = static_cast<std::uint8_t>(~(serial[0] ^ serial[1] ^ key[4]));
  result[5] = static_cast<std::uint8_t>(~(serial[2] ^ serial[3] ^ key[5]));
  std::memcpy(out, result, 6);
}

std::uint32_t decimal_text_to_u32(const char* text) {
  if (text == nullptr) return 0;
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  std::uint32_t value = 0;
  while (*text >= '0' && *text <= '9')
    value = value * 10u + static_cast<std::uint32_t>(*text++ - '0');
  return negative ? 0u - value : value;
}

int big5_to_gb2312(const std::uint8_t* src, std::uint8_t* dst, int count) {
  int out = 0;
  for (int i = 0; i < count;) {
    const std::uint8_t lead = src[i];
    const std::uint8_t trail = src[i + 1];  // callers' texts are zero-terminated past count
    if (lead < 0xA1 || trail < 0x40) {
      dst[out++] = lead;
      ++i;
      continue;
    }
    const std::uint8_t* gb =
        (lead == 0xFF || trail == 0xFF) ? kGbSpace : kBig5ToGb[lead - 0xA1][trail - 0x40];
    dst[out++] = gb[0];
    dst[out++] = gb[1];
    i += 2;
  }
  return out;
}

bool traditional_chinese_system() {
  const std::uint16_t id = platform::system_default_lang_id();
  return id == 1028 || id == 3076;
}

int display_text(const std::uint8_t* src, std::uint8_t* dst, int count) {
  if (count <= 0) return 0;
  if (traditional_chinese_system()) return big5_to_gb2312(src, dst, count);
  std::memcpy(dst, src, static_cast<std::size_t>(count));
  return count;
}

}  // namespace vorskel
