// Decimal texts in the fixed fields of the caller's structures. A field need not end with a
// zero: it is read only up to its own end, never into the next field.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "transport/codecs.h"

namespace vorskel::consume {

inline constexpr int kMaxFieldRoom = 64;

// The number in a text of at most room bytes (decimal text conversion: wraps modulo 2^32).
inline std::uint32_t field_number(const char* text, int room) {
  if (text == nullptr || room <= 0) return 0;
  char copy[kMaxFieldRoom + 1] = {};
  int n = 0;
  while (n < room && n < kMaxFieldRoom && text[n] != '\0') {
    copy[n] = text[n];
    ++n;
  }
  return decimal_text_to_u32(copy);
}

template <std::size_t N>
std::uint32_t field_number(const char (&field)[N]) {
  return field_number(field, static_cast<int>(N));
}

// Writes a formatted number into a field, cut to fit and always ending with a zero.
template <std::size_t N>
void put_number(char (&field)[N], const char* format, unsigned int value) {
  std::snprintf(field, N, format, value);
}

}  // namespace vorskel::consume
