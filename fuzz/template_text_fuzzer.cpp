// Fingerprint template text from a host: any text, any length. A text that converts must
// convert back to the same digits.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vorskel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  unsigned char templ[256 + 16];
  std::memset(templ, 0xCD, sizeof templ);
  const int r = Pirrel_String2FingerPrint(text.data(), static_cast<int>(size), templ);
  for (std::size_t i = 256; i < sizeof templ; ++i)
    if (templ[i] != 0xCD) std::abort();  // wrote past the template
  if (r != 0) return 0;
  char back[520 + 8];
  std::memset(back, 0xCD, sizeof back);
  if (Pirrel_FingerPrint2String(templ, back, 520) != 0) std::abort();
  for (std::size_t i = 520; i < sizeof back; ++i)
    if (back[i] != static_cast<char>(0xCD)) std::abort();
  // A text of 516 hex digits (upper-cased in place) comes back unchanged; other characters
  // read as 0 and cannot.
  bool all_hex = size >= 516;
  for (std::size_t i = 0; all_hex && i < 516; ++i)
    all_hex = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
  if (all_hex && std::strncmp(back, text.data(), 516) != 0) std::abort();
  return 0;
}
