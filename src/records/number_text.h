// Short texts of numbers, as the decoders print them into entries and record file lines.
#pragma once

#include <cstdarg>
#include <cstdio>

namespace vorskel::records {

// A formatted text of at most 63 characters.
struct Text {
  char s[64];
};

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
inline Text
format(const char* fmt, ...) {
  Text t;
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(t.s, sizeof t.s, fmt, args);
  va_end(args);
  return t;
}

// Writes value as printf's "%0<width>d" does (the sign counts in the width, zeros go between
// sign and digits, wider values keep every digit) and returns the end. Dates and times of
// every record go through here, so it avoids printf's cost.
inline char* put_padded(char* p, int value, int width) {
  if (width == 2 && value >= 0 && value < 100) {  // the fields of nearly every record
    p[0] = static_cast<char>('0' + value / 10);
    p[1] = static_cast<char>('0' + value % 10);
    return p + 2;
  }
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) {
    *p++ = '-';
    --width;
  }
  for (int i = n; i < width; ++i) *p++ = '0';
  while (n > 0) *p++ = digits[--n];
  return p;
}

// "%04d-%02d-%02d" and "%02d:%02d:%02d", for any int values, written in place (a decoder
// fills the texts of every record; copying a freshly written text costs more than writing it).
inline void set_date_text(Text& t, int year, int month, int day) {
  char* p = put_padded(t.s, year, 4);
  *p++ = '-';
  p = put_padded(p, month, 2);
  *p++ = '-';
  *put_padded(p, day, 2) = '\0';
}
inline void set_time_text(Text& t, int hour, int minute, int second) {
  char* p = put_padded(t.s, hour, 2);
  *p++ = ':';
  p = put_padded(p, minute, 2);
  *p++ = ':';
  *put_padded(p, second, 2) = '\0';
}
inline Text date_text(int year, int month, int day) {
  Text t;
  set_date_text(t, year, month, day);
  return t;
}
inline Text time_text(int hour, int minute, int second) {
  Text t;
  set_time_text(t, hour, minute, second);
  return t;
}

}  // namespace vorskel::records
