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

#include "records/line_text.h"
#include "records/number_text.h"

namespace vorskel::records {

class EntryWriter {
 public:
  EntryWriter(std::uint8_t* entry, int size) : entry_(entry), size_(size) {}

  // Writes text and its zero at offset; returns the text for building the line.
  const char* text(int offset, const char* text) {
    if (offset < 0 || offset >= size_) return text;
    // One pass up to the zero or the entry's end: the texts are a few characters long.
    std::uint8_t* out = entry_ + offset;
    std::uint8_t* const last = entry_ + size_ - 1;
    for (const char* p = text; *p != '\0' && out < last; ++p)
      *out++ = static_cast<std::uint8_t>(*p);
    *out = 0;
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

// Little-endian numbers of a stored record.
inline std::uint32_t le16(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p) {
  return le16(p) | (le16(p + 2) << 16);
}

// Sets line to the parts joined by single spaces, reusing line's storage (a download walks
// thousands of records through one line without allocating).
inline void join_into(LineText& line, std::initializer_list<const char*> parts) {
  line.clear();
  bool first = true;
  for (const char* p : parts) {
    if (!first) line += ' ';
    line += p;
    first = false;
  }
}

}  // namespace vorskel::records
