// Helpers for decoders: texts written into fixed slots of a caller's entry. Each text goes
// with its terminating zero at its offset and nothing else of the entry is touched (hosts
// keep their own bytes in the gaps); a text never runs past the entry's end.
#pragma once

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace vorskel::records {

class EntryWriter {
 public:
  EntryWriter(std::uint8_t* entry, int size) : entry_(entry), size_(size) {}

  // Writes text and its zero at offset; returns the text for building the line.
  const char* text(int offset, const char* text) {
    if (offset < 0 || offset >= size_) return text;
    const std::size_t room = static_cast<std::size_t>(size_ - offset);
    const std::size_t n = std::min(std::strlen(text), room - 1);
    std::memcpy(entry_ + offset, text, n);
    entry_[offset + static_cast<int>(n)] = 0;
    return text;
  }
  void bytes(int offset, const void* src, int n) {
    if (offset >= 0 && n > 0 && offset + n <= size_) std::memcpy(entry_ + offset, src, n);
  }
  void clear(int offset, int n) {
    if (offset >= 0 && n > 0 && offset + n <= size_) std::memset(entry_ + offset, 0, n);
  }
  void put32(int offset, std::uint32_t v) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16),
                               static_cast<std::uint8_t>(v >> 24)};
    bytes(offset, b, 4);
  }

 private:
  std::uint8_t* entry_;
  int size_;
};

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

// Little-endian numbers of a stored record.
inline std::uint32_t le16(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p) {
  return le16(p) | (le16(p + 2) << 16);
}

// Joins texts with single spaces: the record file lines.
// Sets line to the parts joined by single spaces, reusing line's storage (a download walks
// thousands of records through one line without allocating).
inline void join_into(std::string& line, std::initializer_list<const char*> parts) {
  line.clear();
  bool first = true;
  for (const char* p : parts) {
    if (!first) line += ' ';
    line += p;
    first = false;
  }
}

}  // namespace vorskel::records
