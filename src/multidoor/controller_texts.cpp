#include "multidoor/controller_texts.h"

#include <cctype>

#include "transport/codecs.h"

namespace vorskel::multidoor {
namespace {
constexpr int kLongestHexText = 16;  // 8 bytes: more than any card or password
}  // namespace

char* upper_case_in_place(char* text, std::size_t width) {
  if (text == nullptr) return text;
  for (std::size_t i = 0; i < width && text[i] != '\0'; ++i)
    text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  return text;
}

void hex_text_bytes(const char* text, std::uint8_t* out, int count) {
  hex_prefix_to_bytes(text, kLongestHexText, out, count);
}

std::uint32_t channel_mask_from_text(const char* text) {
  std::uint32_t mask = 0;
  for (int i = 0; text != nullptr && i < kChannels && text[i] != '\0'; ++i)
    if (text[i] == '1') mask |= 1u << i;
  return mask;
}

void channel_mask_to_text(std::uint32_t mask, char* out) {
  for (int i = 0; i < kChannels; ++i) out[i] = (mask >> i) & 1u ? '1' : '0';
}

}  // namespace vorskel::multidoor
