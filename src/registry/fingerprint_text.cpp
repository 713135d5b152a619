// Templates as hexadecimal text, so a host can keep them in a database: the template's
// CRC-16 (low byte first) and its 256 bytes, two upper-case digits a byte.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "registry/fingerprint_template.h"
#include "transport/codecs.h"
#include "vorskel.h"

namespace vorskel::registry {
namespace {

constexpr int kTextBytes = 2 + kTemplateBytes;  // CRC-16 and template
constexpr int kTextDigits = 2 * kTextBytes;     // 516
constexpr int kMinTextCapacity = 520;           // what hosts have always been asked to give
constexpr int kBadChecksum = -2;

int to_text(const std::uint8_t* templ, char* text, int capacity) {
  if (capacity < kMinTextCapacity || templ == nullptr || text == nullptr) return -1;
  const std::uint16_t crc = template_crc(templ);
  std::uint8_t bytes[kTextBytes];
  bytes[0] = static_cast<std::uint8_t>(crc);
  bytes[1] = static_cast<std::uint8_t>(crc >> 8);
  std::memcpy(bytes + 2, templ, kTemplateBytes);
  for (int i = 0; i < kTextBytes; ++i) std::snprintf(text + 2 * i, 3, "%02X", bytes[i]);
  return 0;
}

int from_text(char* text, int length, std::uint8_t* templ) {
  if (length < kTextDigits || text == nullptr || templ == nullptr) return -1;
  // Hosts see their text upper-cased, up to its end (and never past the length they gave).
  for (int i = 0; i < length && text[i] != '\0'; ++i)
    text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  // Only the text itself is read: digits missing after its end count as 0.
  char digits[kTextDigits];
  std::memset(digits, '0', sizeof digits);
  std::memcpy(digits, text, strnlen(text, kTextDigits));
  std::uint8_t bytes[kTextBytes];
  hex_text_to_bytes(digits, bytes, kTextDigits);
  const std::uint16_t stated = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
  if (template_crc(bytes + 2) != stated) return kBadChecksum;
  std::memcpy(templ, bytes + 2, kTemplateBytes);
  return 0;
}

}  // namespace
}  // namespace vorskel::registry

extern "C" {

VORSKEL_API int VORSKEL_CALL Pirrel_FingerPrint2String(const unsigned char* templ, char* text,
                                                       int capacity) {
  return vorskel::registry::to_text(templ, text, capacity);
}

VORSKEL_API int VORSKEL_CALL Pirrel_String2FingerPrint(char* text, int length,
                                                       unsigned char* templ) {
  return vorskel::registry::from_text(text, length, templ);
}

}  // extern "C"
